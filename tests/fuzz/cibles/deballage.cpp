// Unpacking a dropped zip into a folder, and the documents' reading of a package's parts.
#include "Cible.h"

#include "conversions/Erreur.h"
#include "conversions/archives/ArchiveExtraction.h"
#include "conversions/documents/Zip.h"

#include <QDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    const QString archive = fuzz::ecrire(QStringLiteral("entree.zip"), fuzz::octets(donnees, taille));
    QDir dossier(fuzz::chemin(QStringLiteral("deballe")));
    if (!dossier.mkpath(QStringLiteral(".")))
        std::abort();
    try {
        Conversions::deballer(archive, dossier.path(), 16 * 1024 * 1024, QStringLiteral("entree.zip"));
    } catch (const Conversions::Erreur&) {
    }
    // Nothing may land beside the folder; it is emptied for the next input.
    if (!dossier.removeRecursively())
        std::abort();
    const QStringList restes = QDir(fuzz::chemin(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    if (restes != QStringList{QStringLiteral("entree.zip")})
        std::abort();
    try {
        Conversions::lireZip(archive, {QStringLiteral("content.xml"), QStringLiteral("word/document.xml")},
                             {QStringLiteral("word/media/")}, 1024 * 1024);
    } catch (const Conversions::Erreur&) {
    }
    return 0;
}
