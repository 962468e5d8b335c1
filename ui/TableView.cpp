#include "ui/TableView.h"

#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>

#include "ui/Accessibility.h"
#include "ui/QtOwnership.h"

namespace nestora::ui {

namespace {

constexpr int kDragThreshold = 8;
constexpr int kFadeMilliseconds = 250;

}  // namespace

TableView::TableView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(palette);
    indicator_ = ScrollIndicator::attach(this);
    setFocusPolicy(Qt::StrongFocus);
    installAccessibility();
}

TableView::~TableView() = default;

void TableView::setRowHeight(int height) {
    rowHeight_ = std::max(1, height);
    reloadData();
}

void TableView::setSeparatorStyle(SeparatorStyle style) {
    separator_ = style;
    for (auto& [row, cell] : visible_) {
        cell->setSeparatorStyle(style);
    }
}

// The viewport's size once laid out. Until the table is first shown the
// viewport itself keeps its initial size, so a list filled before that
// would make cells for rows that never come into view.
QSize TableView::viewSize() const {
    return maximumViewportSize();
}

std::size_t TableView::cellCount() const {
    return static_cast<std::size_t>(viewport()->findChildren<TableViewCell*>(QString(), Qt::FindDirectChildrenOnly).size());
}

void TableView::reloadData() {
    for (auto& [row, cell] : visible_) {
        recycle(cell);
    }
    visible_.clear();
    rows_ = dataSource_ != nullptr ? std::max(0, dataSource_->numberOfRows(*this)) : 0;
    if (selected_ && *selected_ >= rows_) {
        selected_.reset();
    }
    if (keyboardRow_ && *keyboardRow_ >= rows_) {
        keyboardRow_ = rows_ > 0 ? std::optional<int>(rows_ - 1) : std::nullopt;
    }
    updateScrollRange();
    layoutCells();
}

std::unique_ptr<TableViewCell> TableView::dequeueReusableCell(const QString& reuseIdentifier) {
    for (auto it = pool_.begin(); it != pool_.end(); ++it) {
        if ((*it)->reuseIdentifier() == reuseIdentifier) {
            TableViewCell* cell = *it;
            pool_.erase(it);
            cell->setParent(nullptr);
            return std::unique_ptr<TableViewCell>(cell);
        }
    }
    return nullptr;
}

void TableView::recycle(TableViewCell* cell) {
    cell->hide();
    cell->setSelected(false);
    cell->setShowingDeleteConfirmation(false);
    pool_.push_back(cell);
}

void TableView::updateScrollRange() {
    const int content = rows_ * rowHeight_;
    verticalScrollBar()->setPageStep(viewSize().height());
    verticalScrollBar()->setSingleStep(rowHeight_ / 2);
    verticalScrollBar()->setRange(0, std::max(0, content - viewSize().height()));
}

void TableView::applyState(TableViewCell* cell, int row) const {
    const bool deletable = dataSource_->canEditRow(*this, row);
    const bool movable = dataSource_->canMoveRow(*this, row);
    if (!leavingEdit_) {
        cell->setEditingState(editing_, deletable, movable);
    }
    cell->setEditControlsAmount(editAmount_);
    cell->setAccessoryType(delegate_ != nullptr ? delegate_->accessoryTypeForRow(*this, row) : AccessoryType::None);
    cell->setSelected(selected_ && *selected_ == row);
    cell->setSeparatorStyle(separator_);
    cell->setKeyboardFocused(hasFocus() && ringShown_ && keyboardRow_ == row);
}

