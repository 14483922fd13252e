#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary folder for one test, removed afterwards.
class Dossier {
public:
    Dossier();
    QString chemin(const QString& nom) const;
    // Writes `contenu` at `nom` (folders made) and returns the full path.
    QString ecrire(const QString& nom, const QByteArray& contenu = {}) const;
    QString creerDossier(const QString& nom) const;
    // The names in the folder, sorted, hidden ones included.
    QStringList noms() const;
    const QString& racine() const { return racine_; }

private:
    QTemporaryDir dir_;
    QString racine_;
};

// Runs a program on one thread of OpenMP; returns its exit code (-1 when it cannot start or
// outlasts `delaiMs`) and fills `sortie`. The limit leaves room for a reader of a huge file on
// a machine busy with other suites.
int executer(const QString& programme, const QStringList& arguments, QString* sortie = nullptr,
             int delaiMs = 300000);
