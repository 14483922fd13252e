#pragma once

#include "application/Controleur.h"
#include "application/Journal.h"
#include "commun/Attendre.h"
#include "conversions/Journaux.h"

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
        QFile f(cheminDuJournal());
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
    Guetteur g{std::unique_ptr<SourceGlisser>(scene)};
    int montres = 0;
    int laches = 0;
    VeilleurDe()
    {
        g.montrer = [this] { ++montres; };
        g.lacher = [this] { ++laches; };
    }
};

// A watcher that never sees anything: the tests drive the controller directly.
struct Immobile : SourceGlisser {
    bool boutonGauche() override { return false; }
    bool shift() override { return false; }
    long compte() override { return 0; }
};

// An engine whose batches wait for the test's word and report what they are told to.
struct Moteur {
    std::atomic<bool> libre{true};
    std::atomic<int> appels{0};
    QString dernierId;
    QStringList crees;
    QStringList erreurs;
    Conversions::Resultat operator()(const QStringList& chemins, const QString& id, const Conversions::Progression& p)
    {
        ++appels;
        dernierId = id;
        p(0.5);
        while (!libre)
            QThread::msleep(5);
        Conversions::Resultat r;
        r.crees = crees.isEmpty() ? QStringList{chemins.first() + QStringLiteral(".jpg")} : crees;
        r.erreurs = erreurs;
        return r;
    }
};

// The controller launched with `options` (its wheel opened if asked), its engine, trials and
// tool windows caught.
struct Banc {
    enum Depart { lance, ouvert };
    JournalDeTest log;
    Moteur moteur;
    std::unique_ptr<Controleur> c;
    QStringList essais;
    QStringList outils;

    explicit Banc(QStringList options = {}, Depart depart = lance)
    {
        c = std::make_unique<Controleur>(QStringList{QStringLiteral("vemo-vododod")} + options);
        c->remplacerGuetteur(std::make_unique<Guetteur>(std::make_unique<Immobile>()));
        c->moteur = [this](const QStringList& a, const QString& b, const Conversions::Progression& p) {
            return moteur(a, b, p);
        };
        c->essai = [this](const QString& d, EtatRoue&) {
            essais << d;
            return true;
        };
        c->ouvrirOutil = [this](const QString& cle, const QString& f, Controleur::Fini fini) {
            outils << cle + QLatin1Char(':') + f;
            fini(f + QStringLiteral(".edit.png"));
        };
        c->lancer();
        if (depart == ouvert)
            c->ouvrir();
    }
    ~Banc() { qInstallMessageHandler(nullptr); }
    bool visible() const { return c->rouePresente(); }
};
