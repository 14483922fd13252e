#include "conversions/pdf/PdfImages.h"

#include "conversions/Chemins.h"
#include "conversions/pdf/Pdf.h"
#include "conversions/pdf/PdfJpeg.h"
#include "conversions/pdf/PdfStructure.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/images/Vips.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace Conversions {

namespace {

QPDFObjectHandle nom(const char* n) { return QPDFObjectHandle::newName(n); }

// Rows deflated behind the PNG "up" predictor: each row minus the one above, which
// makes flat areas and gradients cheap. Rows come one at a time, top to bottom.
class FluxSansPerte {
public:
    FluxSansPerte(int octets, int couleurs)
        : octets_(octets), couleurs_(couleurs), avant_(static_cast<size_t>(octets), 0),
          filtree_(static_cast<size_t>(octets) + 1)
    {
        filtree_[0] = 2;
    }
    FluxSansPerte(const FluxSansPerte&) = delete;
    FluxSansPerte& operator=(const FluxSansPerte&) = delete;

    void ajouter(const unsigned char* ligne)
    {
        for (size_t i = 0; i < avant_.size(); ++i)
            filtree_[i + 1] = static_cast<unsigned char>(ligne[i] - avant_[i]);
        flate_.write(filtree_.data(), filtree_.size());
        std::copy_n(ligne, avant_.size(), avant_.begin());
    }

    QPDFObjectHandle finir(QPDF& pdf)
    {
        flate_.finish();
        QPDFObjectHandle flux = pdf.newStream();
        QPDFObjectHandle parametres = QPDFObjectHandle::newDictionary();
        parametres.replaceKey("/Predictor", QPDFObjectHandle::newInteger(12));
        parametres.replaceKey("/Colors", QPDFObjectHandle::newInteger(couleurs_));
        parametres.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
        parametres.replaceKey("/Columns", QPDFObjectHandle::newInteger(octets_ / couleurs_));
        flux.replaceStreamData(tampon_.getBufferSharedPointer(), nom("/FlateDecode"), parametres);
        return flux;
    }

private:
    const int octets_;
    const int couleurs_;
    Pl_Buffer tampon_{"image"};
    Pl_Flate flate_{"image", &tampon_, Pl_Flate::a_deflate};
    std::vector<unsigned char> avant_, filtree_;
};

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

struct Apercu {
    bool gris = false;
    bool opaque = false;
};

// Whether every pixel of an RGBA picture is grey, and opaque, in one pass.
Apercu apercu(const vips::VImage& rgba)
{
    const vips::VImage gris = (rgba[0] == rgba[1]) & (rgba[1] == rgba[2]);
    // Row 0 holds all bands together, then one row per band; column 0 is the minimum.
    const vips::VImage stats = gris.bandjoin(rgba[3] == 255).stats();
    return {stats.getpoint(0, 1)[0] == 255, stats.getpoint(0, 2)[0] == 255};
}

// Decoded pixels (RGBA 8 bits), stored without loss; grey when the picture is grey,
// with a soft mask when it has transparency. Two passes in strips: the picture is never
// whole in memory, unless its decoder made it so.
QPDFObjectHandle imageDecodee(QPDF& pdf, const QString& chemin, QSize& taille)
{
    vips::VImage entete = ouvrirImage(chemin);
    Apercu a;
    {
        const vips::VImage premiere = rgba(vignette(entete, chemin, std::nullopt));
        taille = QSize(premiere.width(), premiere.height());
        a = apercu(premiere);
    }
    const int w = taille.width();
    const int h = taille.height();
    // A file read in sequence cannot go back: the second pass has a pipeline of its own, and
    // what the first one held (a GIF's frame, decoded as it opened) is let go before it opens.
    if (!entiereEnMemoire(entete))
        entete = vips::VImage();
    const vips::VImage pixels =
        rgba(entete.get_image() ? vignette(entete, chemin, std::nullopt) : vignette(chemin, std::nullopt));
    if (pixels.width() != w || pixels.height() != h)
        throw Erreur::lecture(nomDe(chemin));
    const int canaux = a.gris ? 1 : 3;
    FluxSansPerte couleurs(w * canaux, canaux);
    std::optional<FluxSansPerte> alpha;
    if (!a.opaque)
        alpha.emplace(w, 1);
    std::vector<unsigned char> ligne(static_cast<size_t>(w) * canaux), transparence(static_cast<size_t>(w));
    parLignes(pixels, [&](int, const std::uint8_t* p) {
        for (size_t x = 0; x < static_cast<size_t>(w); ++x, p += 4) {
            for (int c = 0; c < canaux; ++c)
                ligne[x * canaux + c] = p[c];
            transparence[x] = p[3];
        }
        couleurs.ajouter(ligne.data());
        if (alpha)
            alpha->ajouter(transparence.data());
    });
    QPDFObjectHandle image = couleurs.finir(pdf);
    decrireImage(image, w, h, espaceDe(pdf, canaux, {}));
    if (alpha) {
        QPDFObjectHandle masque = alpha->finir(pdf);
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
            refuserTropGrand(chemin, QStringLiteral("image refusée, %1 × %2 pixels").arg(entete->largeur).arg(entete->hauteur));
        // The orientation as every other road reads it (libvips' loader): EXIF stores it in
        // more than one type.
        int sens = 1;
        sousVips(chemin, {}, [&] { sens = orientation(ouvrirImage(chemin)); });
        ajouterPage(pdf.document(), imageJpeg(pdf.document(), jpeg, *entete), entete->largeur,
                    entete->hauteur, sens);
        return;
    }
    QSize taille;
    sousVips(chemin, {}, [&] {
        const QPDFObjectHandle image = imageDecodee(pdf.document(), chemin, taille);
        ajouterPage(pdf.document(), image, taille.width(), taille.height());
    });
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
