#include "essai/PremierLot.h"

#include "conversions/documents/Documents.h"
#include "conversions/images/Images.h"
#include "conversions/pdf/Pdf.h"
#include "essai/Echantillons.h"
#include "essai/Formes.h"
#include "essai/Outils.h"
#include "essai/Rapport.h"
#include "essai/Verificateur.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QTextDocument>

namespace Essai {

namespace {

using Rapport::essai;
using Rapport::titres;

// The archive's entry names, as zipinfo lists them.
QString lister(const QString& zip)
{
    QByteArray sortie;
    executer(QStringLiteral("/usr/bin/zipinfo"), {QStringLiteral("-1"), zip}, {}, &sortie);
    const QString texte = QString::fromUtf8(sortie);
    if (texte.toUtf8() != sortie)
        return {};
    return texte.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QStringLiteral(", "));
}

QString imageOuIllisible(const QString& chemin)
{
    const QString t = tailleImage(chemin);
    return t.isEmpty() ? QStringLiteral("illisible") : t;
}

QString texteLu(const QString& chemin)
{
    QFile f(chemin);
    return QStringLiteral("« ") + Formes::surUneLigne(f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString())
           + QStringLiteral(" »");
}

// A 4000 × 3000 JPEG of the image painted over white, at the best quality.
void fabriquerGrande(const QString& image, const QString& dans)
{
    QImage source;
    attendre([&] {
        try {
            source = Conversions::redressee(image);
        } catch (const std::exception&) {
        }
    });
    if (source.isNull())
        return;
    QImage grande(4000, 3000, QImage::Format_RGB32);
    grande.fill(Qt::white);
    QPainter(&grande).drawImage(QRect(0, 0, 4000, 3000), source);
    QImageWriter ecrivain(dans, "jpeg");
    ecrivain.setQuality(100);
    ecrivain.write(grande);
}

// "Facture.png" as an image-only PDF, moved to "Scan.pdf". False when the engine refused.
bool fabriquerScan(const QString& facture, const QString& scan)
{
    QString cree;
    attendre([&] {
        try {
            cree = Conversions::imagesEnPDF({facture});
        } catch (const std::exception&) {
        }
    });
    if (cree.isEmpty())
        return false;
    QFile::rename(cree, scan);
    return true;
}

QString premiereEntree(const QString& dossier)
{
    if (dossier.isEmpty())
        return {};
    QStringList entrees;
    for (const QFileInfo& f : QDir(dossier).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        entrees << f.filePath();
    entrees.sort();
    return entrees.value(0);
}

void ecrireNotes(const QString& chemin)
{
    QSaveFile f(chemin);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(QStringLiteral("Notes en texte brut\nÉté, déjà, où : les accents passent.").toUtf8());
        f.commit();
    }
}

} // namespace

QByteArray lettreRTF()
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0"
                     "{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\froman Georgia;}}"
                     "{\\colortbl;\\red255\\green59\\blue48;}"
                     "\\f0\\fs36\\b Ch\\'e8re Mandarine,\\b0\\par\n\\f1\\fs26\\cf1 ";
    for (int i = 0; i < 400; ++i)
        rtf += "Une ligne de la lettre, assez longue pour remplir les pages. ";
    rtf += "}";
    return rtf;
}

