#include "commun/Ouvreur.h"

#include <QDesktopServices>

Ouvreur::Ouvreur() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "ouvrir"); }

Ouvreur::~Ouvreur() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

void Ouvreur::ouvrir(const QUrl& u) { ouverts << u; }
