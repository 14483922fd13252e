#include "conversions/sorties/Sortie.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/DossierTenu.h"
#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <algorithm>
#include <mutex>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

namespace Conversions {

namespace {

// base suffix.ext, or with the counter k: base suffix k.ext. The base alone is cut short
// when the whole name would not fit.
QString nomCandidat(const QString& base, const QString& suffixe, const QString& extension, int k)
{
    QString fin = suffixe;
    if (k >= 2)
        fin += QLatin1Char(' ') + QString::number(k);
    if (!extension.isEmpty())
        fin += QLatin1Char('.') + extension;
    return debutEnOctets(base, nomAuPlus - local(fin).size()) + fin;
}

// The same in `dossier`.
QString candidat(const QString& dossier, const QString& base, const QString& suffixe, const QString& extension,
                 int k)
{
    return QDir(dossier).filePath(nomCandidat(base, suffixe, extension, k));
}

// The kind of what bears `chemin` (S_IFREG, S_IFDIR…), links not followed; 0 when nothing does.
mode_t genreDe(const QString& chemin)
{
    struct stat st;
    return ::lstat(local(chemin).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

bool existe(const QString& chemin) { return genreDe(chemin) != 0; }

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

// ".vemo-vododod-base-token.ext" with the base and the extension cut short: a name near the system's
// limit (255 bytes) must still leave room for its hidden temporary.
QString nomTemporaire(const QString& base, const QString& extension)
{
    const QString jeton = QUuid::createUuid().toString(QUuid::Id128).left(12);
    const QString suffixe = extension.isEmpty() ? QString() : QLatin1Char('.') + debutEnOctets(extension, 16);
    return QLatin1Char('.') + prefixeTemporaire + debutEnOctets(base, 40) + QLatin1Char('-') + jeton + suffixe;
}

void rendre(const QString& chemin)
{
    const std::lock_guard<std::mutex> l(verrouDesNoms);
    nomsPris.remove(chemin);
}

// The first free name, taken.
QString premierLibre(const QString& dossier, const QString& base, const QString& suffixe, const QString& extension)
{
    for (int k = 1;; ++k) {
        const QString c = candidat(dossier, base, suffixe, extension, k);
        if (prendre(c))
            return c;
    }
}

// Renames without ever replacing what bears `vers`; false with errno EEXIST when something does.
bool renommerSansRemplacer(const QString& de, const QString& vers)
{
    const QByteArray a = local(de);
    const QByteArray b = local(vers);
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

std::mutex verrouDeLaPreparation;
std::function<void(const QString&)> preparation;

void preparer(const QString& temporaire)
{
    const std::lock_guard<std::mutex> l(verrouDeLaPreparation);
    if (preparation)
        preparation(temporaire);
}

// A file the writer made (its writes and close already checked by the writer), or a link
// (an unpacked archive's own): anything else is no output of ours.
bool estUnFichier(const QString& chemin)
{
    const mode_t g = genreDe(chemin);
    return g == S_IFREG || g == S_IFLNK;
}

} // namespace

QString nomLibre(const QString& dossier, const QString& base, const QString& extension)
{
    int dernier = 0;
    return nomLibre(dossier, base, extension, dernier);
}

QString nomLibre(const QString& dossier, const QString& base, const QString& extension, int& dernier)
{
    return QDir(dossier).filePath(
        nomLibreParmi(base, extension, dernier, [&](const QString& nom) { return existe(QDir(dossier).filePath(nom)); }));
}

QString nomLibreParmi(const QString& base, const QString& extension, int& dernier,
                      const std::function<bool(const QString&)>& pris)
{
    for (int k = std::max(dernier + 1, 1);; ++k) {
        const QString c = nomCandidat(base, {}, extension, k);
        if (!pris(c)) {
            dernier = k;
            return c;
        }
    }
}

Sortie::Sortie(const QString& dossier, const QString& base, const QString& extension, Nature nature)
    : Sortie(dossier, base, QString(), extension, nature)
{
}

Sortie::Sortie(const QString& dossier, const QString& base, const QString& suffixe, const QString& extension,
               Nature nature)
    : dossier_(dossier), base_(base), suffixe_(suffixe), extension_(extension), nature_(nature)
{
    // A folder we cannot write into fails now, before any work, under the name it would have had.
    if (::access(local(dossier).constData(), W_OK | X_OK) != 0)
        throw Erreur::ecriture(QFileInfo(candidat(dossier, base, suffixe, extension, 1)).fileName());
    tenu_ = DossierTenu::tenir(dossier);
    // Through the held folder: a folder of the same name put in its place never gets it.
    temporaire_ = QDir(tenu_ ? tenu_->vue() : dossier).filePath(nomTemporaire(base + suffixe, extension));
    {
        // Named and registered in one step: a stop of the engine never misses the temporary.
        Emprise emprise;
        chemin_ = premierLibre(dossier, base, suffixe, extension);
        emprise.tenir(temporaire_);
    }
    preparer(temporaire_);
}

Sortie Sortie::apres(const QString& source, const QString& suffixe, const QString& extension, Nature nature)
{
    const QFileInfo info(source);
    return Sortie(info.absolutePath(), info.completeBaseName(), suffixe, extension, nature);
}

void Sortie::preparerLesTemporaires(std::function<void(const QString&)> p)
{
    const std::lock_guard<std::mutex> l(verrouDeLaPreparation);
    preparation = std::move(p);
}

Sortie::Sortie(Sortie&& autre) noexcept
    : dossier_(std::move(autre.dossier_)), base_(std::move(autre.base_)), suffixe_(std::move(autre.suffixe_)),
      extension_(std::move(autre.extension_)), chemin_(std::move(autre.chemin_)),
      temporaire_(std::move(autre.temporaire_)), tenu_(std::move(autre.tenu_)), nature_(autre.nature_),
      valide_(autre.valide_)
{
    autre.valide_ = true;  // the moved-from object owns nothing any more
}

Sortie::~Sortie()
{
    if (valide_)
        return;
    const bool parti = tenu_ ? tenu_->supprimer(nomDe(temporaire_)) : supprimer(temporaire_);
    rendre(chemin_);
    // One that stays is left registered: the stop of the engine, or the next start, removes it.
    if (parti)
        Emprise(Emprise::Levee::jamais).lacher(temporaire_);
}

QString Sortie::nom() const
{
    return QFileInfo(chemin_).fileName();
}

QString Sortie::valider() { return livrer(false); }

QString Sortie::livrer(bool annoncer)
{
    if (valide_)
        return chemin_;
    const bool entier = nature_ == Nature::dossier ? genreDe(temporaire_) == S_IFDIR : estUnFichier(temporaire_);
    // A stopped engine keeps no output: the destructor removes it.
    Emprise emprise;
    // Moved or replaced meanwhile: the source went with it, and its old path is another folder.
    if (!entier || (tenu_ && !tenu_->enPlace()))
        throw Erreur::ecriture(nom());
    for (;;) {
        if (annoncer)
            emprise.annoncer(temporaire_, chemin_);
        // Within the held folder, like the temporary.
        if (renommerSansRemplacer(temporaire_, tenu_ ? QDir(tenu_->vue()).filePath(nomDe(chemin_)) : chemin_))
            break;
        const int e = errno;
        if (annoncer)
            emprise.conclure(chemin_);
        if (e != EEXIST && e != ENOTEMPTY)
            throw Erreur::ecriture(nom());
        // Another program took the name since it was chosen.
        const QString pris = chemin_;
        chemin_ = premierLibre(dossier_, base_, suffixe_, extension_);
        rendre(pris);
    }
    rendre(chemin_);
    valide_ = true;
    emprise.livrer(temporaire_, chemin_, tenu_);
    return chemin_;
}

bool Sortie::retirer() const { return tenu_ ? tenu_->supprimer(nomDe(chemin_)) : supprimer(chemin_); }

void Sortie::remplir(const std::function<void()>& ecrire)
{
    try {
        ecrire();
    } catch (const Erreur& e) {
        if (e.cas() == Erreur::Cas::ecriture && e.charge() == QFileInfo(temporaire_).fileName())
            throw Erreur::ecriture(nom());
        throw;
    } catch (const std::system_error& e) {
        // A full disk goes on as it is: the caller names the file it was converting.
        if (disquePlein(e))
            throw;
        qCWarning(journalConversions).noquote() << QStringLiteral("système : ") + QString::fromUtf8(e.what());
        throw Erreur::ecriture(nom());
    }
}

QStringList validerTout(const std::vector<std::unique_ptr<Sortie>>& sorties)
{
    QStringList chemins;
    // Each final name is written down before it is taken: a kill in the middle leaves the
    // next start what to remove.
    const auto conclure = [](const QStringList& l) {
        Emprise emprise(Emprise::Levee::jamais);
        for (const QString& c : l)
            emprise.conclure(c);
    };
    try {
        for (const auto& s : sorties)
            chemins.append(s->livrer(true));
    } catch (...) {
        // Wherever their folder went meanwhile; one that stays stays written down, for the
        // next start to remove.
        QStringList partis;
        for (qsizetype i = 0; i < chemins.size(); ++i)
            if (sorties[static_cast<size_t>(i)]->retirer())
                partis.append(chemins[i]);
        conclure(partis);
        throw;
    }
    conclure(chemins);
    return chemins;
}

} // namespace Conversions
