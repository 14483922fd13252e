#pragma once

#include <QPointF>
#include <optional>

// Pointer geometry of the wheel, in the drop target's coordinates: a 640 × 640 square,
// origin at its lower-left corner, y up. Angles in degrees, 0 straight up, clockwise.
namespace Roue {

inline constexpr double cote = 640;
inline constexpr QPointF centre{320, 320};
inline constexpr double anneauInterieur = 64;     // a petal needs d > 64
inline constexpr double anneauExterieur = 202;    // and d < 202 without an edit offer
inline constexpr double anneauAvecOffre = 186;    // or d < 186 with one
inline constexpr double rayonProche = 150;        // the arc stays open from here outward
inline constexpr double demiAngleProche = 56;     // within this angle of "Modifier"
inline constexpr double bandeOutilsDebut = 190;
inline constexpr double bandeOutilsFin = 280;
inline constexpr double largeurCase = 26;         // one tool slot
inline constexpr double decalageCases = 52;       // slot 0 starts this far anticlockwise

double distance(QPointF p);
// In [0, 360).
double angle(QPointF p);
// Signed angle from y to x, positive clockwise, in [-180, 180).
double angdiff(double x, double y);
// Centre angle of petal i of n.
double angleDe(int i, int n);
// The petal owning angle a among n (n ≥ 1): [i·step − step/2, i·step + step/2).
int indexAngle(double a, int n);
// The petal under a point for n petals, no edit offer.
std::optional<int> petale(QPointF sous, int nombre);
// Centre angle of tool slot k beside a "Modifier" petal at angle am.
double angleCase(int k, double am);
// The slot under angle a (may be negative or beyond the tools).
int indexCase(double a, double am);

// A point at angle a and distance r, in drop target coordinates (y up).
QPointF point(double a, double r);

} // namespace Roue
