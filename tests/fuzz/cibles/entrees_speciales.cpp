// The central directory walk that finds the device, pipe and socket entries of a dropped zip,
// the extra fields that do not parse, the directory's true size, the methods not read and the
// deflate streams shorter than their headers say.
#include "Cible.h"

#include "conversions/archives/ChampsIllisibles.h"
#include "conversions/archives/EntreesSpeciales.h"
#include "conversions/archives/FluxCourts.h"
#include "conversions/archives/MethodesDeCompression.h"
#include "conversions/archives/RepertoireCentral.h"

#include <QFile>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    const QString archive = fuzz::ecrire(QStringLiteral("entree.zip"), fuzz::octets(donnees, taille));
    const QSet<QByteArray> noms = Conversions::entreesSpeciales(archive);
    // Every name is read from the input: none can be longer than it.
    for (const QByteArray& nom : noms)
        if (static_cast<size_t>(nom.size()) > taille)
            std::abort();
    // Every span starts inside the input.
    for (const Conversions::Plage& p : Conversions::champsIllisibles(archive))
        if (p.debut < 0 || p.taille < 0 || static_cast<size_t>(p.debut) > taille)
            std::abort();
    // The size found runs from the directory's start to no further than the file's end.
    QFile f(archive);
    if (!f.open(QIODevice::ReadOnly))
        std::abort();
    if (const std::optional<qint64> reelle = Conversions::tailleReelle(f))
        if (*reelle <= 0 || static_cast<size_t>(*reelle) > taille)
            std::abort();
    Conversions::methodeNonLue(archive);
    // Each size mended is a field of four bytes inside the input.
    for (const Conversions::Remplacement& r : Conversions::fluxCourts(archive))
        if (r.debut < 0 || r.octets.size() != 4 || static_cast<size_t>(r.debut) + 4 > taille)
            std::abort();
    return 0;
}
