#pragma once

// A list for tests of the table: row n shows "n"; rows move in edit mode
// and each move is recorded.

#include <memory>
#include <utility>
#include <vector>

#include "ui/TableView.h"

namespace nestora::ui {

class NumberRows : public TableViewDataSource {
public:
    explicit NumberRows(int count) : count_(count) {}
    int numberOfRows(const TableView&) const override { return count_; }
    std::unique_ptr<TableViewCell> cellForRow(TableView& table, int row) override {
        auto cell = table.dequeueReusableCell(QStringLiteral("n"));
        if (!cell) cell = std::make_unique<TableViewCell>(QStringLiteral("n"));
        cell->setText(QString::number(row));
        return cell;
    }
    bool canMoveRow(const TableView& table, int) const override { return table.isEditing(); }
    void moveRow(TableView&, int from, int to) override { moves.emplace_back(from, to); }
    std::vector<std::pair<int, int>> moves;

private:
    int count_;
};

}  // namespace nestora::ui
