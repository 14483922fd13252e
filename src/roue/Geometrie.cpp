#include "roue/Geometrie.h"

#include <cmath>
#include <numbers>

namespace Roue {

double distance(QPointF p) { return std::hypot(p.x() - centre.x(), p.y() - centre.y()); }

double angle(QPointF p)
{
    const double a = std::atan2(p.x() - centre.x(), p.y() - centre.y()) * 180.0 / std::numbers::pi;
    return a < 0 ? a + 360.0 : a;
}

double angdiff(double x, double y) { return std::fmod(std::fmod(x - y, 360.0) + 540.0, 360.0) - 180.0; }

double angleDe(int i, int n) { return 360.0 / (n < 1 ? 1 : n) * i; }

int indexAngle(double a, int n)
{
    const double pas = 360.0 / (n < 1 ? 1 : n);
    return static_cast<int>(std::fmod(a + pas / 2, 360.0) / pas) % (n < 1 ? 1 : n);
}

std::optional<int> petale(QPointF sous, int nombre)
{
    if (nombre < 1)
        return std::nullopt;
    const double d = distance(sous);
    if (!(d > anneauInterieur && d < anneauExterieur))
        return std::nullopt;
    return indexAngle(angle(sous), nombre);
}

double angleCase(int k, double am) { return (k + 0.5) * largeurCase + am - decalageCases; }

int indexCase(double a, double am)
{
    return static_cast<int>(std::floor(angdiff(a, am - decalageCases) / largeurCase));
}

QPointF point(double a, double r)
{
    const double rad = a * std::numbers::pi / 180.0;
    return {centre.x() + r * std::sin(rad), centre.y() + r * std::cos(rad)};
}

} // namespace Roue
