#pragma once

#include <QWidget>

// A number in slate, 12.5 points with steady digits, on the right of its fixed width: a
// slider's value that changes as it moves without shaking the row.
class ValeurChiffree : public QWidget {
    Q_OBJECT
public:
    explicit ValeurChiffree(QWidget* parent = nullptr);
    void setTexte(const QString& texte);
    const QString& texte() const { return texte_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString texte_;
};
