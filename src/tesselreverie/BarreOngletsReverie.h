#pragma once

#include "tesselui/BarreACases.h"

#include <functional>

// The Reverie tab bar: icon and name per tab on a paper capsule, the selected tab on an
// action pill; a tab other than the selected one shows its hint after the rest.
class BarreOngletsReverie : public BarreACases {
    Q_OBJECT
public:
    struct Onglet {
        QString icone;
        QString nom;
        QString detail;
    };
    explicit BarreOngletsReverie(QList<Onglet> onglets, QWidget* parent = nullptr);
    const QList<Onglet>& onglets() const { return onglets_; }

    // Tab rectangles for labels of those widths (icon, 7, name): padding 3, spacing 2,
    // 12 on each side of a label, 28 high.
    static QList<QRectF> cases(const QList<double>& largeursEtiquettes);
    QSize sizeHint() const override;
    QString nomCase(int i) const override { return i >= 0 && i < nombre() ? onglets_[i].nom : QString(); }
    QString detailCase(int i) const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    int nombre() const override { return int(onglets_.size()); }
    QList<QRectF> cases() const override;
    void peindreFond(QPainter& p, const QRectF& r) override;
    void peindrePilule(QPainter& p, const QRectF& r) override;
    void peindreCase(QPainter& p, int i, const QRectF& r, bool choisi) override;
    std::optional<HintBubble> hint(int i, double largeur) const override;

private:
    QList<double> largeurs() const;
    QList<Onglet> onglets_;
};
