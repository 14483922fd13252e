#pragma once

#include "tesselui/Animateur.h"

#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

// A labelled text field that edits its own copy of the owner's value and hands the text
// back only when editing finishes (Return, focus leaving, the field hidden), or on every
// change in live mode. An outside value replaces the text only while the field is unfocused.
class CommitField : public QWidget {
    Q_OBJECT
public:
    CommitField(const QString& title, const QString& value, const std::optional<QString>& prompt = std::nullopt,
                Qt::Orientation axis = Qt::Horizontal, bool live = false, std::function<void()> endEdit = {},
                std::function<void(const QString&)> commit = {}, QWidget* parent = nullptr);

    // The owner's value changed.
    void setValue(const QString& value);
    QString value() const { return value_; }
    QString text() const;
    QWidget* editeur() const;
    bool focused() const { return focused_; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void finir();
    void changer();
    void poserTexte(const QString& t);

    QString value_;
    bool live_;
    std::function<void()> endEdit_;
    std::function<void(const QString&)> commit_;
    QLabel* titre_;
    QWidget* cadre_;
    QLineEdit* ligne_ = nullptr;
    QPlainTextEdit* bloc_ = nullptr;
    bool focused_ = false;
    bool poseEnCours_ = false;
};

// The design system's field look around any editor: padding 12 × 7, a surface fill in a
// radius-16 rectangle, a 1.5 accent border when focused, else a 1 separator border.
class CadreChamp : public QWidget {
    Q_OBJECT
public:
    explicit CadreChamp(QWidget* editeur, QWidget* parent = nullptr);
    void setFocused(bool f);
    bool focusedLook() const { return focused_; }
    // Border width and role for that focus.
    static double largeurBord(bool focused) { return focused ? 1.5 : 1; }
    // The look's share of focus as drawn now: 0 … 1, eased out over 0.12 s.
    double focusCourant() const { return part_.valeur(); }
    Animateur& animateur() { return animateur_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool focused_ = false;
    Animateur animateur_;
    Valeur part_{0};
};
