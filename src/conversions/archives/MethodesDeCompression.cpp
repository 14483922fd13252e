#include "conversions/archives/MethodesDeCompression.h"
#include "conversions/archives/RepertoireCentral.h"

#include <QFile>

namespace Conversions {

namespace {

// The methods of the format that the library does not decode, by their number.
std::optional<QString> nomDeMethode(quint32 methode)
{
    switch (methode) {
    case 1:
        return QStringLiteral("Shrink");
    case 2: case 3: case 4: case 5:
        return QStringLiteral("Reduce");
    case 6:
        return QStringLiteral("Implode");
    case 9:
        return QStringLiteral("Deflate64");
    case 10:
        return QStringLiteral("DCL Implode");
    case 93:
        return QStringLiteral("Zstandard");
    case 96:
        return QStringLiteral("JPEG");
    case 97:
        return QStringLiteral("WavPack");
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<QString> methodeNonLue(const QString& archive)
{
    QFile f(archive);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const EntreeCentrale& e : entreesCentrales(f))
        if (const std::optional<QString> nom = nomDeMethode(e.methode))
            return nom;
    return std::nullopt;
}

} // namespace Conversions
