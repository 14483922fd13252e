#pragma once

#include "application/Barre.h"

#include <QMenu>
#include <QSystemTrayIcon>

class QAction;

namespace Application {

// The desktop's notification area: the icon drawn for light and dark panels, the menu on a
// right click and on a click.
class BarreSysteme : public QSystemTrayIcon, public Barre {
public:
    BarreSysteme();
    ~BarreSysteme() override;

    void installer(Actions actions) override;
    void poserIcone(Signe signe, double fraction) override;
    void poserDerniers(const QString& texte, const QStringList& fichiers) override;
    void poserEchec(const QString& texte) override;
    void informer(const QString& texte) override;

private:
    QMenu menu_;
    QAction* ligneDerniers_ = nullptr;
    QAction* ligneEchec_ = nullptr;
    QStringList derniers_;
    Actions actions_;
};

} // namespace Application
