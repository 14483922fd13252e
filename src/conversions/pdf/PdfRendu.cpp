#include "conversions/pdf/PdfRendu.h"

#include "conversions/Chemins.h"
#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/DossierDeTravail.h"
#include "conversions/sorties/DossierTenu.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/pdf/OutilBorne.h"
#include "conversions/pdf/PdfStructure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <algorithm>
#include <cmath>
#include <cstring>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

using namespace std::chrono_literals;

namespace Conversions {

namespace {

constexpr int resolutionVoulue = 300;
// A page that takes longer than this to draw is taken for a trap, not for a drawing.
constexpr std::chrono::milliseconds delaiParPage = 120s;
// pdftotext reads hundreds of ordinary pages a second.
constexpr std::chrono::milliseconds delaiDuTexte = 60s;
constexpr std::chrono::milliseconds delaiDuTexteParPage = 50ms;
// The text of tens of thousands of pages: beyond it, a few pages that repeat one long stream
// would fill the memory (the Word document lays it out again).
constexpr qsizetype texteAuPlus = 32 << 20;

// The visible box (crop box within media box) turned as the page says, in points.
QSizeF tailleDePage(QPDFPageObjectHelper& page)
{
    const auto media = page.getMediaBox().getArrayAsRectangle();
    const auto coupe = page.getCropBox().getArrayAsRectangle();
    const double l = std::max(std::min(media.llx, media.urx), std::min(coupe.llx, coupe.urx));
    const double r = std::min(std::max(media.llx, media.urx), std::max(coupe.llx, coupe.urx));
    const double b = std::max(std::min(media.lly, media.ury), std::min(coupe.lly, coupe.ury));
    const double t = std::min(std::max(media.lly, media.ury), std::max(coupe.lly, coupe.ury));
    double largeur = std::max(0.0, r - l);
    double hauteur = std::max(0.0, t - b);
    QPDFObjectHandle rotation = page.getAttribute("/Rotate", false);
    if (rotation.isInteger() && ((rotation.getIntValue() % 360) + 360) % 180 == 90)
        std::swap(largeur, hauteur);
    return {largeur, hauteur};
}

QSize pixelsA(QSizeF points, int resolution)
{
    return {static_cast<int>(std::floor(points.width() * resolution / 72.0)),
            static_cast<int>(std::floor(points.height() * resolution / 72.0))};
}

double aire(QSize pixels) { return static_cast<double>(pixels.width()) * pixels.height(); }

// The largest resolution up to 300 dpi at which the page stays within the memory guard:
// a poster or a huge scan is drawn smaller rather than refused.
int resolutionDe(QSizeF points)
{
    const double a = aire(pixelsA(points, resolutionVoulue));
    if (a <= pixelsDePageAuPlus)
        return resolutionVoulue;
    int resolution = static_cast<int>(std::floor(resolutionVoulue * std::sqrt(pixelsDePageAuPlus / a)));
    while (resolution > 1 && aire(pixelsA(points, resolution)) > pixelsDePageAuPlus)
        --resolution;
    return std::max(resolution, 1);
}

// "P6 <width> <height> 255" and the rows: what pdftoppm writes on its output.
QImage lirePpm(const QByteArray& ppm, QSize attendue)
{
    const char* p = ppm.constData();
    const char* fin = p + ppm.size();
    auto nombre = [&]() -> long {
        while (p < fin && std::isspace(static_cast<unsigned char>(*p)))
            ++p;
        long v = -1;
        for (; p < fin && *p >= '0' && *p <= '9' && v < 1000000; ++p)
            v = (v < 0 ? 0 : v * 10) + (*p - '0');
        return v;
    };
    if (ppm.size() < 2 || std::memcmp(p, "P6", 2) != 0)
        return {};
    p += 2;
    const long l = nombre();
    const long h = nombre();
    const long max = nombre();
    if (l != attendue.width() || h != attendue.height() || max != 255 || p >= fin)
        return {};
    ++p;  // the one blank before the rows
    const qsizetype ligne = 3 * static_cast<qsizetype>(l);
    if (fin - p < ligne * h)
        return {};
    // The rows stay where they were read, without padding, as libvips takes them.
    auto* octets = new QByteArray(ppm);
    return QImage(reinterpret_cast<const uchar*>(octets->constData()) + (p - ppm.constData()),
                  static_cast<int>(l), static_cast<int>(h), ligne, QImage::Format_RGB888,
                  [](void* o) { delete static_cast<QByteArray*>(o); }, octets);
}

// Arabic comes out of a PDF as the shaped forms of its letters (initial, medial, final):
// a text file wants the letters themselves, which can be searched and shaped anew.
QString lettresDeBase(const QString& texte)
{
    auto formeArabe = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0xFB50 && u <= 0xFDFF) || (u >= 0xFE70 && u <= 0xFEFF && u != 0xFEFF);
    };
    if (std::none_of(texte.cbegin(), texte.cend(), formeArabe))
        return texte;
    QString lettres;
    lettres.reserve(texte.size());
    for (const QChar c : texte)
        lettres += formeArabe(c) ? QString(c).normalized(QString::NormalizationForm_KC) : QString(c);
    return lettres;
}

} // namespace

