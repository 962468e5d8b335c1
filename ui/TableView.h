#pragma once

// A one-section list of fixed-height rows. Only the rows in view have cells:
// the table asks its data source for a cell when a row scrolls into view and
// keeps cells that scroll out for reuse, so a list of a thousand rows costs
// as much as one screenful. Edit mode shows delete controls (and reorder
// grips where the data source allows moving).

#include <QAbstractScrollArea>
#include <QPointer>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ui/ScrollIndicator.h"
#include "ui/TableViewCell.h"
#include "ui/Transition.h"

namespace nestora::ui {

class TableView;

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfRows(const TableView& table) const = 0;
    // A configured cell for the row: table.dequeueReusableCell(...) or a new one.
    virtual std::unique_ptr<TableViewCell> cellForRow(TableView& table, int row) = 0;
    virtual bool canEditRow(const TableView&, int) const { return false; }
    // The user confirmed deleting the row; the data source removes it and
    // then calls table.deleteRow(row).
    virtual void commitDelete(TableView&, int) {}
    virtual bool canMoveRow(const TableView&, int) const { return false; }
    // The user dragged a row; `to` counts in the list after the removal.
    virtual void moveRow(TableView&, int, int) {}
};

class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;
    virtual void didSelectRow(TableView&, int) {}
    virtual AccessoryType accessoryTypeForRow(const TableView&, int) const { return AccessoryType::None; }
    virtual void accessoryButtonTapped(TableView&, int) {}
};

class TableView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TableView(QWidget* parent = nullptr);
    ~TableView() override;

    void setDataSource(TableViewDataSource* dataSource) { dataSource_ = dataSource; }
    void setDelegate(TableViewDelegate* delegate) { delegate_ = delegate; }
    void setRowHeight(int height);
    int rowHeight() const { return rowHeight_; }
    void setAllowsSelectionDuringEditing(bool allows) { selectionWhileEditing_ = allows; }
    // The line under each row (none by default).
    void setSeparatorStyle(SeparatorStyle style);
    SeparatorStyle separatorStyle() const { return separator_; }

    // Asks the data source again for the row count and every visible cell.
    void reloadData();
    // Takes a cell out of the reuse pool, or none.
    std::unique_ptr<TableViewCell> dequeueReusableCell(const QString& reuseIdentifier);

    // The data source already removed the row: fade its cell out and close up.
    void deleteRow(int row);

    bool isEditing() const { return editing_; }
    // Animated, the delete controls and grips slide in or out while the
    // rows' content makes room (ui::Transition); the mode itself changes at
    // once.
    void setEditing(bool editing, bool animated = false);

    std::optional<int> selectedRow() const { return selected_; }
    void selectRow(int row);
    void deselectRow();

    // The cell showing the row, or null when it is not in view.
    TableViewCell* cellForRow(int row) const;
    // indexPathForCell: the row a cell in view shows, or none.
    std::optional<int> rowForCell(const TableViewCell* cell) const;
    // The row under a point of the viewport, or none.
    std::optional<int> rowAt(const QPoint& viewportPoint) const;
    // The centre of a row in viewport coordinates (tests tap there).
    QPoint centreOfRow(int row) const;
    void scrollToRow(int row);

    // The keyboard (TableViewKeyboard.cpp): Up and Down move a focus ring
    // over the rows, Return or Space taps the row, Right taps its detail
    // button, Delete asks to delete it in edit mode and a second Delete or
    // Return deletes it, Escape takes that question back, and Ctrl+Up or
    // Ctrl+Down moves a row that can move.
    std::optional<int> keyboardRow() const { return keyboardRow_; }
    void setKeyboardRow(int row);
    // A tap on the row's body, as the mouse or the keyboard makes it.
    void activateRow(int row);
    int rowCount() const { return rows_; }
    // How many cells exist (in view, fading or pooled).
    std::size_t cellCount() const;
    // How often the data source was asked for a cell.
    std::size_t cellRequests() const { return cellRequests_; }
    // Where a row being dragged would land if let go now; none when no row is.
    // The bar that shows where in the list the view is.
    ScrollIndicator& scrollIndicator() const { return *indicator_; }
    std::optional<int> dragGap() const { return dragGap_ < 0 ? std::nullopt : std::optional<int>(dragGap_); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showKeyboardRing();
    void layoutCells();
    QSize viewSize() const;
    void recycle(TableViewCell* cell);
    void applyState(TableViewCell* cell, int row) const;
    void updateScrollRange();
    void tapRow(int row, TableViewCell::Part part, const QPoint& cellPoint);

    // The reorder drag (TableViewDrag.cpp): the row follows the finger, the
    // rows between its place and the gap under it slide aside, and on
    // release it settles into the gap before the data source hears of it.
    int gapUnder(const TableViewCell& dragged) const;
    void dragRowTo(int from, int y);
    void dropRow(int from);
    static constexpr int kMakeRoomMilliseconds = 200;
    int dragGap_ = -1;
    QPointer<Transition> makingRoom_;

    TableViewDataSource* dataSource_ = nullptr;
    TableViewDelegate* delegate_ = nullptr;
    int rowHeight_ = 44;
    int rows_ = 0;
    bool editing_ = false;
    // While edit mode is animated: how far the controls are in (0 to 1),
    // and whether the rows still show them on the way out.
    qreal editAmount_ = 1.0;
    bool leavingEdit_ = false;
    QPointer<Transition> editTransition_;
    bool selectionWhileEditing_ = false;
    SeparatorStyle separator_ = SeparatorStyle::None;
    std::optional<int> selected_;
    std::optional<int> keyboardRow_;
    bool ringShown_ = false;  // the ring shows once the keyboard is used, not for a tap
    std::map<int, TableViewCell*> visible_;  // row -> cell; children of the viewport
    std::vector<TableViewCell*> pool_;       // hidden children kept for reuse
    std::size_t cellRequests_ = 0;
    ScrollIndicator* indicator_ = nullptr;

    // A press in progress.
    struct Press {
        QPoint start;
        int row = -1;
        TableViewCell::Part part = TableViewCell::Part::Body;
        int startScroll = 0;
        bool dragged = false;
    };
    std::optional<Press> press_;
};

}  // namespace nestora::ui
