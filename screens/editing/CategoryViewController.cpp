#include "screens/editing/CategoryViewController.h"

#include "model/RecentCategory.h"
#include "screens/editing/CategoryDisplayName.h"
#include "screens/editing/EditTableCell.h"
#include "ui/QtOwnership.h"

namespace nestora::screens {

CategoryViewController::CategoryViewController(model::ApplicationObject& application,
                                               std::string categoryBundleIdentifier)
    : application_(application),
      items_(application.preferences(), application.appServices(), application, std::move(categoryBundleIdentifier)) {
    modifiable_ = model::isCategoryModifiable(items_.bundleIdentifier(), application_.hasNestoraSB());
    // Without an Info.plist or a display name the title stays empty.
    setTitle(QString::fromStdString(categoryDisplayName(items_.bundleIdentifier()).value_or(std::string())));
    if (modifiable_) {
        addButtonItem_ = ui::makeChild<ui::BarButtonItem>(this, QStringLiteral("Add"), ui::BarButtonItem::Style::Bordered);
        connect(addButtonItem_, &ui::BarButtonItem::triggered, this, &CategoryViewController::addButtonTapped);
        setRightBarButtonItem(addButtonItem_);
    }
    items_.loadItems();

    // The view: a plain table filling the screen, no separators.
    // A palette, not a style sheet: a style sheet would reach every label
    // of the bar and the cells too.
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    itemsTableView_ = ui::makeChild<ui::TableView>(this);
    itemsTableView_->setRowHeight(kRowHeight);
    itemsTableView_->setSeparatorStyle(ui::SeparatorStyle::None);
    itemsTableView_->setDataSource(this);
    itemsTableView_->setDelegate(this);
    itemsTableView_->setEditing(modifiable_);
    itemsTableView_->reloadData();
}

CategoryViewController::~CategoryViewController() {
    // The table calls back into this screen; it must not outlive it.
    itemsTableView_->setDataSource(nullptr);
    itemsTableView_->setDelegate(nullptr);
}

void CategoryViewController::addButtonTapped() {
    presentModalViewController(std::make_unique<AddItemsViewController>(application_, this), true);
}

void CategoryViewController::resizeEvent(QResizeEvent*) {
    itemsTableView_->setGeometry(rect());
}

void CategoryViewController::viewDidAppear() {
    if (alreadyAppeared_) {
        return;
    }
    // Also for a Recent category that cannot be changed here: its list is
    // the extension's, but an app chosen now is still added.
    if (items_.count() == 0) {
        addButtonTapped();
    }
    alreadyAppeared_ = true;
}

int CategoryViewController::numberOfRows(const ui::TableView&) const {
    return static_cast<int>(items_.count());
}

std::unique_ptr<ui::TableViewCell> CategoryViewController::cellForRow(ui::TableView& table, int row) {
    std::unique_ptr<EditTableCell> cell = EditTableCell::dequeueOrMake(table, application_.appServices());
    cell->setSelectionStyle(ui::SelectionStyle::None);
    cell->setDisplayIdentifier(items_.items()[static_cast<std::size_t>(row)]);
    return cell;
}

bool CategoryViewController::canEditRow(const ui::TableView&, int) const {
    return modifiable_;
}

bool CategoryViewController::canMoveRow(const ui::TableView&, int) const {
    return modifiable_;
}

void CategoryViewController::commitDelete(ui::TableView& table, int row) {
    if (!modifiable_ || row < 0) {
        return;
    }
    if (items_.removeItemAtRow(static_cast<std::size_t>(row))) {
        table.deleteRow(row);
    }
}

void CategoryViewController::moveRow(ui::TableView&, int from, int to) {
    if (!modifiable_ || from < 0 || to < 0) {
        return;
    }
    items_.moveItem(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
}

void CategoryViewController::addItemsViewControllerDidSelectItemWithDisplayIdentifier(
    AddItemsViewController&, const std::string& displayIdentifier) {
    // Stored at once; the table shows it when the add-items screen is done.
    items_.addItem(displayIdentifier);
}

void CategoryViewController::addItemsViewControllerDidFinish(AddItemsViewController&) {
    itemsTableView_->reloadData();
}

}  // namespace nestora::screens
