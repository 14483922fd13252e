#include "essai/Essai.h"

#include "conversions/Catalogue.h"
#include "conversions/Chemins.h"
#include "conversions/Conversions.h"
#include "conversions/sorties/Alias.h"
#include "conversions/sorties/Annulation.h"
#include "conversions/media/FFmpeg.h"
#include "conversions/images/Images.h"
#include "essai/Echantillons.h"
#include "essai/Formes.h"
#include "essai/Outils.h"
#include "essai/PremierLot.h"
#include "essai/Rapport.h"
#include "essai/Verificateur.h"
#include "essai/Cliches.h"
#include "roue/EtatRoue.h"
#include "roue/Geometrie.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfDocument>
#include <QSaveFile>
#include <QTextStream>
#include <chrono>
#include <cstdio>
#include <memory>

namespace Essai {

namespace {

using Formes::liste;

double depuis(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A name as the report shows it: bytes that are not UTF-8 read as Latin-1.
QString nomLisible(const QString& chemin) { return Conversions::lisible(QFileInfo(chemin).fileName()); }

// The verdict on an output whose name is not UTF-8 is taken through a readable alias: the
// readers that the verifier uses open paths as text.
QString verifierSousUnNomLisible(const QString& chemin)
{
    if (!Conversions::horsUtf8(chemin))
        return verifier(chemin);
    try {
        const Conversions::Alias alias(chemin);
        return verifier(alias.chemin());
    } catch (const std::exception&) {
        return QStringLiteral("ILLISIBLE");
    }
}

// Converts one file with every petal it is offered, one report line per output, written
// straight into the report: a failed ffmpeg run's line lands just before its conversion's.
// `mesureApres`: the duration is taken after the verdict (the exotic pass) rather than at once.
void passe(QString& rapport, const QString& entree, const QList<Conversions::Petale>& petales,
           const QStringList& sauter, bool mesureApres)
{
    QStringList noms;
    for (const Conversions::Petale& p : petales)
        noms << p.titre;
    rapport += nomLisible(entree) + QStringLiteral(" → pétales : ") + noms.join(QStringLiteral(", "))
               + QLatin1Char('\n');
    for (const Conversions::Petale& p : petales) {
        // "couper" opens the trim window: it is no conversion of the engine.
        if (sauter.contains(p.id))
            continue;
        const auto t0 = std::chrono::steady_clock::now();
        QStringList crees;
        QString echec;
        attendre([&] {
            try {
                crees = Conversions::convertirUn(entree, p.id);
            } catch (const std::exception& e) {
                echec = Conversions::description(e);
            }
        });
        if (!echec.isNull()) {
            rapport += QStringLiteral("  ✗ ") + p.id + QStringLiteral(" : ") + echec + QLatin1Char('\n');
            continue;
        }
        const double secondes = depuis(t0);
        for (const QString& cree : crees) {
            const QString verdict = verifierSousUnNomLisible(cree);
            rapport += QStringLiteral("  ✓ ") + nomLisible(cree) + QStringLiteral(" — ") + verdict
                       + QStringLiteral(" — ") + Formes::duree(mesureApres ? depuis(t0) : secondes) + QLatin1Char('\n');
        }
    }
}

QString fusionDeDeuxPDF(const QDir& d)
{
    const QStringList pdfs{d.filePath(QStringLiteral("Page 001.pdf")), d.filePath(QStringLiteral("Annexe.pdf"))};
    QString l = QStringLiteral("Pétales de 2 PDF : ") + Rapport::titres(pdfs).join(QStringLiteral(", ")) + QLatin1Char('\n');
    const Rapport::Lot lot = Rapport::convertirLot(pdfs, QStringLiteral("pdf"));
    QPdfDocument doc;
    if (!lot.crees.isEmpty())
        doc.load(lot.crees.first());
    if (lot.crees.isEmpty() || doc.status() != QPdfDocument::Status::Ready)
        return l + QStringLiteral("Fusion de 2 PDF ✗ ") + liste(lot.erreurs) + QLatin1Char('\n');
    QStringList debuts;
    for (int i = 0; i < doc.pageCount(); ++i) {
        const QString texte = doc.getAllText(i).text();
        if (!texte.isEmpty())
            debuts << texte.section(QLatin1Char(','), 0, 0);
    }
    return l + QStringLiteral("Fusion de 2 PDF → ") + QFileInfo(lot.crees.first()).fileName() + QStringLiteral(", ")
           + QString::number(doc.pageCount()) + QStringLiteral(" pages, dans l’ordre : ")
           + Formes::surUneLigne(debuts.join(QStringLiteral(" / "))) + QLatin1Char('\n');
}

QString imageEtPDF(const QDir& d)
{
    const QStringList entrees{d.filePath(QStringLiteral("Mandarine.png")), d.filePath(QStringLiteral("Page 001.pdf"))};
    QString l = QStringLiteral("Pétales image + PDF : ") + liste(Rapport::titres(entrees)) + QLatin1Char('\n');
    const Rapport::Lot lot = Rapport::convertirLot(entrees, QStringLiteral("pdf"));
    QPdfDocument doc;
    if (!lot.crees.isEmpty())
        doc.load(lot.crees.first());
    if (lot.crees.isEmpty() || doc.status() != QPdfDocument::Status::Ready)
        return l + QStringLiteral("Image + PDF ✗ ") + liste(lot.erreurs) + QLatin1Char('\n');
    const int largeur = doc.pageCount() > 0 ? static_cast<int>(doc.pagePointSize(0).width()) : 0;
    const QString page2 = doc.pageCount() > 1 ? doc.getAllText(1).text() : QString();
    return l + QStringLiteral("Image + PDF → ") + QFileInfo(lot.crees.first()).fileName() + QStringLiteral(", ")
           + QString::number(doc.pageCount()) + QStringLiteral(" pages, page 1 de ") + QString::number(largeur)
           + QStringLiteral(" pt (l’image), texte page 2 : « ") + Formes::surUneLigne(Rapport::debut(page2, 20))
           + QStringLiteral(" »\n");
}

void exotiques(QString& rapport, const QDir& d, const QString& parent)
{
    const QDir source(QDir(parent).filePath(QStringLiteral("exotiques")));
    // Listed by bytes: a name that is not UTF-8 is an exotic file too.
    std::optional<QStringList> noms = Conversions::nomsDans(source.path());
    if (!noms)
        return;
    const QString moteur = Conversions::ffmpeg();
    rapport += QStringLiteral("\n— Moteur ffmpeg : ") + (moteur.isEmpty() ? QStringLiteral("ABSENT") : moteur)
               + QStringLiteral(" —\n");
    const QDir copie(d.filePath(QStringLiteral("Exotiques")));
    executer(QStringLiteral("cp"), {QStringLiteral("-R"), source.path(), copie.path()});
    noms->sort();
    for (const QString& nom : std::as_const(*noms)) {
        const QString fichier = copie.filePath(nom);
        passe(rapport, fichier, Conversions::petales({fichier}), {QStringLiteral("zip"), QStringLiteral("couper")},
              true);
    }
}

QString pointage()
{
    auto en = [](double x, double y) { return Formes::indice(Roue::petale(QPointF(x, y), 4)); };
    return QStringLiteral("Pointage (4 pétales) : haut=") + en(320, 438) + QStringLiteral(" droite=") + en(438, 320)
           + QStringLiteral(" bas=") + en(320, 202) + QStringLiteral(" gauche=") + en(202, 320)
           + QStringLiteral(" milieu=") + en(320, 320) + QLatin1Char('\n');
}

// Once set, a failed ffmpeg run says why in the report; the engine's other words are not
// logged during the self-test.
std::weak_ptr<QString> rapportFFmpeg;
QtMessageHandler precedent = nullptr;

void versLeRapport(QtMsgType type, const QMessageLogContext& contexte, const QString& message)
{
    const QLatin1StringView categorie(contexte.category ? contexte.category : "");
    if (categorie == QLatin1String("vemo.ffmpeg")) {
        if (auto r = rapportFFmpeg.lock())
            *r += QStringLiteral("    ffmpeg : ") + Formes::dernieresLignes(message) + QLatin1Char('\n');
    } else if (!categorie.startsWith(QLatin1String("vemo.")) && precedent) {
        precedent(type, contexte, message);
    }
}

// Left in the folder by every run: only a folder that holds it is the self-test's own and may
// be emptied. A report alone proves nothing ("rapport.txt" is a common name).
const QString marque = QStringLiteral(".vemo-vododod-essai");

void ecrireRapport(const QDir& d, const QString& rapport)
{
    QSaveFile f(d.filePath(QStringLiteral("rapport.txt")));
    if (f.open(QIODevice::WriteOnly)) {
        f.write(rapport.toUtf8());
        f.commit();
    }
    const QByteArray sortie = rapport.toUtf8() + '\n';
    std::fwrite(sortie.constData(), 1, static_cast<size_t>(sortie.size()), stdout);
    std::fflush(stdout);
}

} // namespace

QString refusDuDossier(const QString& dossier)
{
    if (dossier.trimmed().isEmpty())
        return QStringLiteral("Aucun dossier donné après --essai=");
    const QString propre = QDir::cleanPath(QDir(dossier).absolutePath());
    const QFileInfo info(propre);
    if (info.isRoot() || propre == QDir::cleanPath(QDir::homePath())
        || QFileInfo(propre).canonicalFilePath() == QFileInfo(QDir::homePath()).canonicalFilePath())
        return QStringLiteral("Le dossier « %1 » ne peut pas servir à l’essai : il serait vidé").arg(propre);
    if (info.exists() && !info.isDir())
        return QStringLiteral("« %1 » n’est pas un dossier").arg(propre);
    const QDir d(propre);
    const bool vide = d.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (info.exists() && !vide && !QFileInfo(d.filePath(marque)).isFile())
        return QStringLiteral("Le dossier « %1 » contient des fichiers qui ne viennent pas d’un essai : "
                              "il n’est pas vidé").arg(propre);
    return {};
}

bool lancer(const QString& dossier, Roue::EtatRoue& etat)
{
    const QString refus = refusDuDossier(dossier);
    if (!refus.isEmpty()) {
        const QByteArray texte = refus.toUtf8() + '\n';
        std::fwrite(texte.constData(), 1, static_cast<size_t>(texte.size()), stderr);
        return false;
    }
    const QString racine = QDir::cleanPath(QDir(dossier).absolutePath());
    if (const QtMessageHandler avant = qInstallMessageHandler(versLeRapport); avant != versLeRapport)
        precedent = avant;
    // Removed by bytes: Qt's removal misses the names that are not UTF-8 (exotic copies).
    Conversions::supprimer(racine);
    QDir().mkpath(racine);
    const QDir d(racine);
    // Written first, so a run stopped midway still leaves a folder the next run may empty. A
    // folder that cannot be written fails every later write too; the report still reaches
    // standard output.
    QFile(d.filePath(marque)).open(QIODevice::WriteOnly);
    auto ici = [&d](const char* nom) { return d.filePath(QString::fromUtf8(nom)); };

    QStringList formats(Conversions::ecriture().begin(), Conversions::ecriture().end());
    formats.sort();
    auto rapport = std::make_shared<QString>(QStringLiteral("Formats d’image que ce PC sait écrire : ")
                                             + formats.join(QStringLiteral(", ")) + QStringLiteral("\n\n"));

    fabriquerImage(ici("Mandarine.png"));
    fabriquerPDF(ici("Page 001.pdf"), QStringLiteral("Mandarine"));
    fabriquerSon(ici("La.m4a"));
    fabriquerCarillon(ici("Glass.aiff"));
    fabriquerVideo(ici("Muette.mov"));
    ajouterSon(ici("La.m4a"), ici("Muette.mov"), ici("Balle.mov"));

    for (const char* nom : {"Mandarine.png", "Page 001.pdf", "La.m4a", "Glass.aiff", "Balle.mov", "Muette.mov"}) {
        QList<Conversions::Petale> petales = Conversions::petalesDuGenre({ici(nom)});
        if (petales.isEmpty())
            petales = {Conversions::zip()};
        passe(*rapport, ici(nom), petales, {QStringLiteral("couper")}, false);
    }

    attendre([&] {
        try {
            const QStringList crees = Conversions::convertirUn(ici("Mandarine.png"), QStringLiteral("jpg"));
            if (!crees.isEmpty())
                *rapport += QStringLiteral("\nDeuxième JPG : ") + QFileInfo(crees.first()).fileName() + QLatin1Char('\n');
        } catch (const std::exception&) {
        }
    });

    const QStringList deuxImages{ici("Mandarine.png"), ici("Mandarine 2.jpg")};
    const Rapport::Lot lot = Rapport::convertirLot(deuxImages, QStringLiteral("pdf"));
    QStringList nomsCrees, verdicts;
    for (const QString& cree : lot.crees) {
        nomsCrees << QFileInfo(cree).fileName();
        verdicts << verifier(cree);
    }
    *rapport += QStringLiteral("Lot de 2 images → PDF : ") + liste(nomsCrees) + QLatin1Char(' ') + liste(verdicts)
                + QStringLiteral(" erreurs=") + liste(lot.erreurs) + QLatin1Char('\n');
    const QList<Conversions::Petale> duLot = Conversions::petales(deuxImages);
    *rapport += QStringLiteral("Pétale PDF d’un lot : « ")
                + (duLot.isEmpty() ? QStringLiteral("?") : duLot.last().annonce()) + QStringLiteral(" »\n");

    fabriquerPDF(ici("Annexe.pdf"), QStringLiteral("Annexe"));
    *rapport += fusionDeDeuxPDF(d);
    *rapport += imageEtPDF(d);
    *rapport += QStringLiteral("Pétales image + son : ") + liste(Rapport::titres({ici("Mandarine.png"), ici("La.m4a")}))
                + QStringLiteral(" ; un WEBM : ") + liste(Rapport::titres({QStringLiteral("/x/clip.webm")}))
                + QLatin1Char('\n');

    *rapport += premierLot(racine, ici("Mandarine.png"), ici("Page 001.pdf"), ici("La.m4a"), ici("Balle.mov"));

    // From here on a failed ffmpeg run says why, just before the line of its conversion.
    rapportFFmpeg = rapport;
    exotiques(*rapport, d, QFileInfo(racine).absolutePath());
    *rapport += pointage();

    ecrireRapport(d, *rapport);
    photographierLaRoue(d, etat);
    return true;
}

} // namespace Essai
