#include "conversions/media/Export.h"

#include "conversions/Erreur.h"

#include <QCoreApplication>
#include <algorithm>

namespace Conversions {

namespace {

using Media::Flux;
using Media::TypeDeFlux;

const QString pairs = QStringLiteral("scale=trunc(iw/2)*2:trunc(ih/2)*2");
// Fits in 1280 x 720 (720 x 1280 upright), never enlarged, even sides.
const QString h720 = QStringLiteral(
    "scale=w='if(gte(iw,ih),min(1280,iw),min(720,iw))':h='if(gte(iw,ih),min(720,ih),min(1280,ih))'"
    ":force_original_aspect_ratio=decrease:force_divisible_by=2");

QStringList cartes(const QList<Flux>& flux)
{
    QStringList l;
    for (const Flux& f : flux)
        l << QStringLiteral("-map") << QStringLiteral("0:%1").arg(f.index);
    return l;
}

QStringList h264(const QString& filtre, const QString& crf)
{
    return {"-vf", filtre, "-c:v", "libx264", "-preset", "medium", "-crf", crf, "-pix_fmt", "yuv420p",
            "-tag:v", "avc1"};
}

QStringList aac(const QString& debit) { return {"-c:a", "aac", "-b:a", debit}; }

Export son(const Media::Sondage& s, const QString& base, const QString& nom)
{
    const QList<Flux> sons = s.de(TypeDeFlux::son);
    if (sons.isEmpty())
        throw Erreur::sansSon(nom);
    QStringList a = cartes({sons.first()});
    a << "-vn";
    if (sons.first().codec == Media::codecAAC())
        a << "-c:a" << "copy";
    else
        a << aac("256k");
    a << "-f" << "ipod";
    return {base, QStringLiteral("m4a"), a};
}

Export leger(const Media::Sondage& s, const QString& base)
{
    const QList<Flux> images = s.de(TypeDeFlux::video);
    const QList<Flux> sons = s.de(TypeDeFlux::son);
    QList<Flux> gardes;
    if (!images.isEmpty())
        gardes << images.first();
    if (!sons.isEmpty())
        gardes << sons.first();
    QStringList a = cartes(gardes);
    if (!images.isEmpty())
        a << h264(h720, "23");
    if (!sons.isEmpty())
        a << aac("128k");
    a << "-movflags" << "+faststart" << "-f" << "mp4";
    const QString nomLeger = QCoreApplication::translate("Conversions", "%1 (légère)").arg(base);
    return {nomLeger, QStringLiteral("mp4"), a};
}

// Every moving picture and sound stream, copied when the container takes them all.
Export copie(const Media::Sondage& s, const QString& base, const QString& extension, const char* conteneur)
{
    const QList<Flux> gardes = s.de(TypeDeFlux::video) + s.de(TypeDeFlux::son);
    const bool tels = std::all_of(gardes.begin(), gardes.end(),
                                  [&](const Flux& f) { return Media::conteneurAccepte(conteneur, f.codec); });
    QStringList a = cartes(gardes);
    if (tels) {
        a << "-c" << "copy";
    } else {
        if (!s.de(TypeDeFlux::video).isEmpty())
            a << h264(pairs, "18");
        if (!s.de(TypeDeFlux::son).isEmpty())
            a << aac("256k");
    }
    a << "-f" << QString::fromLatin1(conteneur);
    return {base, extension, a};
}

} // namespace

Export planExport(const Media::Sondage& sondage, const QString& id, const QString& base, const QString& nom)
{
    if (sondage.de(TypeDeFlux::video).isEmpty() && sondage.de(TypeDeFlux::son).isEmpty())
        throw Erreur::lecture(nom);
    if (id == QLatin1String("m4a"))
        return son(sondage, base, nom);
    if (id == QLatin1String("leger"))
        return leger(sondage, base);
    if (id == QLatin1String("mov"))
        return copie(sondage, base, id, "mov");
    return copie(sondage, base, id, "mp4");
}

} // namespace Conversions
