#include "fenetres/commun/FenetreOutil.h"

#include "fenetres/commun/Couleurs.h"
#include "fenetres/commun/modele/Memoire.h"
#include "fenetres/commun/modele/Placement.h"
#include "plateforme/Bureau.h"

#include <QCloseEvent>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

QList<FenetreOutil*>& liste()
{
    static QList<FenetreOutil*> l;
    return l;
}

constexpr double rayon = 12;

} // namespace

FenetreOutil::FenetreOutil()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      translucide_(Bureau::composition())
{
    // Chosen before the native window exists: it decides the visual.
    if (translucide_)
        setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Vemo Vododod"));
    // The light appearance whatever the desktop's.
    QPalette claire;
    claire.setColor(QPalette::Window, QColor(246, 246, 247));
    claire.setColor(QPalette::WindowText, Couleurs::encre());
    claire.setColor(QPalette::Text, Couleurs::encre());
    claire.setColor(QPalette::Base, Qt::white);
    claire.setColor(QPalette::Button, Qt::white);
    claire.setColor(QPalette::ButtonText, Couleurs::encre());
    setPalette(claire);
    setMouseTracking(true);
}

const QList<FenetreOutil*>& FenetreOutil::ouvertes() { return liste(); }

QRectF FenetreOutil::boutonFermer() { return {13, 11, 13, 13}; }

FenetreOutil* FenetreOutil::ouvrir(QSize taille, const Constructeur& construire)
{
    Memoire::preparer();
    auto* fenetre = new FenetreOutil();
    QWidget* vue = construire(fenetre);
    vue->setParent(fenetre);
    fenetre->taille_ = taille;
    fenetre->vue_ = vue;
    const QSize voulue = fenetre->tailleVoulue();
    fenetre->setFixedSize(voulue);
    vue->setGeometry(0, 0, voulue.width(), voulue.height());
    vue->installEventFilter(fenetre);
    // The view (or what it hands the keyboard to) has it when the window opens, not the first
    // button in the tab order.
    vue->setFocus(Qt::OtherFocusReason);

    const QPoint pointeur = QCursor::pos();
    std::optional<QRectF> visible;
    if (QScreen* ecran = QGuiApplication::screenAt(pointeur))
        visible = QRectF(ecran->availableGeometry());
    fenetre->move(Placement::origine(pointeur, QSizeF(voulue), visible).toPoint());

    liste().append(fenetre);
    fenetre->show();
    fenetre->raise();
    fenetre->activateWindow();
    return fenetre;
}

QSize FenetreOutil::tailleVoulue() const
{
    const int w = std::max({taille_.width(), vue_->minimumSizeHint().width(), vue_->sizeHint().width()});
    const int f = vue_->hasHeightForWidth() ? vue_->heightForWidth(w) : vue_->sizeHint().height();
    return {w, qRound(Placement::hauteur(f, taille_.height()))};
}

bool FenetreOutil::eventFilter(QObject* objet, QEvent* e)
{
    // A row of the view asks for other room: a failure appeared, a hint changed.
    if (objet == vue_ && e->type() == QEvent::LayoutRequest)
        suivreVue();
    return QWidget::eventFilter(objet, e);
}

void FenetreOutil::suivreVue()
{
    const QSize voulue = tailleVoulue();
    if (voulue == size())
        return;
    std::optional<QRectF> visible;
    if (QScreen* ecran = QGuiApplication::screenAt(geometry().center()))
        visible = QRectF(ecran->availableGeometry());
    const QRectF r = Placement::retaille(QRectF(geometry()), QSizeF(voulue), visible);
    const QSize taille(qRound(r.width()), qRound(r.height()));
    setFixedSize(taille);
    move(qRound(r.x()), qRound(r.y()));
    vue_->setGeometry(0, 0, taille.width(), taille.height());
}

void FenetreOutil::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    if (!e->isAccepted())
        return;
    liste().removeAll(this);
    // Work still running for this window holds only guarded pointers to it.
    deleteLater();
    // Once the view and its pictures are gone, and again when late work has let go of its
    // copies, their memory goes back to the system.
    QTimer::singleShot(0, qApp, &Memoire::rendre);
    QTimer::singleShot(1500, qApp, &Memoire::rendre);
}

void FenetreOutil::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath forme;
    if (translucide_) {
        // The popover's material: a light, slightly translucent pane with round corners.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(rect(), Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        forme.addRoundedRect(r, rayon, rayon);
        p.fillPath(forme, QColor(248, 248, 250, 236));
    } else {
        forme.addRect(r);
        p.fillPath(forme, QColor(246, 246, 247));
    }
    p.setPen(QPen(Couleurs::encre(0.14), 1));
    p.drawPath(forme);

    // The close button.
    const QRectF b = boutonFermer();
    p.setPen(Qt::NoPen);
    p.setBrush(surFermer_ ? QColor(237, 106, 94) : Couleurs::encre(0.14));
    p.drawEllipse(b);
    if (surFermer_) {
        p.setPen(QPen(QColor(90, 20, 14), 1.3, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = b.center();
        p.drawLine(c + QPointF(-2.6, -2.6), c + QPointF(2.6, 2.6));
        p.drawLine(c + QPointF(-2.6, 2.6), c + QPointF(2.6, -2.6));
    }
}

void FenetreOutil::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || e->position().y() >= bandeau)
        return QWidget::mousePressEvent(e);
    if (boutonFermer().adjusted(-4, -4, 4, 4).contains(e->position()))
        return;  // closes on release, as buttons do
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    prise_ = e->globalPosition().toPoint() - pos();
}

void FenetreOutil::mouseMoveEvent(QMouseEvent* e)
{
    const bool sur = boutonFermer().adjusted(-4, -4, 4, 4).contains(e->position());
    if (sur != surFermer_) {
        surFermer_ = sur;
        update(boutonFermer().adjusted(-2, -2, 2, 2).toAlignedRect());
    }
    if (prise_)
        move(e->globalPosition().toPoint() - *prise_);
}

void FenetreOutil::mouseReleaseEvent(QMouseEvent* e)
{
    const bool moved = prise_.has_value();
    prise_.reset();
    if (!moved && e->button() == Qt::LeftButton && boutonFermer().adjusted(-4, -4, 4, 4).contains(e->position()))
        close();
}
