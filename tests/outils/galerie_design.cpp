// The design system's gallery for the scripted checks: shows every component in light and
// dark, prints where chosen pixels are (global coordinates), and when the floating hint
// shows, how long after the pointer entered the bar. With a notice, it also reads the screen
// just above the toast's capsule at every frame of the mascot's celebration.
#include "Galerie.h"
#include "application/Reveler.h"
#include "tesselreverie/ReveriePolices.h"
#include "tesselui/BundledFonts.h"
#include "tesselui/Motion.h"
#include "tesselui/BoutonAnime.h"
#include "tesselui/NoticeToast.h"
#include "tesselui/Rezuz.h"

#include <QApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {

void sonde(const char* nom, QWidget* w, QPointF p)
{
    const QPoint g = w->mapToGlobal(p.toPoint());
    std::printf("sonde %s %d %d\n", nom, g.x(), g.y());
}

void cadre(const QString& nom, QWidget* w, QRect r)
{
    const QPoint g = w->mapToGlobal(r.topLeft());
    std::printf("cadre %s %d %d %d %d\n", qPrintable(nom), g.x(), g.y(), r.width(), r.height());
}
void cadre(const QString& nom, QWidget* w) { cadre(nom, w, w->rect()); }

// The point just above the capsule's top edge, on the mascot's middle (global coordinates).
QPoint auDessusDuToast(const NoticeToast* toast)
{
    const QRect m = toast->mascotte().geometry();
    return toast->mapToGlobal(QPoint(m.center().x(), toast->capsule().top() - 2));
}

// Reports the hint panel's showing, timed from the pointer's entry into the bar.
class Chrono : public QObject {
public:
    QElapsedTimer entree;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Enter && o != &HintPanel::shared())
            entree.start();
        if (o == &HintPanel::shared() && e->type() == QEvent::Show) {
            std::printf("indice %lld ms\n", entree.isValid() ? entree.elapsed() : -1LL);
            std::fflush(stdout);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Motion::reduire() = false;
    BundledFonts::register_();
    ReveriePolices::inscrire();
    Notices::revelateur() = [](const QString& f) { Application::reveler({f}, QDBusConnection::sessionBus(), qApp); };
    galerie::Galerie g;
    g.move(0, 0);
    auto* toast = new NoticeToast(&g);
    // The toast in the dark appearance, for a look at it.
    if (app.arguments().contains(QStringLiteral("--sombre")))
        toast->setPalette(g.sombre->palette());
    g.show();
    g.activateWindow();
    Chrono chrono;
    g.clair->onglets->installEventFilter(&chrono);
    HintPanel::shared().installEventFilter(&chrono);
    const bool notice = app.arguments().contains(QStringLiteral("--notice"));
    // What the screen shows just above the capsule, frame after frame, from the toast's rise
    // until the mascot has landed.
    QTimer sauts;
    QElapsedTimer depuis;
    QObject::connect(&sauts, &QTimer::timeout, &g, [&] {
        if (!toast->shown())
            return;
        if (!depuis.isValid())
            depuis.start();
        if (depuis.elapsed() > 2500) {
            sauts.stop();
            return;
        }
        const QPoint p = auDessusDuToast(toast);
        const QColor c = g.screen()->grabWindow(0, p.x(), p.y(), 1, 1).toImage().pixelColor(0, 0);
        std::printf("saut %lld %d %d %d\n", depuis.elapsed(), c.red(), c.green(), c.blue());
        std::fflush(stdout);
    });
    if (notice)
        sauts.start(15);
    if (notice)
        Notices::shared().success(QStringLiteral("Conversion terminée"), QStringLiteral("Photo de vacances.jpg"),
                                  QStringLiteral("/tmp/Photo de vacances.jpg"));
    // With a notice, once the toast has risen and the mascot has landed from its celebration.
    QTimer::singleShot(notice ? 3000 : 600, &g, [&] {
        for (auto [nom, c] : {std::pair{"clair", g.clair}, std::pair{"sombre", g.sombre}}) {
            c->onglets->stabiliser();
            c->plein->stabiliser();
            const QRectF pill = c->onglets->pilule().value_or(QRectF());
            sonde(qPrintable(QStringLiteral("%1-pilule").arg(nom)), c->onglets, QPointF(pill.left() + 8, pill.center().y()));
            sonde(qPrintable(QStringLiteral("%1-bouton").arg(nom)), c->plein, QPointF(9, c->plein->height() / 2.0));
            sonde(qPrintable(QStringLiteral("%1-ciel-debut").arg(nom)), c->ciel, QPointF(2, 2));
            sonde(qPrintable(QStringLiteral("%1-ciel-fin").arg(nom)), c->ciel, QPointF(c->ciel->width() - 3, c->ciel->height() - 3));
            // The sky frame: its very corner shows the column behind, its edge middle the sky.
            sonde(qPrintable(QStringLiteral("%1-encadre-coin").arg(nom)), c->encadre, QPointF(1, 1));
            sonde(qPrintable(QStringLiteral("%1-encadre-bord").arg(nom)), c->encadre, QPointF(c->encadre->width() / 2.0, 1));
            sonde(qPrintable(QStringLiteral("%1-derriere-encadre").arg(nom)), c->encadre, QPointF(1, -4));
            cadre(QStringLiteral("%1-pilule-reverie").arg(nom), c->pilule);
            // A filled child reaching the edges: its corner stays behind the rounding.
            sonde(qPrintable(QStringLiteral("%1-plein-coin").arg(nom)), c->encadrePlein, QPointF(1, 1));
            sonde(qPrintable(QStringLiteral("%1-plein-bord").arg(nom)), c->encadrePlein, QPointF(c->encadrePlein->width() / 2.0, 1));
            sonde(qPrintable(QStringLiteral("%1-derriere-plein").arg(nom)), c->encadrePlein, QPointF(1, -4));
            // What screen readers must not meet, and the field they must read by its title.
            for (int i = 0; i < c->mascottes.size(); ++i) {
                Rezuz* r = c->mascottes[i];
                cadre(QStringLiteral("mascotte-%1-%2").arg(nom).arg(i), r);
                cadre(QStringLiteral("calque-%1-%2").arg(nom).arg(i), r, r->rect().marginsAdded(r->debord()));
            }
            cadre(QStringLiteral("%1-champ").arg(nom), c->champ->editeur());
        }
        if (toast->shown()) {
            cadre(QStringLiteral("toast"), toast, toast->capsule());
            const QPoint dessus = auDessusDuToast(toast);
            std::printf("sonde toast-saut %d %d\n", dessus.x(), dessus.y());
            const QRect m = toast->mascotte().geometry();
            sonde("toast-mascotte", toast, QPointF(m.center().x() + 0.5, m.bottom() - 5));
            sonde("toast-mascotte-centre", toast, QPointF(m.center().x() + 0.5, m.center().y() + 0.5));
            sonde("toast-fermer-centre", toast, QPointF(toast->closeButton()->geometry().center()));
        }
        cadre(QStringLiteral("barre"), g.clair->onglets);
        sonde("clair-reverie-son", g.clair->reverie, g.clair->reverie->caseA(2).center());
        const QRectF deuxieme = PillTabBar::cases(4, QSizeF(g.clair->onglets->size()))[2];
        sonde("onglet", g.clair->onglets, deuxieme.center());
        std::printf("pret\n");
        std::fflush(stdout);
        (void)toast;
    });
    return app.exec();
}
