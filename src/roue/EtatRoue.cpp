#include "roue/EtatRoue.h"

#include "plateforme/Bureau.h"
#include "roue/Geometrie.h"

#include <QCoreApplication>
#include <cmath>

namespace Roue {

namespace {

// Writes `valeur` into `champ` and announces it, only when it differs.
template <typename T, typename Signal>
void ecrire(EtatRoue* etat, T& champ, const T& valeur, Signal signal)
{
    if (champ == valeur)
        return;
    champ = valeur;
    emit(etat->*signal)();
    emit etat->change();
}

} // namespace

EtatRoue::EtatRoue(QObject* parent)
    : QObject(parent), tapotement(&Bureau::tapoter),
      centre_(QCoreApplication::translate("Roue", "Glissez ici"))
{
}

void EtatRoue::setPetales(const QList<Conversions::Petale>& v) { ecrire(this, petales_, v, &EtatRoue::petalesChange); }
void EtatRoue::setSurvol(std::optional<int> v) { ecrire(this, survol_, v, &EtatRoue::survolChange); }
void EtatRoue::setOutil(std::optional<int> v) { ecrire(this, outil_, v, &EtatRoue::outilChange); }
void EtatRoue::setPanneau(bool v) { ecrire(this, panneau_, v, &EtatRoue::panneauChange); }
void EtatRoue::setRetouche(const std::optional<Retouche>& v) { ecrire(this, retouche_, v, &EtatRoue::retoucheChange); }
void EtatRoue::setCentre(const QString& v) { ecrire(this, centre_, v, &EtatRoue::centreChange); }
void EtatRoue::setOuverte(bool v) { ecrire(this, ouverte_, v, &EtatRoue::ouverteChange); }
void EtatRoue::setFait(std::optional<bool> v) { ecrire(this, fait_, v, &EtatRoue::faitChange); }
void EtatRoue::setMessage(const std::optional<QString>& v) { ecrire(this, message_, v, &EtatRoue::messageChange); }
void EtatRoue::setProgression(std::optional<double> v)
{
    ecrire(this, progression_, v, &EtatRoue::progressionChange);
}
void EtatRoue::setTravail(std::optional<QUuid> v) { travail_ = v; }

std::optional<int> EtatRoue::indexModifier() const
{
    for (qsizetype i = 0; i < petales_.size(); ++i)
        if (petales_[i].id == QLatin1String("modifier"))
            return static_cast<int>(i);
    return std::nullopt;
}

std::optional<double> EtatRoue::angleModifier() const
{
    const auto i = indexModifier();
    if (!i)
        return std::nullopt;
    return Roue::angleDe(*i, static_cast<int>(petales_.size()));
}

std::optional<double> EtatRoue::angleVise() const
{
    const auto am = angleModifier();
    if (outil_ && am)
        return Roue::angleCase(*outil_, *am);
    if (survol_)
        return Roue::angleDe(*survol_, static_cast<int>(petales_.size()));
    return std::nullopt;
}

void EtatRoue::viser(QPointF p)
{
    const int n = static_cast<int>(petales_.size());
    if (n == 0) {
        setSurvol(std::nullopt);
        setOutil(std::nullopt);
        return;
    }
    const double d = Roue::distance(p);
    const double a = Roue::angle(p);
    const double limite = retouche_ ? Roue::anneauAvecOffre : Roue::anneauExterieur;
    std::optional<int> s;
    if (d > Roue::anneauInterieur && d < limite)
        s = Roue::indexAngle(a, n);

    std::optional<int> o;
    if (const auto im = indexModifier()) {
        const double am = *angleModifier();
        const bool proche = d >= Roue::rayonProche && std::abs(Roue::angdiff(a, am)) <= Roue::demiAngleProche;
        bool ouvert = false;
        if (panneau_ && proche) {
            ouvert = true;
            const int k = d >= Roue::bandeOutilsDebut && d <= Roue::bandeOutilsFin ? Roue::indexCase(a, am) : -1;
            if (k >= 0 && retouche_ && k < retouche_->outils.size()) {
                o = k;
                s.reset();
            } else if (s != im) {
                // Inside the near zone of an open arc only "Modifier" itself is hovered.
                s.reset();
            }
        } else {
            ouvert = s == im;
        }
        setPanneau(ouvert);
    }

    if (s == survol_ && o == outil_)
        return;
    setSurvol(s);
    setOutil(o);
    if ((s || o) && tapotement)
        tapotement();
}

} // namespace Roue
