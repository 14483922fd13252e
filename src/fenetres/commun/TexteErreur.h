#pragma once

#include <QStringList>
#include <QWidget>

// A tool's failure in its bottom row: red, at most two lines broken between words, as wide
// as they need (up to a bound past which the file name it quotes is shortened in its
// middle), on one line when the row has room for it; the whole text in its tooltip and, for
// screen readers, as its name.
class TexteErreur : public QWidget {
    Q_OBJECT
public:
    explicit TexteErreur(QWidget* parent = nullptr);

    // `nom`: the file name the text quotes, the part given up first when room is short.
    void setTexte(const QString& texte, const QString& nom = {});
    const QString& texte() const { return texte_; }
    // The lines as shown at the present width.
    QStringList lignes() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString texte_;
    QString nom_;
    int voulue_ = 0;
    mutable int mesure_ = -1;  // the width `lignes_` were made for
    mutable QStringList lignes_;
};
