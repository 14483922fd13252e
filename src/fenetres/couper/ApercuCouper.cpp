#include "fenetres/couper/ApercuCouper.h"

#include "fenetres/commun/Chiffres.h"
#include "fenetres/commun/Couleurs.h"
#include "fenetres/couper/modele/ImageDuLecteur.h"
#include "fenetres/couper/modele/ImageExacte.h"
#include "fenetres/couper/MascotteEcoute.h"
#include "fenetres/couper/modele/Passage.h"
#include "fenetres/couper/VueCouper.h"
#include "roue/Effets.h"
#include "roue/Symboles.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVideoFrame>
#include <QVideoSink>
#include <cmath>

namespace {

constexpr double diametreBouton = 58, diametreFace = MascotteEcoute::diametre, espace = 22;

QPainterPath ellipse(const QRectF& r)
{
    QPainterPath p;
    p.addEllipse(r);
    return p;
}


} // namespace

const Chiffres& chiffresTemps()
{
    static const Chiffres c(12.5);
    return c;
}

BoutonLecture::BoutonLecture(bool video, QWidget* parent) : BoutonClavier(parent)
{
    setCursor(Qt::PointingHandCursor);
    setVideo(video);
    resize(sizeHint());
}

void BoutonLecture::setVideo(bool video)
{
    setToolTip(video ? tr("Lire le passage choisi (espace)") : tr("Écouter le passage choisi (espace)"));
    setAccessibleName(video ? tr("Lire le passage") : tr("Écouter le passage"));
}

void BoutonLecture::setLit(bool lit)
{
    if (lit == lit_)
        return;
    lit_ = lit;
    update();
}

QRectF BoutonLecture::cercle() const { return {8, 6, diametreBouton, diametreBouton}; }

bool BoutonLecture::hitButton(const QPoint& p) const { return ellipse(cercle()).contains(p); }

void BoutonLecture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF c = cercle();
    Roue::Effets::dessiner(p, {ellipse(c), 0, QColor(0, 0, 0, 51), 4.5, {}}, QPointF(0, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, isDown() ? 200 : 230));
    p.drawEllipse(c);
    const double dpr = devicePixelRatioF();
    const QImage s = Symboles::image(lit_ ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"), 20,
                                     Couleurs::encre(), dpr);
    // The play triangle looks centred a little right of the circle's centre.
    Roue::Effets::dessinerImage(p, c.center() - QPointF(lit_ ? 10 : 9, 10), s);
    peindreAnneau(p, ellipse(c));
}

ApercuCouper::ApercuCouper(Passage& passage, bool reduire, QWidget* parent)
    : QWidget(parent), p_(passage), reduire_(reduire)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    bouton_ = new BoutonLecture(passage.video(), this);
    connect(bouton_, &QAbstractButton::clicked, &passage, &Passage::basculer);
    if (passage.video())
        montrerVideo();
    else
        montrerSon();
    // A movie found without pictures once loaded is shown as a sound.
    connect(&passage, &Passage::prepare, this, [this] {
        if (sink_ && !p_.video())
            montrerSon();
    });
    connect(&passage, &Passage::change, this, &ApercuCouper::majEtat);
    majEtat();
}

void ApercuCouper::montrerVideo()
{
    setFixedHeight(250);
    sink_ = new QVideoSink(this);
    connect(sink_, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& f) {
        if (tenue_ && !p_.lit())
            return;  // the player's seek may land near the time; the exact picture stays
        image_ = p_.orientation().appliquer(imageDuLecteur(f, p_.yuv444()));
        update();
    });
    p_.lecteur().afficher(sink_);
    // The handles' pictures are decoded here with no tolerance: the player alone may
    // show a frame beside the one at the handle.
    exacte_ = new ImageExacte(p_.url(), QSize(1200, 500), this);
    connect(&p_, &Passage::tenu, exacte_, &ImageExacte::demander);
    connect(exacte_, &ImageExacte::prete, this, [this](double, const QImage& image) {
        if (image.isNull() || p_.lit())
            return;
        tenue_ = true;
        image_ = image;
        update();
    });
}

