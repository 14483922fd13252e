#include "conversions/Lecteurs.h"
#include "conversions/Erreur.h"
#include <QFileInfo>
namespace Conversions {
void lireDocx(const QString& c, QTextDocument*) { throw Erreur::lecture(QFileInfo(c).fileName()); }
void lireOdt(const QString& c, QTextDocument*) { throw Erreur::lecture(QFileInfo(c).fileName()); }
}
