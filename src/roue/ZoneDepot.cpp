#include "roue/ZoneDepot.h"

#include "conversions/Chemins.h"

#include "roue/Geometrie.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <variant>

namespace Roue {

namespace {

struct VersConversion {
    Conversions::Petale petale;
};
struct VersRetouche {
    Retouche retouche;
    std::optional<Retouche::Outil> outil;
};
using Cible = std::variant<std::monostate, VersConversion, VersRetouche>;

// The target under the hover: the tool, else the petal.
Cible cibleSurvolee(const EtatRoue& etat)
{
    const auto& offre = etat.retouche();
    if (const auto k = etat.outil(); k && offre && *k >= 0 && *k < offre->outils.size()) {
        const Retouche::Outil& t = offre->outils[*k];
        if (!offre->app && !Retouche::interne(t.cle))
            return {};
        return VersRetouche{*offre, t};
    }
    if (const auto i = etat.survol(); i && *i >= 0 && *i < etat.petales().size()) {
        const Conversions::Petale& p = etat.petales()[*i];
        if (p.id != QLatin1String("modifier"))
            return VersConversion{p};
        if (!offre || !offre->app)
            return {};
        return VersRetouche{*offre, std::nullopt};
    }
    return {};
}

// What a drop at the current hover would do; nothing where it cannot be done. An edit
// needs exactly one file, whoever filled the state.
Cible cible(const EtatRoue& etat, const QStringList& fichiers)
{
    const Cible c = cibleSurvolee(etat);
    if (std::holds_alternative<VersRetouche>(c) && fichiers.size() != 1)
        return {};
    return c;
}

// A file URL naming a file of this machine.
std::optional<QString> cheminLocal(const QUrl& url)
{
    if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QString hote = url.host();
    if (!hote.isEmpty() && hote.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    // The path's own bytes: a name that is not UTF-8 must not become replacement characters.
    const QString chemin = Conversions::cheminDepuisOctets(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    if (!chemin.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return chemin;
}

// The source must never take our answer for a move: it could delete what it sent.
void prendre(QDropEvent* e)
{
    e->setDropAction(Qt::CopyAction);
    e->accept();
}

} // namespace

ZoneDepot::ZoneDepot(EtatRoue& etat, QWidget* parent) : QWidget(parent), etat_(etat)
{
    setFixedSize(static_cast<int>(Roue::cote), static_cast<int>(Roue::cote));
    setAcceptDrops(true);
    connect(&comptes_, &ComptePages::compte, this, &ZoneDepot::surCompte);
}

void ZoneDepot::accueillir(QWidget* vue)
{
    vue->setParent(this);
    vue->setGeometry(rect());
    vue->setAttribute(Qt::WA_TransparentForMouseEvents);
    vue->setAcceptDrops(false);
    vue->show();
}

QStringList ZoneDepot::urls(const QMimeData* donnees)
{
    QStringList l;
    if (!donnees || !donnees->hasUrls())
        return l;
    for (const QUrl& url : donnees->urls())
        if (const auto c = cheminLocal(url))
            l.append(*c);
    return l;
}

QPointF ZoneDepot::versRoue(QPointF position) const { return {position.x(), height() - position.y()}; }

bool ZoneDepot::verdict(QDropEvent* e)
{
    pointeur_ = versRoue(e->position());
    etat_.viser(*pointeur_);
    return !std::holds_alternative<std::monostate>(cible(etat_, fichiers_));
}

Offre ZoneDepot::offreConnue()
{
    enAttente_.clear();
    if (!Conversions::comptePages(fichiers_))
        return Roue::offre(fichiers_, 0);
    const std::optional<int> pages = comptes_.pages(fichiers_.first());
    Offre o = Roue::offre(fichiers_, pages.value_or(0));
    if (!pages)
        enAttente_ = o.petales;
    return o;
}

Offre ZoneDepot::presenter(const QStringList& fichiers)
{
    fichiers_ = fichiers;
    pointeur_.reset();
    return offreConnue();
}

void ZoneDepot::surCompte(const QString& pdf, int pages)
{
    // Another drag since, the wheel reopened, or a job shown in it: the ring stays.
    if (enAttente_.isEmpty() || fichiers_ != QStringList{pdf} || etat_.petales() != enAttente_ || etat_.travail()
        || etat_.fait())
        return;
    enAttente_.clear();
    etat_.setPetales(avecRetouche(Conversions::petales(fichiers_, pages), etat_.retouche()));
    // The petals moved round: the pointer may be over another one now.
    if (pointeur_)
        etat_.viser(*pointeur_);
}

void ZoneDepot::dragEnterEvent(QDragEnterEvent* e)
{
    fichiers_ = urls(e->mimeData());
    const Offre o = offreConnue();
    etat_.setRetouche(o.retouche);
    etat_.setPetales(o.petales);
    etat_.setOutil(std::nullopt);
    etat_.setPanneau(false);
    etat_.setCentre(o.centre);
    pointeur_ = versRoue(e->position());
    etat_.viser(*pointeur_);
    // Always taken: refusing the entry would stop the moves that carry the verdict.
    prendre(e);
}

void ZoneDepot::dragMoveEvent(QDragMoveEvent* e)
{
    if (verdict(e))
        prendre(e);
    else
        e->ignore();
}

void ZoneDepot::dragLeaveEvent(QDragLeaveEvent* e)
{
    pointeur_.reset();
    etat_.setSurvol(std::nullopt);
    etat_.setOutil(std::nullopt);
    etat_.setPanneau(false);
    e->accept();
}

void ZoneDepot::dropEvent(QDropEvent* e)
{
    pointeur_.reset();  // the drag ends here
    etat_.viser(versRoue(e->position()));
    const Cible c = cible(etat_, fichiers_);
    if (const auto* conversion = std::get_if<VersConversion>(&c)) {
        if (surDepot)
            surDepot(fichiers_, conversion->petale);
    } else if (const auto* edition = std::get_if<VersRetouche>(&c)) {
        if (surRetouche)
            surRetouche(fichiers_.first(), edition->retouche, edition->outil);
    } else {
        e->ignore();
        return;
    }
    prendre(e);
}

} // namespace Roue
