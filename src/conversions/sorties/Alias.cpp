#include "conversions/sorties/Alias.h"

#include "conversions/sorties/Annulation.h"
#include "conversions/sorties/DossierTenu.h"
#include "conversions/Chemins.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Conversions {

namespace {

// `nom` before its last dot, and from it (a leading dot starts no extension).
std::pair<QByteArray, QByteArray> couper(const QByteArray& nom)
{
    const qsizetype point = nom.lastIndexOf('.');
    return point > 0 ? std::pair(nom.left(point), nom.mid(point)) : std::pair(nom, QByteArray());
}

QString texteDe(const QByteArray& octets) { return lisible(cheminDepuisOctets(octets)); }

// The link's base at most: what a conversion adds to it (a suffix, a page number, a
// counter, an extension) still fits in a name, so its outputs keep the whole base.
constexpr qsizetype baseDuLienAuPlus = 160;

// `base` and `fin` as one name: `base` cut short by its bytes when the whole would not fit.
QByteArray nomQuiTient(const QByteArray& base, const QByteArray& fin)
{
    if (base.size() + fin.size() <= nomAuPlus)
        return base + fin;
    return local(debutEnOctets(cheminDepuisOctets(base), nomAuPlus - fin.size())) + fin;
}

} // namespace

Alias::Alias(const QString& source)
{
    const QByteArray chemin = local(QDir::cleanPath(QFileInfo(source).absoluteFilePath()));
    const qsizetype barre = chemin.lastIndexOf('/');
    dossier_ = barre > 0 ? chemin.left(barre) : QByteArray("/");
    const QByteArray nom = chemin.mid(barre + 1);
    baseOctets_ = couper(nom).first;
    baseLisible_ = texteDe(baseOctets_);
    baseDuLien_ = debutEnOctets(baseLisible_, baseDuLienAuPlus);

    // Beside the source, so that its outputs move out by a rename; elsewhere when that
    // folder takes nothing (the move then fails and says so).
    const QByteArray jeton = QUuid::createUuid().toString(QUuid::Id128).left(12).toLatin1();
    const QByteArray sorte = local(prefixeTemporaire) + "noms-" + jeton;
    // Through the held folder: one put in its place never gets our hidden folder.
    parent_ = DossierTenu::tenir(cheminDepuisOctets(dossier_));
    travail_ = ici() + "/." + sorte;
    if (::mkdir(travail_.constData(), 0700) != 0) {
        travail_ = local(QDir::tempPath()) + '/' + sorte;
        if (::mkdir(travail_.constData(), 0700) != 0)
            throw Erreur::lecture(texteDe(nom));
    }
    // Written down, so that the start after a killed run removes it.
    Emprise(Emprise::Levee::jamais).tenir(cheminDepuisOctets(travail_));
    descripteur_ = ::open(travail_.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    vue_ = vueDe(descripteur_);
    const QString lisibleNom = baseDuLien_ + texteDe(couper(nom).second);
    chemin_ = vue_ + QLatin1Char('/') + lisibleNom;
    if (descripteur_ < 0 || ::symlink(chemin.constData(), (travail_ + '/' + lisibleNom.toUtf8()).constData()) != 0) {
        const int e = errno;
        nettoyer();
        qCWarning(journalConversions).noquote()
            << QStringLiteral("nom hors UTF-8 sans alias (%1) : %2").arg(e).arg(texteDe(nom));
        throw Erreur::lecture(texteDe(nom));
    }
}

Alias::~Alias() { nettoyer(); }

QByteArray Alias::ici() const { return parent_ ? local(parent_->vue()) : dossier_; }

void Alias::nettoyer()
{
    // What the conversion left there (its own failures remove their temporaries, but an
    // unpacked folder may still be there), then the folder itself.
    if (descripteur_ >= 0) {
        QDir(vue_).removeRecursively();  // empties it; the folder itself is not reached this way
        ::close(descripteur_);
        descripteur_ = -1;
    }
    if (!travail_.isEmpty() && (::rmdir(travail_.constData()) == 0 || errno == ENOENT))
        Emprise(Emprise::Levee::jamais).lacher(cheminDepuisOctets(travail_));
    travail_.clear();
}

QString Alias::rapatrier(const QString& cree) const
{
    const QString nom = QFileInfo(cree).fileName();
    // The source's whole base back, then what the conversion added to the link's.
    const bool duLien = nom.startsWith(baseDuLien_);
    const QByteArray source = duLien ? baseOctets_ : QByteArray();
    const QByteArray octets = source + (duLien ? nom.mid(baseDuLien_.size()) : nom).toUtf8();
    const auto [base, extension] = estDossier(cree) ? std::pair(octets, QByteArray()) : couper(octets);
    // The source's part of the base is what gets cut when the name is too long.
    const qsizetype garde = std::min(source.size(), base.size());
    const QByteArray tete = base.left(garde);
    const QByteArray suite = base.mid(garde);
    const QByteArray de = local(cree);
    // Moved or replaced meanwhile: the source went with it, and its old path is another folder.
    if (parent_ && !parent_->enPlace())
        throw Erreur::ecriture(texteDe(nomQuiTient(tete, suite + extension)));
    for (int k = 1;; ++k) {
        const QByteArray fin = suite + (k < 2 ? QByteArray() : ' ' + QByteArray::number(k)) + extension;
        const QByteArray nom = '/' + nomQuiTient(tete, fin);
        if (::renameat2(AT_FDCWD, de.constData(), AT_FDCWD, (ici() + nom).constData(), RENAME_NOREPLACE) == 0)
            return cheminDepuisOctets(dossier_ + nom);
        if (errno != EEXIST && errno != ENOTEMPTY)
            throw Erreur::ecriture(texteDe(nomQuiTient(tete, suite + extension)));
    }
}

Erreur Alias::nommer(const Erreur& e) const
{
    if (baseDuLien_ == baseLisible_)
        return e;
    QString charge = e.charge();
    charge.replace(baseDuLien_, baseLisible_);
    switch (e.cas()) {
    case Erreur::Cas::lecture:
        return Erreur::lecture(charge);
    case Erreur::Cas::ecriture:
        return Erreur::ecriture(charge);
    case Erreur::Cas::sansSon:
        return Erreur::sansSon(charge);
    case Erreur::Cas::protege:
        return Erreur::protege(charge);
    case Erreur::Cas::rien:
        break;
    }
    return Erreur::rien(charge);
}

} // namespace Conversions
