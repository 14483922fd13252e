#include "roue/VueRoue.h"

#include "roue/TitreArc.h"

#include "roue/Effets.h"
#include "roue/EtatRoue.h"
#include "roue/Formes.h"
#include "roue/PanneauRoue.h"
#include "roue/VueRoueCouleurs.h"
#include "roue/VueRoueEtiquette.h"

#include <QCache>
#include <QPaintEvent>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <functional>

namespace Roue {

namespace {

constexpr double echellePetaleAllumee = 1.05;
constexpr double echelleOutilAllume = 1.06;

using Couleurs::attenuee;
using Couleurs::blanc;

// The mean opacity of a fill: a shadow is as dense as what casts it.
double opacite(const QBrush& b)
{
    if (const QGradient* g = b.gradient()) {
        double somme = 0;
        for (const auto& arret : g->stops())
            somme += arret.second.alphaF();
        return g->stops().isEmpty() ? 1 : somme / g->stops().size();
    }
    return b.color().alphaF();
}

// The light catch of a cell's rim: bright at the top-left of its own bounds.
QLinearGradient reflet(const QPainterPath& forme)
{
    const QRectF b = forme.boundingRect();
    QLinearGradient g(b.topLeft(), b.bottomRight());
    g.setColorAt(0, blanc(0.95));
    g.setColorAt(0.5, blanc(0.18));
    g.setColorAt(1, blanc(0.6));
    return g;
}

// What a fill looks like, as text: part of a painted cell's key.
QString cleBrosse(const QBrush& b)
{
    if (const QGradient* g = b.gradient()) {
        QString cle = QStringLiteral("g");
        if (g->type() == QGradient::LinearGradient) {
            const auto* l = static_cast<const QLinearGradient*>(g);
            cle += QStringLiteral("%1,%2,%3,%4").arg(l->start().x()).arg(l->start().y()).arg(l->finalStop().x()).arg(l->finalStop().y());
        }
        for (const auto& [position, couleur] : g->stops())
            cle += QStringLiteral(";%1:%2").arg(position).arg(couleur.rgba(), 0, 16);
        return cle;
    }
    return QString::number(b.color().rgba(), 16);
}

// Paints `dessin` as one group at `opacite`: overlapping layers must not show through each
// other while the group fades. `calque` is the group's picture, kept between frames.
void enGroupe(QPainter& p, double T, double opacite, QImage& calque, const std::function<void(QPainter&)>& dessin)
{
    if (opacite >= 1) {
        dessin(p);
        return;
    }
    if (opacite <= 0)
        return;
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1;
    const QSize taille(int(std::ceil(T * dpr)), int(std::ceil(T * dpr)));
    if (calque.size() != taille)
        calque = QImage(taille, QImage::Format_ARGB32_Premultiplied);
    calque.setDevicePixelRatio(dpr);
    calque.fill(Qt::transparent);
    {
        QPainter q(&calque);
        q.setRenderHints(p.renderHints());
        q.setTransform(p.transform());
        dessin(q);
    }
    // Unshared once painted: marking it 1:1 copies nothing.
    calque.setDevicePixelRatio(1);
    p.save();
    p.resetTransform();
    p.setOpacity(p.opacity() * opacite);
    Effets::copier(p, QPointF(0, 0), calque, dpr);
    p.restore();
}

// Pictures of cells as painted, at device resolution, keyed by all they show.
struct ImageCellule {
    QImage image;  // device pixels, marked 1:1
    QPointF origine;
    double dpr;
};

QCache<QString, ImageCellule>& cellulesPeintes()
{
    static QCache<QString, ImageCellule> c(32 * 1024);  // KiB
    return c;
}

} // namespace

struct VueRoue::Cellule {
    Galet forme;
    QBrush fond;
    bool allumee;
    QColor lueur;
    QString titre, symbole;
    QPointF lieu;  // the label's place
    double opaciteEtiquette = 1;
};

VueRoue::VueRoue(EtatRoue& etat, QWidget* parent, double T)
    : QWidget(parent), etat_(etat), T_(T), mascotte_(etat, animateur_)
{
    setFixedSize(int(T_), int(T_));
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    sombre_ = palette().color(QPalette::Window).lightness() < 128;
    mascotte_.setSombre(sombre_);
    suivreLeBureau();
    connect(&etat_, &EtatRoue::change, this, &VueRoue::suivre);
    connect(&animateur_, &Animateur::pas, this, &VueRoue::pas);
    connect(&mascotte_, &Mascotte::change, this, [this] { update(mascotte_.cadre(centre()).toAlignedRect()); });
    suivre();
    stabiliser();
}

QSize VueRoue::sizeHint() const { return {int(T_), int(T_)}; }

QPointF VueRoue::centre() const { return {T_ / 2, T_ / 2}; }

void VueRoue::setSombre(bool sombre)
{
    sombre_ = sombre;
    mascotte_.setSombre(sombre);
    update();
}

void VueRoue::setReduire(bool reduire)
{
    reduire_ = reduire;
    mascotte_.setReduire(reduire);
}

Mouvement VueRoue::ressort(double reponse, double amortissement) const
{
    return reduire_ ? Mouvement::immediat() : Mouvement::par(Ressort{reponse, amortissement});
}

double VueRoue::echellePetale(const QString& id) const
{
    const auto i = petales_.find(id);
    return i == petales_.end() ? 1 : i->second->valeur();
}

double VueRoue::echelleOutil(int k) const
{
    return k >= 0 && k < int(cellules_.size()) ? cellules_[size_t(k)]->valeur() : 1;
}

void VueRoue::suivre()
{
    // Opening: a pop from 0.55 on a spring, or only a short fade when motion is reduced.
    ouverture_.aller(etat_.ouverte() ? 1 : 0,
                     reduire_ ? Mouvement::par(Fondu{0.15}) : Mouvement::par(Ressort{0.34, 0.68}), animateur_);
    // The tab needs an offer and its petal to stand beside: without them the disc stays round
    // whatever the arc's state says.
    const bool arc = etat_.panneau() && etat_.retouche() && etat_.angleModifier();
    onglet_.aller(arc ? 1 : 0, ressort(0.42, 0.72), animateur_);
    // The tools fade in after the tab has started to grow, and out at once.
    if (arc != outilsOuverts_) {
        outilsOuverts_ = arc;
        outils_.aller(outilsOuverts_ ? 1 : 0,
                      reduire_ ? Mouvement::immediat() : Mouvement::par(Fondu{0.18, outilsOuverts_ ? 0.12 : 0}),
                      animateur_);
    }

    const auto& petales = etat_.petales();
    std::map<QString, std::unique_ptr<Valeur>> gardes;
    for (int i = 0; i < petales.size(); ++i) {
        const Conversions::Petale& petale = petales[i];
        const bool modifier = petale.id == QLatin1String("modifier");
        const bool allumee = etat_.survol() == i || (modifier && etat_.panneau());
        const double cible = allumee ? echellePetaleAllumee : 1;
        auto ancien = petales_.find(petale.id);
        std::unique_ptr<Valeur> v = ancien != petales_.end() ? std::move(ancien->second)
                                                            : std::make_unique<Valeur>(cible);
        if (ancien != petales_.end())
            petales_.erase(ancien);
        v->aller(cible, ressort(0.28, 0.62), animateur_);
        gardes.emplace(petale.id, std::move(v));
    }
    petales_ = std::move(gardes);

    const int outils = etat_.retouche() ? int(etat_.retouche()->outils.size()) : 0;
    while (int(cellules_.size()) < outils)
        cellules_.push_back(std::make_unique<Valeur>(1));
    cellules_.resize(size_t(outils));
    for (int k = 0; k < outils; ++k)
        cellules_[size_t(k)]->aller(etat_.outil() == k ? echelleOutilAllume : 1, ressort(0.25, 0.6), animateur_);
    update();
}

void VueRoue::pas()
{
    bool bouge = ouverture_.enMouvement() || onglet_.enMouvement() || outils_.enMouvement();
    for (const auto& [id, v] : petales_)
        bouge = bouge || v->enMouvement();
    for (const auto& v : cellules_)
        bouge = bouge || v->enMouvement();
    // The last step of a settling value must be painted too.
    if (bouge || bougeait_)
        update();
    else
        update(mascotte_.cadre(centre()).toAlignedRect());
    bougeait_ = bouge;
}

void VueRoue::stabiliser()
{
    for (Valeur* v : {&ouverture_, &onglet_, &outils_})
        v->fixer(v->cible());
    for (auto& [id, v] : petales_)
        v->fixer(v->cible());
    for (auto& v : cellules_)
        v->fixer(v->cible());
    mascotte_.stabiliser();
    update();
}

void VueRoue::setArrierePlan(const QPixmap& fond)
{
    if (fond.cacheKey() == cleArrierePlan_ && !fond.isNull() == !arrierePlan_.isNull())
        return;
    cleArrierePlan_ = fond.cacheKey();
    arrierePlan_ = QImage();
    if (!fond.isNull()) {
        // A strong blur: made at a quarter of a point per pixel, where it costs next to nothing.
        constexpr double reduction = 0.25;
        const QImage petit = fond.toImage()
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                 .scaled(QSize(int(T_ * reduction), int(T_ * reduction)), Qt::IgnoreAspectRatio,
                                         Qt::SmoothTransformation);
        arrierePlan_ = Effets::flouterCouleurs(petit, 20 * reduction);
    }
    update();
}

void VueRoue::paintEvent(QPaintEvent*)
{
    // The glass frosts the snapshot of the screen under the panel, or lets the window
    // manager blur behind its outline.
    if (auto* panneau = qobject_cast<PanneauRoue*>(window())) {
        setArrierePlan(panneau->fond());
        panneau->poserFlou(contourVerre());
    }
    QPainter p(this);
    peindre(p);
}

QPainterPath VueRoue::contourVerre() const
{
    const double ouverture = ouverture_.valeur();
    if (ouverture <= 0)
        return {};
    const double echelle = reduire_ ? 1 : 0.55 + 0.45 * ouverture;
    const QPointF c = centre();
    QTransform t;
    t.translate(c.x(), c.y());
    t.scale(echelle, echelle);
    t.translate(-c.x(), -c.y());
    const double e = std::max(onglet_.valeur(), 0.0);
    return t.map(FormeRoue{e, etat_.angleModifier().value_or(0), 52}.chemin(QRectF(0, 0, T_, T_)));
}

void VueRoue::peindre(QPainter& p)
{
    const double ouverture = ouverture_.valeur();
    if (ouverture <= 0)
        return;
    p.save();
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    const double echelle = reduire_ ? 1 : 0.55 + 0.45 * ouverture;
    const QPointF c = centre();
    p.translate(c);
    p.scale(echelle, echelle);
    p.translate(-c);
    enGroupe(p, T_, std::min(ouverture, 1.0), calque_, [&](QPainter& q) {
        peindreVerre(q);
        if (etat_.retouche() && etat_.angleModifier()) {
            const Retouche& offre = *etat_.retouche();
            const double am = *etat_.angleModifier();
            enGroupe(q, T_, std::clamp(outils_.valeur(), 0.0, 1.0), calqueOutils_,
                     [&](QPainter& r) { peindrePanneau(r, offre, am); });
        }
        peindrePetales(q);
        mascotte_.peindre(q, c);
    });
    p.restore();
}

void VueRoue::peindreVerre(QPainter& p)
{
    const double e = std::max(onglet_.valeur(), 0.0);
    const double am = etat_.angleModifier().value_or(0);
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1;
    // Without a tab the outline is the same circle whatever the edit petal's angle.
    const QString cle = QStringLiteral("%1|%2|%3|%4|%5|%6")
                            .arg(e).arg(e > 0.02 ? am : 0).arg(sombre_).arg(dpr).arg(T_).arg(cleArrierePlan_);
    if (cle != cleVerre_) {
        // Only the disc and what its shadow reaches (three deviations of 11, 5 lower), on
        // whole device pixels: the rest of the square stays clear and costs nothing to copy.
        const QRectF disque = FormeRoue{e, am, 52}.chemin(QRectF(0, 0, T_, T_)).boundingRect()
                                  .adjusted(-36, -36, 36, 41)
                                  .intersected(QRectF(0, 0, T_, T_));
        const QPoint coin(int(std::floor(disque.left() * dpr)), int(std::floor(disque.top() * dpr)));
        const QPoint fin(int(std::ceil(disque.right() * dpr)), int(std::ceil(disque.bottom() * dpr)));
        origineVerre_ = QPointF(coin) / dpr;
        verre_ = QImage(fin.x() - coin.x(), fin.y() - coin.y(), QImage::Format_ARGB32_Premultiplied);
        verre_.setDevicePixelRatio(dpr);
        verre_.fill(Qt::transparent);
        QPainter q(&verre_);
        q.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        q.translate(-origineVerre_);
        dessinerVerre(q, e, am);
        q.end();
        verre_.setDevicePixelRatio(1);
        cleVerre_ = cle;
        dprVerre_ = dpr;
    }
    Effets::copier(p, origineVerre_, verre_, dprVerre_);
}

void VueRoue::dessinerVerre(QPainter& p, double e, double am)
{
    const Teintes t(sombre_);
    const QRectF carre(0, 0, T_, T_);
    const QPainterPath S = FormeRoue{e, am, 52}.chemin(carre);
    // The material: what lies behind, blurred when the view has it, under a frosted tint.
    if (!arrierePlan_.isNull()) {
        p.save();
        p.setClipPath(S);
        p.drawImage(QRectF(0, 0, T_, T_), arrierePlan_);
        p.restore();
    }
    p.fillPath(S, sombre_ ? QColor(30, 31, 36, 150) : QColor(246, 247, 250, 140));
    p.fillPath(S, blanc(sombre_ ? 0.04 : 0.14));
    Effets::dessiner(p, {S, 1, attenuee(t.ombreVerre, t.contour.alphaF()), 11, {}}, {0, 5});
    p.strokePath(S, QPen(t.contour, 1));
    QLinearGradient rebord(carre.topLeft(), carre.bottomRight());
    rebord.setColorAt(0, blanc(0.95));
    rebord.setColorAt(0.45, blanc(0.15));
    rebord.setColorAt(0.75, blanc(0.05));
    rebord.setColorAt(1, blanc(0.6));
    p.strokePath(S, QPen(QBrush(rebord), 1.6));
    // Only the upper-left part of the rim glows.
    QLinearGradient masque(carre.topLeft(), carre.bottomRight());
    masque.setColorAt(0, Qt::white);
    masque.setColorAt(0.4, Qt::transparent);
    Effets::dessiner(p, {S, 7, blanc(0.55), 3, masque});
}

QBrush VueRoue::remplissage(bool allumee, bool modifier) const
{
    const QRectF carre(0, 0, T_, T_);
    if (!allumee)
        return Teintes(sombre_).fond;
    if (modifier && etat_.retouche()) {
        const auto& teinte = etat_.retouche()->teinte;
        return Couleurs::diagonale(carre, {teinte[0], teinte[1], teinte[2]});
    }
    return Couleurs::tilleulVerre(carre);
}

void VueRoue::peindreCellule(QPainter& p, const Cellule& c)
{
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1;
    const QString cle = QStringLiteral("%1,%2,%3,%4,%5|%6|%7|%8|%9")
                            .arg(c.forme.r1).arg(c.forme.r2).arg(c.forme.a0).arg(c.forme.a1).arg(c.forme.rc)
                            .arg(cleBrosse(c.fond)).arg(c.allumee).arg(c.lueur.rgba(), 0, 16).arg(c.titre)
                      + QStringLiteral("|%1|%2|%3|%4|%5").arg(c.symbole).arg(c.opaciteEtiquette).arg(sombre_).arg(dpr).arg(T_);
    // A copy: the cache may drop an entry as soon as another is put in.
    ImageCellule peinte;
    if (const ImageCellule* garde = cellulesPeintes().object(cle)) {
        peinte = *garde;
    } else {
        // On whole device pixels, so that a settled cell is copied rather than resampled.
        // The shape, its label and what its glow or shadow spreads (three deviations).
        const Teintes t(sombre_);
        const Etiquette e = Etiquette::faire(c.titre, c.symbole, c.allumee ? Couleurs::encre() : t.libelle,
                                             c.allumee ? blanc(0.5) : t.halo, dpr);
        const double marge = c.allumee ? 3 * 8 + 2 : 3 * 2 + 3;
        const QRectF large = c.forme.chemin(QRectF(0, 0, T_, T_)).boundingRect()
                                 .adjusted(-marge, -marge, marge, marge)
                                 .united(QRectF(c.lieu - e.centre, QSizeF(e.image.size()) / dpr));
        const QPointF coin(std::floor(large.left() * dpr) / dpr, std::floor(large.top() * dpr) / dpr);
        const QRectF cadre(coin, QSizeF(std::ceil((large.right() - coin.x()) * dpr) / dpr,
                                        std::ceil((large.bottom() - coin.y()) * dpr) / dpr));
        QImage im(int(std::ceil(cadre.width() * dpr)), int(std::ceil(cadre.height() * dpr)),
                  QImage::Format_ARGB32_Premultiplied);
        im.setDevicePixelRatio(dpr);
        im.fill(Qt::transparent);
        {
            QPainter q(&im);
            q.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
            q.translate(-cadre.topLeft());
            dessinerCellule(q, c);
        }
        im.setDevicePixelRatio(1);
        peinte = ImageCellule{im, cadre.topLeft(), dpr};
        cellulesPeintes().insert(cle, new ImageCellule(peinte), std::max<qsizetype>(1, im.sizeInBytes() / 1024));
    }
    Effets::copier(p, peinte.origine, peinte.image, peinte.dpr);
}

void VueRoue::dessinerCellule(QPainter& p, const Cellule& c)
{
    const Teintes t(sombre_);
    const QPainterPath forme = c.forme.chemin(QRectF(0, 0, T_, T_));
    const double densite = opacite(c.fond);
    if (c.allumee)
        Effets::dessiner(p, {forme, 0, attenuee(c.lueur, densite), 8, {}});
    else
        Effets::dessiner(p, {forme, 0, attenuee(t.ombre, densite), 2, {}}, {0, 1});
    p.fillPath(forme, c.fond);
    p.strokePath(forme, QPen(QBrush(reflet(forme)), 1.3));
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1;
    p.setOpacity(c.opaciteEtiquette);
    Etiquette::faire(c.titre, c.symbole, c.allumee ? Couleurs::encre() : t.libelle,
                     c.allumee ? blanc(0.5) : t.halo, dpr)
        .dessiner(p, c.lieu);
    p.setOpacity(1);
}

void VueRoue::peindrePetales(QPainter& p)
{
    const auto& petales = etat_.petales();
    const int n = int(petales.size());
    const double pas = 360.0 / std::max(n, 1);
    const QPointF c = centre();
    for (int i = 0; i < n; ++i) {
        const Conversions::Petale& petale = petales[i];
        const double a = i * pas;
        const bool modifier = petale.id == QLatin1String("modifier");
        const bool allumee = etat_.survol() == i || (modifier && etat_.panneau());
        const double s = echellePetale(petale.id);
        p.save();
        p.translate(c);
        p.scale(s, s);
        p.translate(-c);
        peindreCellule(p, {Galet{78, 172, a - pas / 2 + 2.9, a + pas / 2 - 2.9, 16}, remplissage(allumee, modifier),
                           allumee, modifier ? Couleurs::lueurRose() : Couleurs::lueurTilleul(), petale.titre,
                           petale.symbole, Formes::point(c, a, 125)});
        p.restore();
    }
}

void VueRoue::peindrePanneau(QPainter& p, const Retouche& offre, double am)
{
    const QPointF c = centre();
    const double b0 = am - 52;
    for (int k = 0; k < offre.outils.size(); ++k) {
        const Retouche::Outil& outil = offre.outils[k];
        const double bk = b0 + 26 * k;
        const double ck = bk + 13;
        const bool allume = etat_.outil() == k;
        const QPointF lieu = Formes::point(c, ck, 230);
        const double s = echelleOutil(k);
        p.save();
        p.translate(lieu);
        p.scale(s, s);
        p.translate(-lieu);
        const QBrush fond = allume ? QBrush(attenuee(offre.cellule, offre.app ? 1 : 0.45)) : QBrush(blanc(0.16));
        // A tool that cannot be used without the missing application looks dimmed.
        const double opaciteEtiquette = !offre.app && !Retouche::interne(outil.cle) ? 0.45 : 1;
        peindreCellule(p, {Galet{200, 260, bk + 2, bk + 24, 13}, fond, allume, Couleurs::lueurRose(), outil.titre,
                           outil.symbole, lieu, opaciteEtiquette});
        p.restore();
    }

    // The title over the arc, on a dark capsule, where it hides none of the tools.
    const QString titre = offre.etiquette();
    const PoliceRonde police(11, QFont::DemiBold);
    const QString cle = QStringLiteral("%1|%2|%3").arg(am).arg(titre).arg(T_);
    if (cle != cleCapsule_) {
        QList<QRectF> etiquettes;
        for (int k = 0; k < offre.outils.size(); ++k)
            etiquettes << Etiquette::cadre(offre.outils[k].titre, Formes::point(c, am - 52 + 26 * k + 13, 230));
        capsule_ = TitreArc::placer(T_, am, {police.largeur(titre) + 18, 18}, etiquettes);
        cleCapsule_ = cle;
    }
    const QRectF capsule = capsule_;
    const QPointF lieu = capsule.center();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(attenuee(Couleurs::encre(), 0.82));
    p.drawRoundedRect(capsule, 9, 9);
    p.setPen(Qt::white);
    police.dessiner(p, QPointF(lieu.x() - police.largeur(titre) / 2, lieu.y() - police.hauteur() / 2 + police.ascendante()),
                    titre);
    p.restore();
}

} // namespace Roue
