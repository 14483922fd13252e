#include "conversions/images/Ocr.h"

#include "conversions/images/Images.h"
#include "conversions/images/SensDuTexte.h"
#include "conversions/images/Vips.h"
#include "conversions/Journaux.h"
#include "conversions/travail/LocaleDuFil.h"
#include "conversions/sorties/FichierDeSortie.h"
#include "conversions/sorties/Sortie.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

// libgomp comes with the recogniser; declared weak so a build without it still links.
extern "C" void omp_set_max_active_levels(int) __attribute__((weak));

using vips::VImage;

namespace Conversions {

namespace {

// The recogniser parses its data with the C number format: switch this thread to it
// for the time of a call, without touching the rest of the process.
class LocaleC : public LocaleDuFil {
public:
    LocaleC() : LocaleDuFil(LC_ALL_MASK, "C") {}
};

[[noreturn]] void indisponible()
{
    throw Erreur::rien(QCoreApplication::translate(
        "Conversions", "La reconnaissance de texte n’est pas disponible sur ce système"));
}

// One engine per thread: starting one costs a third of a second, so it is kept.
tesseract::TessBaseAPI& moteur()
{
    thread_local std::unique_ptr<tesseract::TessBaseAPI> api;
    if (!api) {
        // The recogniser would start a team of threads per call, and teams of several
        // engines fight over the cores: one thread per engine, pages and files in
        // parallel instead. Set on this thread before its engine is made.
        if (omp_set_max_active_levels)
            omp_set_max_active_levels(0);
        auto nouveau = std::make_unique<tesseract::TessBaseAPI>();
        if (nouveau->Init(nullptr, "fra+eng", tesseract::OEM_LSTM_ONLY) != 0) {
            qCWarning(journalImages).noquote() << QStringLiteral("tesseract : données fra+eng introuvables");
            indisponible();
        }
        nouveau->SetVariable("debug_file", "/dev/null");
        nouveau->SetPageSegMode(tesseract::PSM_AUTO);
        api = std::move(nouveau);
    }
    return *api;
}

// How sure of a word the recogniser must be (0 to 100), and how many letters or digits the
// sure words of a line must hold. Words scattered over a photo are read among many shapes
// that look like letters: there only the surest words of some length count.
struct Exigence {
    float confiance;
    int lettres;
};
constexpr Exigence pourUnePage{55.0f, 2};
constexpr Exigence pourDesMotsEpars{85.0f, 3};

// A word of a line, and how sure of it the recogniser is.
struct Mot {
    QString texte;
    float confiance;
};

// The words of the line where `ligne` stands.
QList<Mot> motsDe(const tesseract::ResultIterator& ligne)
{
    QList<Mot> mots;
    tesseract::ResultIterator it(ligne);
    do {
        std::unique_ptr<char[]> brut(it.GetUTF8Text(tesseract::RIL_WORD));
        if (brut)
            mots.append({QString::fromUtf8(brut.get()).trimmed(), it.Confidence(tesseract::RIL_WORD)});
    } while (!it.IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD) && it.Next(tesseract::RIL_WORD));
    return mots;
}

// A line one pass read, its box in the pixels of the picture it was given, and its weight:
// its letters and digits, each counted by how sure the recogniser is of its word.
struct Ligne {
    QString texte;
    QRectF cadre;
    double poids = 0;
};

// A line read as text rather than noise from a picture: its sure words hold enough letters or
// digits, and most of the line's; letters or digits are half of its signs. An icon or an
// ornament beside a line reads as a short stray word the recogniser is unsure of: the line
// is kept from its first to its last sure word, where the line's own confidence, the mean
// of its words', would have dropped it whole. Empty when the line is no believable text.
Ligne ligneCredible(const QList<Mot>& mots, Exigence exigence)
{
    const auto sur = [exigence](const Mot& m) { return m.confiance >= exigence.confiance; };
    int signes = 0, lettres = 0, lettresSures = 0;
    for (const Mot& m : mots)
        for (const QChar c : m.texte) {
            signes += !c.isSpace();
            lettres += c.isLetterOrNumber();
            lettresSures += c.isLetterOrNumber() && sur(m);
        }
    if (lettresSures < exigence.lettres || 3 * lettresSures < 2 * lettres || 2 * lettres < signes)
        return {};
    const auto premier = std::find_if(mots.cbegin(), mots.cend(), sur);
    const auto fin = std::find_if(mots.crbegin(), mots.crend(), sur).base();
    Ligne ligne;
    QStringList gardes;
    for (auto m = premier; m != fin; ++m) {
        gardes.append(m->texte);
        const auto signes =
            std::count_if(m->texte.cbegin(), m->texte.cend(), [](QChar c) { return c.isLetterOrNumber(); });
        ligne.poids += m->confiance / 100.0 * static_cast<double>(signes);
    }
    ligne.texte = gardes.join(QLatin1Char(' '));
    return ligne;
}

qsizetype nombreDeMots(const QString& ligne) { return ligne.split(QLatin1Char(' '), Qt::SkipEmptyParts).size(); }

// What one pass read: its believable lines, how many words they hold, and how many lines
// it read at all.
struct Lecture {
    QList<Ligne> lignes;
    qsizetype mots = 0;
    int lues = 0;

