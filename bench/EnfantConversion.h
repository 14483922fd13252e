#pragma once

// Shared by the image benchmarks that run one conversion per child: what the user was told
// ("créé", or the first failure) comes back through a file, the child's own memory being gone.

#include "Enfant.h"
#include "conversions/Conversions.h"

#include <QFile>
#include <QString>
#include <functional>

namespace Enfant {

// Converts `source` to `id` in a fresh child, after `preparer` has run there; the result's
// text goes to the file `resultat`.
inline Mesure convertir(const QString& source, const char* id, const QString& resultat,
                        const std::function<void()>& preparer = {})
{
    return dansUnEnfant([&] {
        if (preparer)
            preparer();
        const Conversions::Resultat r = Conversions::convertir({source}, QString::fromLatin1(id), {});
        QFile f(resultat);
        if (f.open(QIODevice::WriteOnly))
            f.write((r.erreurs.isEmpty() ? QStringLiteral("créé") : r.erreurs.first()).toUtf8());
        return true;
    });
}

inline QString texte(const QString& chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

inline bool ecrire(const QString& chemin, const QByteArray& octets)
{
    QFile f(chemin);
    return f.open(QIODevice::WriteOnly) && f.write(octets) == octets.size() && f.flush();
}

} // namespace Enfant
