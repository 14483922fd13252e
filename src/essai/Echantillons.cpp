#include "essai/Echantillons.h"

#include "essai/Outils.h"

#include <QFont>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>
#include <vector>

namespace Essai {

namespace {

const QColor orange = QColor::fromRgbF(0.95f, 0.55f, 0.15f, 1.0f);

// A rectangle given with a bottom-left origin, in a picture `hauteur` high.
QRectF depuisLeBas(double x, double y, double l, double h, double hauteur)
{
    return {x, hauteur - y - h, l, h};
}

QStringList tranquille(const QStringList& arguments)
{
    return QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y")}
           + arguments;
}

} // namespace

void fabriquerImage(const QString& chemin)
{
    QImage image(800, 500, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(orange);
        p.drawEllipse(depuisLeBas(150, 50, 500, 400, 500));
    }
    QImageWriter(chemin, "png").write(image);
}

void fabriquerPDF(const QString& chemin, const QString& titre)
{
    QPdfWriter pdf(chemin);
    pdf.setResolution(72);
    pdf.setPageSize(QPageSize(QSizeF(595, 842), QPageSize::Point, QString(), QPageSize::ExactMatch));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&pdf);
    if (!p.isActive())
        return;
    QFont police(QStringLiteral("Helvetica"));
    police.setPixelSize(24);
    p.setFont(police);
    for (int n = 1; n <= 2; ++n) {
        if (n > 1)
            pdf.newPage();
        const QString texte = titre + QStringLiteral(", page ") + QString::number(n)
                              + QStringLiteral("\nUn essai de conversion de la roue.");
        p.drawText(depuisLeBas(60, 600, 480, 180, 842), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, texte);
    }
}

bool fabriquerSon(const QString& chemin)
{
    constexpr int images = 88200;
    std::vector<float> echantillons(static_cast<size_t>(images) * 2);
    for (int i = 0; i < images; ++i) {
        const float s = std::sin(static_cast<float>(i) * 2764.6013f / 44100.0f) * 0.3f;
        echantillons[2 * static_cast<size_t>(i)] = s;
        echantillons[2 * static_cast<size_t>(i) + 1] = s;
    }
    const QByteArray brut(reinterpret_cast<const char*>(echantillons.data()),
                          static_cast<qsizetype>(echantillons.size() * sizeof(float)));
    return executer(ffmpeg(), tranquille({QStringLiteral("-f"), QStringLiteral("f32le"), QStringLiteral("-ar"),
                                          QStringLiteral("44100"), QStringLiteral("-ac"), QStringLiteral("2"),
                                          QStringLiteral("-i"), QStringLiteral("pipe:0"), QStringLiteral("-c:a"),
                                          QStringLiteral("aac"), chemin}),
                    brut);
}

bool fabriquerVideo(const QString& chemin)
{
    QByteArray images;
    QImage image(640, 360, QImage::Format_ARGB32_Premultiplied);
    for (int n = 0; n < 60; ++n) {
        image.fill(QColor::fromRgbF(0.12f, 0.14f, 0.22f, 1.0f));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(orange);
        p.drawEllipse(depuisLeBas(40 + 8.5 * n, 130, 100, 100, 360));
        p.end();
        images.append(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    }
    return executer(ffmpeg(), tranquille({QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                                          QStringLiteral("bgra"), QStringLiteral("-s"), QStringLiteral("640x360"),
                                          QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-i"),
                                          QStringLiteral("pipe:0"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
                                          QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), chemin}),
                    images);
}

bool ajouterSon(const QString& son, const QString& video, const QString& dans)
{
    return executer(ffmpeg(), tranquille({QStringLiteral("-i"), video, QStringLiteral("-i"), son,
                                          QStringLiteral("-map"), QStringLiteral("0:v:0?"), QStringLiteral("-map"),
                                          QStringLiteral("1:a:0?"), QStringLiteral("-c"), QStringLiteral("copy"),
                                          QStringLiteral("-shortest"), dans}));
}

void fabriquerImageTexte(const QString& chemin)
{
    QImage image(1200, 500, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing);
        QFont police(QStringLiteral("Helvetica"));
        police.setPixelSize(54);
        p.setFont(police);
        p.setPen(Qt::black);
        p.drawText(depuisLeBas(60, 40, 1100, 420, 500), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   QStringLiteral("Facture n° 2026-118\nMandarine et Clémentine\nTotal : 149,00 €"));
    }
    QImageWriter(chemin, "png").write(image);
}

bool fabriquerCarillon(const QString& chemin)
{
    return executer(ffmpeg(), tranquille({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                          QStringLiteral("sine=frequency=1318:sample_rate=44100:duration=1.5"),
                                          QStringLiteral("-af"), QStringLiteral("afade=t=out:st=0.1:d=1.4"),
                                          QStringLiteral("-ac"), QStringLiteral("1"), QStringLiteral("-c:a"),
                                          QStringLiteral("pcm_s16be"), chemin}));
}

} // namespace Essai
