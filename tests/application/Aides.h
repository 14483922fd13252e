#pragma once

#include "Doubles.h"
#include "application/Controleur.h"
#include "application/Journal.h"
#include "commun/Attendre.h"
#include "conversions/Journaux.h"
#include "roue/PanneauRoue.h"
#include "roue/VueRoue.h"
#include "roue/ZoneDepot.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

// The log of one test: XDG_STATE_HOME points at a fresh folder while it lives.
class JournalDeTest {
public:
    JournalDeTest() { qputenv("XDG_STATE_HOME", dossier_.path().toUtf8()); }
    ~JournalDeTest() { qunsetenv("XDG_STATE_HOME"); }
    // The messages, time stamps removed.
    QStringList messages() const
    {
        QFile f(Application::cheminDuJournal());
        QStringList m;
        if (!f.open(QIODevice::ReadOnly))
            return m;
        for (const QString& ligne : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            m << ligne.mid(13);
        return m;
    }
    bool contient(const QString& message) const { return messages().contains(message); }
    int compte(const QString& message) const { return int(messages().count(message)); }

private:
    QTemporaryDir dossier_;
};


// A conversion petal as the drop target hands it on.
inline Conversions::Petale petale(const QString& id) { return Conversions::Petale{id, id, "photo", std::nullopt}; }

// Runs the event loop for `ms`.
inline void patienter(int ms)
{
    attendre([] { return false; }, ms);
}

// A watcher reading a scripted source, counting what it asks for.
template <typename Source>
struct VeilleurDe {
    JournalDeTest log;
    Source* scene = new Source;
    Application::Guetteur g{std::unique_ptr<Application::SourceGlisser>(scene)};
    int montres = 0;
    int laches = 0;
    VeilleurDe()
    {
        g.montrer = [this] { ++montres; };
        g.lacher = [this] { ++laches; };
    }
};

// The controller launched with `options` (its wheel opened if asked) on doubles: the engine,
// the tray, the clock, the pointer; trials and tool windows caught. Tests drive it as the
// desktop does: the pointer, the drop target, the tray's menu, the passing of time.
struct Banc {
    enum Depart { lance, ouvert };
    JournalDeTest log;
    Roue::EtatRoue etat;
    std::shared_ptr<MoteurDeTest> moteur = std::make_shared<MoteurDeTest>();
    std::shared_ptr<BarreDeTest> barre = std::make_shared<BarreDeTest>();
    std::shared_ptr<HorlogeManuelle> horloge = std::make_shared<HorlogeManuelle>();
    Pointeur* pointeur = new Pointeur;
    QStringList essais;
    QStringList outils;
    // Each tool window's callback for the files it saves; a window saves at once. Without
    // windows the request is only recorded and refused, as in a build that has none.
    QList<Application::Services::Fini> finis;
    bool fenetres = true;
    std::optional<bool> sortie;
    std::unique_ptr<Application::Controleur> c;

    // `autre`: an engine instead of the double (the real one).
    explicit Banc(QStringList options = {}, Depart depart = lance, std::shared_ptr<Application::Moteur> autre = {})
    {
        Application::Services s;
        s.moteur = autre ? autre : moteur;
        s.barre = barre;
        s.horloge = horloge;
        s.glisser.reset(pointeur);
        s.essai = [this](const QString& d, Roue::EtatRoue&) {
            essais << d;
            return true;
        };
        s.ouvrirOutil = [this](const QString& cle, const QString& f, Application::Services::Fini fini) {
            outils << cle + QLatin1Char(':') + f;
            if (!fenetres)
                return false;
            finis << fini;
            fini(f + QStringLiteral(".edit.png"));
            return true;
        };
        s.sortir = [this](bool arretes) { sortie = arretes; };
        c = std::make_unique<Application::Controleur>(QStringList{QStringLiteral("vemo-vododod")} + options, etat, std::move(s));
        c->lancer();
        if (depart == ouvert)
            ouvrir();
    }
    ~Banc()
    {
        // A batch still waiting must not outlive the test's engine settings.
        moteur->libre = true;
        moteur->bloque = false;
        c.reset();
        qInstallMessageHandler(nullptr);
    }

    // A Shift-drag from another application: the watcher asks for the wheel; Shift then
    // goes up while the button stays down, so that later polls ask nothing.
    void ouvrir()
    {
        pointeur->maj = true;
        pointeur->appuyer();
        pointeur->commencer();
        pointeur->maj = false;
    }
    // The button comes up after the drag.
    void relacher() { pointeur->relacher(); }

    Roue::PanneauRoue* panneau() const { return trouver<Roue::PanneauRoue>(); }
    Roue::ZoneDepot* zone() const { return trouver<Roue::ZoneDepot>(); }
    Roue::VueRoue* vue() const { return trouver<Roue::VueRoue>(); }
    bool visible() const { return panneau() && panneau()->isVisible(); }

    // Drops on a conversion petal, on "Modifier" or a tool of the arc, as the drop target
    // hands them on.
    void deposer(const QStringList& chemins, const Conversions::Petale& petale) { zone()->surDepot(chemins, petale); }
    void retoucher(const QString& fichier, const Roue::Retouche& offre, const std::optional<Roue::Retouche::Outil>& outil)
    {
        zone()->surRetouche(fichier, offre, outil);
    }

    // The first widget of type W among the application's windows and their children.
    template <typename W>
    static W* trouver()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* x = qobject_cast<W*>(w))
                return x;
            if (auto* x = w->findChild<W*>())
                return x;
        }
        return nullptr;
    }
};
