#include "roue/Mascotte.h"

#include "roue/Effets.h"
#include "roue/EtatRoue.h"
#include "roue/Formes.h"
#include "roue/VueRoueCouleurs.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTextLayout>
#include <cmath>
#include <numbers>

namespace Roue {

namespace {

const QColor marine(21, 26, 48);
constexpr double baisseTexte = 31;
constexpr double margeSecousse = 6;

using Couleurs::blanc;

} // namespace

Mascotte::Mascotte(const EtatRoue& etat, Animateur& animateur, QObject* parent)
    : QObject(parent), etat_(etat), animateur_(animateur)
{
    clignements_.setSingleShot(true);
    connect(&clignements_, &QTimer::timeout, this, [this] {
        if (!etat_.ouverte() || reduire_)
            return;
        clinDOeil();
        prochainClin();
    });
    connect(&etat_, &EtatRoue::change, this, &Mascotte::suivre);
    connect(&etat_, &EtatRoue::ouverteChange, this, &Mascotte::ouverture);
    connect(&etat_, &EtatRoue::faitChange, this, &Mascotte::issue);
    suivre();
    stabiliser();
}

void Mascotte::setReduire(bool reduire)
{
    reduire_ = reduire;
    if (reduire_)
        clignements_.stop();
    else if (etat_.ouverte() && !clignements_.isActive())
        prochainClin();
}

QString Mascotte::texte() const
{
    if (etat_.fait() == false && etat_.message())
        return *etat_.message();
    const auto& offre = etat_.retouche();
    if (const auto k = etat_.outil(); k && offre && *k >= 0 && *k < offre->outils.size()) {
        const Retouche::Outil& outil = offre->outils[*k];
        if (!offre->app && !Retouche::interne(outil.cle))
            return QCoreApplication::translate("Mascotte", "Avec %1").arg(offre->nom);
        return outil.phrase;
    }
    if (const auto i = etat_.survol(); i && *i >= 0 && *i < etat_.petales().size())
        return etat_.petales()[*i].annonce();
    return etat_.centre();
}

QSizeF Mascotte::regard() const
{
    const auto a = etat_.angleVise();
    if (!a || etat_.fait() || etat_.progression())
        return {0, 0};
    const double rad = *a * std::numbers::pi / 180;
    return {9 * std::sin(rad), -7 * std::cos(rad)};
}

double Mascotte::echelleYeux() const
{
    if (etat_.progression())
        return 0.14;
    if (etat_.fait() == false)
        return 0.8;
    if (clin_)
        return 0.1;
    return 1;
}

Mouvement Mascotte::fondu(double duree) const
{
    return reduire_ ? Mouvement::immediat() : Mouvement::par(Fondu{duree});
}

void Mascotte::suivre()
{
    const QSizeF g = regard();
    regardX_.aller(g.width(), fondu(0.15), animateur_);
    regardY_.aller(g.height(), fondu(0.15), animateur_);
    yeux_.aller(echelleYeux(), fondu(0.12), animateur_);
    if (const auto p = etat_.progression()) {
        // The ring appears at its value and only then moves.
        if (!anneauMontre_)
            anneau_.fixer(*p);
        else
            anneau_.aller(*p, fondu(0.15), animateur_);
        anneauMontre_ = true;
    } else {
        anneauMontre_ = false;
    }
    emit change();
}

void Mascotte::ouverture()
{
    clignements_.stop();
    if (!etat_.ouverte() || reduire_)
        return;
    // Arrival: from 0.6 at once, then to full size with a bounce on the next turn.
    arrivee_ = false;
    taille_.fixer(0.6);
    QTimer::singleShot(0, this, [this] {
        arrivee_ = true;
        taille_.aller(1, Mouvement::par(Ressort{0.5, 0.55}), animateur_);
        emit change();
    });
    prochainClin();
    emit change();
}

void Mascotte::issue()
{
    if (etat_.fait() != false || reduire_)
        return;
    ++echecs_;
    secousse_.fixer(0);
    secousse_.jouer({{-5, 0.09}, {5, 0.1}, {-3, 0.1}, {0, 0.12}}, animateur_);
    emit change();
}

void Mascotte::prochainClin()
{
    clignements_.start(int(QRandomGenerator::global()->bounded(2400, 4601)));
}

void Mascotte::clinDOeil()
{
    if (reduire_)
        return;
    clin_ = true;
    suivre();
    QTimer::singleShot(130, this, [this] {
        clin_ = false;
        suivre();
    });
}

void Mascotte::stabiliser()
{
    for (Valeur* v : {&regardX_, &regardY_, &yeux_, &secousse_, &anneau_})
        v->fixer(v->cible());
    // The arrival always ends at full size, even before its spring has been started.
    taille_.fixer(1);
    arrivee_ = true;
}

QRectF Mascotte::cadre(QPointF c) const
{
    const double demi = r + 3 + 2 + margeSecousse;
    return {c.x() - demi, c.y() - demi, 2 * demi, 2 * demi};
}

Mascotte::Texte Mascotte::miseEnPage(const QString& texte, double taille, double largeur)
{
    QString t = texte;
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Shrinks by quarter pixels down to exactly three quarters of the size.
    const double petit = taille * 0.75;
    Texte resultat;
    for (double px = taille;; px = std::max(px - 0.25, petit)) {
        resultat.police = PoliceRonde(px, QFont::Medium);
        // Laid out at the font's larger scale, where it is measured exactly.
        QTextLayout mise(t, resultat.police.grande());
        mise.setTextOption(option);
        mise.beginLayout();
        resultat.lignes.clear();
        int debutReste = -1, debutSeconde = 0;
        for (QTextLine ligne = mise.createLine(); ligne.isValid(); ligne = mise.createLine()) {
            ligne.setLineWidth(largeur * PoliceRonde::sur);
            if (resultat.lignes.size() == 2) {
                debutReste = ligne.textStart();
                break;
            }
            if (resultat.lignes.size() == 1)
                debutSeconde = ligne.textStart();
            resultat.lignes.append(t.mid(ligne.textStart(), ligne.textLength()).trimmed());
        }
        mise.endLayout();
        if (debutReste < 0)
            return resultat;
        if (px == petit) {
            // Even the smallest size needs more lines: the second one ends in an ellipsis.
            const QString reste = t.mid(debutSeconde).simplified();
            resultat.lignes[1] = resultat.police.elider(reste, largeur);
            return resultat;
        }
    }
}

void Mascotte::peindre(QPainter& p, QPointF c)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(c.x() + secousse_.valeur(), c.y());
    p.scale(taille_.valeur(), taille_.valeur());
    peindreVisage(p);
    peindreYeux(p, {0, 0});

