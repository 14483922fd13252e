#pragma once

// Doubles of the controller's services: they record what they are asked and answer as the
// test says.
#include "application/Barre.h"
#include "application/Guetteur.h"
#include "application/Horloge.h"
#include "application/Moteur.h"
#include "conversions/sorties/Annulation.h"

#include <QMutex>
#include <QThread>
#include <atomic>
#include <map>

// An engine whose batches wait for the test's word and report what they are told to. Its
// petals are the catalogue's. Cancelled, a waiting batch stops as the real one does; a
// stuck one ignores the cancel.
struct MoteurDeTest : Application::Moteur {
    std::atomic<bool> libre{true};
    std::atomic<bool> bloque{false};
    std::atomic<bool> annule{false};
    std::atomic<int> appels{0};
    std::atomic<int> nettoyages{0};
    QStringList crees;
    QStringList erreurs;
    // What a batch has made of its first files before it waits, as the bilan says it.
    Conversions::Resultat avantAttente;
    qsizetype traitesAvantAttente = 0;
    std::atomic<int> rendus{0};
    // Called first by every batch when set: it throws, as a failing engine does.
    std::function<void()> echouer;

    QList<Conversions::Petale> petales(const QStringList& fichiers) override { return Conversions::petales(fichiers); }
    Conversions::Resultat convertir(const QStringList& chemins, const QString& id,
                                    const Conversions::Progression& p, Conversions::Bilan& bilan) override
    {
        {
            QMutexLocker verrou(&mutex_);
            dernierId_ = id;
            derniersChemins_ = chemins;
            progressions_[chemins.value(0)] = p;
        }
        bilan.ajouter(traitesAvantAttente, avantAttente);
        ++appels;
        if (echouer)
            echouer();
        p(0.5);
        while (!libre || bloque) {
            if (annule && !bloque)
                throw Conversions::Annulee();
            QThread::msleep(5);
        }
        Conversions::Resultat r;
        r.crees = crees.isEmpty() ? QStringList{chemins.first() + QStringLiteral(".jpg")} : crees;
        r.erreurs = erreurs;
        bilan.ajouter(chemins.size() - traitesAvantAttente, r);
        ++rendus;
        return bilan.releve().fait;
    }
    void annuler() override { annule = true; }
    void nettoyer() override { ++nettoyages; }

    QString dernierId() const
    {
        QMutexLocker verrou(&mutex_);
        return dernierId_;
    }
    QStringList derniersChemins() const
    {
        QMutexLocker verrou(&mutex_);
        return derniersChemins_;
    }
    // A progress report of the batch that starts with `chemin`, as the engine sends it.
    void rapporter(const QString& chemin, double fraction) const
    {
        Conversions::Progression p;
        {
            QMutexLocker verrou(&mutex_);
            p = progressions_.at(chemin);
        }
        p(fraction);
    }

private:
    mutable QMutex mutex_;
    QString dernierId_;
    QStringList derniersChemins_;
    std::map<QString, Conversions::Progression> progressions_;
};

// The tray as the controller leaves it, and every icon it was given.
struct BarreDeTest : Application::Barre {
    bool installee = false;
    Actions actions;
    QStringList icones;  // "repos", "anneau 0.40", "reussite", "echec", in order
    QString derniers = QStringLiteral("Aucun fichier créé pour l’instant");
    QStringList fichiers;
    QString echec;
    QStringList messages;

    void installer(Actions a) override
    {
        installee = true;
        actions = std::move(a);
        icones << QStringLiteral("repos");
    }
    void poserIcone(Signe signe, double fraction) override
    {
        static const char* noms[] = {"repos", "anneau", "reussite", "echec"};
        QString nom = QLatin1String(noms[int(signe)]);
        if (signe == Signe::anneau)
            nom += QStringLiteral(" %1").arg(fraction, 0, 'f', 2);
        icones << nom;
    }
    void poserDerniers(const QString& texte, const QStringList& f) override
    {
        derniers = texte;
        fichiers = f;
    }
    void poserEchec(const QString& texte) override { echec = texte; }
    void informer(const QString& texte) override { messages << texte; }

    // The icon's state now: "repos", "anneau", "reussite" or "echec".
    QString icone() const { return icones.isEmpty() ? QString() : icones.last().section(QLatin1Char(' '), 0, 0); }
    // The ring's fraction now.
    double fraction() const { return icones.isEmpty() ? -1 : icones.last().section(QLatin1Char(' '), 1).toDouble(); }
};

// A clock moved by hand: steps run only within `avancer`, in the order they fall due.
struct HorlogeManuelle : Application::Horloge {
    double maintenant = 0;
    QList<double> demandes;  // every delay asked for, in order

    Jeton programmer(double secondes, std::function<void()> action) override
    {
        demandes << secondes;
        attentes_[{maintenant + secondes, ++dernier_}] = std::move(action);
        return dernier_;
    }
    void annuler(Jeton jeton) override
    {
        for (auto i = attentes_.begin(); i != attentes_.end(); ++i)
            if (i->first.second == jeton) {
                attentes_.erase(i);
                return;
            }
    }
    // Runs every step due within `secondes`, those they program included.
    void avancer(double secondes)
    {
        const double fin = maintenant + secondes + 1e-9;
        while (!attentes_.empty() && attentes_.begin()->first.first <= fin) {
            auto premier = attentes_.begin();
            maintenant = std::max(maintenant, premier->first.first);
            const std::function<void()> action = std::move(premier->second);
            attentes_.erase(premier);
            action();
        }
        maintenant = std::max(maintenant, fin - 1e-9);
    }
    // How many steps are pending.
    int enAttente() const { return int(attentes_.size()); }

private:
    Jeton dernier_ = 0;
    std::map<std::pair<double, Jeton>, std::function<void()>> attentes_;
};

// A pointer that reports its presses, releases and drag starts as they come, the way the X
// server does with XInput 2.
struct Pointeur : Application::SourceGlisser {
    bool bouton = false;
    bool maj = false;
    long drags = 0;
    long avantAppui = 0;
    bool boutonGauche() override { return bouton; }
    bool shift() override { return maj; }
    long compte() override { return drags; }
    long compteAvantAppui() override { return avantAppui; }
    bool signaleLesAppuis() const override { return true; }

    void appuyer()
    {
        avantAppui = drags;
        bouton = true;
        evenement();
    }
    void relacher()
    {
        bouton = false;
        evenement();
    }
    // Another application's drag takes the selection.
    void commencer()
    {
        ++drags;
        evenement();
    }
    // One poll of the watcher.
    void sonder() { evenement(); }
};
