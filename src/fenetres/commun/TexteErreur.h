#pragma once

#include <QStringList>
#include <QWidget>

// A tool's failure in its bottom row: red, at most two lines in the width the
// fixed buttons leave it, the second elided when the text is longer; the whole text in its
// tooltip. It never pushes the buttons: it shrinks first.
class TexteErreur : public QWidget {
    Q_OBJECT
public:
    explicit TexteErreur(QWidget* parent = nullptr);

    void setTexte(const QString& texte);
    const QString& texte() const { return texte_; }
    // The lines as shown at the present width.
    QStringList lignes() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString texte_;
};
