#pragma once

#include "tesselui/BarreACases.h"

// The design system's segmented control: icon-only tabs sharing the bar's width equally on a
// panel capsule; the selected one on a call-to-action pill. Its hint (name and description)
// shows only when the tabs have descriptions.
class PillTabBar : public BarreACases {
    Q_OBJECT
public:
    struct Tab {
        QString icon;
        QString label;
        QString detail;
    };
    PillTabBar(QList<Tab> tabs, bool details, QWidget* parent = nullptr);
    const QList<Tab>& tabs() const { return tabs_; }

    // Tab rectangles in a bar of that size: padding 3, spacing 2, equal widths, at least 26 high.
    static QList<QRectF> cases(int n, const QSizeF& barre);
    QSize sizeHint() const override;
    QString nomCase(int i) const override { return i >= 0 && i < nombre() ? tabs_[i].label : QString(); }
    QString detailCase(int i) const override;
    QSize minimumSizeHint() const override;

protected:
    int nombre() const override { return int(tabs_.size()); }
    QList<QRectF> cases() const override { return cases(nombre(), QSizeF(size())); }
    void peindreFond(QPainter& p, const QRectF& r) override;
    void peindrePilule(QPainter& p, const QRectF& r) override;
    void peindreCase(QPainter& p, int i, const QRectF& r, bool choisi) override;
    std::optional<HintBubble> hint(int i, double largeur) const override;

private:
    QList<Tab> tabs_;
    bool details_;
};