void TableView::layoutCells() {
    if (dataSource_ == nullptr) {
        return;
    }
    const int scroll = verticalScrollBar()->value();
    const int first = scroll / rowHeight_;
    const int last = std::min(rows_ - 1, (scroll + viewSize().height() - 1) / rowHeight_);
    // Rows that left the view give their cells back first, so the rows that
    // came into view can reuse them.
    for (auto it = visible_.begin(); it != visible_.end();) {
        if (it->first < first || it->first > last) {
            recycle(it->second);
            it = visible_.erase(it);
        } else {
            ++it;
        }
    }
    for (int row = first; row <= last; ++row) {
        TableViewCell* cell = nullptr;
        if (auto it = visible_.find(row); it != visible_.end()) {
            cell = it->second;
        } else {
            ++cellRequests_;
            std::unique_ptr<TableViewCell> made = dataSource_->cellForRow(*this, row);
            if (!made) {
                continue;
            }
            cell = adoptChild(std::move(made), viewport());
            visible_[row] = cell;
        }
        applyState(cell, row);
        cell->setGeometry(0, row * rowHeight_ - scroll, viewSize().width(), rowHeight_);
        cell->show();
    }
}

void TableView::deleteRow(int row) {
    if (auto it = visible_.find(row); it != visible_.end()) {
        TableViewCell* dying = it->second;
        visible_.erase(it);
        // Fades out under the rows that close up over its place.
        dying->lower();
        auto* effect = makeChild<QGraphicsOpacityEffect>(dying);
        dying->setGraphicsEffect(effect);
        auto* fade = makeChild<QPropertyAnimation>(effect, effect, "opacity");
        fade->setDuration(kFadeMilliseconds);
        fade->setStartValue(1.0);
        fade->setEndValue(0.0);
        connect(fade, &QPropertyAnimation::finished, dying, [this, dying] {
            dying->setGraphicsEffect(nullptr);  // deletes the effect and its animation
            recycle(dying);
        });
        fade->start();
    }
    // Rows below move up by one; their cells keep showing the same entries.
    std::map<int, TableViewCell*> shifted;
    for (auto& [r, cell] : visible_) {
        shifted[r > row ? r - 1 : r] = cell;
    }
    visible_ = std::move(shifted);
    if (selected_) {
        if (*selected_ == row) {
            selected_.reset();
        } else if (*selected_ > row) {
            selected_ = *selected_ - 1;
        }
    }
    rows_ = std::max(0, rows_ - 1);
    updateScrollRange();
    layoutCells();
}

void TableView::setEditing(bool editing, bool animated) {
    if (editTransition_) {
        editTransition_->finish();
    }
    editing_ = editing;
    if (!animated || !isVisible()) {
        editAmount_ = 1.0;
        layoutCells();
        return;
    }
    // Coming in, the rows take their edit state now and show its controls
    // by degrees; going out, they keep showing them until the end.
    leavingEdit_ = !editing;
    editAmount_ = editing ? 0.0 : 1.0;
    layoutCells();
    QPointer<TableView> guard(this);
    editTransition_ = Transition::start(
        this, Transition::kMilliseconds,
        [guard, editing](qreal progress) {
            if (guard) {
                guard->editAmount_ = editing ? progress : 1.0 - progress;
                for (auto& [row, cell] : guard->visible_) {
                    cell->setEditControlsAmount(guard->editAmount_);
                }
            }
        },
        [guard] {
            if (guard) {
                guard->leavingEdit_ = false;
                guard->editAmount_ = 1.0;
                guard->layoutCells();
            }
        });
}

void TableView::selectRow(int row) {
    if (row < 0 || row >= rows_) {
        return;
    }
    selected_ = row;
    for (auto& [r, cell] : visible_) {
        cell->setSelected(r == row);
    }
}

void TableView::deselectRow() {
    selected_.reset();
    for (auto& [r, cell] : visible_) {
        cell->setSelected(false);
    }
}

TableViewCell* TableView::cellForRow(int row) const {
    auto it = visible_.find(row);
    return it == visible_.end() ? nullptr : it->second;
}

std::optional<int> TableView::rowForCell(const TableViewCell* cell) const {
    for (const auto& [row, shown] : visible_) {
        if (shown == cell) {
            return row;
        }
    }
    return std::nullopt;
}

