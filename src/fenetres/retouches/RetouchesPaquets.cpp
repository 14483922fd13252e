// The passage of a sound that only ffmpeg reads, copied packet by packet.
#include "fenetres/retouches/Retouches.h"

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "fenetres/commun/modele/Echecs.h"
#include "conversions/media/FFmpeg.h"
#include "fenetres/retouches/OggOpus.h"
#include "fenetres/retouches/Paquets.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Retouches {

namespace {

// Opus decoders settle over 80 ms of packets, which the header's pre-skip then drops.
constexpr double elanOpus = 0.08;
constexpr int frequenceOpus = 48000;

} // namespace

void couperParPaquets(const QString& source, double de, double a, const QString& destination)
{
    const Paquets::Liste paquets = Paquets::lister(source, QStringLiteral("0:a:0"));
    const bool opus = paquets.codec == QLatin1String("opus");
    const QList<double>& t = paquets.temps;
    // The packet where the passage starts. A Vorbis decoder gives no sound for the first
    // packet it reads: the copy starts one before.
    const auto apres = std::upper_bound(t.begin(), t.end(), (opus ? de - elanOpus : de) + 1e-9);
    qsizetype premier = std::max<qsizetype>(apres - t.begin() - 1, 0);
    if (paquets.codec == QLatin1String("vorbis") && premier > 0)
        --premier;
    QStringList arguments{QStringLiteral("-i"), source};
    // Seeking after opening keeps every packet from that one on: ffmpeg's seek before opening
    // lands on the page or packet before.
    double depuis = 0;
    if (premier > 0) {
        depuis = std::floor(t[premier] * 1e6) / 1e6;
        arguments << QStringLiteral("-ss") << QString::asprintf("%.6f", depuis);
    }
    arguments << QStringLiteral("-t") << QString::asprintf("%.6f", a - depuis) << QStringLiteral("-map")
              << QStringLiteral("0") << QStringLiteral("-c") << QStringLiteral("copy") << destination;
    Conversions::lancerFFmpeg(arguments, source, [](double) {});
    if (!opus)
        return;
    const double debut = t.isEmpty() ? 0 : t[premier];
    QFile f(destination);
    try {
        if (!f.open(QIODevice::ReadWrite))
            throw std::runtime_error("Ogg Opus : ouverture impossible");
        OggOpus::rogner(f, std::llround((de - debut) * frequenceOpus), std::llround((a - de) * frequenceOpus));
        if (!f.flush())
            throw std::runtime_error("Ogg Opus : écriture impossible");
    } catch (const std::runtime_error& e) {
        // A copy whose pages cannot be set would play more than the passage.
        Echecs::journaliser(Conversions::journalMedia(), source, e);
        throw Conversions::Erreur::ecriture(QFileInfo(destination).fileName());
    }
}

} // namespace Retouches
