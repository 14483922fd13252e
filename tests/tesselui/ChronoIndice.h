#pragma once

#include "tesselui/HintPanel.h"

#include <QElapsedTimer>
#include <QEvent>

// When the hint panel came up, counted from `partir()`: the check of the rest holds however
// slowly a loaded machine runs the event loop.
class ChronoIndice : public QObject {
public:
    ChronoIndice() { HintPanel::shared().installEventFilter(this); }
    ~ChronoIndice() override { HintPanel::shared().removeEventFilter(this); }
    void partir()
    {
        depuis_.start();
        apres = -1;
    }
    qint64 apres = -1;  // ms, -1 while it has not shown

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Show && apres < 0)
            apres = depuis_.elapsed();
        return false;
    }

private:
    QElapsedTimer depuis_;
};
