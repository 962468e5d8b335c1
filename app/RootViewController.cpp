#include "app/RootViewController.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/AlertView.h"
#include "ui/BundleImages.h"
#include "app/CategoryListing.h"
#include "app/Nestora.h"
#include "app/NestoraTableCell.h"
#include "ui/QtOwnership.h"
#include "app/ToolCommands.h"
#include "app/WebViewController.h"
#include "common/CategoryNaming.h"
#include "screens/editing/CategoryViewController.h"
#include "screens/settings/PrefsSBViewController.h"
#include "screens/settings/PrefsViewController.h"
#include "ui/NavigationController.h"
#include "ui/Accessibility.h"

namespace nestora::app {

namespace {

constexpr int kTableHeight = 307;
constexpr int kDockY = 307;
constexpr int kDockHeight = 62;

const char* const kAboutMessage =
    "This app is very handy but can be dangerous if you do not know what you are doing.\n\n"
    "Please read the help carefully before getting started!";

QPushButton* makeDockButton(QWidget* parent, const QRect& frame, const char* imageName, const QString& name) {
    auto* button = ui::makeChild<QPushButton>(parent);
    button->setGeometry(frame);
    button->setFlat(true);
    ui::makeKeyboardButton(button, name);
    button->setIcon(QIcon(ui::imageNamed(imageName)));
    button->setIconSize(frame.size());
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"
                                         "QPushButton:pressed { background: rgba(255,255,255,60); }"
                                         "QPushButton:focus { border: 2px solid #3a7bd5; border-radius: 8px; }"));
    return button;
}

}  // namespace

RootViewController::RootViewController(std::string helpBaseUrl, std::string changelogBaseUrl)
    : helpBaseUrl_(std::move(helpBaseUrl)), changelogBaseUrl_(std::move(changelogBaseUrl)) {
    setTitle(QStringLiteral("Nestora v2.28"));
    setBackButtonTitle(QStringLiteral("Back"));
    editButtonItem_ = ui::makeChild<ui::BarButtonItem>(this, QStringLiteral("Edit"), ui::BarButtonItem::Style::Bordered);
    connect(editButtonItem_, &ui::BarButtonItem::triggered, this, &RootViewController::editButtonTapped);
    setLeftBarButtonItem(editButtonItem_);
    addButtonItem_ = ui::makeChild<ui::BarButtonItem>(this, QStringLiteral("Add"), ui::BarButtonItem::Style::Bordered);
    connect(addButtonItem_, &ui::BarButtonItem::triggered, this, &RootViewController::addButtonTapped);
    setRightBarButtonItem(addButtonItem_);
    loadCategories();

    // The view, in points: the list over the dock.
    resize(320, 369);
    // White behind the list through the palette: a style sheet here would
    // reach into every row and paint over a selected row's blue.
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    tableView_ = ui::makeChild<ui::TableView>(this);
    tableView_->setGeometry(0, 0, 320, kTableHeight);
    tableView_->setRowHeight(kRowHeight);
    tableView_->setAllowsSelectionDuringEditing(true);
    // Cells are configured when the screen first appears, not before.
    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
    dock_ = ui::makeChild<QLabel>(this);
    dock_->setGeometry(0, kDockY, 320, kDockHeight);
    dock_->setScaledContents(true);
    dock_->setPixmap(ui::imageNamed("dock.png"));
    respringButton_ = makeDockButton(this, QRect(30, 309, 60, 60), "RespringIcon.png", QStringLiteral("Respring"));
    helpButton_ = makeDockButton(this, QRect(140, 309, 60, 60), "HelpIcon.png", QStringLiteral("Help"));
    changelogButton_ =
        makeDockButton(this, QRect(240, 309, 60, 60), "ChangelogIcon.png", QStringLiteral("Change Log"));
    connect(respringButton_, &QPushButton::clicked, this, &RootViewController::respringTapped);
    connect(helpButton_, &QPushButton::clicked, this, &RootViewController::helpTapped);
    connect(changelogButton_, &QPushButton::clicked, this, &RootViewController::changelogTapped);
}

// Cells read the preferences through the application object's instance, so
// they see what this process wrote; a screen built without one reads the files.
const platform::Preferences& RootViewController::cellPreferences() const {
    Nestora* application = Nestora::sharedApplication();
    return application != nullptr ? application->preferences() : fileReader_;
}

RootViewController::~RootViewController() {
    // The table calls back into this screen; it must not outlive it.
    tableView_->setDataSource(nullptr);
    tableView_->setDelegate(nullptr);
}

void RootViewController::loadCategories() {
    categories_ = listCategoryIdentifiers();
}

void RootViewController::viewWillAppear() {
    tableView_->reloadData();
    tableView_->deselectRow();
}

void RootViewController::viewDidAppear() {
    if (categories_.empty()) {
        showAlert(QStringLiteral("About Nestora"), QString::fromUtf8(kAboutMessage), {QStringLiteral("OK")},
                  kAboutAlert, false);
    }
}

