#include "Cible.h"

#include "conversions/Erreur.h"
#include "conversions/documents/Documents.h"
#include "conversions/documents/Ecritures.h"
#include "conversions/documents/Zip.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTextDocument>

#include <cstdlib>
#include <memory>

namespace fuzz {

namespace {

QTemporaryDir* dossier = nullptr;

} // namespace

QByteArray octets(const uint8_t* donnees, size_t taille)
{
    return QByteArray(reinterpret_cast<const char*>(donnees), static_cast<qsizetype>(taille));
}

QString chemin(const QString& nom) { return dossier->filePath(nom); }

QString ecrire(const QString& nom, const QByteArray& contenu)
{
    const QString c = chemin(nom);
    QFile f(c);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(contenu) != contenu.size())
        std::abort();  // the fuzzer's own folder: nothing to learn from going on
    return c;
}

void parcourirDocument(const QString& source)
{
    try {
        const std::unique_ptr<QTextDocument> texte = Conversions::lireDocument(source);
        Conversions::signalerCaracteresSansPolice(*texte, QStringLiteral("entree"));
        Conversions::enPDF(*texte, chemin(QStringLiteral("sortie.pdf")));
        Conversions::enWord(*texte);
        texte->toRawText();
    } catch (const Conversions::Erreur&) {
    }
}

QString paquet(const QString& nom, const QStringList& noms, const QByteArray& octets)
{
    QList<std::pair<QString, QByteArray>> entrees;
    qsizetype debut = 0;
    while (entrees.size() + 1 < noms.size()) {
        const qsizetype fin = octets.indexOf('\0', debut);
        if (fin < 0)
            break;
        entrees.append({noms[entrees.size()], octets.mid(debut, fin - debut)});
        debut = fin + 1;
    }
    entrees.append({noms[entrees.size()], octets.mid(debut)});
    return ecrire(nom, Conversions::ecrireZip(entrees, nom));
}

} // namespace fuzz

// Called once by libFuzzer and by the replaying runner before the first input.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine's log lines about each bad input would only flood the fuzzer's output.
    QLoggingCategory::setFilterRules(QStringLiteral("vemo.*=false"));
    static int argc = 1;
    static char nom[] = "fuzz";
    static char* argv[] = {nom, nullptr};
    static QGuiApplication application(argc, argv);
    static QTemporaryDir d;
    if (!d.isValid())
        std::abort();
    fuzz::dossier = &d;
    return 0;
}
