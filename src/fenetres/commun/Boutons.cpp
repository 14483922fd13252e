#include "fenetres/commun/Boutons.h"

#include "fenetres/commun/Pilule.h"

#include <QHBoxLayout>
#include <QShortcut>

Boutons::Boutons(const QString& action, std::function<void()> annuler, std::function<void()> valider, QWidget* parent)
    : QWidget(parent), surAnnuler_(std::move(annuler)), surValider_(std::move(valider))
{
    auto* rangee = new QHBoxLayout(this);
    rangee->setContentsMargins(0, 0, 0, 0);
    rangee->setSpacing(8);
    annuler_ = new Pilule(tr("Annuler"), false, this);
    valider_ = new Pilule(action, true, this);
    rangee->addWidget(annuler_);
    rangee->addWidget(valider_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    connect(annuler_, &QAbstractButton::clicked, this, [this] {
        if (surAnnuler_)
            surAnnuler_();
    });
    connect(valider_, &QAbstractButton::clicked, this, &Boutons::confirmer);
    // The window's keys: Escape cancels even while saving; Return confirms unless busy.
    auto* echap = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(echap, &QShortcut::activated, annuler_, &QAbstractButton::click);
    for (int touche : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* entree = new QShortcut(QKeySequence(touche), this, nullptr, nullptr, Qt::WindowShortcut);
        connect(entree, &QShortcut::activated, this, &Boutons::confirmer);
    }
}

void Boutons::confirmer()
{
    if (!occupe_ && surValider_)
        surValider_();
}

void Boutons::setOccupe(bool occupe)
{
    occupe_ = occupe;
    // Disabled with the keyboard on it, the confirming pill would hand it to the next button
    // (« Annuler » at the row's end), which a second Space would press: the view takes it.
    if (occupe && valider_->hasFocus() && parentWidget())
        parentWidget()->setFocus(Qt::OtherFocusReason);
    valider_->setOccupe(occupe);
    valider_->setEnabled(!occupe);
}
