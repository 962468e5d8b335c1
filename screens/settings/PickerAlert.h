#pragma once

// What the value and colour pickers share: an alert with a title, a message
// and one "Cancel" button, stretched taller as it is about to show, with a
// one-column list inside it. Touching a row reports the row (each picker to
// its own delegate) and then closes the alert as "Cancel" would; "Cancel"
// itself reports nothing.

#include <QColor>
#include <QPointer>
#include <QRect>

#include "ui/AlertView.h"
#include "ui/TableView.h"

namespace nestora::screens {

// The picker's geometry, from the alert's natural frame (x, y, w, h): the
// alert becomes x, 60, w, 380; the list, in the alert's coordinates, is
// 10, h - 10, w - 20, 380 - h - 10 (never less than empty).
struct PickerLayout {
    QRect alertFrame;
    QRect listFrame;
};
PickerLayout pickerLayout(const QRect& naturalAlertFrame);

// One row of a picker: centred text cut at its tail to fit, or a bar of
// colour; a thin separator line along its bottom.
class PickerCell : public ui::TableViewCell {
    Q_OBJECT
public:
    PickerCell(QString reuseIdentifier, QColor separatorColor);

    // The text as given; what shows is one line of it that fits.
    void setValueText(const QString& text);
    const QString& valueText() const { return valueText_; }
    // The content area's colour; invalid leaves it plain.
    void setBarColor(const QColor& color);

    void layoutSubviews() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString valueText_;
    QColor separatorColor_;
};

// Holds a delegate without owning it. A delegate that is also a QObject is
// forgotten when it goes away, so a picker never reports to a screen that
// has been closed.
template <typename Delegate>
class WeakDelegate {
public:
    void set(Delegate* delegate) {
        delegate_ = delegate;
        guard_ = dynamic_cast<QObject*>(delegate);
        guarded_ = guard_ != nullptr;
    }
    Delegate* get() const { return guarded_ && guard_.isNull() ? nullptr : delegate_; }

private:
    Delegate* delegate_ = nullptr;
    QPointer<QObject> guard_;
    bool guarded_ = false;
};

class PickerAlert : public ui::AlertView, public ui::TableViewDataSource, public ui::TableViewDelegate {
    Q_OBJECT
public:
    ~PickerAlert() override;

    // Tells several pickers apart when they report.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // The list; none until the alert is about to show.
    ui::TableView* tableView() const { return tableView_; }

    // ui::TableViewDataSource / ui::TableViewDelegate
    std::unique_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, int row) override;
    void didSelectRow(ui::TableView& table, int row) override;

protected:
    PickerAlert(QString title, QString message, QString cellIdentifier, QColor separatorColor);

    void willPresent() override;
    // Fills a cell for a row.
    virtual void configureCell(PickerCell& cell, int row) const = 0;
    // Tells the delegate, if there is one, of the row's value.
    virtual void reportRow(int row) = 0;

private:
    QString cellIdentifier_;
    QColor separatorColor_;
    ui::TableView* tableView_ = nullptr;
    int tag_ = 0;
};

}  // namespace nestora::screens
