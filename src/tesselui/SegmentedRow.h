#pragma once

#include <QWidget>

class QButtonGroup;
class QComboBox;

// A titled choice among a few options: a segmented row of buttons when it fits the width
// given, else a menu. Both show the same choice.
class SegmentedRow : public QWidget {
    Q_OBJECT
public:
    SegmentedRow(const QString& title, const QStringList& options, QWidget* parent = nullptr);

    int current() const { return current_; }
    void setCurrent(int i);
    // Whether the segmented form is the one shown.
    bool segmented() const;

signals:
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    // The form that fits the width in force, once the swap has settled.
    void choisirForme();
    void montrer(bool segmente);

    QWidget* formes_;
    QWidget* segments_;
    QButtonGroup* groupe_;
    QComboBox* menu_;
    int current_ = 0;
    bool enBascule_ = false;
    bool aRevoir_ = false;
};
