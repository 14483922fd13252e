#include "fenetres/commun/Outils.h"

#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/annoter/VueAnnoter.h"
#include "fenetres/couper/VueCouper.h"
#include "fenetres/lumiere/VueLumiere.h"
#include "fenetres/masquer/VueMasquer.h"
#include "fenetres/rogner/VueRogner.h"

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
