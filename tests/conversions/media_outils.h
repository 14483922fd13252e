#pragma once

// Makers of media inputs and outside readers of what the engine wrote, shared by the
// sound, video, GIF, archive and media-layer tests.

#include "commun/Dossier.h"
#include "conversions/Conversions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <mutex>
#include <ostream>
#include <sys/resource.h>

// Readable failures: gtest prints QStrings as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline const QStringList x264{"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"};

// Runs ffmpeg quietly with `arguments` and the output `chemin`; true when it made it.
inline bool ffmpeg(const QStringList& arguments, const QString& chemin)
{
    QString sortie;
    const int code = executer(QStringLiteral("ffmpeg"),
                              QStringList{"-v", "error", "-y", "-nostdin"} + arguments + QStringList{chemin}, &sortie);
    EXPECT_EQ(code, 0) << sortie.toStdString();
    return code == 0 && QFile::exists(chemin);
}

// A test picture (and a noise when `son`) of `secondes`, encoded by `codecs`.
inline QString clip(const QString& chemin, const QString& taille, double secondes, bool son,
                    const QStringList& codecs = {})
{
    const QString d = QString::number(secondes);
    QStringList a{"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1:rate=10:duration=%2").arg(taille, d)};
    if (son)
        a << "-f" << "lavfi" << "-i" << QStringLiteral("anoisesrc=sample_rate=44100:amplitude=0.3:duration=%1").arg(d)
          << "-ac" << "2";
    ffmpeg(a + codecs + QStringList{"-shortest"}, chemin);
    return chemin;
}

inline QByteArray contenu(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// Bytes that no reader takes for anything.
inline QByteArray bruit(int taille)
{
    QByteArray b(taille, '\0');
    for (int i = 0; i < b.size(); ++i)
        b[i] = static_cast<char>((i * 7919) % 251);
    return b;
}

// ffprobe's view of a file: {"streams": [...], "format": {...}}.
inline QJsonObject sonde(const QString& chemin, const QStringList& plus = {})
{
    QString sortie;
    executer(QStringLiteral("ffprobe"),
             QStringList{"-v", "error", "-show_streams", "-show_format", "-of", "json"} + plus + QStringList{chemin},
             &sortie);
    return QJsonDocument::fromJson(sortie.toUtf8()).object();
}

inline QJsonObject premierFlux(const QJsonObject& s) { return s.value("streams").toArray().first().toObject(); }

inline double duree(const QJsonObject& s) { return s.value("format").toObject().value("duration").toString().toDouble(); }

// The first stream of a type ("video", "audio"), or empty.
inline QJsonObject flux(const QString& chemin, const QString& type)
{
    for (const QJsonValue v : sonde(chemin).value("streams").toArray())
        if (v.toObject().value("codec_type").toString() == type)
            return v.toObject();
    return {};
}

inline QStringList codecs(const QString& chemin)
{
    QStringList l;
    for (const QJsonValue v : sonde(chemin).value("streams").toArray())
        l << v.toObject().value("codec_name").toString();
    return l;
}

// A digest of a stream's packets: equal when the stream was copied as it is.
inline QString empreinte(const QString& chemin, const QString& specificateur)
{
    QString texte;
    executer(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", chemin, "-map", specificateur, "-c", "copy",
                                        "-f", "md5", "-"}, &texte);
    return texte.trimmed();
}

// The samples of a sound as ffmpeg decodes them, interleaved 32-bit floats.
inline std::vector<float> echantillons(const QString& chemin)
{
    const QTemporaryDir dossier;
    const QString brut = dossier.filePath(QStringLiteral("brut.f32"));
    if (!ffmpeg({"-i", chemin, "-f", "f32le", "-c:a", "pcm_f32le"}, brut))
        return {};
    const QByteArray b = contenu(brut);
    std::vector<float> v(static_cast<size_t>(b.size()) / sizeof(float));
    std::memcpy(v.data(), b.constData(), v.size() * sizeof(float));
    return v;
}

// The loudest peak of a sound in dB, as ffmpeg's volumedetect measures it.
inline double crete(const QString& chemin)
{
    QString sortie;
    executer(QStringLiteral("ffmpeg"), {"-nostdin", "-i", chemin, "-af", "volumedetect", "-f", "null", "-"}, &sortie);
    const auto m = QRegularExpression(QStringLiteral("max_volume: (-?[0-9.]+|-inf) dB")).match(sortie);
    return m.hasMatch() && m.captured(1) != QLatin1String("-inf") ? m.captured(1).toDouble() : -1000.0;
}

inline QString illisible(const QString& nom) { return QStringLiteral("Impossible de lire « %1 »").arg(nom); }
inline QString inecrivable(const QString& nom) { return QStringLiteral("Impossible d’écrire « %1 »").arg(nom); }

// Converting `sources` to `cible` fails with `erreurs` and leaves the folder as it was.
inline void echoue(const Dossier& d, const QStringList& sources, const QString& cible, const QStringList& erreurs)
{
    const QStringList avant = d.noms();
    const Conversions::Resultat r = Conversions::convertir(sources, cible, {});
    EXPECT_TRUE(r.crees.isEmpty()) << r.crees.join(", ").toStdString();
    EXPECT_EQ(r.erreurs, erreurs);
    EXPECT_EQ(d.noms(), avant);
}

// Puts the link "ffmpeg" beside the test program, as the build does beside the app.
inline void lierFFmpeg()
{
    const QString lien = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ffmpeg"));
    if (QFileInfo::exists(lien))
        return;
    QFile::link(QStandardPaths::findExecutable(QStringLiteral("ffmpeg")), lien);  // a test beside may be first
    ASSERT_TRUE(QFileInfo::exists(lien)) << "no ffmpeg on this system";
}

// Every progress value, in order, from whatever thread reports it.
struct Releve {
    std::vector<double> valeurs;
    std::shared_ptr<std::mutex> verrou = std::make_shared<std::mutex>();
    Conversions::Progression fonction()
    {
        return [this](double p) {
            std::lock_guard g(*verrou);
            valeurs.push_back(p);
        };
    }
    // Never going back, never out of [0, 1].
    bool enOrdre() const
    {
        return std::is_sorted(valeurs.begin(), valeurs.end())
               && std::all_of(valeurs.begin(), valeurs.end(), [](double v) { return v >= 0 && v <= 1; });
    }
};

// Files of this process may not grow past `octets` while it lives, as on a full disk.
class DisquePlein {
public:
    explicit DisquePlein(rlim_t octets)
    {
        getrlimit(RLIMIT_FSIZE, &avant_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = avant_;
        r.rlim_cur = octets;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~DisquePlein()
    {
        setrlimit(RLIMIT_FSIZE, &avant_);
        std::signal(SIGXFSZ, signal_);
    }

private:
    rlimit avant_{};
    void (*signal_)(int) = nullptr;
};
