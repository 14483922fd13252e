#include "conversions/Sortie.h"

#include "conversions/Annulation.h"
#include "conversions/Erreur.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace Conversions {

namespace {

QString candidat(const QString& dossier, const QString& base, const QString& extension, int k)
{
    QString nom = k < 2 ? base : base + QLatin1Char(' ') + QString::number(k);
    if (!extension.isEmpty())
        nom += QLatin1Char('.') + extension;
    return QDir(dossier).filePath(nom);
}

bool existe(const QString& chemin)
{
    struct stat st;
    return ::lstat(QFile::encodeName(chemin).constData(), &st) == 0;
}

// Names held by the outputs of this process that are not written yet.
std::mutex verrouDesNoms;
QSet<QString> nomsPris;

// Takes the name when nothing bears it and no other output of ours holds it.
bool prendre(const QString& chemin)
{
    const std::lock_guard<std::mutex> l(verrouDesNoms);
    if (nomsPris.contains(chemin) || existe(chemin))
        return false;
    nomsPris.insert(chemin);
    return true;
}

// At most `octets` bytes of `texte` in the system's encoding, never cutting a character.
QString debut(const QString& texte, qsizetype octets)
{
    QString r = texte.left(octets);
    while (!r.isEmpty() && (QFile::encodeName(r).size() > octets || r.back().isHighSurrogate()))
        r.chop(r.size() >= 2 && r.back().isLowSurrogate() ? 2 : 1);
    return r;
}

// ".vemo-vododod-base-token.ext" with the base and the extension cut short: a name near the system's
// limit (255 bytes) must still leave room for its hidden temporary.
QString nomTemporaire(const QString& base, const QString& extension)
{
    const QString jeton = QUuid::createUuid().toString(QUuid::Id128).left(12);
    const QString suffixe = extension.isEmpty() ? QString() : QLatin1Char('.') + debut(extension, 16);
    return QLatin1Char('.') + prefixeTemporaire + debut(base, 40) + QLatin1Char('-') + jeton + suffixe;
}

void rendre(const QString& chemin)
{
    const std::lock_guard<std::mutex> l(verrouDesNoms);
    nomsPris.remove(chemin);
}

// The first free name, taken.
QString premierLibre(const QString& dossier, const QString& base, const QString& extension)
{
    for (int k = 1;; ++k) {
        const QString c = candidat(dossier, base, extension, k);
        if (prendre(c))
            return c;
    }
}

// Renames without ever replacing what bears `vers`; false with errno EEXIST when something does.
bool renommerSansRemplacer(const QString& de, const QString& vers)
{
    const QByteArray a = QFile::encodeName(de);
    const QByteArray b = QFile::encodeName(vers);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without that rename: a hard link fails on a taken name just as well.
    if (::link(a.constData(), b.constData()) == 0) {
        ::unlink(a.constData());
        return true;
    }
    if (errno == EEXIST)
        return false;
    if (existe(vers)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(a.constData(), b.constData()) == 0;
}

} // namespace

QString nomLibre(const QString& dossier, const QString& base, const QString& extension)
{
    for (int k = 1;; ++k) {
        const QString c = candidat(dossier, base, extension, k);
        if (!existe(c))
            return c;
    }
}

Sortie::Sortie(const QString& dossier, const QString& base, const QString& extension, Nature nature)
    : dossier_(dossier), base_(base), extension_(extension), nature_(nature)
{
    // A folder we cannot write into fails now, before any work, under the name it would have had.
    if (::access(QFile::encodeName(dossier).constData(), W_OK | X_OK) != 0)
        throw Erreur::ecriture(QFileInfo(candidat(dossier, base, extension, 1)).fileName());
    temporaire_ = QDir(dossier).filePath(nomTemporaire(base, extension));
    // Named and registered in one step: a stop of the engine never misses the temporary.
    Emprise emprise;
    chemin_ = premierLibre(dossier, base, extension);
    emprise.tenir(temporaire_);
}

Sortie Sortie::apres(const QString& source, const QString& suffixe, const QString& extension, Nature nature)
{
    const QFileInfo info(source);
    return Sortie(info.absolutePath(), info.completeBaseName() + suffixe, extension, nature);
}

Sortie::Sortie(Sortie&& autre) noexcept
    : dossier_(std::move(autre.dossier_)), base_(std::move(autre.base_)), extension_(std::move(autre.extension_)),
      chemin_(std::move(autre.chemin_)), temporaire_(std::move(autre.temporaire_)), nature_(autre.nature_),
      valide_(autre.valide_)
{
    autre.valide_ = true;  // the moved-from object owns nothing any more
}

Sortie::~Sortie()
{
    if (valide_)
        return;
    supprimer(temporaire_);
    rendre(chemin_);
    Emprise emprise(Emprise::Levee::jamais);
    emprise.lacher(temporaire_);
}

QString Sortie::nom() const
{
    return QFileInfo(chemin_).fileName();
}

QString Sortie::valider()
{
    if (valide_)
        return chemin_;
    // A stopped engine keeps no output: the destructor removes it.
    Emprise emprise;
    if (!existe(temporaire_))
        throw Erreur::ecriture(nom());
    while (!renommerSansRemplacer(temporaire_, chemin_)) {
        if (errno != EEXIST && errno != ENOTEMPTY)
            throw Erreur::ecriture(nom());
        // Another program took the name since it was chosen.
        const QString pris = chemin_;
        chemin_ = premierLibre(dossier_, base_, extension_);
        rendre(pris);
    }
    rendre(chemin_);
    valide_ = true;
    emprise.livrer(temporaire_, chemin_);
    return chemin_;
}

} // namespace Conversions
