// The design system's gallery for the scripted checks: shows every component in light and
// dark, prints where chosen pixels are (global coordinates), and when the floating hint
// shows, how long after the pointer entered the bar.
#include "Galerie.h"
#include "application/Reveler.h"
#include "tesselreverie/ReveriePolices.h"
#include "tesselui/BundledFonts.h"
#include "tesselui/Motion.h"
#include "tesselui/BoutonAnime.h"
#include "tesselui/NoticeToast.h"

#include <QApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {

void sonde(const char* nom, QWidget* w, QPointF p)
{
    const QPoint g = w->mapToGlobal(p.toPoint());
    std::printf("sonde %s %d %d\n", nom, g.x(), g.y());
}

void cadre(const char* nom, QWidget* w)
{
    const QPoint g = w->mapToGlobal(QPoint(0, 0));
    std::printf("cadre %s %d %d %d %d\n", nom, g.x(), g.y(), w->width(), w->height());
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
    g.show();
    g.activateWindow();
    Chrono chrono;
    g.clair->onglets->installEventFilter(&chrono);
    HintPanel::shared().installEventFilter(&chrono);
    const bool notice = app.arguments().contains(QStringLiteral("--notice"));
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
            cadre(qPrintable(QStringLiteral("%1-pilule-reverie").arg(nom)), c->pilule);
        }
        if (toast->shown()) {
            cadre("toast", toast);
            const QRect m = toast->mascotte().geometry();
            sonde("toast-mascotte", toast, QPointF(m.center().x() + 0.5, m.bottom() - 5));
            sonde("toast-mascotte-centre", toast, QPointF(m.center().x() + 0.5, m.center().y() + 0.5));
            sonde("toast-fermer-centre", toast, QPointF(toast->closeButton()->geometry().center()));
        }
        cadre("barre", g.clair->onglets);
        sonde("clair-reverie-son", g.clair->reverie, g.clair->reverie->caseA(2).center());
        const QRectF deuxieme = PillTabBar::cases(4, QSizeF(g.clair->onglets->size()))[2];
        sonde("onglet", g.clair->onglets, deuxieme.center());
        std::printf("pret\n");
        std::fflush(stdout);
        (void)toast;
    });
    return app.exec();
}
