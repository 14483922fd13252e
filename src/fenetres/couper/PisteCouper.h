#pragma once

#include "fenetres/couper/modele/Passage.h"
#include "tesselui/Animateur.h"

#include <QWidget>
#include <optional>

// The trim window's track: ten thumbnail slots or the waveform's bars, veils outside the
// passage, the lime-to-aqua frame, the two handles that move its ends and the play head;
// under it the row of times (start, length kept, end).
class PisteCouper : public QWidget {
    Q_OBJECT
public:
    PisteCouper(Passage& passage, bool reduire, QWidget* parent);

    // The track itself, inside its margins, and the handles, in widget coordinates.
    QRectF piste() const;
    QRectF poignee(Passage::Bout bout) const;
    std::optional<Passage::Bout> tenue() const { return tenue_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void peindreBande(QPainter& p, const QRectF& r) const;
    void peindrePoignee(QPainter& p, Passage::Bout bout) const;
    void peindreTemps(QPainter& p) const;
    double x(double t) const;
    void tenir(Passage::Bout bout, double xPointeur);

    Passage& p_;
    bool reduire_;
    std::optional<Passage::Bout> tenue_;
    Animateur animateur_;
    Valeur echelleDebut_{1}, echelleFin_{1};
};
