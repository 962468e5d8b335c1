// A TableView without a mouse: a ring marks the row the keyboard is on.
// Up and Down move it, Return or Space taps the row, Right taps its detail
// button, Delete asks to delete it in edit mode (a second Delete, or
// Return, deletes it; Escape takes the question back), and Ctrl+Up or
// Ctrl+Down moves a row that can move.

#include <QKeyEvent>
#include <QScrollBar>

#include "ui/Accessibility.h"
#include "ui/TableView.h"

namespace nestora::ui {

void TableView::setKeyboardRow(int row) {
    if (rows_ == 0) {
        keyboardRow_.reset();
        return;
    }
    keyboardRow_ = std::clamp(row, 0, rows_ - 1);
    // Into view, the least scrolling that shows it whole.
    const int top = *keyboardRow_ * rowHeight_;
    const int scroll = verticalScrollBar()->value();
    if (top < scroll) {
        verticalScrollBar()->setValue(top);
    } else if (top + rowHeight_ > scroll + viewSize().height()) {
        verticalScrollBar()->setValue(top + rowHeight_ - viewSize().height());
    }
    showKeyboardRing();
}

void TableView::showKeyboardRing() {
    for (auto& [row, cell] : visible_) {
        cell->setKeyboardFocused(hasFocus() && ringShown_ && keyboardRow_ == row);
    }
}

void TableView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    ringShown_ = keyboardInUse() && (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason);
    if (!keyboardRow_ && rows_ > 0) {
        keyboardRow_ = selected_.value_or(verticalScrollBar()->value() / rowHeight_);
    }
    showKeyboardRing();
}

void TableView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    showKeyboardRing();
}

void TableView::keyPressEvent(QKeyEvent* event) {
    if (rows_ == 0 || dataSource_ == nullptr) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    ringShown_ = true;
    const int row = keyboardRow_.value_or(0);
    TableViewCell* cell = cellForRow(row);
    const bool confirming = cell != nullptr && cell->isShowingDeleteConfirmation();
    const bool moving = (event->modifiers() & Qt::ControlModifier) != 0;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int step = event->key() == Qt::Key_Up ? -1 : 1;
        const int to = row + step;
        if (moving) {
            if (to >= 0 && to < rows_ && dataSource_->canMoveRow(*this, row)) {
                dataSource_->moveRow(*this, row, to);
                reloadData();
                setKeyboardRow(to);
            }
        } else {
            if (confirming) {
                cell->setShowingDeleteConfirmation(false);
            }
            setKeyboardRow(to);
        }
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (confirming && event->key() != Qt::Key_Space) {
            cell->setShowingDeleteConfirmation(false);
            dataSource_->commitDelete(*this, row);
        } else if (!confirming) {
            activateRow(row);
        }
        return;
    case Qt::Key_Right:
        if (cell != nullptr && cell->accessoryType() == AccessoryType::DetailDisclosureButton && delegate_ != nullptr) {
            delegate_->accessoryButtonTapped(*this, row);
        }
        return;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        if (confirming) {
            cell->setShowingDeleteConfirmation(false);
            dataSource_->commitDelete(*this, row);
        } else if (editing_ && cell != nullptr && dataSource_->canEditRow(*this, row)) {
            cell->setShowingDeleteConfirmation(true);
        }
        return;
    case Qt::Key_Escape:
        if (confirming) {
            cell->setShowingDeleteConfirmation(false);
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

}  // namespace nestora::ui
