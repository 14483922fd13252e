#include "application/Controleur.h"

#include "application/Journal.h"
#include "application/MisesAJour.h"
#include "designtokens/Tokens.h"
#include "fenetres/Polices.h"
#include "roue/Offre.h"
#include "roue/ZoneDepot.h"
#include "tesselreverie/ReveriePolices.h"
#include "tesselui/BundledFonts.h"

#include <QAction>
#include <QCursor>
#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QSystemTrayIcon>
#include <QTimer>

Controleur::Controleur(QStringList arguments, QObject* parent)
    : QObject(parent), arguments_(std::move(arguments)), guetteur_(std::make_unique<Guetteur>())
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

void Controleur::lancer()
{
    if (const std::optional<QString> dossier = valeur(QStringLiteral("--essai="))) {
        // The text as given: the self-test itself refuses an empty or dangerous folder.
        const QString chemin = *dossier;
        QTimer::singleShot(0, this, [this, chemin] {
            if (!essai) {
                journal(QStringLiteral("essai indisponible dans cette version"));
                QCoreApplication::exit(1);
                return;
            }
            QCoreApplication::exit(essai(chemin, etat) ? 0 : 2);
        });
        return;
    }

    element_ = std::make_unique<QSystemTrayIcon>();
    element_->setToolTip(QStringLiteral("Vemo Vododod"));
    poserIcone(QStringLiteral("repos"));
    construireMenu();
    element_->setContextMenu(&menu_);
    // A click opens the menu too, as a status item's does; hosts differ on the button.
    connect(element_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            menu_.popup(QCursor::pos());
    });
    element_->show();

    if (argumentEgal(QStringLiteral("--sombre")))
        assombrir();

    Polices::inscrire();
    Tokens::neutres = Tokens::Neutres::reverie();
    BundledFonts::register_();
    ReveriePolices::inscrire();

    MisesAJour::shared().demarrer();

    QPointer<Controleur> moi(this);
    panneau();  // the drop target lives in it from now on
    zone().surDepot = [moi](const QStringList& chemins, const Conversions::Petale& petale) {
        if (moi)
            moi->convertir(chemins, petale);
    };
    zone().surRetouche = [moi](const QString& fichier, const Retouche& offre, const std::optional<Retouche::Outil>& outil) {
        if (moi)
            moi->retoucher(fichier, offre, outil);
    };
    installerJournal();
    guetteur_->montrer = [moi] {
        if (moi)
            moi->ouvrir();
    };
    guetteur_->lacher = [moi] {
        if (moi)
            moi->fermerBientot(0.3);
    };
    guetteur_->demarrer();

    journal(QStringLiteral("Vemo Vododod lancé"));
    options();
}

void Controleur::construireMenu()
{
    auto* invite = menu_.addAction(tr("Glissez un fichier en tenant Maj"));
    invite->setEnabled(false);
    menu_.addSeparator();
    ligneDerniers_ = menu_.addAction(tr("Aucun fichier créé pour l’instant"));
    ligneDerniers_->setEnabled(false);
    ligneEchec_ = menu_.addAction(QString());
    ligneEchec_->setEnabled(false);
    ligneEchec_->setVisible(false);
    menu_.addSeparator();
    menu_.addAction(tr("Rechercher les mises à jour…"), this, &Controleur::chercherMisesAJour);
    auto* quitter = menu_.addAction(tr("Quitter Vemo Vododod"), this, &Controleur::quitter);
    quitter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quitter->setShortcutContext(Qt::ApplicationShortcut);
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
            const QString fichier = QFileInfo(*chemin).absoluteFilePath();
            if (ouvrirOutil)
                ouvrirOutil(QLatin1String(cle), fichier, [this](const QString& f) { cree(f); });
            else
                journal(QStringLiteral("fenêtre d’outil indisponible : ") + QLatin1String(cle));
        }
    }

    if (const auto p = paire(QStringLiteral("--retoucher="))) {
        const QString fichier = QFileInfo(p->second).absoluteFilePath();
        if (const std::optional<Retouche> offre = Retouche::pour({fichier})) {
            std::optional<Retouche::Outil> outil;
            for (const Retouche::Outil& o : offre->outils)
                if (o.cle == p->first) {
                    outil = o;
                    break;
                }
            retoucher(fichier, *offre, outil);
        }
    }

    if (const auto p = paire(QStringLiteral("--convertir="))) {
        const QString fichier = QFileInfo(p->second).absoluteFilePath();
        etat.setPetales(Conversions::petales({fichier}));
        ouvrir();
        etat.setCentre(QFileInfo(fichier).fileName());
        for (const Conversions::Petale& petale : etat.petales()) {
            if (petale.id == p->first) {
                QTimer::singleShot(600, this, [this, fichier, petale] { convertir({fichier}, petale); });
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
    const QString fichier = QFileInfo(chemin).absoluteFilePath();
    etat.setRetouche(Retouche::pour({fichier}));
    etat.setPetales(Roue::avecRetouche(Conversions::petales({fichier}), etat.retouche()));
    etat.setCentre(QFileInfo(fichier).fileName());
    ouvrir();
    const std::optional<int> modifier = etat.indexModifier();
    if (argumentEgal(QStringLiteral("--panneau")) && modifier) {
        etat.setSurvol(modifier);
        QTimer::singleShot(500, this, [this] {
            etat.setPanneau(true);
            etat.setSurvol(std::nullopt);
            etat.setOutil(1);
        });
    } else {
        etat.setSurvol(1);
    }
}

void Controleur::chercherMisesAJour()
{
    Programmateur& p = MisesAJour::shared().controleur();
    if (!p.afficher)
        p.afficher = [this](const QString& texte) {
            if (informer)
                informer(texte);
        };
    p.checkForUpdates();
}
