#include "conversions/media/Export.h"

#include "conversions/Erreur.h"
#include "conversions/media/FFmpeg.h"

#include <QCoreApplication>
#include <algorithm>

namespace Conversions {

namespace {

using Media::Flux;
using Media::TypeDeFlux;

// H.264 in 4:2:0 wants even sides: a side of one pixel becomes two, never zero.
const QString pairs = QStringLiteral("scale=w='max(2,trunc(iw/2)*2)':h='max(2,trunc(ih/2)*2)'");
// Fits in 1280 x 720 (720 x 1280 upright), never enlarged, even sides. A side of one pixel is
// made two first: rounding it down to an even number would leave nothing.
const QString h720 = QStringLiteral(
    "scale=w='max(2,iw)':h='max(2,ih)',"
    "scale=w='if(gte(iw,ih),min(1280,iw),min(720,iw))':h='if(gte(iw,ih),min(720,ih),min(1280,ih))'"
    ":force_original_aspect_ratio=decrease:force_divisible_by=2");

QStringList cartes(const QList<Flux>& flux)
{
    QStringList l;
    for (const Flux& f : flux)
        l << QStringLiteral("-map") << QStringLiteral("0:%1").arg(f.index);
    return l;
}

// Each frame keeps its own time: a variable frame rate is not filled up with copies.
QStringList h264(const QString& filtre, const QString& crf)
{
    return {"-vf", filtre, "-c:v", "libx264", "-preset", "medium", "-crf", crf, "-pix_fmt", "yuv420p",
            "-tag:v", "avc1", "-fps_mode", "passthrough"};
}

// A lighter copy never spends more bits a second on the picture than the source did.
QStringList plafond(const Media::Sondage& s)
{
    const int64_t source = s.debitVideo();
    if (source <= 0)
        return {};
    const int64_t max = std::max<int64_t>(source * 7 / 10, 16000);
    return {"-maxrate", QString::number(max), "-bufsize", QString::number(max * 2)};
}

QStringList aac(const QString& debit) { return {"-c:a", "aac", "-b:a", debit}; }

Export son(const Media::Sondage& s, const QString& base, const QString& nom)
{
    const QList<Flux> sons = s.de(TypeDeFlux::son);
    if (sons.isEmpty())
        throw Erreur::sansSon(nom);
    QStringList a = cartes({sons.first()});
    a << "-vn";
    const bool tel = sons.first().codec == Media::codecAAC();
    if (tel)
        a << "-c:a" << "copy";
    else
        a << aac("256k");
    a << "-f" << "ipod";
    return {base, QStringLiteral("m4a"), a, false, tel ? sons.first().index : -1};
}

// The first picture and every sound track.
Export leger(const Media::Sondage& s, const QString& base)
{
    const QList<Flux> images = s.de(TypeDeFlux::video);
    const QList<Flux> sons = s.de(TypeDeFlux::son);
    QList<Flux> gardes = sons;
    if (!images.isEmpty())
        gardes.prepend(images.first());
    QStringList a = cartes(gardes);
    if (!images.isEmpty())
        a << h264(h720, "23") << plafond(s);
    if (!sons.isEmpty())
        a << aac("128k");
    a << "-movflags" << "+faststart" << "-f" << "mp4";
    const QString nomLeger = QCoreApplication::translate("Conversions", "%1 (légère)").arg(base);
    return {nomLeger, QStringLiteral("mp4"), a, false};
}

// Every moving picture and sound stream, copied when the container takes them all
// (and `copier` still allows it).
Export copie(const Media::Sondage& s, const QString& base, const QString& extension, const char* conteneur,
             bool copier)
{
    const QList<Flux> gardes = s.de(TypeDeFlux::video) + s.de(TypeDeFlux::son);
    const bool tels = copier && std::all_of(gardes.begin(), gardes.end(), [&](const Flux& f) {
        return Media::conteneurAccepte(conteneur, f.codec);
    });
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
    return {base, extension, a, tels};
}

} // namespace

QStringList h264AuxCotesPairs(const QString& crf)
{
    return h264(pairs, crf);
}

Export planExport(const Media::Sondage& sondage, const QString& id, const QString& base, const QString& nom,
                  bool copier)
{
    if (sondage.de(TypeDeFlux::video).isEmpty() && sondage.de(TypeDeFlux::son).isEmpty())
        throw Erreur::lecture(nom);
    if (id == QLatin1String("m4a"))
        return son(sondage, base, nom);
    // Every other target is a video: a file of sound alone has no picture to give it.
    if (sondage.de(TypeDeFlux::video).isEmpty())
        throw sansImage(nom);
    if (id == QLatin1String("leger"))
        return leger(sondage, base);
    if (id == QLatin1String("mov"))
        return copie(sondage, base, id, "mov", copier);
    return copie(sondage, base, id, "mp4", copier);
}

} // namespace Conversions