PdfRendu::PdfRendu(const QString& chemin) : nom_(nomDe(chemin)), lu_(QFileInfo(chemin).absoluteFilePath())
{
    bool reconstruit = false;
    const std::shared_ptr<QPDF> document = ouvrirStructure(chemin, &reconstruit);
    try {
        for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*document).getAllPages()) {
            const QSizeF points = tailleDePage(page);
            const int resolution = resolutionDe(points);
            dessins_.push_back({pixelsA(points, resolution), resolution});
        }
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        qCWarning(journalPdf).noquote() << QStringLiteral("qpdf : %1 : %2").arg(nom_, QString::fromUtf8(e.what()));
        throw Erreur::lecture(nom_);
    }
    if (reconstruit)
        reparer(*document);
}

void PdfRendu::reparer(QPDF& document)
{
    // poppler may read the damage otherwise than qpdf, or not at all (another reader spun
    // for ever on such a file): it draws what qpdf read, so the pages and their sizes agree.
    try {
        auto dossier = std::make_unique<DossierDeTravail>(QDir::tempPath(), QStringLiteral("pdf-"));
        const QString copie = dossier->fichier(QStringLiteral("repare.pdf"));
        QPDFWriter ecrivain(document, local(copie).constData());
        ecrivain.write();
        reparation_ = std::move(dossier);
        lu_ = copie;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        // poppler tries the file itself, within the same time limits.
        qCWarning(journalPdf).noquote()
            << QStringLiteral("qpdf : copie réparée de %1 : %2").arg(nom_, QString::fromUtf8(e.what()));
    }
}

PdfRendu::~PdfRendu() = default;

