#include "commun/Echantillons.h"
#include "commun/Dossier.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QStandardPaths>

namespace Echantillons {

namespace {

// The generator the end-to-end tests and the benchmarks share.
QString geant(const QString& sorte, const QString& chemin, qint64 n)
{
    const int code = executer(QStringLiteral("python3"), {QStringLiteral(VEMO_SOURCE_DIR "/tests/outils/pdf_geants.py"),
                                                          sorte, chemin, QString::number(n)});
    return code == 0 ? chemin : QString();
}

} // namespace

QString pdfTableGeante(const QString& chemin, int entrees) { return geant(QStringLiteral("table"), chemin, entrees); }

QString pdfTableCassee(const QString& chemin, qsizetype taille) { return geant(QStringLiteral("casse"), chemin, taille); }

QString pdf(const QString& chemin, int pages)
{
    QPdfWriter writer(chemin);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(300, 200), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    for (int i = 1; i <= pages; ++i) {
        if (i > 1)
            writer.newPage();
        p.drawText(QPointF(20, 40), QStringLiteral("Page %1").arg(i));
    }
    return chemin;
}

QString image(const QString& chemin, int largeur, int hauteur)
{
    QImage img(largeur, hauteur, QImage::Format_RGB32);
    img.fill(QColor(30, 120, 200));
    QPainter(&img).fillRect(0, 0, largeur / 2, hauteur / 2, Qt::yellow);
    img.save(chemin);
    return chemin;
}

QString gif(const QString& chemin, int images)
{
    executer(ffmpeg(), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                        QStringLiteral("-f"), QStringLiteral("lavfi"),
                        QStringLiteral("-i"), QStringLiteral("testsrc=size=32x24:rate=10"),
                        QStringLiteral("-frames:v"), QString::number(images), chemin});
    return chemin;
}

QString video(const QString& chemin, int secondes)
{
    executer(ffmpeg(), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                        QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("testsrc=size=320x240:rate=25:duration=%1").arg(secondes),
                        QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                        QStringLiteral("ultrafast"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                        QStringLiteral("-threads"), QStringLiteral("1"), chemin});
    return chemin;
}

QString ffmpeg()
{
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

} // namespace Echantillons
