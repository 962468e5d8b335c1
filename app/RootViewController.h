#pragma once

// The category list: one row per category found in the preferences folder,
// the "Edit"/"Done" and "Add" buttons, the questions asked as alerts, and the
// dock with restart, help and change-log buttons. Every change to a category
// bundle runs the tool.

#include <QPointer>
#include <QString>

#include <string>
#include <vector>

#include "ui/TableView.h"
#include "ui/ViewController.h"
#include "platform/Preferences.h"
#include "screens/editing/IconPickerController.h"

class QLineEdit;
class QPushButton;
class QLabel;

namespace nestora::ui {
class AlertView;
}  // namespace nestora::ui

namespace nestora::app {

class RootViewController : public ui::ViewController,
                           public ui::TableViewDataSource,
                           public ui::TableViewDelegate,
                           public screens::IconPickerControllerDelegate {
    Q_OBJECT
public:
    // Which alert of this screen is up (messageBoxFunction).
    static constexpr int kAboutAlert = 0;
    static constexpr int kAddAlert = 1;
    static constexpr int kEditChoiceAlert = 2;
    static constexpr int kRenameAlert = 3;

    static constexpr int kRowHeight = 64;

    // The pages of the dock's help and change-log buttons are fetched from
    // these (scheme and host, no path).
    RootViewController(std::string helpBaseUrl, std::string changelogBaseUrl);
    ~RootViewController() override;

    // Rebuilds the list from the preferences folder.
    void loadCategories();
    const std::vector<std::string>& categories() const { return categories_; }

    ui::TableView& tableView() const { return *tableView_; }
    ui::BarButtonItem* addButtonItem() const { return addButtonItem_; }
    ui::BarButtonItem* editButtonItem() const { return editButtonItem_; }
    int messageBoxFunction() const { return messageBoxFunction_; }
    QPushButton* respringButton() const { return respringButton_; }
    QPushButton* helpButton() const { return helpButton_; }
    QPushButton* changelogButton() const { return changelogButton_; }

    // Buttons.
    void addButtonTapped();
    void editButtonTapped();
    void respringTapped();
    void helpTapped();
    void changelogTapped();

    // The tool operations; each returns whether the tool's status was 0.
    bool createCategoryWithName(const std::string& name);
    bool deleteCategoryWithBundleIdentifier(const std::string& bundleIdentifier);
    bool renameCategoryWithBundleIdentifier(const std::string& bundleIdentifier, const std::string& name);
    bool setIconForCategoryWithBundleIdentifier(const std::string& iconPath, const std::string& bundleIdentifier);

    // The icon picker reports back here: a chosen icon is set on the
    // selected row's category through the tool, and the list reloaded.
    void iconPickerDidSelectIconAtPath(const std::string& iconPath);
    void iconPickerDidCancel() {}
    // IconPickerControllerDelegate
    void iconPickerControllerDidSelectIconAtPath(screens::IconPickerController& picker,
                                                 const std::string& iconPath) override;
    void iconPickerControllerDidCancel(screens::IconPickerController& picker) override;

    // Appearance.
    void viewWillAppear() override;
    void viewDidAppear() override;

    // TableViewDataSource
    int numberOfRows(const ui::TableView& table) const override;
    std::unique_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, int row) override;
    bool canEditRow(const ui::TableView& table, int row) const override;
    void commitDelete(ui::TableView& table, int row) override;
    // TableViewDelegate
    void didSelectRow(ui::TableView& table, int row) override;
    ui::AccessoryType accessoryTypeForRow(const ui::TableView& table, int row) const override;
    void accessoryButtonTapped(ui::TableView& table, int row) override;

private:
    void editCategoryAtRow();
    void renameCategoryAtRow();
    void openIconPicker();
    void alertClicked(ui::AlertView& alert, int buttonIndex);
    ui::AlertView* showAlert(const QString& title, const QString& message, const QStringList& buttons, int function,
                         bool withTextField);
    std::string selectedBundleIdentifier() const;
    void presentWebPage(const std::string& url, const QString& title);
    const platform::Preferences& cellPreferences() const;

    platform::Preferences fileReader_;  // only read; it never holds changes
    std::string helpBaseUrl_;
    std::string changelogBaseUrl_;
    std::vector<std::string> categories_;
    ui::TableView* tableView_ = nullptr;
    ui::BarButtonItem* addButtonItem_ = nullptr;
    ui::BarButtonItem* editButtonItem_ = nullptr;
    QPointer<QLineEdit> alertTextField_;
    int messageBoxFunction_ = kAboutAlert;
    QLabel* dock_ = nullptr;
    QPushButton* respringButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QPushButton* changelogButton_ = nullptr;
};

}  // namespace nestora::app
