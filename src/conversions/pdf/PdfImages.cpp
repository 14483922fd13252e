#include "conversions/pdf/PdfImages.h"

#include "conversions/Chemins.h"
#include "conversions/images/Images.h"
#include "conversions/pdf/Pdf.h"
#include "conversions/pdf/PdfJpeg.h"
#include "conversions/pdf/PdfStructure.h"
#include "conversions/Sortie.h"
#include "conversions/images/Vips.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <functional>
#include <vector>

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace Conversions {

namespace {

using Ligne = std::function<void(int y, unsigned char* sortie)>;

QPDFObjectHandle nom(const char* n) { return QPDFObjectHandle::newName(n); }

// Rows deflated behind the PNG "up" predictor: each row minus the one above, which
// makes flat areas and gradients cheap. `ligne` fills one row of `octets` bytes.
QPDFObjectHandle fluxSansPerte(QPDF& pdf, int octets, int lignes, int couleurs, const Ligne& ligne)
{
    Pl_Buffer tampon("image");
    Pl_Flate flate("image", &tampon, Pl_Flate::a_deflate);
    const auto n = static_cast<size_t>(octets);
    std::vector<unsigned char> avant(n, 0), courante(n), filtree(n + 1);
    filtree[0] = 2;
    for (int y = 0; y < lignes; ++y) {
        ligne(y, courante.data());
        for (size_t i = 0; i < n; ++i)
            filtree[i + 1] = static_cast<unsigned char>(courante[i] - avant[i]);
        flate.write(filtree.data(), filtree.size());
        std::swap(avant, courante);
    }
    flate.finish();
    QPDFObjectHandle flux = pdf.newStream();
    QPDFObjectHandle parametres = QPDFObjectHandle::newDictionary();
    parametres.replaceKey("/Predictor", QPDFObjectHandle::newInteger(12));
    parametres.replaceKey("/Colors", QPDFObjectHandle::newInteger(couleurs));
    parametres.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    parametres.replaceKey("/Columns", QPDFObjectHandle::newInteger(octets / couleurs));
    flux.replaceStreamData(tampon.getBufferSharedPointer(), nom("/FlateDecode"), parametres);
    return flux;
}

void decrireImage(QPDFObjectHandle& image, int largeur, int hauteur, QPDFObjectHandle espace)
{
    QPDFObjectHandle d = image.getDict();
    d.replaceKey("/Type", nom("/XObject"));
    d.replaceKey("/Subtype", nom("/Image"));
    d.replaceKey("/Width", QPDFObjectHandle::newInteger(largeur));
    d.replaceKey("/Height", QPDFObjectHandle::newInteger(hauteur));
    d.replaceKey("/ColorSpace", espace);
    d.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
}

QPDFObjectHandle espaceDe(QPDF& pdf, int composantes, const QByteArray& profil)
{
    QPDFObjectHandle simple = nom(composantes == 1 ? "/DeviceGray" : "/DeviceRGB");
    if (profil.isEmpty())
        return simple;
    QPDFObjectHandle icc = pdf.newStream(profil.toStdString());
    icc.getDict().replaceKey("/N", QPDFObjectHandle::newInteger(composantes));
    icc.getDict().replaceKey("/Alternate", simple);
    QPDFObjectHandle espace = QPDFObjectHandle::newArray();
    espace.appendItem(nom("/ICCBased"));
    espace.appendItem(icc);
    return espace;
}

// The JPEG's own bytes: no second compression, no loss.
QPDFObjectHandle imageJpeg(QPDF& pdf, const QByteArray& octets, const EnteteJpeg& entete)
{
    QPDFObjectHandle image = pdf.newStream();
    image.replaceStreamData(octets.toStdString(), nom("/DCTDecode"), QPDFObjectHandle::newNull());
    decrireImage(image, entete.largeur, entete.hauteur, espaceDe(pdf, entete.composantes, entete.profil));
    return image;
}

bool toutGris(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar* p = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x, p += 4)
            if (p[0] != p[1] || p[1] != p[2])
                return false;
    }
    return true;
}

bool toutOpaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar* p = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x, p += 4)
            if (p[3] != 255)
                return false;
    }
    return true;
}