    QString texte() const
    {
        QStringList t;
        for (const Ligne& l : lignes)
            t.append(l.texte);
        return t.join(QLatin1Char('\n'));
    }
    // Poor: some of what it read, but not half of its lines believable (a page turned
    // sideways reads as lines of garbage).
    bool pauvre() const { return lues > 0 && 2 * lignes.size() < lues; }
};

Lecture lignes(tesseract::TessBaseAPI& api, Exigence exigence, double echelle)
{
    Lecture lue;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it)
        return lue;
    do {
        std::unique_ptr<char[]> brut(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
        if (!brut)
            continue;
        const QString ligne = QString::fromUtf8(brut.get()).trimmed();
        if (std::none_of(ligne.cbegin(), ligne.cend(), [](QChar c) { return c.isLetterOrNumber(); }))
            continue;
        ++lue.lues;
        Ligne credible = ligneCredible(motsDe(*it), exigence);
        if (credible.texte.isEmpty())
            continue;
        int g = 0, h = 0, d = 0, b = 0;
        it->BoundingBox(tesseract::RIL_TEXTLINE, &g, &h, &d, &b);
        credible.cadre = QRectF(QPointF(g, h) / echelle, QPointF(d, b) / echelle);
        lue.mots += nombreDeMots(credible.texte);
        lue.lignes.append(std::move(credible));
    } while (it->Next(tesseract::RIL_TEXTLINE));
    return lue;
}

// One pass over a grey or RGBX picture, enlarged `echelle` times from the one the boxes refer to.
Lecture lire(tesseract::TessBaseAPI& api, const QImage& image, int resolution, tesseract::PageSegMode mode,
             double echelle = 1.0)
{
    api.SetPageSegMode(mode);
    api.SetImage(image.constBits(), image.width(), image.height(), image.depth() / 8,
                 static_cast<int>(image.bytesPerLine()));
    // Without a resolution the recogniser estimates one from the size of the text: a
    // forced one makes it miss large letters in photos.
    if (resolution > 0)
        api.SetSourceResolution(resolution);
    const bool lu = api.Recognize(nullptr) == 0;
    const Lecture lue = lu ? lignes(api, mode == tesseract::PSM_SPARSE_TEXT ? pourDesMotsEpars : pourUnePage, echelle)
                           : Lecture{};
    api.Clear();
    api.SetPageSegMode(tesseract::PSM_AUTO);  // what every other user of the engine expects
    if (!lu)
        throw Erreur::rien(QCoreApplication::translate("Conversions", "La reconnaissance de texte a échoué"));
    return lue;
}

// `l` put in `lecture` in its place from the top.
void inserer(Lecture& lecture, const Ligne& l)
{
    const auto place = std::find_if(lecture.lignes.begin(), lecture.lignes.end(),
                                    [&l](const Ligne& m) { return m.cadre.top() > l.cadre.top(); });
    lecture.lignes.insert(place, l);
    lecture.mots += nombreDeMots(l.texte);
}

// `base`, with the lines of `autre` that stand where it read nothing, each in its place from
// the top.
Lecture completer(const Lecture& base, const Lecture& autre)
{
    Lecture somme = base;
    for (const Ligne& l : autre.lignes)
        if (std::none_of(somme.lignes.cbegin(), somme.lignes.cend(),
                         [&l](const Ligne& m) { return m.cadre.intersects(l.cadre); }))
            inserer(somme, l);
    somme.lues = std::max(base.lues, autre.lues);
    return somme;
}

// Two readings of one line: their boxes meet, over more than half the shorter one's height.
bool memeLigne(const QRectF& a, const QRectF& b)
{
    const QRectF commun = a.intersected(b);
    return !commun.isEmpty() && 2 * commun.height() > std::min(a.height(), b.height());
}

// `base`, with every line of `autre` it believes: one that stands where `base` read nothing on
// its row goes in its place; one that `base` read too takes that reading's place when it
// weighs more (a digit the other pass took for a letter, a word it lost).
Lecture garderToutes(const Lecture& base, const Lecture& autre)
{
    Lecture somme = base;
    for (const Ligne& l : autre.lignes) {
        const auto lue = [&l](const Ligne& m) { return memeLigne(m.cadre, l.cadre); };
        if (std::any_of(somme.lignes.cbegin(), somme.lignes.cend(),
                        [&](const Ligne& m) { return lue(m) && m.poids >= l.poids; }))
            continue;
        for (const Ligne& m : somme.lignes)
            if (lue(m))
                somme.mots -= nombreDeMots(m.texte);
        somme.lignes.removeIf(lue);
        inserer(somme, l);
    }
    somme.lues = std::max(base.lues, autre.lues);
    return somme;
}

// The pass with more believable words, completed by the other one.
Lecture reunir(const Lecture& a, const Lecture& b)
{
    return a.mots >= b.mots ? completer(a, b) : completer(b, a);
}

// Light letters alone: black where all three channels are light (white, cream, pale
// paint), white elsewhere. A sign and the wall round it may make one grey, which a single
// threshold over the photo gives to the letters too; their colours tell them apart.
// Nothing when light pixels are most of the picture: that is paper, not letters.
std::optional<QImage> lettresClaires(const QImage& image)
{
    constexpr int clair = 176;
    // Opened images come as RGBX already: no second copy of a large photo.
    const QImage rgb = image.format() == QImage::Format_RGBX8888 ? image : image.convertToFormat(QImage::Format_RGBX8888);
    QImage noirEtBlanc(rgb.size(), QImage::Format_Grayscale8);
    qint64 claires = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* source = rgb.constScanLine(y);
        uchar* ligne = noirEtBlanc.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const uchar* p = source + 4 * x;
            const bool lettre = std::min({p[0], p[1], p[2]}) >= clair;
            ligne[x] = lettre ? 0 : 255;
            claires += lettre;
        }
    }
    if (claires == 0 || 2 * claires > static_cast<qint64>(rgb.width()) * rgb.height())
        return std::nullopt;
    return noirEtBlanc;
}

