#include "conversions/Lecteurs.h"
#include "conversions/Erreur.h"
namespace Conversions {
void lireRtf(const QByteArray&, QTextDocument*, const QString& nom) { throw Erreur::lecture(nom); }
}
