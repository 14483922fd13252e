#include "conversions/media/FFmpeg.h"
#include "conversions/Chemins.h"
#include "conversions/sorties/Annulation.h"

#include "conversions/media/Audio.h"
#include "conversions/media/AudioSource.h"
#include "conversions/media/Chiffrement.h"
#include "conversions/media/Export.h"
#include "conversions/sorties/DossierDeTravail.h"
#include "conversions/Journaux.h"
#include "conversions/travail/Processus.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/travail/Suivi.h"
#include "plateforme/media/Echec.h"
#include "plateforme/media/LecteurAudio.h"
#include "plateforme/media/Sonde.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace Conversions {

namespace {

QString tr(const char* texte) { return QCoreApplication::translate("Conversions", texte); }

// A dropped file is untrusted: no network, no other file read through it, and only a
// plain file (a pipe or a device would keep ffmpeg waiting for ever).
QStringList garderLesEntrees(const QStringList& arguments)
{
    QStringList l;
    l.reserve(arguments.size() + 8);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("-i")) {
            if (i + 1 < arguments.size() && !Media::fichierOrdinaire(arguments[i + 1]))
                throw Erreur::lecture(nomDe(arguments[i + 1]));
            l << QStringLiteral("-protocol_whitelist") << QStringLiteral("file")
              << QStringLiteral("-format_whitelist") << QString::fromLatin1(Media::formatsSurs());
        }
        l << arguments[i];
    }
    return l;
}

// Reads both pipes until the child closes them; poll() blocks, nothing spins. ffmpeg writes
// its progress every half second, which is when `arret` is looked at.
void lire(Processus& p, Suivi& suivi, const Progression& progression, const std::atomic<bool>* arret)
{
    LecteurDeProgres lecteur;
    // The error stream first: its "Duration:" line must be read before the progress lines
    // that arrive in the same round, or a short run reports no progress at all.
    lireLesFlux(p, [&](bool erreur, const QByteArray& octets) {
        if (arret && arret->load())
            throw Annulee();  // the caller's Processus kills and reaps ffmpeg
        if (erreur)
            suivi.ajouter(octets);
        else
            lecteur.lire(octets, [&] { return suivi.dureeLue(); }, [&](double v) {
                if (progression)
                    progression(v);
            });
    });
}

// ffmpeg writes each line with its level ("-loglevel level+info"). Its own complaints come at
// the error level; the names, titles and tags it quotes come at the info level, so a title
// that reads "Error closing file" is never taken for a failure.
const QRegularExpression& niveau()
{
    static const QRegularExpression motif(QStringLiteral(
        "^((?:\\[[^\\]\\n]* @ 0x[0-9a-f]+\\] )*)\\[(panic|fatal|error|warning|info|verbose|debug|trace)\\] "));
    return motif;
}

struct Journal {
    QString brut;      // as ffmpeg wrote it, each line led by its level
    QString texte;     // the same without the levels, for our log
    QString erreurs;   // ffmpeg's own complaints (error level and above), the files' paths taken out
};

// `fichiers`: the paths given to ffmpeg, which its complaints quote.
Journal lireJournal(const QString& brut, const QStringList& fichiers)
{
    Journal j{brut, {}, {}};
    QStringList lignes = brut.split(QLatin1Char('\n'));
    QStringList erreurs;
    for (QString& l : lignes) {
        const QRegularExpressionMatch m = niveau().match(l);
        if (!m.hasMatch())
            continue;
        l = m.captured(1) + l.mid(m.capturedEnd());
        const QString n = m.captured(2);
        if (n == QLatin1String("error") || n == QLatin1String("fatal") || n == QLatin1String("panic"))
            erreurs << l;
    }
    j.texte = lignes.join(QLatin1Char('\n'));
    j.erreurs = erreurs.join(QLatin1Char('\n'));
    for (const QString& f : fichiers)
        if (!f.isEmpty())
            j.erreurs.replace(f, QStringLiteral("«»"));
    return j;
}

// A line of ffmpeg's own (no context) at the error level that starts with `debut`. Read in
// the raw log: a path may hold a line feed.
bool ditErreur(const Journal& j, const QString& debut)
{
    return (QLatin1Char('\n') + j.brut).contains(QStringLiteral("\n[error] ") + debut);
}

// ffmpeg exits 0 when only the end of its output fails to be written (an MPEG-4 file's index
// at the end, the last block at the close): what it leaves is cut short.
bool finRatee(const Journal& j, const QString& sortie)
{
    return ditErreur(j, QStringLiteral("Error writing trailer of ") + sortie + QStringLiteral(": "))
        || ditErreur(j, QStringLiteral("Error closing file ") + sortie + QStringLiteral(": "));
}

// ffmpeg names a file it could not open at the head of its complaint: "x.mkv: End of file".
bool refuse(const Journal& j, const QString& chemin)
{
    return ditErreur(j, chemin + QStringLiteral(": "));
}

QStringList entrees(const QStringList& arguments)
{
    QStringList l;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == QLatin1String("-i"))
            l << arguments[i + 1];
    return l;
}

// The file written by ffmpeg into `sortie`, or the runner's error as it came.
QString produire(const QString& source, Sortie& sortie, const QStringList& liste, const Progression& progression)
{
    QStringList arguments{QStringLiteral("-i"), source};
    arguments << liste << sortie.temporaire();
    sortie.remplir([&] { lancerFFmpeg(arguments, source, progression); });
    return sortie.valider();
}

// The sound decoded to 16 bits, as the intermediate of every ffmpeg sound conversion.
constexpr int profondeurIntermediaire = 16;

} // namespace

