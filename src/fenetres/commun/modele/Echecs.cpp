#include "fenetres/commun/modele/Echecs.h"

#include <QFileInfo>

namespace Echecs {

void journaliser(const QLoggingCategory& categorie, const QString& fichier, const std::exception& e)
{
    qCWarning(categorie).noquote() << QFileInfo(fichier).fileName() + QStringLiteral(" : ") + QString::fromUtf8(e.what());
}

} // namespace Echecs