// ---- the list --------------------------------------------------------------

int RootViewController::numberOfRows(const ui::TableView&) const {
    return static_cast<int>(categories_.size());
}

std::unique_ptr<ui::TableViewCell> RootViewController::cellForRow(ui::TableView& table, int row) {
    std::unique_ptr<ui::TableViewCell> reused = table.dequeueReusableCell(QString::fromLatin1(kNestoraTableCellIdentifier));
    std::unique_ptr<NestoraTableCell> cell;
    if (auto* category = dynamic_cast<NestoraTableCell*>(reused.get())) {
        reused.release();
        cell.reset(category);
    }
    if (!cell) {
        cell = std::make_unique<NestoraTableCell>(QString::fromLatin1(kNestoraTableCellIdentifier), cellPreferences());
        cell->setShowsAccessoryWhenEditing(true);
    }
    cell->setBundleIdentifier(categories_[static_cast<std::size_t>(row)]);
    return cell;
}

bool RootViewController::canEditRow(const ui::TableView& table, int) const {
    return table.isEditing();
}

void RootViewController::commitDelete(ui::TableView& table, int row) {
    if (row < 0 || row >= static_cast<int>(categories_.size())) {
        return;
    }
    const std::string identifier = categories_[static_cast<std::size_t>(row)];
    deleteCategoryWithBundleIdentifier(identifier);
    // Gone from the list whatever the tool said; the next rebuild from disk
    // shows what is really there.
    categories_.erase(categories_.begin() + row);
    table.deleteRow(row);
}

void RootViewController::didSelectRow(ui::TableView& table, int row) {
    if (table.isEditing()) {
        editCategoryAtRow();  // the row stays selected for the rename or icon that follows
        return;
    }
    // In normal mode a row opens the category's contents, sliding in.
    Nestora* application = Nestora::sharedApplication();
    if (row < 0 || row >= static_cast<int>(categories_.size()) || application == nullptr ||
        navigationController() == nullptr) {
        table.deselectRow();
        return;
    }
    navigationController()->pushViewController(
        std::make_unique<screens::CategoryViewController>(*application, categories_[static_cast<std::size_t>(row)]),
        true);
}

ui::AccessoryType RootViewController::accessoryTypeForRow(const ui::TableView& table, int) const {
    return table.isEditing() ? ui::AccessoryType::DetailDisclosureButton : ui::AccessoryType::DisclosureIndicator;
}

void RootViewController::accessoryButtonTapped(ui::TableView&, int row) {
    Nestora* application = Nestora::sharedApplication();
    if (application == nullptr || navigationController() == nullptr || row < 0 ||
        row >= static_cast<int>(categories_.size())) {
        return;
    }
    // With the home-screen extension installed, only the settings it uses.
    const std::string& identifier = categories_[static_cast<std::size_t>(row)];
    std::unique_ptr<ui::ViewController> settings;
    if (application->hasNestoraSB()) {
        settings = std::make_unique<screens::PrefsSBViewController>(application->preferences(), identifier);
    } else {
        settings = std::make_unique<screens::PrefsViewController>(application->preferences(), identifier);
    }
    navigationController()->pushViewController(std::move(settings), true);
}

// ---- buttons ---------------------------------------------------------------

void RootViewController::editButtonTapped() {
    if (!tableView_->isEditing()) {
        tableView_->setEditing(true, true);
        editButtonItem_->setTitle(QStringLiteral("Done"));
        setRightBarButtonItem(nullptr);
    } else {
        tableView_->deselectRow();
        tableView_->setEditing(false, true);
        editButtonItem_->setTitle(QStringLiteral("Edit"));
        setRightBarButtonItem(addButtonItem_);
    }
}

void RootViewController::addButtonTapped() {
    showAlert(QStringLiteral("Add"), QStringLiteral("Enter category title"),
              {QStringLiteral("Cancel"), QStringLiteral("Add")}, kAddAlert, true);
}

void RootViewController::respringTapped() {
    if (Nestora* application = Nestora::sharedApplication()) {
        application->setRespringNeeded();
        application->terminateWithSuccess();
    }
}

void RootViewController::helpTapped() {
    presentWebPage(helpBaseUrl_ + "/apps/NestoraHelp.php", QStringLiteral("Help"));
}

void RootViewController::changelogTapped() {
    presentWebPage(changelogBaseUrl_ + "/moreinfo/NestoraCL.php", QStringLiteral("Change Log"));
}

void RootViewController::presentWebPage(const std::string& url, const QString& title) {
    presentModalViewController(std::make_unique<WebViewController>(QString::fromStdString(url), title), true);
}

// ---- alerts ----------------------------------------------------------------

