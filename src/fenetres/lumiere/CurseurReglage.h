#pragma once

#include <QSlider>

class AnneauClavier;

// A setting's slider, from −1 to 1 in thousandths, named by its label for screen readers;
// the desktop's focus ring drawn round its handle once the keyboard is in use there.
class CurseurReglage : public QSlider {
    Q_OBJECT
public:
    CurseurReglage(const QString& nom, int pas, QWidget* parent);

    bool anneau() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    AnneauClavier* anneau_;
};
