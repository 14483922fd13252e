#include "conversions/pdf/PdfStructure.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/sorties/FichierDeSortie.h"
#include "conversions/Journaux.h"
#include "conversions/sorties/Sortie.h"

#include <QFile>
#include <QFileInfo>
#include <cctype>
#include <cstring>
#include <optional>
#include <set>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDFWriter.hh>

namespace Conversions {

namespace {

void detailler(const QString& quoi, const QString& chemin, const char* texte)
{
    qCWarning(journalPdf).noquote() << QStringLiteral("qpdf : %1 %2 : %3").arg(quoi, chemin, QString::fromUtf8(texte));
}

// Recovered damage is not an error, but it is worth a line in the log.
void noterAvertissements(QPDF& document, const QString& chemin)
{
    const auto avertissements = document.getWarnings();
    if (!avertissements.empty())
        detailler(QStringLiteral("%1 avertissement(s) pour").arg(avertissements.size()), chemin,
                  avertissements.front().what());
}

// The trailer's key renamed in a copy of a file whose pages are in clear: same length, so
// every offset holds.
constexpr char cleChiffrement[] = "/Encrypt";
constexpr char cleMiseDeCote[] = "/EncrypX";

// Whether `octets` hold an indirect reference ("12 0 R") from `i` on, after blanks.
bool referenceA(const QByteArray& octets, qsizetype i)
{
    auto blancs = [&] {
        const qsizetype debut = i;
        while (i < octets.size() && std::isspace(static_cast<unsigned char>(octets[i])))
            ++i;
        return i > debut;
    };
    auto chiffres = [&] {
        const qsizetype debut = i;
        while (i < octets.size() && std::isdigit(static_cast<unsigned char>(octets[i])))
            ++i;
        return i > debut;
    };
    return blancs() && chiffres() && blancs() && chiffres() && blancs() && i < octets.size() && octets[i] == 'R';
}

// Whether an encryption dictionary leaves streams and strings in clear (crypt filters of
// version 4 and later, both /Identity, which they are when unnamed): only embedded files
// are encrypted, and the pages need no password.
bool pagesEnClair(QPDFObjectHandle chiffrement)
{
    if (!chiffrement.isDictionary())
        return false;
    QPDFObjectHandle v = chiffrement.getKey("/V");
    if (!v.isInteger() || v.getIntValue() < 4)
        return false;
    for (const char* cle : {"/StmF", "/StrF"}) {
        QPDFObjectHandle filtre = chiffrement.getKey(cle);
        if (!filtre.isNull() && !filtre.isNameAndEquals("/Identity"))
            return false;
    }
    return true;
}

// A document that asks a password for its attachments alone, opened without it: the
// trailer's encryption entry is set aside in a copy in memory. Null when the pages
// themselves are encrypted.
std::shared_ptr<QPDF> sansChiffrementDesPieces(const QString& chemin)
{
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray octets = f.readAll();
    bool trouvee = false;
    const qsizetype longueur = static_cast<qsizetype>(std::strlen(cleChiffrement));
    for (qsizetype i = octets.indexOf(cleChiffrement); i >= 0; i = octets.indexOf(cleChiffrement, i + 1)) {
        if (!referenceA(octets, i + longueur))
            continue;
        octets.replace(i, longueur, cleMiseDeCote);
        trouvee = true;
    }
    if (!trouvee)
        return {};
    struct EnMemoire {
        QByteArray octets;
        QPDF document;  // reads `octets` for as long as it lives
    };
    auto lu = std::make_shared<EnMemoire>();
    lu->octets = std::move(octets);
    lu->document.setSuppressWarnings(true);
    const QByteArray nom = local(chemin);
    lu->document.processMemoryFile(nom.constData(), lu->octets.constData(), static_cast<size_t>(lu->octets.size()));
    if (!pagesEnClair(lu->document.getTrailer().getKey(cleMiseDeCote)))
        return {};
    lu->document.getTrailer().removeKey(cleMiseDeCote);
    return std::shared_ptr<QPDF>(lu, &lu->document);
}

// What a page takes from its ancestors when it does not say it itself.
constexpr const char* herites[] = {"/MediaBox", "/CropBox", "/Resources", "/Rotate"};

void heriter(QPDFObjectHandle page, QPDFObjectHandle noeud)
{
    for (const char* cle : herites)
        if (!page.hasKey(cle) && noeud.isDictionary() && noeud.hasKey(cle))
            page.replaceKey(cle, noeud.getKey(cle));
}

bool estPage(QPDFObjectHandle objet)
{
    return objet.isDictionary() && objet.getKey("/Type").isNameAndEquals("/Page");
}

// Deeper than this, a tree is a trap for the stack, not a document.
constexpr int profondeurAuPlus = 256;

// The pages under `noeud`, depth first, each node visited once: a loop or a node of the
// wrong kind ends its branch, not the reading.
void cueillir(QPDFObjectHandle noeud, std::set<QPDFObjGen>& vus, std::vector<QPDFObjectHandle>& pages,
              int profondeur = 0)
{
    if (profondeur > profondeurAuPlus || !noeud.isDictionary()
        || (noeud.isIndirect() && !vus.insert(noeud.getObjGen()).second))
        return;
    QPDFObjectHandle enfants = noeud.getKey("/Kids");
    if (!enfants.isArray()) {
        if (estPage(noeud) || noeud.hasKey("/Contents"))
            pages.push_back(noeud);
        return;
    }
    for (QPDFObjectHandle enfant : enfants.getArrayAsVector()) {
        if (enfant.isDictionary())
            heriter(enfant, noeud);
        cueillir(enfant, vus, pages, profondeur + 1);
    }
}

// The pages of a document whose tree is missing: every page object in file order, each
// taking what its ancestors still give.
std::vector<QPDFObjectHandle> pagesEparses(QPDF& document)
{
    std::vector<QPDFObjectHandle> pages;
    for (QPDFObjectHandle objet : document.getAllObjects()) {
        if (!estPage(objet))
            continue;
        std::set<QPDFObjGen> vus{objet.getObjGen()};
        int profondeur = 0;
        for (QPDFObjectHandle parent = objet.getKey("/Parent");
             parent.isDictionary() && (!parent.isIndirect() || vus.insert(parent.getObjGen()).second)
             && ++profondeur <= profondeurAuPlus;
             parent = parent.getKey("/Parent"))
            heriter(objet, parent);
        pages.push_back(objet);
    }
    return pages;
}

// A page tree of one level holding `pages`, put in place of the root's.
void replanter(QPDF& document, const std::vector<QPDFObjectHandle>& pages)
{
    QPDFObjectHandle racine = document.makeIndirectObject(QPDFObjectHandle::newDictionary());
    QPDFObjectHandle enfants = QPDFObjectHandle::newArray();
    for (QPDFObjectHandle page : pages) {
        page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        page.replaceKey("/Parent", racine);
        enfants.appendItem(page);
    }
    racine.replaceKey("/Type", QPDFObjectHandle::newName("/Pages"));
    racine.replaceKey("/Kids", enfants);
    racine.replaceKey("/Count", QPDFObjectHandle::newInteger(static_cast<long long>(pages.size())));
    document.getRoot().replaceKey("/Pages", racine);
    document.updateAllPagesCache();
}

// The pages as qpdf walks them; when the tree is broken (no page, a loop, a node of the
// wrong kind), the tree rebuilt from what can be reached, else from every page object.
// Gives whether it had to rebuild.
bool pagesLisibles(QPDF& document, const QString& chemin)
{
    try {
        if (!document.getAllPages().empty())
            return false;
        detailler(QStringLiteral("aucune page dans"), chemin, "l'arbre des pages est vide ou absent");
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        detailler(QStringLiteral("arbre des pages de"), chemin, e.what());
    }
    std::set<QPDFObjGen> vus;
    std::vector<QPDFObjectHandle> pages;
    QPDFObjectHandle racine = document.getRoot();
    if (racine.isDictionary())
        cueillir(racine.getKey("/Pages"), vus, pages);
    if (pages.empty())
        pages = pagesEparses(document);
    if (pages.empty() || !racine.isDictionary())
        throw Erreur::lecture(nomDe(chemin));
    replanter(document, pages);
    qCWarning(journalPdf).noquote()
        << QStringLiteral("qpdf : arbre des pages de %1 reconstruit : %2 page(s)").arg(chemin, QString::number(pages.size()));
    return true;
}

} // namespace

std::shared_ptr<QPDF> ouvrirStructure(const QString& chemin, bool* reconstruit)
{
    const QString nom = nomDe(chemin);
    if (!QFileInfo(chemin).isFile())
        throw Erreur::lecture(nom);  // a pipe or a device is no document
    std::shared_ptr<QPDF> document = std::make_shared<QPDF>();
    document->setSuppressWarnings(true);
    bool replante = false;
    try {
        try {
            document->processFile(local(chemin).constData());
        } catch (const QPDFExc& e) {
            if (e.getErrorCode() != qpdf_e_password)
                throw;
            detailler(QStringLiteral("lecture de"), chemin, e.what());
            // Locked only when the pages need the password, as for any reader.
            try {
                document = sansChiffrementDesPieces(chemin);
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception& autre) {
                detailler(QStringLiteral("lecture sans chiffrement de"), chemin, autre.what());
                document.reset();
            }
            if (!document)
                throw Erreur::protege(nom);
            detailler(QStringLiteral("lecture de"), chemin,
                      "seules les pièces jointes sont chiffrées, les pages se lisent sans mot de passe");
        }
        replante = pagesLisibles(*document, chemin);
        if (document->getAllPages().empty())
            throw Erreur::lecture(nom);
    } catch (const QPDFExc& e) {
        detailler(QStringLiteral("lecture de"), chemin, e.what());
        throw Erreur::lecture(nom);
    } catch (const Erreur&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        detailler(QStringLiteral("lecture de"), chemin, e.what());
        throw Erreur::lecture(nom);
    }
    if (reconstruit)
        *reconstruit = replante || document->anyWarnings();
    noterAvertissements(*document, chemin);
    return document;
}

Assemblage::Assemblage() : document_(std::make_shared<QPDF>()), version_(1, 4)
{
    document_->setSuppressWarnings(true);
    document_->emptyPDF();
}

Assemblage::~Assemblage() = default;

// `choisir` gives the pages of `source` to copy.
template <typename F>
void Assemblage::copier(const std::shared_ptr<QPDF>& source, const QString& nom, F&& choisir)
{
    if (sources_.empty() || sources_.back() != source)
        sources_.push_back(source);
    version_.updateIfGreater(source->getVersionAsPDFVersion());
    try {
        QPDFPageDocumentHelper pages(*document_);
        QPDFAcroFormDocumentHelper formulaireSource(*source);
        const bool formulaire = formulaireSource.hasAcroForm();
        std::optional<QPDFAcroFormDocumentHelper> formulaireCible;
        if (formulaire)
            formulaireCible.emplace(*document_);
        for (QPDFPageObjectHelper& page : choisir(QPDFPageDocumentHelper(*source).getAllPages())) {
            pages.addPage(page, false);
            // Without this, copied widgets would lose their fields and share annotations.
            if (formulaire)
                formulaireCible->fixCopiedAnnotations(document_->getAllPages().back(),
                                                      page.getObjectHandle(), formulaireSource);
        }
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        detailler(QStringLiteral("copie des pages de"), nom, e.what());
        throw Erreur::lecture(nom);
    }
}

void Assemblage::ajouter(const std::shared_ptr<QPDF>& source, const QString& nom)
{
    copier(source, nom, [](std::vector<QPDFPageObjectHelper> toutes) { return toutes; });
}

void Assemblage::ajouter(const std::shared_ptr<QPDF>& source, int index, const QString& nom)
{
    copier(source, nom, [index](std::vector<QPDFPageObjectHelper> toutes) {
        std::vector<QPDFPageObjectHelper> une;
        if (index >= 0 && static_cast<size_t>(index) < toutes.size())
            une.push_back(toutes[static_cast<size_t>(index)]);
        return une;
    });
}

void Assemblage::enregistrer(Sortie& sortie)
{
    try {
        QPDFWriter ecrivain(*document_);
        ecrivain.setMinimumPDFVersion(version_);
        ecrireVers(ecrivain, sortie.temporaire(), sortie.nom());
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const Erreur&) {
        throw;
    } catch (const std::exception& e) {
        detailler(QStringLiteral("écriture de"), sortie.chemin(), e.what());
        echecDEcriture(sortie.nom(), e);
    }
    noterAvertissements(*document_, sortie.chemin());
}

QString Assemblage::ecrire(Sortie& sortie)
{
    enregistrer(sortie);
    return sortie.valider();
}

namespace {

// qpdf's bytes on their way to the file, each write checked.
class VersLeFichier : public Pipeline {
public:
    explicit VersLeFichier(FichierDeSortie& fichier) : Pipeline("fichier", nullptr), fichier_(fichier) {}
    void write(unsigned char const* octets, size_t taille) override { fichier_.ecrire(octets, taille); }
    void finish() override {}

private:
    FichierDeSortie& fichier_;
};

} // namespace

void ecrireVers(QPDFWriter& ecrivain, const QString& chemin, const QString& nom)
{
    FichierDeSortie fichier(chemin, nom);
    VersLeFichier tuyau(fichier);
    ecrivain.setOutputPipeline(&tuyau);
    ecrivain.write();
    fichier.fermer();
}

} // namespace Conversions
