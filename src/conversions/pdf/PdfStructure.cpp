#include "conversions/pdf/PdfStructure.h"

#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/Sortie.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
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

} // namespace

std::shared_ptr<QPDF> ouvrirStructure(const QString& chemin, bool* reconstruit)
{
    const QString nom = nomDe(chemin);
    if (!QFileInfo(chemin).isFile())
        throw Erreur::lecture(nom);  // a pipe or a device is no document
    auto document = std::make_shared<QPDF>();
    document->setSuppressWarnings(true);
    try {
        document->processFile(local(chemin).constData());
        if (document->getAllPages().empty())
            throw Erreur::lecture(nom);
    } catch (const QPDFExc& e) {
        detailler(QStringLiteral("lecture de"), chemin, e.what());
        if (e.getErrorCode() == qpdf_e_password)
            throw Erreur::protege(nom);
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
        *reconstruit = document->anyWarnings();
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

QString Assemblage::ecrire(Sortie& sortie)
{
    try {
        // The writer keeps the name's pointer for its messages: it must outlive the writer.
        const QByteArray nom = local(sortie.temporaire());
        QPDFWriter ecrivain(*document_, nom.constData());
        ecrivain.setMinimumPDFVersion(version_);
        ecrivain.write();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        detailler(QStringLiteral("écriture de"), sortie.chemin(), e.what());
        throw Erreur::ecriture(sortie.nom());
    }
    noterAvertissements(*document_, sortie.chemin());
    return sortie.valider();
}

} // namespace Conversions
