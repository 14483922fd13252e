#include "tesselui/CommitField.h"

#include "tesselui/Theme.h"
#include "tesselui/Vavirud.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <algorithm>

CadreChamp::CadreChamp(QWidget* editeur, QWidget* parent) : QWidget(parent)
{
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(12, 7, 12, 7);
    l->addWidget(editeur);
    connect(&animateur_, &Animateur::pas, this, qOverload<>(&QWidget::update));
}

void CadreChamp::setFocused(bool f)
{
    focused_ = f;
    part_.aller(f ? 1 : 0, Mouvement::par(Fondu{0.12}), animateur_);
    update();
}

void CadreChamp::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Width and colour pass from the resting border to the focused one as the focus eases.
    const double k = std::clamp(part_.valeur(), 0.0, 1.0);
    const double l = largeurBord(false) + (largeurBord(true) - largeurBord(false)) * k;
    const QRectF r = QRectF(rect()).adjusted(l / 2, l / 2, -l / 2, -l / 2);
    p.setBrush(Theme::de(Theme::surface(), this));
    const QColor a = Theme::de(Tokens::Color::separator(), this), b = Theme::de(Tokens::Color::accent(), this);
    const auto mel = [k](double x, double y) { return x + (y - x) * k; };
    const QColor c = QColor::fromRgbF(float(mel(a.redF(), b.redF())), float(mel(a.greenF(), b.greenF())),
                                      float(mel(a.blueF(), b.blueF())), float(mel(a.alphaF(), b.alphaF())));
    p.setPen(QPen(c, l));
    p.drawRoundedRect(r, Tokens::Radius::smallElements, Tokens::Radius::smallElements);
}

CommitField::CommitField(const QString& title, const QString& value, const std::optional<QString>& prompt,
                         Qt::Orientation axis, bool live, std::function<void()> endEdit,
                         std::function<void(const QString&)> commit, QWidget* parent)
    : QWidget(parent), value_(value), live_(live), endEdit_(std::move(endEdit)), commit_(std::move(commit))
{
    QWidget* editeur;
    const QString invite = prompt.value_or(title);
    if (axis == Qt::Vertical) {
        bloc_ = new QPlainTextEdit;
        bloc_->setPlaceholderText(invite);
        bloc_->setFrameShape(QFrame::NoFrame);
        bloc_->setTabChangesFocus(true);
        bloc_->viewport()->setAutoFillBackground(false);
        connect(bloc_, &QPlainTextEdit::textChanged, this, &CommitField::changer);
        editeur = bloc_;
    } else {
        ligne_ = new QLineEdit;
        ligne_->setPlaceholderText(invite);
        ligne_->setFrame(false);
        connect(ligne_, &QLineEdit::textChanged, this, &CommitField::changer);
        connect(ligne_, &QLineEdit::returnPressed, this, &CommitField::finir);
        editeur = ligne_;
    }
    editeur->setAttribute(Qt::WA_MacShowFocusRect, false);
    editeur->setAutoFillBackground(false);
    // Only the base is set here: the text colours still come from the window's palette.
    QPalette fond = editeur->palette();
    fond.setColor(QPalette::Base, Qt::transparent);
    editeur->setPalette(fond);
    editeur->setFont(Vavirud::texte(Tokens::Typography::body, 400));
    editeur->installEventFilter(this);
    titre_ = new QLabel(title);
    titre_->setFont(Vavirud::texte(Tokens::Typography::caption, 400));
    titre_->setBuddy(editeur);
    // The buddy gives no name here (the frame sits between label and editor): screen readers
    // read the field by its title.
    editeur->setAccessibleName(title);
    cadre_ = new CadreChamp(editeur);
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(12);
    l->addWidget(titre_);
    l->addWidget(cadre_, 1);
}

QString CommitField::text() const { return ligne_ ? ligne_->text() : bloc_->toPlainText(); }

QWidget* CommitField::editeur() const { return ligne_ ? static_cast<QWidget*>(ligne_) : bloc_; }

void CommitField::poserTexte(const QString& t)
{
    if (t == text())
        return;
    poseEnCours_ = true;
    if (ligne_)
        ligne_->setText(t);
    else
        bloc_->setPlainText(t);
    poseEnCours_ = false;
}

void CommitField::setValue(const QString& value)
{
    value_ = value;
    if (!focused_)
        poserTexte(value);
}

void CommitField::changer()
{
    // Only the user's typing commits live; a text put there from the value does not.
    if (poseEnCours_ || !live_ || !focused_)
        return;
    const QString t = text();
    if (t != value_ && commit_)
        commit_(t);
}

void CommitField::finir()
{
    const QString t = text();
    if (t != value_ && commit_)
        commit_(t);
    if (live_ && endEdit_)
        endEdit_();
}

bool CommitField::eventFilter(QObject* o, QEvent* e)
{
    if (o == editeur()) {
        if (e->type() == QEvent::FocusIn) {
            focused_ = true;
            static_cast<CadreChamp*>(cadre_)->setFocused(true);
        } else if (e->type() == QEvent::FocusOut) {
            focused_ = false;
            static_cast<CadreChamp*>(cadre_)->setFocused(false);
            finir();
        } else if (bloc_ && e->type() == QEvent::KeyPress) {
            // Return ends a multi-line edit too; Shift+Return makes a new line.
            auto* k = static_cast<QKeyEvent*>(e);
            if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && !(k->modifiers() & Qt::ShiftModifier)) {
                finir();
                return true;
            }
        }
    }
    return QWidget::eventFilter(o, e);
}

void CommitField::showEvent(QShowEvent* e)
{
    poserTexte(value_);
    QWidget::showEvent(e);
}

void CommitField::hideEvent(QHideEvent* e)
{
    // A spontaneous hide is the window being minimised, not the field leaving.
    if (!e->spontaneous())
        finir();
    QWidget::hideEvent(e);
}
