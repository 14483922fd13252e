#include "application/BarreSysteme.h"

#include "application/Icone.h"
#include "application/Reveler.h"

#include <QAction>
#include <QCursor>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMessageBox>
#include <QPalette>

namespace Application {

BarreSysteme::BarreSysteme()
{
    setToolTip(QStringLiteral("Vemo Vododod"));
    auto* invite = menu_.addAction(tr("Glissez un fichier en tenant Maj"));
    invite->setEnabled(false);
    menu_.addSeparator();
    ligneDerniers_ = menu_.addAction(tr("Aucun fichier créé pour l’instant"));
    ligneDerniers_->setEnabled(false);
    connect(ligneDerniers_, &QAction::triggered, this, [this] { reveler(derniers_, QDBusConnection::sessionBus(), this); });
    ligneEchec_ = menu_.addAction(QString());
    ligneEchec_->setEnabled(false);
    ligneEchec_->setVisible(false);
    menu_.addSeparator();
    menu_.addAction(tr("Rechercher les mises à jour…"), this, [this] {
        if (actions_.chercherMisesAJour)
            actions_.chercherMisesAJour();
    });
    auto* quitter = menu_.addAction(tr("Quitter Vemo Vododod"), this, [this] {
        if (actions_.quitter)
            actions_.quitter();
    });
    quitter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quitter->setShortcutContext(Qt::ApplicationShortcut);
    // A click opens the menu too, as a status item's does; hosts differ on the button.
    connect(this, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            menu_.popup(QCursor::pos());
    });
}

// The menu goes first: the icon must not keep pointing at it.
BarreSysteme::~BarreSysteme() { setContextMenu(nullptr); }

void BarreSysteme::installer(Actions actions)
{
    actions_ = std::move(actions);
    poserIcone(Signe::repos, 0);
    setContextMenu(&menu_);
    show();
}

void BarreSysteme::poserIcone(Signe signe, double fraction)
{
    const QColor encre = QGuiApplication::palette().color(QPalette::WindowText);
    if (signe == Signe::anneau) {
        setIcon(Icone::icone([&](double e) { return Icone::anneau(fraction, encre, e); }, encre));
        return;
    }
    const QString nom = signe == Signe::reussite ? QStringLiteral("checkmark.circle.fill")
                        : signe == Signe::echec  ? QStringLiteral("exclamationmark.circle.fill")
                                                 : QStringLiteral("circle.circle");
    setIcon(Icone::icone([&](double e) { return Icone::symbole(nom, encre, e); }, encre));
}

void BarreSysteme::poserDerniers(const QString& texte, const QStringList& fichiers)
{
    derniers_ = fichiers;
    ligneDerniers_->setText(texte);
    ligneDerniers_->setEnabled(true);
}

void BarreSysteme::poserEchec(const QString& texte)
{
    ligneEchec_->setText(texte);
    ligneEchec_->setVisible(!texte.isEmpty());
}

void BarreSysteme::informer(const QString& texte)
{
    auto* boite = new QMessageBox(QMessageBox::Information, QStringLiteral("Vemo Vododod"), texte);
    boite->setAttribute(Qt::WA_DeleteOnClose);
    boite->show();
}

} // namespace Application