// Whether a picture holds colours: some pixel whose channels differ.
bool enCouleurs(const QImage& rgbx)
{
    for (int y = 0; y < rgbx.height(); ++y) {
        const uchar* ligne = rgbx.constScanLine(y);
        for (int x = 0; x < rgbx.width(); ++x) {
            const uchar* p = ligne + 4 * x;
            if (std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 24)
                return true;
        }
    }
    return false;
}

// A page of text scanned: large, and nearly all its pixels near black or near white.
// Photos and screenshots are neither.
bool pageScannee(const QImage& gris)
{
    if (std::max(gris.width(), gris.height()) < 1600)
        return false;
    qint64 tons = 0, extremes = 0;
    for (int y = 0; y < gris.height(); y += 4) {
        const uchar* ligne = gris.constScanLine(y);
        for (int x = 0; x < gris.width(); x += 4, ++tons)
            extremes += ligne[x] < 64 || ligne[x] > 192;
    }
    return extremes * 10 >= tons * 9;
}

// Small letters of a sign in a photo are read once enlarged: twice, as far as 4000 pixels.
constexpr int coteAgrandiAuPlus = 4000;

// The resolution the file declares, in dots per inch; 0 when it declares none that is
// believable (libvips gives one pixel per millimetre to files that say nothing).
int resolutionDe(const VImage& image)
{
    const double ppp = image.xres() * 25.4;
    return ppp >= 70 && ppp <= 2400 ? static_cast<int>(std::lround(ppp)) : 0;
}

} // namespace

