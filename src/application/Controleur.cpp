#include "application/Controleur.h"

#include "application/BarreSysteme.h"
#include "application/Journal.h"
#include "application/MisesAJour.h"
#include "conversions/Chemins.h"
#include "designtokens/Tokens.h"
#include "fenetres/commun/Polices.h"
#include "roue/Offre.h"
#include "roue/VueRoue.h"
#include "roue/ZoneDepot.h"
#include "tesselreverie/ReveriePolices.h"
#include "tesselui/BundledFonts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

namespace Application {

namespace {

// The application's own pieces where none is given.
Services complets(Services s)
{
    if (!s.moteur)
        s.moteur = std::make_shared<MoteurConversions>();
    if (!s.barre)
        s.barre = std::make_shared<BarreSysteme>();
    if (!s.horloge)
        s.horloge = std::make_shared<HorlogeQt>();
    return s;
}

} // namespace

Controleur::Controleur(QStringList arguments, Roue::EtatRoue& etat, Services services, QObject* parent)
    : QObject(parent), arguments_(std::move(arguments)), etat_(etat), services_(complets(std::move(services))),
      guetteur_(std::move(services_.glisser)), fermeture_(*services_.horloge), retourIcone_(*services_.horloge)
{
}

Controleur::~Controleur()
{
    // The panel is a top-level window of its own; it holds the drop target once built.
    if (panneau_)
        delete panneau_;
    else
        delete zone_;
}

bool Controleur::argumentCommencePar(const QString& prefixe) const
{
    return std::any_of(arguments_.begin(), arguments_.end(), [&](const QString& a) { return a.startsWith(prefixe); });
}

bool Controleur::argumentEgal(const QString& mot) const { return arguments_.contains(mot); }

std::optional<QString> Controleur::valeur(const QString& prefixe) const
{
    for (const QString& a : arguments_)
        if (a.startsWith(prefixe))
            return a.mid(prefixe.size());
    return std::nullopt;
}

std::optional<std::pair<QString, QString>> Controleur::paire(const QString& prefixe) const
{
    const std::optional<QString> v = valeur(prefixe);
    if (!v)
        return std::nullopt;
    const qsizetype deuxPoints = v->indexOf(QLatin1Char(':'));
    if (deuxPoints < 0)
        return std::nullopt;
    const QString cle = v->left(deuxPoints);
    const QString chemin = v->mid(deuxPoints + 1);
    if (cle.isEmpty() || chemin.isEmpty())
        return std::nullopt;
    return std::pair{cle, chemin};
}

void Controleur::plusTard(double secondes, std::function<void()> action)
{
    QPointer<Controleur> moi(this);
    services_.horloge->programmer(secondes, [moi, action = std::move(action)] {
        if (moi)
            action();
    });
}

void Controleur::lancer()
{
    if (const std::optional<QString> dossier = valeur(QStringLiteral("--essai="))) {
        // The text as given: the self-test itself refuses an empty or dangerous folder.
        const QString chemin = *dossier;
        plusTard(0, [this, chemin] {
            if (!services_.essai) {
                journal(QStringLiteral("essai indisponible dans cette version"));
                QCoreApplication::exit(1);
                return;
            }
            QCoreApplication::exit(services_.essai(chemin, etat_) ? 0 : 2);
        });
        return;
    }

    QPointer<Controleur> moi(this);
    services_.barre->installer({[moi] {
                                    if (moi)
                                        moi->chercherMisesAJour();
                                },
                                [moi] {
                                    if (moi)
                                        moi->quitter();
                                }});
    barreInstallee_ = true;

    if (argumentEgal(QStringLiteral("--sombre"))) {
        panneau();
        vue_->setSombre(true);
    }

    Polices::inscrire();
    Tokens::neutres = Tokens::Neutres::reverie();
    BundledFonts::register_();
    ReveriePolices::inscrire();

    MisesAJour::shared().demarrer();

    brancher();
    guetteur_.demarrer();

    journal(QStringLiteral("Vemo Vododod lancé"));
    options();
}

void Controleur::brancher()
{
    QPointer<Controleur> moi(this);
    panneau();  // the drop target lives in it from now on
    zone().surDepot = [moi](const QStringList& chemins, const Conversions::Petale& petale) {
        if (moi)
            moi->convertir(chemins, petale);
    };
    zone().surRetouche = [moi](const QString& fichier, const Roue::Retouche& offre, const std::optional<Roue::Retouche::Outil>& outil) {
        if (moi)
            moi->retoucher(fichier, offre, outil);
    };
    installerJournal();
    guetteur_.montrer = [moi] {
        if (moi)
            moi->ouvrir();
    };
    guetteur_.lacher = [moi] {
        if (moi)
            moi->fermerBientot(0.3);
    };
}

void Controleur::options()
{
    if (const std::optional<QString> montrer = valeur(QStringLiteral("--montrer")))
        montrerOption(QStringLiteral("--montrer") + *montrer);

    static const std::pair<const char*, const char*> outils[] = {
        {"--rogner=", "recadrer"}, {"--lumiere=", "lumiere"}, {"--masquer=", "masquer"},
        {"--annoter=", "annoter"}, {"--couper=", "couper"},
    };
    for (const auto& [option, cle] : outils) {
        if (const std::optional<QString> chemin = valeur(QLatin1String(option))) {
            ouvrirOutil(QLatin1String(cle), Conversions::absolu(*chemin));
        }
    }

    if (const auto p = paire(QStringLiteral("--retoucher="))) {
        const QString fichier = Conversions::absolu(p->second);
        if (const std::optional<Roue::Retouche> offre = Roue::Retouche::pour({fichier})) {
            std::optional<Roue::Retouche::Outil> outil;
            for (const Roue::Retouche::Outil& o : offre->outils)
                if (o.cle == p->first) {
                    outil = o;
                    break;
                }
            retoucher(fichier, *offre, outil);
        }
    }

    if (const auto p = paire(QStringLiteral("--convertir="))) {
        const QString fichier = Conversions::absolu(p->second);
        etat_.setPetales(services_.moteur->petales({fichier}));
        ouvrir();
        etat_.setCentre(Conversions::lisible(Conversions::nomDe(fichier)));
        for (const Conversions::Petale& petale : etat_.petales()) {
            if (petale.id == p->first) {
                plusTard(0.6, [this, fichier, petale] { convertir({fichier}, petale); });
                break;
            }
        }
    }
}

void Controleur::montrerOption(const QString& argument)
{
    const QString chemin = argument.startsWith(QStringLiteral("--montrer="))
                               ? argument.mid(10)
                               : QStringLiteral("/x/Page 001.pdf");
    const QString fichier = Conversions::absolu(chemin);
    // As a drag would show it: a lone PDF's pages are counted while the wheel is open.
    const Roue::Offre offre = zone().presenter({fichier});
    etat_.setRetouche(offre.retouche);
    etat_.setPetales(offre.petales);
    etat_.setCentre(Conversions::lisible(Conversions::nomDe(fichier)));
    ouvrir();
    const std::optional<int> modifier = etat_.indexModifier();
    if (argumentEgal(QStringLiteral("--panneau")) && modifier) {
        etat_.setSurvol(modifier);
        plusTard(0.5, [this] {
            etat_.setPanneau(true);
            etat_.setSurvol(std::nullopt);
            etat_.setOutil(1);
        });
    } else {
        etat_.setSurvol(1);
    }
}

void Controleur::chercherMisesAJour()
{
    Programmateur& p = MisesAJour::shared().controleur();
    // The answer comes later: it goes to the tray only if this controller is still there.
    QPointer<Controleur> moi(this);
    p.afficher = [moi](const QString& texte) {
        if (moi)
            moi->services_.barre->informer(texte);
    };
    p.checkForUpdates();
}

} // namespace Application
