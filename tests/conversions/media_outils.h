#pragma once

// Makers of media inputs and ffmpeg's readings of what the engine wrote, shared by the
// sound, video and GIF tests.

#include "essais_outils.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using namespace essais;

inline const QStringList x264{"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"};

inline QJsonObject premierFlux(const QJsonObject& s) { return s.value("streams").toArray().first().toObject(); }
inline double duree(const QJsonObject& s) { return s.value("format").toObject().value("duration").toString().toDouble(); }

// Runs ffmpeg quietly with `arguments` and the output `chemin`; true when it made it.
inline bool ffmpeg(const QStringList& arguments, const QString& chemin)
{
    QString sortie;
    const int code = executer("ffmpeg", QStringList{"-v", "error", "-y", "-nostdin"} + arguments + QStringList{chemin}, &sortie);
    EXPECT_EQ(code, 0) << sortie.toStdString();
    return code == 0 && QFile::exists(chemin);
}

// A test picture (and a noise when `son`) of `secondes`, encoded by `codecs`.
inline QString clip(const QString& chemin, const QString& taille, double secondes, bool son, const QStringList& codecs = {})
{
    const QString d = QString::number(secondes);
    QStringList a{"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1:rate=10:duration=%2").arg(taille, d)};
    if (son)
        a << "-f" << "lavfi" << "-i" << QStringLiteral("anoisesrc=sample_rate=44100:amplitude=0.3:duration=%1").arg(d)
          << "-ac" << "2";
    ffmpeg(a + codecs + QStringList{"-shortest"}, chemin);
    return chemin;
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
    executer("ffprobe", QStringList{"-v", "error", "-show_streams", "-show_format", "-of", "json"} + plus + QStringList{chemin},
             &sortie);
    return QJsonDocument::fromJson(sortie.toUtf8()).object();
}

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
    executer("ffmpeg", {"-nostdin", "-v", "error", "-i", chemin, "-map", specificateur, "-c", "copy", "-f", "md5", "-"}, &texte);
    return texte.trimmed();
}

// The samples of a sound as ffmpeg decodes them, interleaved 32-bit floats.
inline std::vector<float> echantillons(const QString& chemin)
{
    const QTemporaryDir dossier;
    const QString brut = dossier.filePath("brut.f32");
    if (!ffmpeg({"-i", chemin, "-f", "f32le", "-c:a", "pcm_f32le"}, brut))
        return {};
    const QByteArray b = lire(brut);
    std::vector<float> v(static_cast<size_t>(b.size()) / sizeof(float));
    std::memcpy(v.data(), b.constData(), v.size() * sizeof(float));
    return v;
}

// The loudest peak of a sound in dB, as ffmpeg's volumedetect measures it.
inline double crete(const QString& chemin)
{
    QString sortie;
    executer("ffmpeg", {"-nostdin", "-i", chemin, "-af", "volumedetect", "-f", "null", "-"}, &sortie);
    const auto m = QRegularExpression("max_volume: (-?[0-9.]+|-inf) dB").match(sortie);
    return m.hasMatch() && m.captured(1) != "-inf" ? m.captured(1).toDouble() : -1000.0;
}

// An RF64 file of `trames` frames of silence whose sound data is a hole in the file: no room
// taken on the disk. With `present`, the file holds only that many bytes of it (a header
// that promises more than there is).
inline QString silenceCreux(const QString& chemin, int bits, int canaux, int frequence, qint64 trames,
                            qint64 present = -1)
{
    auto le = [](quint64 v, int n) {
        QByteArray b(n, '\0');
        for (int i = 0; i < n; ++i)
            b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    const int trame = canaux * bits / 8;
    const qint64 octets = trames * trame;
    QByteArray entete = "RF64" + le(0xFFFFFFFF, 4) + "WAVE";
    entete += "ds64" + le(28, 4) + le(octets + 72, 8) + le(octets, 8) + le(trames, 8) + le(0, 4);
    entete += "fmt " + le(16, 4) + le(1, 2) + le(canaux, 2) + le(frequence, 4) + le(frequence * trame, 4) + le(trame, 2)
              + le(bits, 2);
    entete += "data" + le(0xFFFFFFFF, 4);
    QFile f(chemin);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(entete) == entete.size()
                && f.resize(entete.size() + (present < 0 ? octets : present)));
    return chemin;
}

// Puts the link "ffmpeg" beside the test program, as the build does beside the app.
inline void lierFFmpeg()
{
    const QString lien = QDir(QCoreApplication::applicationDirPath()).filePath("ffmpeg");
    if (QFileInfo::exists(lien))
        return;
    QFile::link(QStandardPaths::findExecutable("ffmpeg"), lien);  // a test beside may be first
    ASSERT_TRUE(QFileInfo::exists(lien)) << "no ffmpeg on this system";
}

// Files of this process may not grow past `octets` while it lives, as on a full disk.
class DisquePlein {
public:
    explicit DisquePlein(rlim_t octets) : signal_(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &avant_);
        const rlimit r{octets, avant_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~DisquePlein()
    {
        setrlimit(RLIMIT_FSIZE, &avant_);
        std::signal(SIGXFSZ, signal_);
    }

private:
    rlimit avant_{};
    void (*signal_)(int);
};
