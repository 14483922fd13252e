#include "tesselui/SegmentedRow.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

SegmentedRow::SegmentedRow(const QString& title, const QStringList& options, QWidget* parent) : QWidget(parent)
{
    segments_ = new QWidget;
    auto* ligne = new QHBoxLayout(segments_);
    ligne->setContentsMargins(0, 0, 0, 0);
    ligne->setSpacing(0);
    groupe_ = new QButtonGroup(this);
    for (int i = 0; i < options.size(); ++i) {
        auto* b = new QToolButton;
        b->setText(options[i]);
        b->setCheckable(true);
        groupe_->addButton(b, i);
        ligne->addWidget(b);
    }
    ligne->addStretch();
    menu_ = new QComboBox;
    menu_->addItems(options);
    menu_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    formes_ = new QStackedWidget;
    formes_->addWidget(segments_);
    formes_->addWidget(menu_);
    formes_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(8);
    l->addWidget(new QLabel(title));
    l->addWidget(formes_);
    connect(groupe_, &QButtonGroup::idClicked, this, [this](int i) {
        setCurrent(i);
        emit currentChanged(i);
    });
    connect(menu_, &QComboBox::activated, this, [this](int i) {
        setCurrent(i);
        emit currentChanged(i);
    });
    setCurrent(0);
}

void SegmentedRow::setCurrent(int i)
{
    if (i < 0 || i >= menu_->count())
        return;
    current_ = i;
    if (QAbstractButton* b = groupe_->button(i))
        b->setChecked(true);
    menu_->setCurrentIndex(i);
}

bool SegmentedRow::segmented() const { return formes_->currentWidget() == segments_; }

void SegmentedRow::resizeEvent(QResizeEvent* e)
{
    // The row at its ideal width when it fits, else the menu.
    formes_->setCurrentWidget(segments_->sizeHint().width() <= width() ? segments_ : static_cast<QWidget*>(menu_));
    formes_->setFixedHeight(formes_->currentWidget()->sizeHint().height());
    QWidget::resizeEvent(e);
}