ui::AlertView* RootViewController::showAlert(const QString& title, const QString& message, const QStringList& buttons,
                                         int function, bool withTextField) {
    messageBoxFunction_ = function;
    auto alert = std::make_unique<ui::AlertView>(title, message, buttons.front(), buttons.mid(1));
    if (withTextField) {
        alert->addTextField();
        alertTextField_ = alert->textField();
    }
    alert->setClickHandler([this](ui::AlertView& shown, int index) { alertClicked(shown, index); });
    return ui::AlertView::present(std::move(alert), this);
}

void RootViewController::editCategoryAtRow() {
    showAlert(QStringLiteral("What do you want to edit?"), QString(),
              {QStringLiteral("Cancel"), QStringLiteral("Name"), QStringLiteral("Icon")}, kEditChoiceAlert, false);
}

void RootViewController::renameCategoryAtRow() {
    showAlert(QStringLiteral("Rename"), QStringLiteral("Enter new title"),
              {QStringLiteral("Cancel"), QStringLiteral("Rename")}, kRenameAlert, true);
}

void RootViewController::alertClicked(ui::AlertView&, int buttonIndex) {
    switch (messageBoxFunction_) {
    case kEditChoiceAlert:
        if (buttonIndex == 1) {
            renameCategoryAtRow();
        } else if (buttonIndex == 2) {
            // After the alert has gone.
            QTimer::singleShot(0, this, &RootViewController::openIconPicker);
        } else {
            tableView_->deselectRow();
        }
        return;
    case kAddAlert:
    case kRenameAlert: {
        if (!alertTextField_) {
            return;
        }
        alertTextField_->clearFocus();
        const std::string text = alertTextField_->text().toStdString();
        alertTextField_ = nullptr;
        if (buttonIndex == 1 && !text.empty()) {  // only the empty title is refused, and silently
            if (messageBoxFunction_ == kAddAlert) {
                createCategoryWithName(text);
                loadCategories();
                tableView_->reloadData();
            } else if (const std::string identifier = selectedBundleIdentifier(); !identifier.empty()) {
                renameCategoryWithBundleIdentifier(identifier, text);
            }
        }
        if (messageBoxFunction_ == kRenameAlert) {
            tableView_->deselectRow();  // the rename the row was selected for is over
        }
        return;
    }
    default:
        return;
    }
}

std::string RootViewController::selectedBundleIdentifier() const {
    const std::optional<int> row = tableView_->selectedRow();
    if (!row || *row >= static_cast<int>(categories_.size())) {
        return {};
    }
    return categories_[static_cast<std::size_t>(*row)];
}

void RootViewController::openIconPicker() {
    const std::string identifier = selectedBundleIdentifier();
    Nestora* application = Nestora::sharedApplication();
    if (identifier.empty() || application == nullptr) {
        return;
    }
    // The picker's title names the category directory ("Icon For: Category004").
    presentModalViewController(
        std::make_unique<screens::IconPickerController>(*application, categoryDirectoryName(identifier), this), true);
}

void RootViewController::iconPickerControllerDidSelectIconAtPath(screens::IconPickerController&,
                                                                 const std::string& iconPath) {
    iconPickerDidSelectIconAtPath(iconPath);
}

void RootViewController::iconPickerControllerDidCancel(screens::IconPickerController&) {
    iconPickerDidCancel();
}

void RootViewController::iconPickerDidSelectIconAtPath(const std::string& iconPath) {
    if (const std::string identifier = selectedBundleIdentifier(); !identifier.empty()) {
        setIconForCategoryWithBundleIdentifier(iconPath, identifier);
    }
    tableView_->reloadData();
}

// ---- the tool --------------------------------------------------------------

namespace {

void markRespringNeeded() {
    if (Nestora* application = Nestora::sharedApplication()) {
        application->setRespringNeeded();
    }
}

}  // namespace

bool RootViewController::createCategoryWithName(const std::string& name) {
    const bool ok = runToolCommandLine(createCategoryCommandLine(name));
    if (ok) {
        markRespringNeeded();
    }
    return ok;
}

bool RootViewController::deleteCategoryWithBundleIdentifier(const std::string& bundleIdentifier) {
    const bool ok = runToolCommandLine(deleteCategoryCommandLine(bundleIdentifier));
    if (ok) {
        markRespringNeeded();
    }
    return ok;
}

bool RootViewController::renameCategoryWithBundleIdentifier(const std::string& bundleIdentifier,
                                                            const std::string& name) {
    const bool ok = runToolCommandLine(renameCategoryCommandLine(bundleIdentifier, name));
    if (ok) {
        markRespringNeeded();
        tableView_->reloadData();
    }
    return ok;
}

bool RootViewController::setIconForCategoryWithBundleIdentifier(const std::string& iconPath,
                                                                const std::string& bundleIdentifier) {
    const bool ok = runToolCommandLine(setIconCommandLine(iconPath, bundleIdentifier));
    if (ok) {
        markRespringNeeded();
    }
    return ok;
}

}  // namespace nestora::app
