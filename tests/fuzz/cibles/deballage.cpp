// Unpacking a dropped zip into a folder, and the documents' reading of a package's parts.
#include "Cible.h"

#include "conversions/Erreur.h"
#include "conversions/archives/ArchiveExtraction.h"
#include "conversions/documents/Zip.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <filesystem>

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
    // Nothing may land beside the folder; it is emptied for the next input (by bytes: an
    // entry's name need not be UTF-8, and Qt cannot name such a file).
    std::error_code erreur;
    std::filesystem::remove_all(QFile::encodeName(dossier.path()).toStdString(), erreur);
    if (erreur)
        std::abort();
    for (const auto& e : std::filesystem::directory_iterator(QFile::encodeName(fuzz::chemin(QString())).toStdString()))
        if (e.path().filename() != "entree.zip")
            std::abort();
    try {
        Conversions::lireZip(archive, {QStringLiteral("content.xml"), QStringLiteral("word/document.xml")},
                             {QStringLiteral("word/media/")}, 1024 * 1024);
    } catch (const Conversions::Erreur&) {
    }
    return 0;
}