QString premierLot(const QString& dossier, const QString& image, const QString& pdf, const QString& son,
                   const QString& video, const QString& animaux)
{
    const QDir d(dossier);
    auto ici = [&d](const char* nom) { return d.filePath(QString::fromUtf8(nom)); };
    QString bloc = QStringLiteral("\n— Premier lot —\n");

    // A folder of photos, with a file that archives leave out.
    const QString photos = ici("Dossier photos");
    QDir().mkpath(photos);
    QFile::copy(image, QDir(photos).filePath(QStringLiteral("Mandarine.png")));
    QFile::copy(pdf, QDir(photos).filePath(QStringLiteral("Page 001.pdf")));
    QFile dsStore(QDir(photos).filePath(QStringLiteral(".DS_Store")));
    if (dsStore.open(QIODevice::WriteOnly))
        dsStore.write("x");
    dsStore.close();
    bloc += QStringLiteral("Pétales d'un dossier : ") + Formes::liste(titres({photos})) + QLatin1Char('\n');
    bloc += essai(QStringLiteral("dossier en zip"), {photos}, QStringLiteral("zip"), [](const QString& f) {
        return QString::number(taille(f)) + QStringLiteral(" o, contient : ") + lister(f);
    });
    bloc += essai(QStringLiteral("image + son en zip"), {image, son}, QStringLiteral("zip"),
                  [](const QString& f) { return QStringLiteral("contient : ") + lister(f); });

    // Extraction, once the folder has moved out of the way.
    QDir().rename(photos, ici("Dossier photos (original)"));
    const QString zip = ici("Dossier photos.zip");
    bloc += QStringLiteral("Pétales d'un zip : ") + Formes::liste(titres({zip})) + QLatin1Char('\n');
    bloc += essai(QStringLiteral("extraire le zip"), {zip}, QStringLiteral("extraire"), [](const QString& f) {
        QStringList noms = QDir(f).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        noms.sort();
        return QStringLiteral("dossier : ") + Formes::liste(noms);
    });

    const QString grande = ici("Grande.jpg");
    fabriquerGrande(image, grande);
    bloc += essai(QStringLiteral("photo 4000 px plus légère (%1 o)").arg(taille(grande)), {grande},
                  QStringLiteral("leger"), [](const QString& f) {
                      return imageOuIllisible(f) + QStringLiteral(", ") + QString::number(taille(f)) + QStringLiteral(" o");
                  });
    bloc += essai(QStringLiteral("PNG transparent plus léger"), {image}, QStringLiteral("leger"),
                  [](const QString& f) { return imageOuIllisible(f) + QStringLiteral(", reste en PNG"); });
    bloc += essai(QStringLiteral("vidéo plus légère"), {video}, QStringLiteral("leger"), verifier);

    const QString facture = ici("Facture.png");
    fabriquerImageTexte(facture);
    bloc += QStringLiteral("Pétales d'une image : ") + Formes::liste(titres({facture})) + QLatin1Char('\n');
    bloc += essai(QStringLiteral("texte de l'image"), {facture}, QStringLiteral("ocr"), texteLu);

    const QString scan = ici("Scan.pdf");
    if (fabriquerScan(facture, scan)) {
        bloc += QStringLiteral("Le PDF scanné contient du texte : ")
                + (textePDF(scan).trimmed().isEmpty() ? QStringLiteral("false") : QStringLiteral("true")) + QLatin1Char('\n');
        bloc += essai(QStringLiteral("PDF scanné en texte"), {scan}, QStringLiteral("txt"), texteLu);
    }

    const QString animal = premiereEntree(animaux);
    if (!animal.isEmpty()) {
        const QFileInfo info(QFileInfo(animal).canonicalFilePath());
        const QString copie = ici("Animal.") + QFileInfo(animal).suffix();
        QFile::copy(info.filePath(), copie);
        bloc += essai(QStringLiteral("détourer ") + QFileInfo(animal).fileName(), {copie}, QStringLiteral("detour"),
                      [](const QString& f) {
                          const auto part = partTransparente(f);
                          return part ? tailleImage(f) + QStringLiteral(", %1 % de pixels transparents").arg(*part)
                                      : QStringLiteral("illisible");
                      });
    }
    bloc += essai(QStringLiteral("détourer une page de texte"), {facture}, QStringLiteral("detour"),
                  [](const QString&) { return QString(); });

    const QString balleGif = ici("Balle.gif");
    bloc += QStringLiteral("Pétales du GIF animé : ") + Formes::liste(titres({balleGif})) + QLatin1Char('\n');
    bloc += essai(QStringLiteral("GIF animé en vidéo"), {balleGif}, QStringLiteral("gifmp4"), verifier);

    bloc += QStringLiteral("Pétales d'un PDF de 2 pages : ") + Formes::liste(titres({pdf})) + QLatin1Char('\n');
    bloc += essai(QStringLiteral("séparer"), {pdf}, QStringLiteral("separer"), [](const QString& f) {
        return QString::number(pagesPDF(f)) + QStringLiteral(" page, « ") + Rapport::debut(textePDF(f), 17)
               + QStringLiteral(" »");
    });

    const QString lettre = ici("Lettre.rtf");
    QFile rtf(lettre);
    if (rtf.open(QIODevice::WriteOnly))
        rtf.write(lettreRTF());
    rtf.close();
    const QString notes = ici("Notes.txt");
    ecrireNotes(notes);
    bloc += QStringLiteral("Pétales d'un RTF : ") + Formes::liste(titres({lettre})) + QStringLiteral(" ; d'un texte : ")
            + Formes::liste(titres({notes})) + QLatin1Char('\n');
    bloc += essai(QStringLiteral("RTF en PDF"), {lettre}, QStringLiteral("pdf"), [](const QString& f) {
        return QString::number(pagesPDF(f)) + QStringLiteral(" pages, page 1 commence par « ")
               + Formes::surUneLigne(Rapport::debut(textePDF(f, 0), 16)) + QStringLiteral(" »");
    });
    bloc += essai(QStringLiteral("RTF en Word"), {lettre}, QStringLiteral("docx"), [](const QString& f) {
        qsizetype longueur = 0;
        try {
            longueur = Conversions::lireDocument(f)->toPlainText().size();
        } catch (const std::exception&) {
        }
        return QStringLiteral("relu : %1 caractères").arg(longueur);
    });
    bloc += essai(QStringLiteral("texte en PDF"), {notes}, QStringLiteral("pdf"), [](const QString& f) {
        return QStringLiteral("« ") + Formes::surUneLigne(textePDF(f)) + QStringLiteral(" »");
    });
    bloc += essai(QStringLiteral("Word en PDF"), {ici("Lettre.docx")}, QStringLiteral("pdf"),
                  [](const QString& f) { return QString::number(pagesPDF(f)) + QStringLiteral(" pages"); });
    return bloc;
}

} // namespace Essai
