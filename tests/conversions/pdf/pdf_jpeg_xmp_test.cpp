// Edited photos carry an XMP segment after the EXIF one: only EXIF says how the photo
// stands, so the PDF page is turned as libvips turns the photo.

#include "conversions/images/images_fabrique.h"

#include <QPainter>

using namespace essais;

namespace {

TEST(PdfJpegXmp, UnXmpApresLExifNeChangePasLOrientation)
{
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(QColor(30, 40, 220));
    QPainter(&image).fillRect(0, 0, 30, 20, QColor(220, 30, 30));
    const QByteArray xmp = QByteArray("http://ns.adobe.com/xap/1.0/\0", 29)
        + "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
          "<rdf:Description xmlns:tiff='http://ns.adobe.com/tiff/1.0/' tiff:Orientation='6'/>"
          "</rdf:RDF></x:xmpmeta>";
    const QByteArray segment = QByteArray("\xFF\xE1", 2) + char((xmp.size() + 2) >> 8) + char((xmp.size() + 2) & 0xFF) + xmp;
    for (int orientation : {6, 8, 3}) {
        SCOPED_TRACE(orientation);
        Dossier d;
        const QByteArray exif = lire(jpegOriente(d, "exif.jpg", image, orientation));
        // SOI, then the 36-byte EXIF segment, then the XMP one.
        const QString jpg = d.ecrire("photo.jpg", exif.left(38) + segment + exif.mid(38));
        const QString droit = d.chemin("droit.png");
        sortieDe("vips", {"autorot", jpg, droit});
        const QImage attendu(droit);
        const QString pdf = convertirSeul(jpg, "pdf");
        EXPECT_EQ(taillePage(pdf, 1), QSizeF(attendu.size()));
        const QImage page = rendre(pdf, 1);
        ASSERT_EQ(page.size(), attendu.size());
        for (const QPoint& p : {QPoint(page.width() / 4, page.height() / 4), QPoint(3 * page.width() / 4, 3 * page.height() / 4)})
            EXPECT_LE(std::abs(qRed(page.pixel(p)) - qRed(attendu.pixel(p))), 40) << p.x() << "," << p.y();
    }
}

} // namespace