void ApercuCouper::montrerSon()
{
    if (sink_) {
        p_.lecteur().afficher(nullptr);
        delete exacte_;
        delete sink_;
        exacte_ = nullptr;
        sink_ = nullptr;
        image_ = {};
        tenue_ = false;
    }
    bouton_->setVideo(false);
    setFixedHeight(130);
    face_ = new MascotteEcoute(this);
    face_->show();
    majEtat();
    poser();
    update();
}

void ApercuCouper::majEtat()
{
    if (p_.lit())
        tenue_ = false;
    bouton_->setLit(p_.lit());
    if (face_)
        face_->setEcoute(p_.lit(), reduire_);
    const QString texte = VueCouper::minutes(p_.pos(), true);
    if (texte != position_) {
        const QRect avant = pilule();
        position_ = texte;
        update(avant.united(pilule()));
    }
}

QRect ApercuCouper::pilule() const
{
    const int w = int(std::ceil(chiffresTemps().largeur(position_))) + 18;
    return {10, height() - 10 - 24, w, 24};
}

void ApercuCouper::resizeEvent(QResizeEvent*) { poser(); }

void ApercuCouper::poser()
{
    const double total = diametreBouton + (face_ ? diametreFace + espace : 0);
    const double x = (width() - total) / 2, y = height() / 2.0;
    if (face_)
        face_->move(qRound(x + diametreFace / 2 - face_->width() / 2.0), qRound(y - MascotteEcoute::centreY));
    const double cx = x + (face_ ? diametreFace + espace : 0) + diametreBouton / 2;
    bouton_->move(qRound(cx - 37), qRound(y - 35));
    if (!face_ || size().isEmpty())
        return;
    // The sky, painted once for this size.
    const double dpr = devicePixelRatioF();
    QImage ciel((size() * dpr), QImage::Format_ARGB32_Premultiplied);
    ciel.setDevicePixelRatio(dpr);
    QPainter p(&ciel);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = width(), h = height();
    QLinearGradient fond(0, 0, w, h);
    fond.setStops({{0, QColor(226, 240, 190)}, {0.55, QColor(246, 240, 214)}, {1, QColor(204, 235, 238)}});
    p.fillRect(rect(), fond);
    // Two soft white clouds, given by their centres and sizes.
    const auto nuage = [](QPointF centre, double largeur, double hauteur) {
        return ellipse(QRectF(centre.x() - largeur / 2, centre.y() - hauteur / 2, largeur, hauteur));
    };
    Roue::Effets::dessiner(p, {nuage({0.2 * w - 60, 35}, 0.4 * w, 150), 0, QColor(255, 255, 255, 184), 14, {}});
    Roue::Effets::dessiner(p, {nuage({0.67 * w, h - 5}, 0.34 * w, 130), 0, QColor(255, 255, 255, 153), 15, {}});
    p.end();
    ciel_ = QPixmap::fromImage(ciel);
    face_->setFond(&ciel_);
}

void ApercuCouper::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The rounded clip costs more than the rest: only where a corner is repainted (the
    // face's sway repaints the middle alone, twenty times a second).
    if (!rect().adjusted(12, 12, -12, -12).contains(e->rect())) {
        QPainterPath bord;
        bord.addRoundedRect(QRectF(rect()), 12, 12);
        p.setClipPath(bord);
    }
    if (face_) {
        p.drawPixmap(e->rect(), ciel_, QRectF(QPointF(e->rect().topLeft()) * ciel_.devicePixelRatio(),
                                              QSizeF(e->rect().size()) * ciel_.devicePixelRatio()));
    } else {
        p.fillRect(rect(), Qt::black);
        if (!image_.isNull()) {
            QSizeF s = image_.size();
            s.scale(size(), Qt::KeepAspectRatio);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRectF(QPointF((width() - s.width()) / 2, (height() - s.height()) / 2), s), image_);
        }
    }
    const QRect r = pilule();
    if (!r.intersects(e->rect()))
        return;
    p.setPen(Qt::NoPen);
    p.setBrush(Couleurs::encre(0.62));
    p.drawRoundedRect(r, 12, 12);
    p.setPen(Qt::white);
    chiffresTemps().dessiner(p, QRectF(r), Qt::AlignCenter, position_);
}
