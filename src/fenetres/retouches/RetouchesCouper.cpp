// The passage of a sound or video, without re-encoding.
#include "fenetres/retouches/Retouches.h"

#include "conversions/Catalogue.h"
#include "conversions/Chemins.h"
#include "conversions/Journaux.h"
#include "conversions/sorties/Sortie.h"
#include "fenetres/commun/modele/Echecs.h"
#include "fenetres/retouches/MontageMp4.h"
#include "conversions/media/FFmpeg.h"
#include "plateforme/media/Sonde.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>

namespace Retouches {

namespace {

QString secondes(double s) { return QString::asprintf("%.3f", s); }

enum class Route { export_, echantillons, paquets, ffmpeg };

Route route(const QString& extension)
{
    static const QStringList exportees = {"mov", "mp4", "m4v", "m4a", "3gp"};
    static const QStringList echantillons = {"wav", "aif", "aiff", "aifc", "caf", "flac"};
    if (exportees.contains(extension))
        return Route::export_;
    if (echantillons.contains(extension))
        return Route::echantillons;
    if (Conversions::sonsFFmpeg().contains(extension))
        return Route::paquets;
    return Route::ffmpeg;
}

// A movie without a picture track (a MOV of sound alone) is cut as a sound; one that cannot
// be probed is left to the cut's own errors.
bool aDesImages(const QString& source)
{
    const std::optional<Media::Sondage> s = Media::sonder(source);
    return !s || !s->de(Media::TypeDeFlux::video).isEmpty();
}

} // namespace

QStringList argumentsCopie(const QString& source, double de, double a, const QString& sortie)
{
    return {QStringLiteral("-ss"), secondes(de), QStringLiteral("-i"), source, QStringLiteral("-t"),
            secondes(a - de), QStringLiteral("-map"), QStringLiteral("0"), QStringLiteral("-c"),
            QStringLiteral("copy"), sortie};
}

QString couper(const QString& source, double de, double a)
{
    const QFileInfo info(source);
    if (!info.isFile() || !info.isReadable())
        throw Conversions::Erreur::lecture(info.fileName());
    de = std::max(de, 0.0);
    // An empty passage would be reported as a created file holding nothing.
    if (!std::isfinite(de) || !std::isfinite(a) || a <= de)
        throw Conversions::Erreur::rien(QCoreApplication::translate("Retouches", "Le passage choisi est vide"));

    const bool video = Conversions::genre(source) == Conversions::Genre::video && aDesImages(source);
    const QString mot = video ? QCoreApplication::translate("Retouches", "coupée")
                              : QCoreApplication::translate("Retouches", "coupé");
    const QString extension = info.suffix().toLower();
    Conversions::Sortie sortie = Conversions::Sortie::apres(source, QStringLiteral(" (") + mot + QLatin1Char(')'), extension);
    const auto rien = [](double) {};

    // A full disk met by a helper program is the output's failure too.
    sortie.remplir([&] {
        switch (route(extension)) {
        case Route::echantillons:
        case Route::paquets:
            try {
                if (route(extension) == Route::paquets)
                    couperParPaquets(source, de, a, sortie.temporaire());
                else
                    couperEchantillons(source, de, a, sortie.temporaire());
            } catch (const Conversions::Erreur& e) {
                // The message names the file the user will look for, not the hidden one.
                if (e.cas() == Conversions::Erreur::Cas::ecriture)
                    throw Conversions::Erreur::ecriture(sortie.nom());
                throw;
            }
            break;
        case Route::export_: {
            // A stream copy starts at the key frame before the passage and stops on whole
            // packets; the edit list then plays exactly the passage: from the frame shown at its
            // start to the end of the last frame that starts before its end. Only picture,
            // sound and subtitle streams: the family of MP4 holds nothing else.
            const MontageMp4::Bornes b = video ? MontageMp4::aligner(MontageMp4::images(source), de, a)
                                               : MontageMp4::Bornes{de, a};
            QStringList arguments = argumentsCopie(source, b.de, b.a, sortie.temporaire());
            // Whole microseconds at or before the frame, so that the frame itself is kept.
            arguments.replace(1, QString::asprintf("%.6f", std::floor(b.de * 1e6) / 1e6));
            arguments.replace(arguments.indexOf(QStringLiteral("-t")) + 1, QString::asprintf("%.6f", b.a - b.de + 1e-3));
            const qsizetype carte = arguments.indexOf(QStringLiteral("-map"));
            arguments.replace(carte + 1, QStringLiteral("0:v?"));
            arguments.insert(carte + 2, QStringLiteral("-map"));
            arguments.insert(carte + 3, QStringLiteral("0:a?"));
            arguments.insert(arguments.size() - 1, QStringLiteral("-movflags"));
            arguments.insert(arguments.size() - 1, QStringLiteral("+faststart"));
            Conversions::lancerFFmpeg(arguments, source, rien);
            try {
                MontageMp4::borner(sortie.temporaire(), b.a - b.de);
            } catch (const Conversions::Erreur& e) {
                Echecs::journaliser(Conversions::journalMedia(), source, e);
                throw Conversions::Erreur::ecriture(sortie.nom());
            }
            break;
        }
        case Route::ffmpeg:
            Conversions::lancerFFmpeg(argumentsCopie(source, de, a, sortie.temporaire()), source, rien);
            break;
        }
    });
    return sortie.valider();
}

} // namespace Retouches
