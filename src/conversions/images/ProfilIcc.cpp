#include "conversions/images/ProfilIcc.h"

#include <array>
#include <cmath>
#include <optional>

namespace Conversions {

namespace {

quint32 mot32(const QByteArray& o, qsizetype p)
{
    const auto* d = reinterpret_cast<const unsigned char*>(o.constData()) + p;
    return (quint32(d[0]) << 24) | (quint32(d[1]) << 16) | (quint32(d[2]) << 8) | d[3];
}

// The XYZ value of a tag ('rXYZ', …), read from the tag table with every bound checked.
std::optional<std::array<double, 3>> xyz(const QByteArray& icc, const char* signature)
{
    const qsizetype n = icc.size();
    const quint32 tags = mot32(icc, 128);
    for (quint32 i = 0; i < tags && 132 + 12 * qsizetype(i) + 12 <= n; ++i) {
        const qsizetype entree = 132 + 12 * qsizetype(i);
        if (icc.mid(entree, 4) != QByteArray(signature, 4))
            continue;
        const quint32 debut = mot32(icc, entree + 4);
        if (debut > quint32(n) || n - debut < 20 || icc.mid(debut, 4) != "XYZ ")
            return std::nullopt;
        std::array<double, 3> v{};
        for (int k = 0; k < 3; ++k)
            v[size_t(k)] = static_cast<qint32>(mot32(icc, debut + 8 + 4 * k)) / 65536.0;
        return v;
    }
    return std::nullopt;
}

} // namespace

bool horsSrgb(const QByteArray& icc)
{
    if (icc.size() < 132)
        return false;
    const QByteArray espace = icc.mid(16, 4);
    if (espace == "CMYK")
        return true;
    if (espace != "RGB ")
        return false;
    // sRGB's primaries adapted to D50, as every sRGB profile stores them.
    constexpr std::array<std::array<double, 3>, 3> srgb{{{0.4361, 0.2225, 0.0139},
                                                         {0.3851, 0.7169, 0.0971},
                                                         {0.1431, 0.0606, 0.7141}}};
    const char* signatures[] = {"rXYZ", "gXYZ", "bXYZ"};
    for (size_t c = 0; c < 3; ++c) {
        const auto v = xyz(icc, signatures[c]);
        if (!v)
            return false;  // no matrix (a table-based profile): leave it to the viewer
        for (size_t k = 0; k < 3; ++k)
            if (std::abs((*v)[k] - srgb[c][k]) > 0.01)
                return true;
    }
    return false;
}

} // namespace Conversions
