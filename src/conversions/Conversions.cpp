#include "conversions/Conversions.h"
#include "conversions/Chemins.h"

#include "conversions/sorties/Alias.h"
#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/DossierTenu.h"
#include "conversions/sorties/Empreinte.h"

#include "conversions/archives/Archives.h"
#include "conversions/media/Audio.h"
#include "conversions/documents/Documents.h"
#include "conversions/media/FFmpeg.h"
#include "conversions/media/Gif.h"
#include "conversions/images/Images.h"
#include "conversions/pdf/Pdf.h"
#include "conversions/pdf/PdfCompte.h"
#include "conversions/pdf/Ideogrammes.h"
#include "conversions/media/Video.h"

#include "conversions/Journaux.h"

#include <QCollator>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <memory>
#include <vector>
#include <cerrno>
#include <functional>
#include <system_error>
#include <unistd.h>

namespace Conversions {

namespace {

// The catalogue, in the core, counts a PDF's pages through the PDF library.
[[maybe_unused]] const bool pagesComptees =
    (compterLesPagesAvec([](const QString& pdf) { return compterPages(pdf); }), true);
// Documents laid out into PDF get their ideographs read back as written.
[[maybe_unused]] const bool pdfRetouches = (retoucherLesPdfAvec(&ideogrammesRetrouves), true);

bool tousImagesOuPDF(const QStringList& chemins)
{
    return std::all_of(chemins.begin(), chemins.end(), [](const QString& c) {
        const Genre g = genre(c);
        return g == Genre::image || g == Genre::pdf;
    });
}

// Only regular files and folders go further: a named pipe, a device or a socket would
// block whichever reader opens it, for ever.
void verifierEntree(const QString& chemin)
{
    if (!fichierOuDossier(chemin))
        throw Erreur::lecture(nomDe(chemin));
}

// What `faire` returns; an Erreur it raises names the items, not their aliases.
template <typename Faire>
auto sousLeurNom(const std::vector<std::unique_ptr<Alias>>& alias, Faire faire)
{
    try {
        return faire();
    } catch (const Erreur& e) {
        Erreur nommee = e;
        for (const auto& a : alias)
            nommee = a->nommer(nommee);
        throw nommee;
    }
}

// Runs `faire` on `source`: once the folder that holds it (where the outputs go) was moved
// or replaced meanwhile, a failure is that folder's, its files gone with it, never the
// source's.
template <typename Faire>
auto dansSonDossier(const QString& source, Faire faire)
{
    const QString chemin = absolu(source);
    const QString dossier = chemin.left(std::max<qsizetype>(chemin.lastIndexOf(QLatin1Char('/')), 1));
    const std::shared_ptr<const DossierTenu> tenu = DossierTenu::tenir(dossier);
    try {
        return faire();
    } catch (const Annulee&) {
        throw;
    } catch (const std::exception&) {
        if (tenu && !tenu->enPlace())
            throw Erreur::ecriture(nomDe(dossier));
        throw;
    }
}

// How the maker of one output for several items reaches them: by their own bytes, or items
// whose path is not UTF-8 under their aliases (whose names must then show in nothing made).
enum class Acces { parOctets, parAlias };

// One archive or one merged PDF: a single output for the whole list, beside the first item.
template <typename Fabrique>
Resultat unPourTous(const QStringList& chemins, Fabrique fabrique, const Progression& progression, Acces acces,
                    Bilan& bilan)
{
    Resultat r;
    try {
        std::for_each(chemins.begin(), chemins.end(), verifierEntree);
        dansSonDossier(chemins.value(0), [&] {
            // The aliases outlive the lot: an output made in an alias folder is recorded through
            // that folder's descriptor, whose number another folder may take once it is closed.
            std::vector<std::unique_ptr<Alias>> alias;
            Lot lot;
            const std::vector<Empreinte> sources(chemins.begin(), chemins.end());
            QStringList lus;
            for (const QString& c : chemins) {
                if (acces == Acces::parOctets || !horsUtf8(c)) {
                    lus.append(c);
                    continue;
                }
                alias.push_back(std::make_unique<Alias>(c));
                lus.append(alias.back()->chemin());
            }
            const QString cree = sousLeurNom(alias, [&] { return fabrique(lus); });
            std::for_each(sources.begin(), sources.end(), std::mem_fn(&Empreinte::verifier));
            lot.garder();
            r.crees.append(acces == Acces::parAlias && horsUtf8(chemins.first()) ? alias.front()->rapatrier(cree) : cree);
        });
    } catch (const Annulee&) {
        throw;
    } catch (const std::exception& e) {
        r.erreurs.append(descriptionPour(e, chemins.value(0)));
    }
    // Told before the last report, where a stop may come once the output is kept.
    bilan.ajouter(chemins.size(), r);
    progression(1.0);
    return r;
}

// Every progress report is also where a stopped engine interrupts the conversion.
Progression annulable(const Progression& progression)
{
    return [progression](double p) {
        verifierAnnulation();
        if (progression)
            progression(p);
    };
}

} // namespace

void trierCommeLeGestionnaire(QStringList& chemins)
{
    // The C locale has no collation rules (numbers would compare as text): fall back to French.
    const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::French, QLocale::France) : QLocale();
    QCollator collateur(locale);
    collateur.setNumericMode(true);
    collateur.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(chemins.begin(), chemins.end(), [&](const QString& a, const QString& b) {
        return collateur.compare(nomDe(a), nomDe(b)) < 0;
    });
}

