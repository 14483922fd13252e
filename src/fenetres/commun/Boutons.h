#pragma once

#include <QWidget>
#include <functional>

class Pilule;

// The pair at the bottom right of a tool window: "Annuler" (Escape), always enabled, and
// the confirming pill (Return), disabled with a spinner while the tool saves.
class Boutons : public QWidget {
    Q_OBJECT
public:
    Boutons(const QString& action, std::function<void()> annuler, std::function<void()> valider,
            QWidget* parent = nullptr);

    void setOccupe(bool occupe);
    bool occupe() const { return occupe_; }
    Pilule& annulation() { return *annuler_; }
    Pilule& confirmation() { return *valider_; }

private:
    void confirmer();

    Pilule* annuler_;
    Pilule* valider_;
    std::function<void()> surAnnuler_;
    std::function<void()> surValider_;
    bool occupe_ = false;
};
