#pragma once

// The add-items screen: a modal list of every app not yet placed in any
// category (the application's available-apps list, scanned on first use
// and kept), sorted by name. One tap on an app reports it to the delegate,
// which adds it to its category, and takes the row away; "Done" closes the
// screen. The screen itself writes no file.

#include <QPointer>

#include <optional>
#include <string>
#include <vector>

#include "model/ApplicationObject.h"
#include "ui/ProgressOverlay.h"
#include "ui/TableView.h"
#include "ui/ViewController.h"

namespace nestora::ui {
class NavigationBar;
}  // namespace nestora::ui

namespace nestora::screens {

class AddItemsViewController;

// What the screen tells its delegate. Both are required.
class AddItemsViewControllerDelegate {
public:
    virtual ~AddItemsViewControllerDelegate() = default;
    // The user chose an app; it is already gone from the screen's list.
    virtual void addItemsViewControllerDidSelectItemWithDisplayIdentifier(AddItemsViewController& screen,
                                                                          const std::string& displayIdentifier) = 0;
    // The screen was closed with "Done".
    virtual void addItemsViewControllerDidFinish(AddItemsViewController& screen) = 0;
};

class AddItemsViewController : public ui::ViewController, public ui::TableViewDataSource, public ui::TableViewDelegate {
    Q_OBJECT
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 413;
    static constexpr int kRowHeight = 64;

    // initWithDelegate: the delegate is held without ownership; it is the
    // screen that presents this one and outlives it.
    AddItemsViewController(model::ApplicationObject& application, AddItemsViewControllerDelegate* delegate);
    ~AddItemsViewController() override;

    AddItemsViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(AddItemsViewControllerDelegate* delegate);

    // The list shown, sorted by name when the screen was about to show.
    const std::vector<std::string>& items() const { return items_; }
    // The calling category's own identifier when it was taken out of the list.
    const std::optional<std::string>& removedIdentifier() const { return removedIdentifier_; }
    // The overlay while the apps are scanned; null at other times.
    ui::ProgressOverlay* progressHud() const { return progressHud_; }

    ui::NavigationBar& navigationBar() const { return *navigationBar_; }
    ui::TableView& itemsTableView() const { return *itemsTableView_; }

    // Fills the list (scanning when the application has none) / hands it
    // back to the application.
    void viewWillAppear() override;
    void viewWillDisappear() override;

    void doneButtonTapped();
    // Escape is "Done".
    void escapePressed() override { doneButtonTapped(); }

    // TableViewDataSource
    int numberOfRows(const ui::TableView& table) const override;
    std::unique_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, int row) override;
    // TableViewDelegate
    void didSelectRow(ui::TableView& table, int row) override;

private:
    void refreshTitle();
    std::optional<std::string> callingCategory() const;

    model::ApplicationObject& application_;
    std::vector<std::string> items_;
    std::optional<std::string> removedIdentifier_;
    AddItemsViewControllerDelegate* delegate_ = nullptr;
    QPointer<ui::ProgressOverlay> progressHud_;
    ui::NavigationBar* navigationBar_ = nullptr;
    ui::BarButtonItem* doneButton_ = nullptr;
    ui::TableView* itemsTableView_ = nullptr;
};

}  // namespace nestora::screens
