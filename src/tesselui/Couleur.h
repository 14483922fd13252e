#pragma once

#include "designtokens/Tokens.h"

#include <QColor>
#include <QPalette>

// A token colour that follows the appearance it is shown in. It keeps the values it was
// built from: a later change of the tokens does not reach it.
class Couleur {
public:
    explicit Couleur(const Tokens::ThemedColor& valeurs) : valeurs_(valeurs) {}

    enum class Apparence { claire, sombre, autre };

    // The dark value for the dark appearance; the light one otherwise.
    QColor pour(Apparence apparence) const;
    // The appearance of a palette: dark when its window colour is dark.
    static Apparence apparence(const QPalette& palette);
    QColor pour(const QPalette& palette) const { return pour(apparence(palette)); }

    static QColor qcolor(const Tokens::RGB& c);

private:
    Tokens::ThemedColor valeurs_;
};