Resultat convertir(const QStringList& chemins, const QString& id, const Progression& progression)
{
    Bilan bilan;
    return convertir(chemins, id, progression, bilan);
}

Resultat convertir(const QStringList& chemins, const QString& id, const Progression& suivi, Bilan& bilan)
{
    verifierAnnulation();
    const Progression progression = annulable(suivi);
    if (id == QLatin1String("zip"))
        return unPourTous(chemins, [](const QStringList& l) { return zipper(l); }, progression, Acces::parOctets, bilan);
    if (id == QLatin1String("pdf") && chemins.size() >= 2 && tousImagesOuPDF(chemins)) {
        QStringList tries = chemins;
        trierCommeLeGestionnaire(tries);
        return unPourTous(tries, [&](const QStringList& l) { return reunir(l, progression); }, progression,
                          Acces::parAlias, bilan);
    }
    const qsizetype n = chemins.size();
    for (qsizetype i = 0; i < n; ++i) {
        const Progression parFichier = [&progression, i, n](double p) {
            progression((static_cast<double>(i) + p) / static_cast<double>(n));
        };
        Resultat fichier;
        try {
            verifierAnnulation();
            fichier.crees = convertirUn(chemins[i], id, parFichier);
        } catch (const Annulee&) {
            throw;
        } catch (const std::exception& e) {
            fichier.erreurs.append(descriptionPour(e, chemins[i]));
        }
        bilan.ajouter(1, fichier);
        progression(static_cast<double>(i + 1) / static_cast<double>(n));
    }
    return bilan.releve().fait;
}

void Bilan::ajouter(qsizetype fichiers, const Resultat& fait)
{
    const std::lock_guard<std::mutex> verrou(verrou_);
    releve_.fait.crees += fait.crees;
    releve_.fait.erreurs += fait.erreurs;
    releve_.traites += fichiers;
}

Bilan::Releve Bilan::releve() const
{
    const std::lock_guard<std::mutex> verrou(verrou_);
    return releve_;
}

namespace {

// The converter of the file's kind and the petal.
QStringList selonLeGenre(const QString& chemin, const QString& id, const Progression& p)
{
    const QString ext = QFileInfo(chemin).suffix().toLower();
    switch (genre(chemin)) {
    case Genre::image:
        if (id == QLatin1String("leger"))
            return {imageLegere(chemin)};
        if (id == QLatin1String("ocr"))
            return {texteDeLImage(chemin)};
        if (id == QLatin1String("detour"))
            return {detourer(chemin)};
        if (id == QLatin1String("gifmp4"))
            return {gifEnVideo(chemin, p)};
        if (id == QLatin1String("pdf"))
            return {imagesEnPDF({chemin})};
        return {image(chemin, id)};
    case Genre::pdf:
        if (id == QLatin1String("separer"))
            return separer(chemin);
        return pdf(chemin, id);
    case Genre::son:
        if (sonsFFmpeg().contains(ext))
            return {sonParFFmpeg(chemin, id, p)};
        return {son(chemin, id, p)};
    case Genre::video:
        if (videosFFmpeg().contains(ext))
            return {videoParFFmpeg(chemin, id, p)};
        return {video(chemin, id, p)};
    case Genre::texte:
        return {document(chemin, id)};
    case Genre::archive:
        if (id == QLatin1String("extraire"))
            return {extraire(chemin)};
        break;
    case Genre::dossier:
    case Genre::autre:
        break;
    }
    throw Erreur::lecture(nomDe(chemin));
}

} // namespace

QStringList convertirUn(const QString& chemin, const QString& id, const Progression& progression)
{
    verifierEntree(chemin);
    if (horsUtf8(chemin)) {
        const Alias alias(chemin);
        QStringList crees;
        try {
            try {
                for (const QString& c : convertirUn(alias.chemin(), id, progression))
                    crees.append(alias.rapatrier(c));
            } catch (const Erreur& e) {
                throw alias.nommer(e);
            }
        } catch (...) {
            for (const QString& c : crees)  // all the pages or none
                ::unlink(local(c).constData());
            throw;
        }
        return crees;
    }
    return dansSonDossier(chemin, [&] {
        // Every file it makes, or none: a failure, a stop or a source changed meanwhile.
        Lot lot;
        const Empreinte source(chemin);
        const QStringList crees = selonLeGenre(chemin, id, progression ? progression : Progression([](double) {}));
        source.verifier();
        lot.garder();
        return crees;
    });
}

} // namespace Conversions
