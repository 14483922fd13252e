#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class Animateur;

// A spring given as the perceived duration of one oscillation (response, seconds) and the
// damping fraction (1 = critically damped, below 1 overshoots).
struct Ressort {
    double reponse;
    double amortissement;
};

// The standard timing curves, as cubic Béziers from (0, 0) to (1, 1).
enum class Courbe { easeOut, easeIn, easeInOut };
// The curve's progress at time fraction `u` (clamped to 0…1).
double progression(Courbe c, double u);

// A timed move towards the target over `duree` seconds, starting after `delai` seconds,
// along `courbe` (an ease-out unless told).
struct Fondu {
    double duree;
    double delai = 0;
    Courbe courbe = Courbe::easeOut;
};

// One cubic keyframe: reach `valeur` after `duree` seconds.
struct Cle {
    double valeur;
    double duree;
};

// How a value reaches its new target: at once, on a spring or with an ease-out.
struct Mouvement {
    enum class Genre { immediat, ressort, fondu } genre = Genre::immediat;
    Ressort ressort{0.5, 1};
    Fondu fondu{0.2, 0};

    static Mouvement immediat() { return {}; }
    static Mouvement par(Ressort r) { return {Genre::ressort, r, {}}; }
    static Mouvement par(Fondu f) { return {Genre::fondu, {}, f}; }
};

// One animated number. It moves only while registered with an animator; it unregisters
// itself when destroyed, so values may live in containers that shrink.
class Valeur {
public:
    explicit Valeur(double v = 0);
    ~Valeur();
    Valeur(const Valeur&) = delete;
    Valeur& operator=(const Valeur&) = delete;

    double valeur() const { return valeur_; }
    double vitesse() const { return vitesse_; }
    double cible() const { return cible_; }
    bool enMouvement() const { return mode_ != Mode::repos; }

    // Moves to `cible` as `m` says, through `animateur` (ignored for an immediate change).
    // A spring keeps the current velocity, so a retarget never jumps.
    void aller(double cible, const Mouvement& m, Animateur& animateur);
    void fixer(double v);
    // Plays keyframes from the current value; the target is the last key.
    void jouer(const QList<Cle>& cles, Animateur& animateur);

    // One step of `dt` seconds; false once settled.
    bool avancer(double dt);

private:
    enum class Mode { repos, ressort, fondu, cles };
    void confier(Animateur& animateur);
    bool avancerRessort(double dt);
    bool avancerFondu(double dt);
    bool avancerCles(double dt);

    double valeur_;
    double vitesse_ = 0;
    double cible_;
    Mode mode_ = Mode::repos;
    Ressort ressort_{0.5, 1};
    Fondu fondu_{0.2, 0};
    double depart_ = 0;   // value where an ease-out or the keyframes began
    double temps_ = 0;    // seconds since the ease-out or the keyframes began
    QList<Cle> cles_;
    Animateur* animateur_ = nullptr;
    friend class Animateur;
};

// Drives every moving value from one timer, which runs only while something moves: an idle
// wheel costs no wake-ups.
class Animateur : public QObject {
    Q_OBJECT
public:
    explicit Animateur(QObject* parent = nullptr);
    ~Animateur() override;

    bool actif() const { return !valeurs_.isEmpty(); }
    // Advances every moving value by `dt` seconds (the timer calls it with the real time
    // elapsed; tests call it directly).
    void avancer(double dt);
    // Settles every moving value at its target.
    void terminer();

signals:
    // After each step: repaint what depends on the values.
    void pas();

private:
    friend class Valeur;
    void ajouter(Valeur* v);
    void retirer(Valeur* v);
    void tic();

    QList<Valeur*> valeurs_;
    QTimer minuterie_;
    QElapsedTimer horloge_;
};