std::optional<int> TableView::rowAt(const QPoint& viewportPoint) const {
    const int y = viewportPoint.y() + verticalScrollBar()->value();
    if (y < 0 || viewportPoint.y() >= viewport()->height()) {
        return std::nullopt;
    }
    const int row = y / rowHeight_;
    if (row >= rows_) {
        return std::nullopt;
    }
    return row;
}

QPoint TableView::centreOfRow(int row) const {
    return QPoint(viewport()->width() / 2, row * rowHeight_ + rowHeight_ / 2 - verticalScrollBar()->value());
}

void TableView::scrollToRow(int row) {
    verticalScrollBar()->setValue(row * rowHeight_);
}

void TableView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    layoutCells();
}

void TableView::scrollContentsBy(int, int) {
    layoutCells();
}

void TableView::mousePressEvent(QMouseEvent* event) {
    ringShown_ = false;
    showKeyboardRing();
    const std::optional<int> row = rowAt(event->position().toPoint());
    Press press;
    press.start = event->position().toPoint();
    press.startScroll = verticalScrollBar()->value();
    if (row) {
        press.row = *row;
        if (TableViewCell* cell = cellForRow(*row)) {
            press.part = cell->partAt(cell->mapFrom(viewport(), press.start));
        }
    }
    press_ = press;
}

void TableView::mouseMoveEvent(QMouseEvent* event) {
    if (!press_) {
        return;
    }
    const QPoint delta = event->position().toPoint() - press_->start;
    if (!press_->dragged && std::abs(delta.y()) < kDragThreshold) {
        return;
    }
    press_->dragged = true;
    if (press_->part == TableViewCell::Part::ReorderControl) {
        dragRowTo(press_->row, press_->row * rowHeight_ - verticalScrollBar()->value() + delta.y());
        return;
    }
    verticalScrollBar()->setValue(press_->startScroll - delta.y());
}

void TableView::mouseReleaseEvent(QMouseEvent* /*event*/) {
    if (!press_) {
        return;
    }
    const Press press = *press_;
    press_.reset();
    if (press.row < 0) {
        return;
    }
    if (press.dragged) {
        if (press.part == TableViewCell::Part::ReorderControl) {
            dropRow(press.row);
        }
        return;
    }
    TableViewCell* cell = cellForRow(press.row);
    tapRow(press.row, press.part, cell != nullptr ? cell->mapFrom(viewport(), press.start) : QPoint());
}

void TableView::tapRow(int row, TableViewCell::Part part, const QPoint&) {
    TableViewCell* cell = cellForRow(row);
    // A tap anywhere while a "Delete" button shows only takes it away.
    for (auto& [r, other] : visible_) {
        if (other->isShowingDeleteConfirmation() && !(r == row && part == TableViewCell::Part::DeleteButton)) {
            other->setShowingDeleteConfirmation(false);
            return;
        }
    }
    switch (part) {
    case TableViewCell::Part::DeleteControl:
        if (cell != nullptr) {
            cell->setShowingDeleteConfirmation(true);
        }
        return;
    case TableViewCell::Part::DeleteButton:
        if (cell != nullptr) {
            cell->setShowingDeleteConfirmation(false);
        }
        dataSource_->commitDelete(*this, row);
        return;
    case TableViewCell::Part::Accessory:
        if (delegate_ != nullptr) {
            delegate_->accessoryButtonTapped(*this, row);
        }
        return;
    case TableViewCell::Part::ReorderControl:
        return;
    case TableViewCell::Part::Body:
        break;
    }
    activateRow(row);
}

void TableView::activateRow(int row) {
    if (row < 0 || row >= rows_ || (editing_ && !selectionWhileEditing_)) {
        return;
    }
    selectRow(row);
    if (delegate_ != nullptr) {
        delegate_->didSelectRow(*this, row);
    }
}

void TableView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
}

}  // namespace nestora::ui
