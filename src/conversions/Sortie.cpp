#include "conversions/Sortie.h"

#include "conversions/Erreur.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
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

// Creates the name exclusively; false when it is taken (or cannot be made).
bool reserver(const QString& chemin, Sortie::Nature nature, int& erreur)
{
    const QByteArray c = QFile::encodeName(chemin);
    if (nature == Sortie::Nature::dossier) {
        const bool ok = ::mkdir(c.constData(), 0755) == 0;
        erreur = ok ? 0 : errno;
        return ok;
    }
    const int fd = ::open(c.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    erreur = fd >= 0 ? 0 : errno;
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

// At most `octets` bytes of `texte` in the system's encoding, never cutting a character.
QString debut(const QString& texte, qsizetype octets)
{
    QString r = texte.left(octets);
    while (!r.isEmpty() && (QFile::encodeName(r).size() > octets || r.back().isHighSurrogate()))
        r.chop(r.size() >= 2 && r.back().isLowSurrogate() ? 2 : 1);
    return r;
}

// ".base-token.ext" with the base and the extension cut short: a name near the system's
// limit (255 bytes) must still leave room for its hidden temporary.
QString nomTemporaire(const QString& base, const QString& extension)
{
    const QString jeton = QUuid::createUuid().toString(QUuid::Id128).left(12);
    const QString suffixe = extension.isEmpty() ? QString() : QLatin1Char('.') + debut(extension, 16);
    return QLatin1Char('.') + debut(base, 40) + QLatin1Char('-') + jeton + suffixe;
}

void supprimer(const QString& chemin)
{
    QFileInfo info(chemin);
    if (info.isDir() && !info.isSymLink())
        QDir(chemin).removeRecursively();
    else
        QFile::remove(chemin);
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
    : nature_(nature)
{
    for (int k = 1;; ++k) {
        const QString c = candidat(dossier, base, extension, k);
        int erreur = 0;
        if (reserver(c, nature, erreur)) {
            chemin_ = c;
            break;
        }
        if (erreur != EEXIST)
            throw Erreur::ecriture(QFileInfo(c).fileName());
    }
    temporaire_ = QDir(dossier).filePath(nomTemporaire(base, extension));
}

Sortie Sortie::apres(const QString& source, const QString& suffixe, const QString& extension, Nature nature)
{
    const QFileInfo info(source);
    return Sortie(info.absolutePath(), info.completeBaseName() + suffixe, extension, nature);
}

Sortie::Sortie(Sortie&& autre) noexcept
    : chemin_(std::move(autre.chemin_)), temporaire_(std::move(autre.temporaire_)),
      nature_(autre.nature_), valide_(autre.valide_)
{
    autre.valide_ = true;  // the moved-from object owns nothing any more
}

Sortie::~Sortie()
{
    if (valide_)
        return;
    supprimer(temporaire_);
    supprimer(chemin_);
}

QString Sortie::nom() const
{
    return QFileInfo(chemin_).fileName();
}

QString Sortie::valider()
{
    if (valide_)
        return chemin_;
    if (!existe(temporaire_)
        || ::rename(QFile::encodeName(temporaire_).constData(), QFile::encodeName(chemin_).constData()) != 0)
        throw Erreur::ecriture(nom());
    valide_ = true;
    return chemin_;
}

} // namespace Conversions
