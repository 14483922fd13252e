#include "conversions/Annulation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <atomic>
#include <csignal>
#include <set>

namespace Conversions {

namespace {

std::mutex verrou;
std::atomic<bool> arret{false};
// Guarded by `verrou`.
QStringList chemins;
std::set<pid_t> enfants;

} // namespace

void supprimer(const QString& chemin)
{
    const QFileInfo info(chemin);
    if (info.isDir() && !info.isSymLink())
        QDir(chemin).removeRecursively();
    else
        QFile::remove(chemin);
}

void annuler()
{
    std::lock_guard garde(verrou);
    arret = true;
    // Still registered, so not reaped yet: the number cannot belong to another process.
    for (pid_t pid : enfants)
        ::kill(pid, SIGKILL);
}

bool annulee() { return arret; }

void verifierAnnulation()
{
    if (arret)
        throw Annulee();
}

void nettoyer()
{
    std::lock_guard garde(verrou);
    // The newest first: a temporary inside a work folder goes before the folder.
    for (qsizetype i = chemins.size() - 1; i >= 0; --i)
        supprimer(chemins[i]);
    chemins.clear();
}

Emprise::Emprise(Levee levee) : verrou_(verrou)
{
    if (levee == Levee::siAnnulee && arret)
        throw Annulee();
}

void Emprise::tenir(const QString& chemin) { chemins.append(chemin); }
void Emprise::lacher(const QString& chemin) { chemins.removeOne(chemin); }
void Emprise::tenir(pid_t enfant) { enfants.insert(enfant); }
void Emprise::lacher(pid_t enfant) { enfants.erase(enfant); }

} // namespace Conversions