QString lireTexte(const QImage& image, int resolution)
{
    if (image.isNull())
        return {};
    QImage couleurs = (image.hasAlphaChannel() ? aplatir(image) : image).convertToFormat(QImage::Format_RGBX8888);
    QImage gris = couleurs.convertToFormat(QImage::Format_Grayscale8);
    LocaleC c;
    tesseract::TessBaseAPI& api = moteur();
    Lecture page = lire(api, gris, resolution, tesseract::PSM_AUTO);
    // A page turned sideways or upside down reads as garbage: turned upright, it is read again.
    if (page.pauvre()) {
        if (const int degres = sensDuTexte(gris, resolution)) {
            QImage droite = redresserTexte(gris, degres);
            Lecture relue = lire(api, droite, resolution, tesseract::PSM_AUTO);
            if (relue.mots > page.mots && !relue.pauvre()) {
                gris = std::move(droite);
                couleurs = redresserTexte(couleurs, degres);
                page = std::move(relue);
            }
        }
    }
    if (pageScannee(gris))
        return page.texte();
    // The layout pass found no word it believes in a picture that is no scan: text in a
    // photo (signs, labels) is read scattered, enlarged.
    const bool eparse = page.mots == 0;
    const double facteur =
        eparse ? std::max(1.0, std::min(2.0, double(coteAgrandiAuPlus) / std::max(gris.width(), gris.height()))) : 1.0;
    const auto mode = eparse ? tesseract::PSM_SPARSE_TEXT : tesseract::PSM_AUTO;
    const int resolutionLue = resolution > 0 ? static_cast<int>(std::lround(resolution * facteur)) : 0;
    auto agrandie = [&](const QImage& i) {
        return facteur > 1.0 ? i.scaled(i.size() * facteur, Qt::IgnoreAspectRatio, Qt::SmoothTransformation) : i;
    };
    Lecture lue = eparse ? reunir(page, lire(api, agrandie(gris), resolutionLue, mode, facteur)) : page;
    // Light letters on a dark or coloured sign, read apart; the pass with more believable
    // words leads.
    if (const std::optional<QImage> claires = lettresClaires(couleurs))
        lue = reunir(lue, lire(api, agrandie(*claires), resolutionLue, mode, facteur));
    // The recogniser thresholds each channel of a coloured picture apart: coloured letters on
    // a ground of nearly their grey, lost in grey, are read there, and so are small black
    // lines that a photo beside them drags into its grey. Every line it believes is kept; where
    // grey read the same line, the reading that weighs more stays: icons grey leaves out as
    // unsure signs do not push a line out, nor do half lines. A picture without colour reads
    // the same in each channel as in grey: it is not read again.
    if (enCouleurs(couleurs))
        lue = garderToutes(lue, lire(api, agrandie(couleurs), resolutionLue, mode, facteur));
    return lue.texte();
}

namespace {

// Letters are read a few dozen pixels high: a picture larger than an A4 page at 600 dpi
// is read reduced to that many pixels, its resolution reduced alike.
constexpr double pixelsLusAuPlus = 36e6;

} // namespace

QString texteDeLImage(const QString& source)
{
    const VImage entete = ouvrirImage(source);
    const int cote = std::max(entete.width(), entete.height());
    const double echelle = std::sqrt(pixelsLusAuPlus / (static_cast<double>(entete.width()) * entete.height()));
    const QImage image =
        redressee(entete, source, echelle < 1.0 ? std::optional(static_cast<int>(cote * echelle)) : std::nullopt);
    const double reduction = static_cast<double>(std::max(image.width(), image.height())) / cote;
    const QString texte = lireTexte(image, static_cast<int>(std::lround(resolutionDe(entete) * reduction)));
    if (texte.isEmpty())
        throw Erreur::rien(QCoreApplication::translate("Conversions", "Aucun texte dans « %1 »")
                               .arg(QFileInfo(source).fileName()));
    Sortie sortie = Sortie::apres(source, {}, QStringLiteral("txt"));
    ecrireDans(sortie, texte.toUtf8());
    return sortie.valider();
}

void avecReconnaissance(const std::function<void(tesseract::TessBaseAPI&)>& travail)
{
    LocaleC c;
    tesseract::TessBaseAPI& api = moteur();
    struct Nettoyer {
        tesseract::TessBaseAPI& api;
        ~Nettoyer() { api.Clear(); }
    } nettoyer{api};
    travail(api);
}

} // namespace Conversions
