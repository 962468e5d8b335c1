#pragma once

// The contents of one category: its apps in order, with delete and reorder
// controls on every row when the category may be changed here. "Add" (and,
// the first time, an empty list) opens the add-items screen. Every change
// is saved at once and mirrored on the home screen; nothing is saved when
// the screen closes.

#include <string>
#include <vector>

#include "model/ApplicationObject.h"
#include "model/CategoryItems.h"
#include "screens/editing/AddItemsViewController.h"
#include "ui/TableView.h"
#include "ui/ViewController.h"

namespace nestora::screens {

class CategoryViewController : public ui::ViewController,
                               public ui::TableViewDataSource,
                               public ui::TableViewDelegate,
                               public AddItemsViewControllerDelegate {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 64;

    // initWithCategoryBundleIdentifier: builds the screen and loads the list.
    CategoryViewController(model::ApplicationObject& application, std::string categoryBundleIdentifier);
    ~CategoryViewController() override;

    const std::string& bundleIdentifier() const { return items_.bundleIdentifier(); }
    const std::vector<std::string>& items() const { return items_.items(); }
    // False only for the Recent category while the extension is installed.
    bool isModifiable() const { return modifiable_; }
    bool alreadyAppeared() const { return alreadyAppeared_; }
    ui::TableView& itemsTableView() const { return *itemsTableView_; }
    // The "Add" button; null when the category cannot be changed here.
    ui::BarButtonItem* addButtonItem() const { return addButtonItem_; }

    void loadItems() { items_.loadItems(); }
    void saveItems() { items_.saveItems(); }

    // Presents the add-items screen.
    void addButtonTapped();

    // The first appearance with an empty list opens the add-items screen.
    void viewDidAppear() override;

    // TableViewDataSource
    int numberOfRows(const ui::TableView& table) const override;
    std::unique_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, int row) override;
    bool canEditRow(const ui::TableView& table, int row) const override;
    void commitDelete(ui::TableView& table, int row) override;
    bool canMoveRow(const ui::TableView& table, int row) const override;
    void moveRow(ui::TableView& table, int from, int to) override;

    // AddItemsViewControllerDelegate
    void addItemsViewControllerDidSelectItemWithDisplayIdentifier(AddItemsViewController& screen,
                                                                  const std::string& displayIdentifier) override;
    void addItemsViewControllerDidFinish(AddItemsViewController& screen) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    model::ApplicationObject& application_;
    model::CategoryItems items_;
    ui::TableView* itemsTableView_ = nullptr;
    ui::BarButtonItem* addButtonItem_ = nullptr;
    bool alreadyAppeared_ = false;
    bool modifiable_ = true;
};

}  // namespace nestora::screens
