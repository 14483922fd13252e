// The trim window's times and lengths: pure text, apart from the widgets.
#include "fenetres/couper/VueCouper.h"

#include <QLocale>
#include <cmath>

namespace {

// Beyond this a time has no sensible clock reading (and would overflow on rounding).
constexpr double tropGrand = 1e12;

QString inconnu() { return QStringLiteral("–:––"); }

// m:ss,d from a whole number of tenths, so that 59.97 s reads 1:00,0 and not 0:60,0.
QString avecDixiemes(long long dixiemes)
{
    return QString::asprintf("%lld:%02lld", dixiemes / 600, dixiemes % 600 / 10) + VueCouper::virgule()
           + QString::number(dixiemes % 10);
}

} // namespace

QString VueCouper::virguleDe(const QStringList& langues)
{
    // The C locale names no language: French, the application's own, stands in.
    QLocale langue(QStringLiteral("fr"));
    for (const QString& l : langues) {
        const QLocale candidate(l);
        if (candidate.language() != QLocale::C && candidate.language() != QLocale::AnyLanguage) {
            langue = candidate;
            break;
        }
    }
    const QString s = langue.decimalPoint();
    return s.isEmpty() ? QStringLiteral(",") : s;
}

const QString& VueCouper::virgule()
{
    // The user's first preferred language.
    static const QString v = virguleDe(QLocale::system().uiLanguages().mid(0, 1));
    return v;
}

QString VueCouper::minutes(double t, bool dixiemes)
{
    if (std::isnan(t) || t >= tropGrand)
        return inconnu();
    const double x = std::max(t, 0.0);
    if (dixiemes)
        return avecDixiemes(std::llround(x * 10));
    const long long s = static_cast<long long>(std::floor(x));
    return QString::asprintf("%lld:%02lld", s / 60, s % 60);
}

QString VueCouper::duree(double d)
{
    if (std::isnan(d) || d >= tropGrand)
        return inconnu();
    const long long dixiemes = std::llround(std::max(d, 0.0) * 10);
    if (dixiemes < 600)
        return QString::number(dixiemes / 10) + virgule() + QString::number(dixiemes % 10) + QStringLiteral(" s");
    return avecDixiemes(dixiemes);
}
