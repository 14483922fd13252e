#include "fenetres/Outils.h"

#include "fenetres/FenetreOutil.h"
#include "fenetres/VueAnnoter.h"
#include "fenetres/VueCouper.h"
#include "fenetres/VueLumiere.h"
#include "fenetres/VueMasquer.h"
#include "fenetres/VueRogner.h"

namespace Outils {

bool ouvrir(const QString& cle, const QString& fichier, std::function<void(const QString&)> fini)
{
    FenetreOutil::Constructeur construire;
    if (cle == QLatin1String("recadrer"))
        construire = [=](FenetreOutil* f) { return new VueRogner(fichier, f, fini); };
    else if (cle == QLatin1String("lumiere"))
        construire = [=](FenetreOutil* f) { return new VueLumiere(fichier, f, fini); };
    else if (cle == QLatin1String("couper"))
        construire = [=](FenetreOutil* f) { return new VueCouper(fichier, f, fini); };
    else if (cle == QLatin1String("masquer"))
        construire = [=](FenetreOutil* f) { return new VueMasquer(fichier, f, fini); };
    else if (cle == QLatin1String("annoter"))
        construire = [=](FenetreOutil* f) { return new VueAnnoter(fichier, f, fini); };
    else
        return false;
    FenetreOutil::ouvrir(QSize(largeur, hauteur), construire);
    return true;
}

} // namespace Outils
