#include "conversions/images/Images.h"
#include "conversions/images/Isnet.h"
#include "conversions/images/OpenCV.h"
#include "conversions/images/Png.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/images/Vips.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <vector>

using vips::VImage;

namespace Conversions {

namespace {

// The segmentation runs at this size: grabCut's cost grows with the pixel count.
constexpr int coteDeTravail = 480;
// The subject is sought on a copy at most this large: the network sees 1024 × 1024.
constexpr int coteDeRecherche = 2048;
constexpr int couleursDuFond = 6;

cv::Mat vue(const QImage& image)
{
    return cv::Mat(image.height(), image.width(), CV_8UC4, const_cast<uchar*>(image.constBits()),
                   static_cast<size_t>(image.bytesPerLine()));
}

// The image's own alpha, when it cuts out a shape: part transparent, part opaque.
cv::Mat1b alphaPropre(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return {};
    cv::Mat1b alpha;
    cv::extractChannel(vue(image), alpha, 3);
    const double total = static_cast<double>(alpha.total());
    const double transparents = static_cast<double>(cv::countNonZero(alpha < 16)) / total;
    const double opaques = static_cast<double>(cv::countNonZero(alpha > 240)) / total;
    if (transparents < 0.02 || opaques < 0.005)
        return {};
    return alpha;
}

cv::Mat1b anneau(cv::Size taille, int epaisseur)
{
    cv::Mat1b a(taille, uchar(255));
    a(cv::Rect(epaisseur, epaisseur, taille.width - 2 * epaisseur, taille.height - 2 * epaisseur)).setTo(0);
    return a;
}

// The side of the frame a border pixel lies on (top, bottom, left, right).
int cote(int x, int y, cv::Size taille, int epaisseur)
{
    if (y < epaisseur)
        return 0;
    if (y >= taille.height - epaisseur)
        return 1;
    return x < epaisseur ? 2 : 3;
}

// The border's colours that make the background: a colour met on two sides or more.
// One seen on a single side is a subject leaving the frame there (a bust at the bottom).
std::vector<bool> couleursDeFond(const cv::Mat& etiquettes, const std::vector<int>& cotes)
{
    std::array<std::array<int, 4>, couleursDuFond> compte{};
    std::array<int, 4> total{};
    for (size_t i = 0; i < cotes.size(); ++i) {
        ++compte[static_cast<size_t>(etiquettes.at<int>(static_cast<int>(i)))][static_cast<size_t>(cotes[i])];
        ++total[static_cast<size_t>(cotes[i])];
    }
    std::vector<bool> fond(couleursDuFond, false);
    bool aucun = true;
    for (size_t k = 0; k < couleursDuFond; ++k) {
        int presences = 0;
        for (size_t c = 0; c < 4; ++c)
            presences += compte[k][c] * 20 >= total[c] && compte[k][c] > 0;
        fond[k] = presences >= 2;
        aucun = aucun && !fond[k];
    }
    if (aucun)
        fond.assign(couleursDuFond, true);
    return fond;
}

struct Fond {
    cv::Mat1f ecart;     // distance (Lab) of each pixel to the nearest background colour
    cv::Mat1b duFond;    // border pixels whose colour is a background colour
};

// The border is taken as background, what differs from its colours as a candidate subject.
Fond ecartAuFond(const cv::Mat3f& lab, int epaisseur)
{
    const cv::Mat1b bord = anneau(lab.size(), epaisseur);
    cv::Mat1f echantillons;
    std::vector<int> cotes;
    std::vector<cv::Point> points;
    for (int y = 0; y < lab.rows; ++y)
        for (int x = 0; x < lab.cols; ++x)
            if (bord(y, x)) {
                echantillons.push_back(cv::Mat1f(1, 3, const_cast<float*>(&lab(y, x)[0])).clone());
                cotes.push_back(cote(x, y, lab.size(), epaisseur));
                points.emplace_back(x, y);
            }
    cv::Mat etiquettes;
    cv::Mat1f centres;
    cv::kmeans(echantillons, couleursDuFond, etiquettes,
               cv::TermCriteria(cv::TermCriteria::EPS | cv::TermCriteria::COUNT, 20, 0.5), 2,
               cv::KMEANS_PP_CENTERS, centres);
    const std::vector<bool> fond = couleursDeFond(etiquettes, cotes);

    Fond f{cv::Mat1f(lab.size()), cv::Mat1b(lab.size(), uchar(0))};
    for (size_t i = 0; i < points.size(); ++i)
        if (fond[static_cast<size_t>(etiquettes.at<int>(static_cast<int>(i)))])
            f.duFond(points[i]) = 255;
    for (int y = 0; y < lab.rows; ++y)
        for (int x = 0; x < lab.cols; ++x) {
            const cv::Vec3f& p = lab(y, x);
            float meilleur = std::numeric_limits<float>::max();
            for (int k = 0; k < centres.rows; ++k)
                if (fond[static_cast<size_t>(k)])
                    meilleur = std::min(meilleur, static_cast<float>(cv::norm(p - cv::Vec3f(centres.ptr<float>(k)))));
            f.ecart(y, x) = meilleur;
        }
    return f;
}

// Seeds for grabCut: the background's part of the outer ring is background, colours far
// from the background's are probable subject, the rest probable background. Empty when
// nothing stands out.
cv::Mat1b graines(const cv::Mat3b& bgr)
{
    cv::Mat3f lab;
    bgr.convertTo(lab, CV_32F, 1.0 / 255.0);
    cv::cvtColor(lab, lab, cv::COLOR_BGR2Lab);
    Fond fond = ecartAuFond(lab, std::max(2, std::min(bgr.rows, bgr.cols) / 25));
    cv::Mat1f& ecart = fond.ecart;
    cv::GaussianBlur(ecart, ecart, cv::Size(5, 5), 0);

    // The background's own spread sets the bar: a textured one scatters widely.
    std::vector<float> duFond;
    for (int y = 0; y < ecart.rows; ++y)
        for (int x = 0; x < ecart.cols; ++x)
            if (fond.duFond(y, x))
                duFond.push_back(ecart(y, x));
    if (duFond.empty())
        return {};
    std::nth_element(duFond.begin(), duFond.begin() + duFond.size() * 97 / 100, duFond.end());
    const float seuil = std::max(15.0f, 1.5f * duFond[duFond.size() * 97 / 100]);

    const cv::Mat1b sujet = ecart > seuil;
    if (cv::countNonZero(sujet) < static_cast<int>(0.005 * sujet.total()))
        return {};
    cv::Mat1b g(bgr.size(), uchar(cv::GC_PR_BGD));
    g.setTo(cv::GC_PR_FGD, sujet);
    g.setTo(cv::GC_FGD, ecart > 2.5f * seuil);
    g.setTo(cv::GC_BGD, anneau(bgr.size(), 1) & ~sujet);
    return g;
}

// Keeps the shapes of a size that counts next to the largest; drops specks.
cv::Mat1b nettoyer(const cv::Mat1b& brut)
{
    cv::Mat1b m;
    cv::morphologyEx(brut, m, cv::MORPH_OPEN, cv::getStructuringElement(cv::MORPH_ELLIPSE, {3, 3}));
    cv::morphologyEx(m, m, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_ELLIPSE, {5, 5}));
    cv::Mat1i etiquettes;
    cv::Mat stats, centres;
    const int n = cv::connectedComponentsWithStats(m, etiquettes, stats, centres, 8);
    int plusGrande = 0;
    for (int i = 1; i < n; ++i)
        plusGrande = std::max(plusGrande, stats.at<int>(i, cv::CC_STAT_AREA));
    const int minimum = std::max(plusGrande / 10, static_cast<int>(0.002 * m.total()));
    cv::Mat1b garde(m.size(), uchar(0));
    for (int i = 1; i < n; ++i)
        if (stats.at<int>(i, cv::CC_STAT_AREA) >= minimum)
            garde.setTo(255, etiquettes == i);
    return garde;
}

// Neither empty nor the whole frame.
bool aLaMesure(const cv::Mat1b& masque)
{
    const double part = static_cast<double>(cv::countNonZero(masque)) / static_cast<double>(masque.total());
    return part >= 0.005 && part <= 0.9;
}

// Also not a shape lying along most of the border, where colours alone mislead.
bool convaincant(const cv::Mat1b& masque)
{
    if (!aLaMesure(masque))
        return false;
    const cv::Mat1b bord = anneau(masque.size(), 1);
    const double surLeBord = static_cast<double>(cv::countNonZero(masque & bord))
                           / static_cast<double>(cv::countNonZero(bord));
    return surLeBord < 0.5;
}

// A soft mask at working size brought to full size: bilinear, then a steep ramp so the
// edge stays a couple of pixels wide whatever the enlargement. Bytes all the way: a
// float mask of a large photo would weigh four times the image's alpha.
cv::Mat1b pleineTaille(const cv::Mat1b& petit, cv::Size taille)
{
    cv::Mat1b doux;
    cv::GaussianBlur(petit, doux, cv::Size(3, 3), 0);
    const double pente = std::max(1.0, static_cast<double>(taille.width) / petit.cols / 2.0);
    cv::Mat1b rampe(1, 256);
    for (int v = 0; v < 256; ++v)
        rampe(0, v) = cv::saturate_cast<uchar>((v - 127.5) * pente + 127.5);
    cv::Mat1b grand;
    cv::resize(doux, grand, taille, 0, 0, cv::INTER_LINEAR);
    cv::LUT(grand, rampe, grand);
    return grand;
}

cv::Mat1b segmenter(const QImage& image)
{
    const double echelle = std::min(1.0, static_cast<double>(coteDeTravail) / std::max(image.width(), image.height()));
    cv::Mat3b bgr;
    cv::Mat rgba;
    cv::resize(vue(image), rgba, cv::Size(), echelle, echelle, cv::INTER_AREA);
    cv::cvtColor(rgba, bgr, cv::COLOR_RGBA2BGR);
    if (bgr.rows < 16 || bgr.cols < 16)
        return {};
    cv::Mat1b masque = graines(bgr);
    if (masque.empty())
        return {};
    cv::Mat fond, sujet;
    cv::grabCut(bgr, masque, cv::Rect(), fond, sujet, 4, cv::GC_INIT_WITH_MASK);
    const cv::Mat1b net = nettoyer((masque == cv::GC_FGD) | (masque == cv::GC_PR_FGD));
    if (!convaincant(net))
        return {};
    return pleineTaille(net, cv::Size(image.width(), image.height()));
}

// The learned road when the model is there, the classical one otherwise. The model's
// subject may leave the frame on several sides (a close-up): only its extent counts.
cv::Mat1b sansAlpha(const QImage& image, const Releve& debut)
{
    const std::optional<cv::Mat1b> appris = Isnet::masque(vue(image), debut);
    if (!appris)
        return segmenter(image);
    return aLaMesure(*appris > 127) ? *appris : cv::Mat1b();
}

// The subject of a picture: a mask at its size (255 on the subject), or the picture's own
// alpha when it isolates a shape; nothing when nothing convincing stands out: empty, the
// whole frame, or a shape lying along most of the border.
struct Sujet {
    cv::Mat1b masque;
    bool alphaPropre = false;
};

Sujet sujetDe(const QImage& image, const Releve& debut)
{
    const QImage rgba = image.format() == QImage::Format_RGBA8888 || image.format() == QImage::Format_RGBX8888
        ? image
        : image.convertToFormat(QImage::Format_RGBA8888);
    if (cv::Mat1b propre = alphaPropre(rgba); !propre.empty())
        return {propre, true};
    const cv::Mat1b masque = sansAlpha(rgba, debut);
    return {masque.isContinuous() ? masque : masque.clone(), false};
}

// A mask enlarged to `largeur` × `hauteur` as the pipeline asks for it, never whole in memory.
VImage agrandi(const cv::Mat1b& masque, int largeur, int hauteur)
{
    // The pixels are read where they lie: the mask outlives the writing.
    const VImage petit = VImage::new_from_memory(masque.data, masque.total(), masque.cols, masque.rows, 1, VIPS_FORMAT_UCHAR);
    if (masque.cols == largeur && masque.rows == hauteur)
        return petit;
    const VImage grand = petit.resize(static_cast<double>(largeur) / masque.cols,
                                      VImage::option()
                                          ->set("vscale", static_cast<double>(hauteur) / masque.rows)
                                          ->set("kernel", VIPS_KERNEL_LINEAR));
    return grand.embed(0, 0, largeur, hauteur, VImage::option()->set("extend", VIPS_EXTEND_COPY));
}

// The picture with the mask as its alpha (its own alpha kept where lower); the background
// becomes fully transparent, colour included, as a premultiplied render would.
VImage decoupe(const VImage& image, const Sujet& sujet)
{
    const VImage pixels = rgba(image);
    VImage alpha = pixels[3];
    if (!sujet.alphaPropre) {
        const VImage masque = agrandi(sujet.masque, pixels.width(), pixels.height());
        alpha = (masque < alpha).ifthenelse(masque, alpha);
    }
    const VImage couleurs = pixels.extract_band(0, VImage::option()->set("n", 3));
    return (alpha == 0).ifthenelse(0.0, couleurs).cast(VIPS_FORMAT_UCHAR).bandjoin(alpha);
}

} // namespace

QString detourer(const QString& source)
{
    // The machine's load is read over the decoding too: a single glance may fall on a
    // moment when every core is busy and leave the network one thread.
    const Releve debut = releve();
    Isnet::preparer();
    // The subject is sought on a reduced copy; the whole picture then goes through in
    // strips, its alpha enlarged from the mask on the way.
    const VImage entete = ouvrirImage(source);
    const Sujet sujet = sujetDe(redressee(entete, source, coteDeRecherche), debut);
    if (sujet.masque.empty())
        throw Erreur::rien(QCoreApplication::translate("Conversions", "Aucun sujet trouvé dans « %1 »")
                               .arg(QFileInfo(source).fileName()));
    Sortie sortie = Sortie::apres(source, QCoreApplication::translate("Conversions", " (détourée)"),
                                  QStringLiteral("png"));
    sousVips(source, sortie.chemin(),
             [&] { ecrirePng(decoupe(vignette(entete, source, std::nullopt), sujet), sortie.temporaire(), true); });
    return sortie.valider();
}

} // namespace Conversions
