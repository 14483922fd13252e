#include "tesselui/Animateur.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Below these a spring is at rest (units of the value and of the value per second).
constexpr double ecartRepos = 1e-3;
constexpr double vitesseRepos = 1e-2;
// Longest integration step of a spring: small enough to stay stable for stiff springs.
constexpr double pasMax = 1.0 / 600;

} // namespace

double progression(Courbe c, double u)
{
    if (!(u > 0))
        return 0;
    if (u >= 1)
        return 1;
    // Control points: ease-in (0.42, 0), ease-out (0.58, 1), ease-in-out both.
    const double x1 = c == Courbe::easeOut ? 0 : 0.42, x2 = c == Courbe::easeIn ? 1 : 0.58;
    const double y1 = 0, y2 = 1;
    const auto bezier = [](double a, double b, double t) {
        const double s = 1 - t;
        return 3 * s * s * t * a + 3 * s * t * t * b + t * t * t;
    };
    // Find t with x(t) = u by bisection: x is monotonic on [0, 1].
    double bas = 0, haut = 1, t = u;
    for (int i = 0; i < 40; ++i) {
        t = (bas + haut) / 2;
        (bezier(x1, x2, t) < u ? bas : haut) = t;
    }
    return bezier(y1, y2, t);
}

Valeur::Valeur(double v) : valeur_(v), cible_(v) {}

Valeur::~Valeur()
{
    if (animateur_)
        animateur_->retirer(this);
}

void Valeur::fixer(double v)
{
    valeur_ = cible_ = v;
    vitesse_ = 0;
    mode_ = Mode::repos;
    if (animateur_)
        animateur_->retirer(this);
}

void Valeur::aller(double cible, const Mouvement& m, Animateur& animateur)
{
    switch (m.genre) {
    case Mouvement::Genre::immediat:
        fixer(cible);
        return;
    case Mouvement::Genre::ressort:
        if (mode_ == Mode::ressort && cible == cible_)
            return;
        if (mode_ != Mode::ressort && mode_ != Mode::repos)
            vitesse_ = 0;
        if (mode_ == Mode::repos && cible == valeur_)
            return;
        ressort_ = m.ressort;
        mode_ = Mode::ressort;
        break;
    case Mouvement::Genre::fondu:
        if (mode_ == Mode::fondu && cible == cible_)
            return;
        if (mode_ == Mode::repos && cible == valeur_)
            return;
        fondu_ = m.fondu;
        depart_ = valeur_;
        temps_ = 0;
        vitesse_ = 0;
        mode_ = Mode::fondu;
        break;
    }
    cible_ = cible;
    confier(animateur);
}

void Valeur::jouer(const QList<Cle>& cles, Animateur& animateur)
{
    if (cles.isEmpty())
        return;
    cles_ = cles;
    depart_ = valeur_;
    cible_ = cles.last().valeur;
    temps_ = 0;
    vitesse_ = 0;
    mode_ = Mode::cles;
    confier(animateur);
}

void Valeur::confier(Animateur& animateur)
{
    if (animateur_ && animateur_ != &animateur)
        animateur_->retirer(this);
    animateur.ajouter(this);
}

bool Valeur::avancer(double dt)
{
    bool encore = false;
    switch (mode_) {
    case Mode::repos:
        return false;
    case Mode::ressort:
        encore = avancerRessort(dt);
        break;
    case Mode::fondu:
        encore = avancerFondu(dt);
        break;
    case Mode::cles:
        encore = avancerCles(dt);
        break;
    }
    if (!encore) {
        valeur_ = cible_;
        vitesse_ = 0;
        mode_ = Mode::repos;
    }
    return encore;
}

bool Valeur::avancerRessort(double dt)
{
    // Unit mass: stiffness (2π / response)², damping 4π · fraction / response.
    const double reponse = std::max(ressort_.reponse, 1e-3);
    const double raideur = std::pow(2 * std::numbers::pi / reponse, 2);
    const double frein = 4 * std::numbers::pi * ressort_.amortissement / reponse;
    while (dt > 0) {
        const double h = std::min(dt, pasMax);
        const double acceleration = -raideur * (valeur_ - cible_) - frein * vitesse_;
        vitesse_ += acceleration * h;
        valeur_ += vitesse_ * h;
        dt -= h;
    }
    return std::abs(valeur_ - cible_) > ecartRepos || std::abs(vitesse_) > vitesseRepos;
}

bool Valeur::avancerFondu(double dt)
{
    temps_ += dt;
    const double t = temps_ - fondu_.delai;
    if (t <= 0)
        return true;
    const double u = fondu_.duree > 0 ? t / fondu_.duree : 1;
    valeur_ = depart_ + (cible_ - depart_) * progression(fondu_.courbe, u);
    return u < 1;
}

bool Valeur::avancerCles(double dt)
{
    temps_ += dt;
    // Knots: the starting value at time 0, then each key at the end of its duration.
    QList<double> temps{0}, valeurs{depart_};
    for (const Cle& c : cles_) {
        temps.append(temps.last() + std::max(c.duree, 1e-6));
        valeurs.append(c.valeur);
    }
    if (temps_ >= temps.last())
        return false;
    int i = 0;
    while (temps_ >= temps[i + 1])
        ++i;
    // Cubic Hermite with Catmull-Rom slopes, at rest at both ends.
    const auto pente = [&](int k) {
        if (k == 0 || k == temps.size() - 1)
            return 0.0;
        return ((valeurs[k] - valeurs[k - 1]) / (temps[k] - temps[k - 1])
                + (valeurs[k + 1] - valeurs[k]) / (temps[k + 1] - temps[k])) / 2;
    };
    const double h = temps[i + 1] - temps[i];
    const double s = (temps_ - temps[i]) / h;
    const double s2 = s * s, s3 = s2 * s;
    valeur_ = (2 * s3 - 3 * s2 + 1) * valeurs[i] + (s3 - 2 * s2 + s) * h * pente(i)
            + (-2 * s3 + 3 * s2) * valeurs[i + 1] + (s3 - s2) * h * pente(i + 1);
    return true;
}

Animateur::Animateur(QObject* parent) : QObject(parent)
{
    minuterie_.setTimerType(Qt::PreciseTimer);
    minuterie_.setInterval(16);
    connect(&minuterie_, &QTimer::timeout, this, &Animateur::tic);
}

Animateur::~Animateur()
{
    for (Valeur* v : std::as_const(valeurs_))
        v->animateur_ = nullptr;
}

void Animateur::ajouter(Valeur* v)
{
    v->animateur_ = this;
    if (!valeurs_.contains(v))
        valeurs_.append(v);
    if (!minuterie_.isActive()) {
        horloge_.start();
        minuterie_.start();
    }
}

void Animateur::retirer(Valeur* v)
{
    v->animateur_ = nullptr;
    valeurs_.removeAll(v);
    if (valeurs_.isEmpty())
        minuterie_.stop();
}

void Animateur::avancer(double dt)
{
    // A copy: a value that settles leaves the list during the loop.
    const QList<Valeur*> enCours = valeurs_;
    for (Valeur* v : enCours)
        if (valeurs_.contains(v) && !v->avancer(dt))
            retirer(v);
    emit pas();
}

void Animateur::terminer()
{
    const QList<Valeur*> enCours = valeurs_;
    for (Valeur* v : enCours)
        v->fixer(v->cible());
    emit pas();
}

void Animateur::tic()
{
    // Real time elapsed, bounded so that a stalled loop does not make springs leap.
    const double dt = std::min(horloge_.restart() / 1000.0, 0.05);
    avancer(dt);
}