// Decoded pixels (RGBA 8 bits), stored without loss; grey when the picture is grey,
// with a soft mask when it has transparency.
QPDFObjectHandle imageDecodee(QPDF& pdf, QImage pixels)
{
    if (pixels.format() != QImage::Format_RGBA8888 && pixels.format() != QImage::Format_RGBX8888)
        pixels = pixels.convertToFormat(QImage::Format_RGBA8888);
    const int w = pixels.width();
    const int h = pixels.height();
    const int canaux = toutGris(pixels) ? 1 : 3;
    QPDFObjectHandle image = fluxSansPerte(pdf, w * canaux, h, canaux, [&](int y, unsigned char* sortie) {
        const uchar* p = pixels.constScanLine(y);
        for (int x = 0; x < w; ++x, p += 4)
            for (int c = 0; c < canaux; ++c)
                *sortie++ = p[c];
    });
    decrireImage(image, w, h, espaceDe(pdf, canaux, {}));
    if (pixels.hasAlphaChannel() && !toutOpaque(pixels)) {
        QPDFObjectHandle masque = fluxSansPerte(pdf, w, h, 1, [&](int y, unsigned char* sortie) {
            const uchar* p = pixels.constScanLine(y);
            for (int x = 0; x < w; ++x, p += 4)
                *sortie++ = p[3];
        });
        decrireImage(masque, w, h, nom("/DeviceGray"));
        image.getDict().replaceKey("/SMask", masque);
    }
    return image;
}

// Where the image's unit square goes on the page, as the six numbers of "cm", for
// each EXIF orientation: the stored pixels are never turned, the page is.
std::array<int, 6> placement(int orientation, int w, int h)
{
    switch (orientation) {
    case 2: return {-w, 0, 0, h, w, 0};
    case 3: return {-w, 0, 0, -h, w, h};
    case 4: return {w, 0, 0, -h, 0, h};
    case 5: return {0, -w, -h, 0, h, w};
    case 6: return {0, -w, h, 0, 0, w};
    case 7: return {0, w, h, 0, 0, 0};
    case 8: return {0, w, -h, 0, h, 0};
    default: return {w, 0, 0, h, 0, 0};
    }
}

// One page of the image's pixel size (turned when its orientation asks), in points.
void ajouterPage(QPDF& pdf, const QPDFObjectHandle& image, int largeur, int hauteur, int orientation = 1)
{
    const bool couchee = orientation >= 5;
    std::string dessin = "q";
    for (int v : placement(orientation, largeur, hauteur))
        dessin += " " + std::to_string(v);
    dessin += " cm /Im0 Do Q\n";
    QPDFObjectHandle boite = QPDFObjectHandle::newArray();
    for (int v : {0, 0, couchee ? hauteur : largeur, couchee ? largeur : hauteur})
        boite.appendItem(QPDFObjectHandle::newInteger(v));
    QPDFObjectHandle objets = QPDFObjectHandle::newDictionary();
    objets.replaceKey("/Im0", image);
    QPDFObjectHandle ressources = QPDFObjectHandle::newDictionary();
    ressources.replaceKey("/XObject", objets);
    QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
    page.replaceKey("/Type", nom("/Page"));
    page.replaceKey("/MediaBox", boite);
    page.replaceKey("/Resources", ressources);
    page.replaceKey("/Contents", pdf.newStream(dessin));
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)), false);
}

// The file's bytes when it starts as a JPEG; nothing for any other picture.
QByteArray contenu(const QString& chemin)
{
    QFile f(chemin);
    if (!QFileInfo(chemin).isFile() || !f.open(QIODevice::ReadOnly))
        throw Erreur::lecture(nomDe(chemin));
    return f.read(2) == "\xFF\xD8" && f.seek(0) ? f.readAll() : QByteArray();
}

} // namespace

void ajouterImage(Assemblage& pdf, const QString& chemin)
{
    const QByteArray jpeg = contenu(chemin);
    const LectureJpeg lu = lireJpeg(jpeg);
    if (lu.coupe)
        throw Erreur::lecture(nomDe(chemin));
    if (const auto& entete = lu.entete) {
        if (static_cast<double>(entete->largeur) * entete->hauteur > pixelsAuPlus)
            throw Erreur::lecture(nomDe(chemin));
        ajouterPage(pdf.document(), imageJpeg(pdf.document(), jpeg, *entete), entete->largeur,
                    entete->hauteur, entete->orientation);
        return;
    }
    const QImage pixels = redressee(chemin);
    if (pixels.isNull())
        throw Erreur::lecture(nomDe(chemin));
    ajouterPage(pdf.document(), imageDecodee(pdf.document(), pixels), pixels.width(), pixels.height());
}

QString imagesEnPDF(const QStringList& images)
{
    if (images.isEmpty())
        throw Erreur::lecture(QString());
    Sortie sortie = Sortie::apres(images.first(), {}, QStringLiteral("pdf"));
    Assemblage pdf;
    for (const QString& image : images)
        ajouterImage(pdf, image);
    return pdf.ecrire(sortie);
}

} // namespace Conversions
