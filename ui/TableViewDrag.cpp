// The reorder drag of a TableView: the row under the finger follows it, the
// rows between its place and the gap under it slide aside to make room, and
// on release the row settles into the gap; only then does the data source
// hear of the move.

#include <QScrollBar>

#include <map>

#include "ui/TableView.h"

namespace nestora::ui {

int TableView::gapUnder(const TableViewCell& dragged) const {
    const int centre = dragged.y() + rowHeight_ / 2 + verticalScrollBar()->value();
    return std::clamp(centre / rowHeight_, 0, std::max(0, rows_ - 1));
}

void TableView::dragRowTo(int from, int y) {
    TableViewCell* dragged = cellForRow(from);
    if (dragged == nullptr) {
        return;
    }
    dragged->raise();
    dragged->move(0, y);
    const int gap = gapUnder(*dragged);
    if (gap == dragGap_) {
        return;
    }
    dragGap_ = gap;
    // The rows between the row's own place and the gap move one place
    // towards where it came from; the others go back to their own places.
    if (makingRoom_) {
        makingRoom_->finish();
    }
    const int scroll = verticalScrollBar()->value();
    std::map<QPointer<TableViewCell>, std::pair<int, int>> moves;  // cell -> (from y, to y)
    for (auto& [row, cell] : visible_) {
        if (row == from) {
            continue;
        }
        int slot = row;
        if (from < row && row <= gap) {
            slot = row - 1;
        } else if (gap <= row && row < from) {
            slot = row + 1;
        }
        moves[cell] = {cell->y(), slot * rowHeight_ - scroll};
    }
    makingRoom_ = Transition::start(this, kMakeRoomMilliseconds, [moves](qreal progress) {
        for (const auto& [cell, span] : moves) {
            if (cell) {
                cell->move(0, span.first + qRound((span.second - span.first) * progress));
            }
        }
    }, nullptr);
}

void TableView::dropRow(int from) {
    TableViewCell* dragged = cellForRow(from);
    const int to = dragged != nullptr ? gapUnder(*dragged) : from;
    dragGap_ = -1;
    if (makingRoom_) {
        makingRoom_->finish();
    }
    const int startY = dragged != nullptr ? dragged->y() : 0;
    const int endY = to * rowHeight_ - verticalScrollBar()->value();
    QPointer<TableViewCell> cell(dragged);
    QPointer<TableView> guard(this);
    Transition::start(
        this, kMakeRoomMilliseconds,
        [cell, startY, endY](qreal progress) {
            if (cell) {
                cell->move(0, startY + qRound((endY - startY) * progress));
            }
        },
        [guard, from, to] {
            if (!guard) {
                return;
            }
            if (to != from && guard->dataSource_ != nullptr) {
                guard->dataSource_->moveRow(*guard, from, to);
            }
            guard->reloadData();
        });
}

}  // namespace nestora::ui
