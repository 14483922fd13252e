#include "tesselui/SegmentedRow.h"

#include "tesselui/Accessible.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
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
    // Both forms in one plain container, only one shown: the hidden one is also left out of
    // what screen readers see (a hidden menu's list would still read as showing).
    formes_ = new QWidget;
    auto* f = new QVBoxLayout(formes_);
    f->setContentsMargins(0, 0, 0, 0);
    f->setSpacing(0);
    f->addWidget(segments_);
    f->addWidget(menu_);
    formes_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    montrer(true);
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

bool SegmentedRow::segmented() const { return !segments_->isHidden(); }

void SegmentedRow::montrer(bool segmente)
{
    segments_->setVisible(segmente);
    menu_->setVisible(!segmente);
    Accessible::cacher(segments_, !segmente);
    Accessible::cacher(menu_, segmente);
}

void SegmentedRow::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    choisirForme();
}

void SegmentedRow::choisirForme()
{
    // Showing a form lays the window out again, which can resize this row from inside the
    // swap (a window held below its minimum width grows to it): that nested resize only asks
    // for another look, taken once the swap is whole, so what is shown and what screen
    // readers are told never part.
    if (enBascule_) {
        aRevoir_ = true;
        return;
    }
    enBascule_ = true;
    for (int fois = 0; fois < 3; ++fois) {  // settles at once; bounded all the same
        aRevoir_ = false;
        // The row at its ideal width when it fits, else the menu.
        const bool segmente = segments_->sizeHint().width() <= width();
        if (segmente != segmented())
            montrer(segmente);
        if (!aRevoir_)
            break;
    }
    enBascule_ = false;
}
