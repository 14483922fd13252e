#pragma once

// Makers of media inputs and outside readers of what the engine wrote, shared by the
// sound, GIF and media-layer tests.

#include "commun/Dossier.h"
#include "conversions/Conversions.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <csignal>
#include <sys/resource.h>

// Runs ffmpeg quietly with `arguments` and the output `chemin`; true when it made it.
inline bool ffmpeg(const QStringList& arguments, const QString& chemin)
{
    QString sortie;
    const int code = executer(QStringLiteral("ffmpeg"),
                              QStringList{"-v", "error", "-y", "-nostdin"} + arguments + QStringList{chemin}, &sortie);
    return code == 0 && QFile::exists(chemin);
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

inline QJsonObject premierFlux(const QJsonObject& s)
{
    return s.value("streams").toArray().first().toObject();
}

inline double duree(const QJsonObject& s)
{
    return s.value("format").toObject().value("duration").toString().toDouble();
}

// The loudest peak of a sound in dB, as ffmpeg's volumedetect measures it.
inline double crete(const QString& chemin)
{
    QString sortie;
    executer(QStringLiteral("ffmpeg"), {"-nostdin", "-i", chemin, "-af", "volumedetect", "-f", "null", "-"}, &sortie);
    const auto m = QRegularExpression(QStringLiteral("max_volume: (-?[0-9.]+|-inf) dB")).match(sortie);
    return m.hasMatch() && m.captured(1) != QLatin1String("-inf") ? m.captured(1).toDouble() : -1000.0;
}

inline QByteArray empreinte(const QString& chemin)
{
    QFile f(chemin);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

inline QByteArray contenu(const QString& chemin)
{
    QFile f(chemin);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Every progress value, in order.
struct Releve {
    std::vector<double> valeurs;
    Conversions::Progression fonction()
    {
        return [this](double p) { valeurs.push_back(p); };
    }
    bool croissant() const
    {
        for (size_t i = 1; i < valeurs.size(); ++i)
            if (valeurs[i] < valeurs[i - 1])
                return false;
        return true;
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
