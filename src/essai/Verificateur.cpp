#include "essai/Verificateur.h"

#include "conversions/documents/Documents.h"
#include "essai/Formes.h"
#include "essai/Outils.h"
#include "essai/Vips.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPdfDocument>
#include <QTextDocument>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace Essai {

namespace {

QString octets(const QString& chemin) { return QString::number(taille(chemin)) + QStringLiteral(" o, "); }

bool contientMandarine(const QString& texte) { return texte.contains(QLatin1String("Mandarine")); }

QString texteDuFichier(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray donnees = f.readAll();
    QString texte = QString::fromUtf8(donnees);
    return texte.toUtf8() == donnees ? texte : QString();  // not UTF-8: nothing
}

bool docxAvecMandarine(const QString& chemin)
{
    try {
        return contientMandarine(Conversions::lireDocument(chemin)->toPlainText());
    } catch (const std::exception&) {
        return false;
    }
}

// The top-left pixel of a JPEG, red, green, blue.
QString coin(const QString& chemin)
{
    QImage image(chemin);
    if (image.isNull())
        return {};
    const QRgb p = image.pixel(0, 0);
    const int r = qRed(p), v = qGreen(p), b = qBlue(p);
    if (r > 240 && v > 240 && b > 240)
        return QStringLiteral("blanc");
    return QStringLiteral("pas blanc (%1,%2,%3)").arg(r).arg(v).arg(b);
}

bool sonDecodable(const AVStream* flux)
{
    return avcodec_find_decoder(flux->codecpar->codec_id) != nullptr && flux->codecpar->sample_rate > 0;
}

} // namespace

Media lireMedia(const QString& chemin)
{
    Media m;
    AVFormatContext* contexte = nullptr;
    if (avformat_open_input(&contexte, QFile::encodeName(chemin).constData(), nullptr, nullptr) < 0)
        return m;
    if (avformat_find_stream_info(contexte, nullptr) >= 0) {
        if (contexte->duration > 0 && contexte->duration != AV_NOPTS_VALUE)
            m.duree = static_cast<double>(contexte->duration) / AV_TIME_BASE;
        for (unsigned i = 0; i < contexte->nb_streams; ++i) {
            const AVStream* flux = contexte->streams[i];
            if (flux->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(flux->disposition & AV_DISPOSITION_ATTACHED_PIC))
                ++m.pistesImage;
            if (flux->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
                ++m.pistesSon;
                if (m.frequence == 0 && sonDecodable(flux)) {
                    m.frequence = flux->codecpar->sample_rate;
                    m.canaux = flux->codecpar->ch_layout.nb_channels;
                }
            }
        }
    }
    avformat_close_input(&contexte);
    return m;
}

QString tailleImage(const QString& chemin)
{
    const auto taille = Vips::dimensions(chemin);
    return taille ? QStringLiteral("%1×%2").arg(taille->width()).arg(taille->height()) : QString();
}

int nombreDImagesDe(const QString& chemin)
{
    return Vips::pages(chemin);
}

int pagesPDF(const QString& chemin)
{
    QPdfDocument document;
    document.load(chemin);
    return document.status() == QPdfDocument::Status::Ready ? document.pageCount() : 0;
}

QString textePDF(const QString& chemin, int page)
{
    QPdfDocument document;
    document.load(chemin);
    if (document.status() != QPdfDocument::Status::Ready)
        return {};
    if (page >= 0)
        return page < document.pageCount() ? document.getAllText(page).text() : QString();
    QStringList pages;
    for (int i = 0; i < document.pageCount(); ++i)
        pages << document.getAllText(i).text();
    return pages.join(QLatin1Char('\n'));
}

std::optional<int> partTransparente(const QString& chemin)
{
    QImage image(chemin);
    if (image.isNull() || !image.hasAlphaChannel())
        return std::nullopt;
    image = image.convertToFormat(QImage::Format_ARGB32);
    const qint64 n = static_cast<qint64>(image.width()) * image.height();
    if (n < 97)
        return std::nullopt;  // too small for the one-in-97 sampling
    qint64 transparents = 0;
    for (qint64 i = 0; i < n; i += 97) {
        const int x = static_cast<int>(i % image.width()), y = static_cast<int>(i / image.width());
        // Each row is read through its own start: padded rows are never taken as packed.
        if (qAlpha(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]) == 0)
            ++transparents;
    }
    return static_cast<int>(static_cast<double>(transparents) / static_cast<double>(n / 97) * 100.0);
}

QString verifier(const QString& chemin)
{
    const QString ext = QFileInfo(chemin).suffix();
    static const QStringList medias{QStringLiteral("m4a"), QStringLiteral("wav"), QStringLiteral("aiff"),
                                    QStringLiteral("mp3"), QStringLiteral("mp4"), QStringLiteral("mov")};
    if (medias.contains(ext)) {
        const Media m = lireMedia(chemin);
        QString ligne = octets(chemin) + Formes::decimales(m.duree) + QStringLiteral(" s, piste image ")
                        + QString::number(m.pistesImage) + QStringLiteral(", piste son ")
                        + QString::number(m.pistesSon);
        if (m.frequence > 0)
            ligne += QStringLiteral(", %1 Hz, %2 canal(aux)").arg(m.frequence).arg(m.canaux);
        return ligne;
    }
    if (ext == QLatin1String("txt"))
        return octets(chemin) + QStringLiteral("contient « Mandarine » : ")
               + (contientMandarine(texteDuFichier(chemin)) ? QStringLiteral("true") : QStringLiteral("false"));
    if (ext == QLatin1String("docx"))
        return octets(chemin) + QStringLiteral("relu par le PC : ")
               + (docxAvecMandarine(chemin) ? QStringLiteral("true") : QStringLiteral("false"));
    if (ext == QLatin1String("pdf"))
        return octets(chemin) + QString::number(pagesPDF(chemin)) + QStringLiteral(" page(s)");
    const QString dimensions = tailleImage(chemin);
    if (dimensions.isEmpty())
        return QStringLiteral("ILLISIBLE");
    if (ext == QLatin1String("gif"))
        return octets(chemin) + QString::number(nombreDImagesDe(chemin)) + QStringLiteral(" images, ") + dimensions;
    if (ext == QLatin1String("jpg")) {
        const QString verdict = coin(chemin);
        if (!verdict.isEmpty())
            return octets(chemin) + dimensions + QStringLiteral(", coin transparent devenu ") + verdict;
    }
    return octets(chemin) + dimensions;
}

} // namespace Essai
