#pragma once

#include "tesselui/Animateur.h"
#include "tesselui/Boutons.h"

#include <QAbstractButton>
#include <QPainterPath>

// A button that scales while pressed, fades when disabled and paints its own look. The
// subclasses say which scale, opacity and shape; colours are read from the palette at paint.
class BoutonAnime : public QAbstractButton {
    Q_OBJECT
public:
    explicit BoutonAnime(QWidget* parent = nullptr);

    bool destructive() const { return destructive_; }
    void setDestructive(bool d);
    bool survole() const { return survole_; }
    // The hover highlight as drawn now: 0 off … 1 on, eased over 0.12 s.
    double survolCourant() const { return survol_.valeur(); }
    double echelleCourante() const { return echelle_.valeur(); }
    // Settles every move (tests, screenshots).
    void stabiliser() { animateur_.terminer(); }
    Animateur& animateur() { return animateur_; }

protected:
    virtual double echelleCible() const = 0;
    virtual double opacite() const = 0;
    // How the scale follows a press, and how it follows the on state of a checkable button.
    virtual Mouvement mouvement() const;
    virtual Mouvement mouvementBascule() const { return mouvement(); }
    // Paints the button in `r` (widget coordinates), before scale and opacity.
    virtual void peindreBouton(QPainter& p, const QRectF& r) = 0;
    // The text elided to `largeur`.
    QString texteDans(const QFont& f, double largeur) const;
    // A label shown as title and icon: the icon named `nom` (see Icone), else the one set
    // with setIcon, in a `cote` square 6 before the title; both centred together in `zone`,
    // the title on one line at its full length.
    QImage imageEtiquette(const QString& nom, double cote, const QColor& teinte) const;
    double largeurEtiquette(const QString& nom, const QFont& f, double cote) const;
    void peindreEtiquette(QPainter& p, const QRectF& zone, const QString& nom, double cote) const;
    void suivre();
    void suivreBascule();
    void survoler(bool s);

    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool hitButton(const QPoint& pos) const override;

private:
    Animateur animateur_;
    Valeur echelle_{1};
    Valeur survol_{0};
    bool destructive_ = false;
    bool survole_ = false;
};

// Capsule text button: filled, soft or outlined.
class PillButton : public BoutonAnime {
    Q_OBJECT
public:
    explicit PillButton(const QString& texte, PillButtonStyle style = PillButtonStyle::pill(), QWidget* parent = nullptr);
    PillButtonStyle style() const { return style_; }
    // An icon (symbol or asset name, see Icone) before the title; none when empty.
    void setIcone(const QString& nom);
    QString icone() const { return icone_; }
    // Its ideal size: a pill never shrinks nor cuts its title.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    double echelleCible() const override;
    double opacite() const override { return PillButtonStyle::opacite(isEnabled()); }
    void peindreBouton(QPainter& p, const QRectF& r) override;

private:
    PillButtonStyle style_;
    QString icone_;
};

// Full-width rounded tile.
class TileButton : public BoutonAnime {
    Q_OBJECT
public:
    explicit TileButton(const QString& texte, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    double echelleCible() const override;
    double opacite() const override { return 1; }
    void peindreBouton(QPainter& p, const QRectF& r) override;
};

// A small capsule around an icon, lit while hovered: 26 × 26 at least, plus 2 at each side.
class IconButton : public BoutonAnime {
    Q_OBJECT
public:
    explicit IconButton(const QString& icone, IconButtonStyle style = IconButtonStyle::icon(), QWidget* parent = nullptr);
    // The capsule, and room around it for the largest scale it takes.
    QSize sizeHint() const override;
    QRectF capsuleDans(const QRectF& r) const;
    QString icone() const { return icone_; }

protected:
    double echelleCible() const override;
    double opacite() const override { return IconButtonStyle::opacite(isEnabled()); }
    void peindreBouton(QPainter& p, const QRectF& r) override;
    virtual Tokens::ThemedColor teinte() const { return style_.tint(); }
    virtual Tokens::ThemedColor fond() const;
    virtual double echelleMax() const { return 1; }
    // The capsule's colour as painted now, hover fade included.
    virtual QColor couleurFond() const;

private:
    QString icone_;
    IconButtonStyle style_;
};

// An on/off tool: an icon button on an accent capsule while on.
class ToolToggle : public IconButton {
    Q_OBJECT
public:
    explicit ToolToggle(const QString& icone, QWidget* parent = nullptr);

protected:
    double echelleCible() const override;
    Mouvement mouvementBascule() const override;
    Tokens::ThemedColor teinte() const override { return ToolToggleStyle::tint(isChecked()); }
    Tokens::ThemedColor fond() const override;
    double echelleMax() const override { return ToolToggleStyle::echelle(true, false); }
    QColor couleurFond() const override;
};

// Buttons side by side, or stacked (left-aligned) when they do not fit; 8 apart; each at its
// ideal width.
class ButtonRow : public QWidget {
    Q_OBJECT
public:
    explicit ButtonRow(QWidget* parent = nullptr);
    void ajouter(QWidget* bouton);

    // Where each button goes for that width: a row when the widths fit, else a column.
    static QList<QRect> disposition(const QList<QSize>& tailles, int largeur);
    QSize sizeHint() const override;
    // As wide as its widest button, stacked.
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int largeur) const override;

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    QList<QSize> tailles() const;
    QList<QWidget*> boutons_;
};