    const QString t = texte();
    if (t != texteMisEnPage_ || miseEnPage_.lignes.isEmpty()) {
        texteMisEnPage_ = t;
        miseEnPage_ = miseEnPage(t, tailleTexte, 2 * r - 26);
    }
    const PoliceRonde& police = miseEnPage_.police;
    const double hauteurLigne = police.hauteur();
    double y = baisseTexte - hauteurLigne * miseEnPage_.lignes.size() / 2 + police.ascendante();
    p.setPen(Couleurs::encre());
    for (const QString& ligne : std::as_const(miseEnPage_.lignes)) {
        police.dessiner(p, QPointF(-police.largeur(ligne) / 2, y), ligne);
        y += hauteurLigne;
    }
    p.restore();

    if (etat_.progression())
        peindreAnneau(p, c, anneau_.valeur());
}

void Mascotte::peindreVisage(QPainter& p)
{
    // The face never changes: painted once per resolution, then copied.
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1;
    const double cote = 2 * r + 2;
    if (visage_.isNull() || dprVisage_ != dpr) {
        visage_ = QImage(int(std::ceil(cote * dpr)), int(std::ceil(cote * dpr)), QImage::Format_ARGB32_Premultiplied);
        visage_.fill(Qt::transparent);
        QPainter q(&visage_);
        q.setRenderHint(QPainter::Antialiasing);
        q.scale(dpr, dpr);
        q.translate(cote / 2, cote / 2);
        const QRectF face(-r, -r, 2 * r, 2 * r);
        q.setPen(Qt::NoPen);
        q.setBrush(Couleurs::diagonale(face, {QColor(214, 236, 165), QColor(244, 236, 198), QColor(181, 229, 234)}));
        q.drawEllipse(face);
        QRadialGradient reflet(face.left() + 0.34 * face.width(), face.top() + 0.26 * face.height(), 1.1 * r);
        reflet.setColorAt(0, blanc(0.75));
        reflet.setColorAt(1, blanc(0));
        q.setBrush(reflet);
        q.drawEllipse(face);
        q.setBrush(Qt::NoBrush);
        q.setPen(QPen(blanc(0.9), 1.5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        q.drawEllipse(face);
        dprVisage_ = dpr;
    }
    Effets::copier(p, QPointF(-cote / 2, -cote / 2), visage_, dpr);
}

void Mascotte::peindreYeux(QPainter& p, QPointF c)
{
    const bool echec = etat_.fait() == false;
    const QPointF centre = c + QPointF(regardX_.valeur(), regardY_.valeur() + (echec ? -11 : -16));
    p.save();
    p.translate(centre);
    if (etat_.fait() == true) {
        p.setPen(QPen(marine, 4.2, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        for (double x : {-d, d})
            p.drawPath(Sourire().chemin(QRectF(x - w / 2, -h / 2, w, h)));
    } else {
        p.scale(1, yeux_.valeur());
        p.setPen(Qt::NoPen);
        p.setBrush(marine);
        for (double x : {-d, d})
            p.drawRoundedRect(QRectF(x - w / 2, -h / 2, w, h), w / 2, w / 2);
    }
    p.restore();
}

void Mascotte::peindreAnneau(QPainter& p, QPointF c, double progression)
{
    const double rayon = r + 3;
    const QRectF cercle(c.x() - rayon, c.y() - rayon, 2 * rayon, 2 * rayon);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(blanc(0.15), 4));
    p.drawEllipse(cercle);
    const double fraction = std::max(std::min(progression, 1.0), 0.03);
    p.setPen(QPen(sombre_ ? QColor(Qt::white) : Couleurs::encre(), 4, Qt::SolidLine, Qt::RoundCap));
    // From the top, clockwise: Qt counts in 1/16 degree, anticlockwise from 3 o'clock.
    p.drawArc(cercle, 90 * 16, -int(std::lround(fraction * 360 * 16)));
    p.restore();
}

} // namespace Roue
