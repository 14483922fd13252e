#include "ffmpeg_medias.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <algorithm>
#include <mutex>

namespace Medias {

void lierFFmpeg()
{
    const QString lien = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ffmpeg"));
    if (QFileInfo::exists(lien))
        return;
    const QString systeme = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    ASSERT_FALSE(systeme.isEmpty()) << "no ffmpeg on this system";
    QFile::link(systeme, lien);  // a test running beside may have made it first
    ASSERT_TRUE(QFileInfo::exists(lien));
}

QString fabriquer(const QString& sortie, const QStringList& arguments)
{
    QString journal;
    const int code = executer(QStringLiteral("ffmpeg"),
                              QStringList{"-nostdin", "-hide_banner", "-loglevel", "error", "-y"} << arguments
                                                                                               << sortie,
                              &journal);
    EXPECT_EQ(code, 0) << journal.toStdString();
    return sortie;
}

QString clip(const QString& sortie, const QString& taille, double secondes, bool son, const QStringList& codecs)
{
    const QString d = QString::number(secondes);
    QStringList a{"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1:rate=10:duration=%2").arg(taille, d)};
    if (son)
        a << "-f" << "lavfi" << "-i" << QStringLiteral("anoisesrc=sample_rate=44100:amplitude=0.3:duration=%1").arg(d)
          << "-ac" << "2";
    a << codecs << "-shortest";
    return fabriquer(sortie, a);
}

QJsonObject sonder(const QString& chemin)
{
    QString texte;
    executer(QStringLiteral("ffprobe"),
             {"-v", "error", "-show_format", "-show_streams", "-of", "json", chemin}, &texte);
    return QJsonDocument::fromJson(texte.toUtf8()).object();
}

QJsonObject flux(const QString& chemin, const QString& type)
{
    for (const QJsonValue v : sonder(chemin).value("streams").toArray())
        if (v.toObject().value("codec_type").toString() == type)
            return v.toObject();
    return {};
}

QStringList codecs(const QString& chemin)
{
    QStringList l;
    for (const QJsonValue v : sonder(chemin).value("streams").toArray())
        l << v.toObject().value("codec_name").toString();
    return l;
}

QString empreinte(const QString& chemin, const QString& specificateur)
{
    QString texte;
    executer(QStringLiteral("ffmpeg"),
             {"-nostdin", "-hide_banner", "-loglevel", "error", "-i", chemin, "-map", specificateur, "-c", "copy",
              "-f", "md5", "-"},
             &texte);
    return texte.trimmed();
}

std::function<void(double)> Releve::rapport()
{
    auto verrou = std::make_shared<std::mutex>();
    return [this, verrou](double v) {
        std::lock_guard g(*verrou);
        valeurs.push_back(v);
    };
}

bool Releve::croissant() const
{
    return std::is_sorted(valeurs.begin(), valeurs.end());
}

bool Releve::dansLesBornes() const
{
    return std::all_of(valeurs.begin(), valeurs.end(), [](double v) { return v >= 0 && v <= 1; });
}

} // namespace Medias