QStringList PdfRendu::textes() const
{
    QByteArray texte = executerBorne(
        QStringLiteral("/usr/bin/pdftotext"),
        {QStringLiteral("-q"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-eol"),
         QStringLiteral("unix"), lu_, QStringLiteral("-")},
        delaiDuTexte + delaiDuTexteParPage * pages(), nom_, texteAuPlus);
    // Every page ends with a form feed. Each page is decoded from the bytes, which are then
    // let go: the text is held once.
    QStringList parPage;
    parPage.reserve(pages());
    for (qsizetype debut = 0; debut < texte.size() && parPage.size() < pages();) {
        qsizetype fin = texte.indexOf('\f', debut);
        if (fin < 0)
            fin = texte.size();
        parPage.append(QString::fromUtf8(QByteArrayView(texte).sliced(debut, fin - debut)));
        debut = fin + 1;
    }
    texte = QByteArray();
    parPage.resize(pages());
    for (QString& t : parPage) {
        t.removeIf([](QChar c) {
            const char16_t u = c.unicode();
            return (u < 0x20 && u != u'\n' && u != u'\t') || u == 0xFFFE || u == 0xFFFF;
        });
        t = lettresDeBase(t);
    }
    return parPage;
}

QStringList PdfRendu::argumentsDePage(int index) const
{
    const QSize pixels = taille(index);
    if (pixels.width() < 1 || pixels.height() < 1 || aire(pixels) > pixelsDePageAuPlus) {
        qCWarning(journalPdf).noquote() << QStringLiteral("page %1 de %2 refusée : %3 × %4 pixels")
                                               .arg(QString::number(index + 1), nom_, QString::number(pixels.width()),
                                                    QString::number(pixels.height()));
        throw Erreur::lecture(nom_);
    }
    if (resolution(index) < resolutionVoulue)
        qCWarning(journalPdf).noquote() << QStringLiteral("page %1 de %2 dessinée à %3 ppp (%4 × %5 pixels) : "
                                                       "à %6 ppp elle dépasserait la mémoire permise")
                                            .arg(index + 1).arg(nom_).arg(resolution(index)).arg(pixels.width())
                                            .arg(pixels.height()).arg(resolutionVoulue);
    const QString page = QString::number(index + 1);
    return {QStringLiteral("-r"), QString::number(resolution(index)), QStringLiteral("-f"), page, QStringLiteral("-l"), page,
            QStringLiteral("-cropbox"), QStringLiteral("-x"), QStringLiteral("0"), QStringLiteral("-y"),
            QStringLiteral("0"), QStringLiteral("-W"), QString::number(pixels.width()), QStringLiteral("-H"),
            QString::number(pixels.height())};
}

QImage PdfRendu::rendre(int index) const
{
    const QByteArray ppm = executerBorne(QStringLiteral("/usr/bin/pdftoppm"), argumentsDePage(index) << lu_,
                                         delaiParPage, nom_);
    QImage image = lirePpm(ppm, taille(index));
    if (image.isNull()) {
        qCWarning(journalPdf).noquote() << QStringLiteral("page %1 de %2 : le rendu a échoué").arg(index + 1).arg(nom_);
        throw Erreur::lecture(nom_);
    }
    return image;
}

void PdfRendu::rendreEnJpeg(int premiere, const QStringList& chemins) const
{
    const auto n = static_cast<int>(chemins.size());
    QStringList arguments = argumentsDePage(premiere);
    arguments[5] = QString::number(premiere + n);  // "-l": the last page of the run
    arguments << QStringLiteral("-jpeg") << QStringLiteral("-jpegopt") << QStringLiteral("quality=90") << lu_;
    if (n == 1) {
        // pdftoppm adds the extension to the name it is given.
        executerBorne(QStringLiteral("/usr/bin/pdftoppm"),
                      arguments << QStringLiteral("-singlefile") << chemins.first().chopped(4), delaiParPage, nom_);
        return;
    }
    // Several pages are numbered after the name, with as many digits as the document's
    // last page has; hidden under our prefix until each is moved to its own path.
    const QString dossier = QFileInfo(chemins.first()).absolutePath();
    // pdftoppm writes each page by its path: through the held folder, so that a folder put
    // in place of a moved one never gets them.
    const std::shared_ptr<const DossierTenu> tenu = DossierTenu::tenir(dossier);
    const QString racine = QDir(tenu ? tenu->vue() : dossier)
                               .filePath(QLatin1Char('.') + prefixeTemporaire + QStringLiteral("pages-")
                                         + QUuid::createUuid().toString(QUuid::Id128).left(12));
    const auto chiffres = QString::number(pages()).size();
    auto ecrite = [&](int k) {
        return racine + QLatin1Char('-') + QString::number(premiere + k + 1).rightJustified(chiffres, QLatin1Char('0'))
               + QStringLiteral(".jpg");
    };
    // Written down before pdftoppm writes them: a kill leaves them to the next start.
    {
        Emprise emprise;
        for (int k = 0; k < n; ++k)
            emprise.tenir(ecrite(k));
    }
    // Removed wherever the folder went; one that stays stays registered.
    auto effacer = [&] {
        for (int k = 0; k < n; ++k)
            if (tenu ? tenu->supprimer(nomDe(ecrite(k))) : supprimer(ecrite(k)))
                Emprise(Emprise::Levee::jamais).lacher(ecrite(k));
    };
    try {
        executerBorne(QStringLiteral("/usr/bin/pdftoppm"), arguments << racine, delaiParPage * n, nom_);
        for (int k = 0; k < n; ++k)
            if (!QFile::rename(ecrite(k), chemins[k]))
                throw Erreur::ecriture(nomDe(chemins[k]));
    } catch (...) {
        effacer();
        for (const QString& c : chemins)
            QFile::remove(c);
        throw;
    }
    effacer();  // their names are gone: out of the register
}

} // namespace Conversions
