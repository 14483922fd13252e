#pragma once

#include <QSlider>

class AnneauClavier;

// A setting's slider, from −1 to 1 in `pas` steps each way, named by its label for screen
// readers; an arrow moves it one step, Page Up or Down ten. The desktop's focus ring is drawn
// round its handle once the keyboard is in use there.
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
