#pragma once

#include "roue/ComptePages.h"
#include "roue/EtatRoue.h"
#include "roue/Offre.h"
#include "roue/Retouche.h"

#include <QPointF>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

class QMimeData;

namespace Roue {

// The drop target that fills the wheel's panel: reads the dragged files, fills the wheel's
// state, answers every move with a verdict (a drag on no valid target is refused) and hands a
// drop to one of two callbacks. A lone PDF's pages are counted meanwhile: « Séparer » joins
// the ring when the count comes back.
class ZoneDepot : public QWidget {
    Q_OBJECT
public:
    using Depot = std::function<void(const QStringList& fichiers, const Conversions::Petale& petale)>;
    using Edition = std::function<void(const QString& fichier, const Retouche& retouche,
                                       const std::optional<Retouche::Outil>& outil)>;

    explicit ZoneDepot(EtatRoue& etat, QWidget* parent = nullptr);

    // Puts the wheel view inside, filling the zone; the zone keeps every mouse event.
    void accueillir(QWidget* vue);

    Depot surDepot;      // a drop on a conversion petal
    Edition surRetouche; // a drop on "Modifier" or on a tool of the arc

    // The offer for `fichiers` as a drag entering the zone finds it, for the launch option
    // that fills the wheel without a drag: a lone PDF's « Séparer » joins the ring when its
    // count comes back, as it does under a drag.
    Offre presenter(const QStringList& fichiers);

    // The files of the drag under way, in the order of the drag.
    const QStringList& fichiers() const { return fichiers_; }

    // The local files a drag carries, in order; other URLs are left out.
    static QStringList urls(const QMimeData* donnees);

    // A widget position (y down) in the wheel's coordinates (y up).
    QPointF versRoue(QPointF position) const;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // Moves the hover to the position and says whether a drop there would be taken.
    bool verdict(QDropEvent* e);
    // The offer for the files of the drag, with their page count if it is already known.
    Offre offreConnue();
    // A count came back: the ring takes it if it still shows these files' offer.
    void surCompte(const QString& pdf, int pages);

    EtatRoue& etat_;
    QStringList fichiers_;
    ComptePages comptes_{this};
    // The petals shown while the count of fichiers_ runs; empty when none runs.
    QList<Conversions::Petale> enAttente_;
    // Where the drag is, while it is over the zone.
    std::optional<QPointF> pointeur_;
};

} // namespace Roue
