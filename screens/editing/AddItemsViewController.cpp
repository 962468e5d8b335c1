#include "screens/editing/AddItemsViewController.h"

#include <algorithm>
#include <typeinfo>

#include "model/AppInventory.h"
#include "platform/DeviceInfo.h"
#include "screens/editing/ActivityIndicator.h"
#include "screens/editing/CategoryDisplayName.h"
#include "screens/editing/CategoryViewController.h"
#include "screens/editing/EditTableCell.h"
#include "ui/NavigationBar.h"
#include "ui/QtOwnership.h"

namespace nestora::screens {

namespace {

const char* const kLoadingText = "Loading items.\nPlease wait.";

}  // namespace

AddItemsViewController::AddItemsViewController(model::ApplicationObject& application,
                                               AddItemsViewControllerDelegate* delegate)
    : application_(application), delegate_(delegate) {
    resize(kWidth, kHeight);
    // A palette, not a style sheet: a style sheet would reach every label
    // of the bar and the cells too.
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    navigationBar_ = ui::makeChild<ui::NavigationBar>(this);
    navigationBar_->setGeometry(0, 0, kWidth, ui::NavigationBar::kHeight);
    doneButton_ = ui::makeChild<ui::BarButtonItem>(this, QStringLiteral("Done"), ui::BarButtonItem::Style::Bordered);
    connect(doneButton_, &ui::BarButtonItem::triggered, this, &AddItemsViewController::doneButtonTapped);
    itemsTableView_ = ui::makeChild<ui::TableView>(this);
    itemsTableView_->setGeometry(0, ui::NavigationBar::kHeight, kWidth, kHeight - ui::NavigationBar::kHeight);
    itemsTableView_->setRowHeight(kRowHeight);
    itemsTableView_->setSeparatorStyle(ui::SeparatorStyle::SingleLineEtched);
    itemsTableView_->setDataSource(this);
    itemsTableView_->setDelegate(this);
    refreshTitle();
}

AddItemsViewController::~AddItemsViewController() {
    // The table calls back into this screen; it must not outlive it.
    itemsTableView_->setDataSource(nullptr);
    itemsTableView_->setDelegate(nullptr);
}

void AddItemsViewController::setDelegate(AddItemsViewControllerDelegate* delegate) {
    delegate_ = delegate;
    refreshTitle();
}

// The category the screen adds to, when the delegate is a category contents
// screen (that class exactly, not one derived from it).
std::optional<std::string> AddItemsViewController::callingCategory() const {
    if (delegate_ == nullptr || typeid(*delegate_) != typeid(CategoryViewController)) {
        return std::nullopt;
    }
    return static_cast<const CategoryViewController*>(delegate_)->bundleIdentifier();
}

void AddItemsViewController::refreshTitle() {
    QString title = QStringLiteral("Tap to add");
    if (const auto category = callingCategory()) {
        if (const auto name = categoryDisplayName(*category)) {
            title = QStringLiteral("Add to: ") + QString::fromStdString(*name);
        }
    }
    setTitle(title);
    navigationBar_->showItem(title, doneButton_, nullptr, QString());
}

void AddItemsViewController::viewWillAppear() {
    refreshTitle();
    model::AvailableApps& cache = application_.items();
    if (cache && !cache->empty()) {
        items_ = model::sortedByLocalizedName(application_.appServices(), *cache);
    } else {
        // The scan opens every installed bundle: the overlay shows while it
        // runs and goes when it ends.
        ActivityIndicator indicator(this, QString::fromUtf8(kLoadingText));
        progressHud_ = indicator.overlay();
        items_ = model::sortedByLocalizedName(
            application_.appServices(),
            model::scanAvailableApps(application_.preferences(), application_.appServices(), platform::deviceModel(),
                                     application_.hasNestoraSB()));
        progressHud_ = nullptr;
    }
    // A category cannot be put into itself.
    removedIdentifier_.reset();
    if (const auto category = callingCategory()) {
        if (std::erase(items_, *category) > 0) {
            removedIdentifier_ = *category;
        }
    }
    itemsTableView_->reloadData();
}

void AddItemsViewController::viewWillDisappear() {
    // The application keeps what is left, the calling category included.
    std::vector<std::string> remaining = items_;
    if (removedIdentifier_) {
        remaining.push_back(*removedIdentifier_);
    }
    application_.items() = std::move(remaining);
}

void AddItemsViewController::doneButtonTapped() {
    // The delegate hears that the screen finished once it has slid away.
    dismissModalViewController(true, [this] {
        if (delegate_ != nullptr) {
            delegate_->addItemsViewControllerDidFinish(*this);
        }
    });
}

int AddItemsViewController::numberOfRows(const ui::TableView&) const {
    return static_cast<int>(items_.size());
}

std::unique_ptr<ui::TableViewCell> AddItemsViewController::cellForRow(ui::TableView& table, int row) {
    std::unique_ptr<EditTableCell> cell = EditTableCell::dequeueOrMake(table, application_.appServices());
    cell->setDisplayIdentifier(items_[static_cast<std::size_t>(row)]);
    return cell;
}

void AddItemsViewController::didSelectRow(ui::TableView& table, int row) {
    if (row < 0 || row >= static_cast<int>(items_.size())) {
        return;
    }
    const std::string chosen = items_[static_cast<std::size_t>(row)];
    if (delegate_ != nullptr) {
        delegate_->addItemsViewControllerDidSelectItemWithDisplayIdentifier(*this, chosen);
    }
    // Two bundles may carry the same identifier and show as two rows: the
    // app is added once, so every row of it goes (from the bottom, so the
    // rows still to go keep their numbers).
    for (int r = static_cast<int>(items_.size()) - 1; r >= 0; --r) {
        if (items_[static_cast<std::size_t>(r)] == chosen) {
            items_.erase(items_.begin() + r);
            table.deleteRow(r);
        }
    }
}

}  // namespace nestora::screens