qint64 octetsDuWav(const QString& source)
{
    try {
        const Media::LecteurAudio lecteur(source);
        return lecteur.longueur() * lecteur.canaux() * (profondeurIntermediaire / 8);
    } catch (const Media::Echec& e) {
        journaliserSon(e);  // ffmpeg says why when it runs
        return 0;
    }
}

QStringList argumentsDeWav(const QString& source, const QString& wav, qint64 octetsAuPlus)
{
    // Past 4 GB a WAV's 32-bit sizes overflow: "auto" then writes RF64, whose sizes are 64-bit.
    QStringList l{QStringLiteral("-i"), source, QStringLiteral("-vn"), QStringLiteral("-c:a"),
                  QStringLiteral("pcm_s%1le").arg(profondeurIntermediaire), QStringLiteral("-rf64"), QStringLiteral("auto")};
    if (octetsAuPlus > 0)
        l << QStringLiteral("-fs") << QString::number(octetsAuPlus);
    return l << wav;
}

QString ffmpegDans(const QString& dossier)
{
    const QFileInfo info(QDir(dossier).filePath(QStringLiteral("ffmpeg")));
    if (!info.exists() || !info.isFile() || !info.isExecutable())
        return {};
    return info.canonicalFilePath();
}

QString ffmpeg()
{
    return ffmpegDans(QCoreApplication::applicationDirPath());
}

Erreur sansImage(const QString& nom)
{
    return Erreur::rien(tr("« %1 » n’a pas d’image").arg(nom));
}

Erreur moteurManquant()
{
    return Erreur::rien(tr("Le moteur vidéo manque dans l’app"));
}

void lancerFFmpeg(const QStringList& arguments, const QString& source, const Progression& progression,
                  const std::atomic<bool>* arret)
{
    const QString executable = ffmpeg();
    if (executable.isEmpty())
        throw moteurManquant();
    // An output stream that receives nothing (a file whose index promises what its data
    // lacks) is a failure, not a file of headers alone.
    QStringList tout{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"), QStringLiteral("-y"),
                     QStringLiteral("-nostats"), QStringLiteral("-loglevel"), QStringLiteral("level+info"),
                     QStringLiteral("-progress"), QStringLiteral("pipe:1"),
                     QStringLiteral("-abort_on"), QStringLiteral("empty_output_stream")};
    tout << garderLesEntrees(arguments);

    Suivi suivi;
    Processus p(executable, tout, Processus::Flux::tubes);
    lire(p, suivi, progression, arret);
    const int code = p.attendre();
    // Every caller names its output last.
    const QString sortie = arguments.isEmpty() ? QString() : arguments.last();
    const QStringList lues = entrees(arguments);
    const Journal journal = lireJournal(suivi.journal(), lues + QStringList{sortie});
    if (code == 0 && !finRatee(journal, sortie))
        return;

    // One message per failed run: the log and the self-test's report keep its last lines.
    qCWarning(journalFFmpeg).noquote() << journal.texte;
    signalerUnDisquePlein(QStringLiteral("ffmpeg"), journal.erreurs);
    // A failure of the writing side, whatever the system said: the output's own. ffmpeg exits 0
    // when only the end did not go, and names the output it could not open.
    if (code == 0 || refuse(journal, sortie))
        throw std::system_error(EIO, std::generic_category(), "ffmpeg");
    const QString nom = nomDe(source);
    if (journal.erreurs.contains(QLatin1String("'0:a:0'")))
        throw Erreur::sansSon(nom);
    if (journal.erreurs.contains(QLatin1String("'0:v:0'")))
        throw sansImage(nom);
    // Nothing came out of the source (an index that promises what the file does not hold), or
    // it did not even open.
    if (journal.erreurs.contains(QLatin1String("Empty output"))
        || journal.erreurs.contains(QLatin1String("Cannot determine format of input stream"))
        || std::any_of(lues.begin(), lues.end(), [&](const QString& e) { return refuse(journal, e); }))
        throw Erreur::lecture(nom);
    throw Erreur::rien(tr("Impossible de convertir « %1 »").arg(nom));
}

QString sonParFFmpeg(const QString& source, const QString& id, const Progression& progression)
{
    refuserSiChiffre(source);
    const QFileInfo info(source);
    const QString base = info.completeBaseName();
    // The intermediate of a long sound is not made when its AIFF could not be.
    if (id == QLatin1String("aiff"))
        verifierAiff(source, octetsDuWav(source));
    DossierDeTravail travail(QDir::tempPath(), QStringLiteral("son-"));

    const QString wav = travail.fichier(base + QStringLiteral(".wav"));
    lancerFFmpeg(argumentsDeWav(source, wav), source, [&](double p) { if (progression) progression(p * 0.5); });

    QString resultat = wav;
    if (id != QLatin1String("wav"))
        resultat = son(wav, id, [&](double p) { if (progression) progression(0.5 + p * 0.5); });

    Sortie sortie(info.absolutePath(), base, QFileInfo(resultat).suffix());
    sortie.remplir([&] { deplacer(resultat, sortie.temporaire()); });
    const QString cree = sortie.valider();
    if (progression)
        progression(1.0);  // a WAV has no second half to report
    return cree;
}

QString videoParFFmpeg(const QString& source, const QString& id, const Progression& progression)
{
    refuserSiChiffre(source);
    const bool sonSeul = id == QLatin1String("m4a");
    Sortie sortie = Sortie::apres(source, QString(), sonSeul ? QStringLiteral("m4a") : QStringLiteral("mp4"));
    const QStringList liste = sonSeul
        ? QStringList{"-map", "0:a:0", "-vn", "-c:a", "aac", "-b:a", "192k"}
        : QStringList{"-map", "0:v:0", "-map", "0:a:0?"} + h264AuxCotesPairs(QStringLiteral("20"))
              + QStringList{"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"};
    return produire(source, sortie, liste, progression);
}

} // namespace Conversions
