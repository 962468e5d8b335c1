#include "screens/editing/IconPickerController.h"

#include <QScrollArea>

#include <algorithm>

#include "screens/editing/ActivityIndicator.h"
#include "screens/editing/CategoryIcon.h"
#include "screens/editing/IconFolders.h"
#include "screens/editing/IconGrid.h"
#include "ui/BundleImages.h"
#include "ui/NavigationBar.h"
#include "ui/QtOwnership.h"
#include "ui/ScrollIndicator.h"

namespace nestora::screens {

namespace {

const char* const kLoadingText = "Loading icons.\nPlease wait.";

void paintBlack(QWidget* widget) {
    widget->setAutoFillBackground(true);
    QPalette black = widget->palette();
    black.setColor(QPalette::Window, Qt::black);
    widget->setPalette(black);
}

}  // namespace

IconPickerController::IconPickerController(model::ApplicationObject& application, std::string categoryName,
                                           IconPickerControllerDelegate* delegate)
    : application_(application), categoryName_(std::move(categoryName)), delegate_(delegate) {
    if (const model::IconPaths& found = application_.icons()) {
        icons_ = *found;
    }
    const QString title = QStringLiteral("Icon For: ") + QString::fromStdString(categoryName_);
    setTitle(title);
    // Taller than the screen stack: presented at its top in its own size.
    resize(kWidth, kHeight);
    setKeepsOwnSizeWhenPresented(true);
    paintBlack(this);

    navigationBar_ = ui::makeChild<ui::NavigationBar>(this);
    navigationBar_->setGeometry(0, 0, kWidth, ui::NavigationBar::kHeight);
    auto* cancel = ui::makeChild<ui::BarButtonItem>(this, QStringLiteral("Cancel"), ui::BarButtonItem::Style::Done);
    connect(cancel, &ui::BarButtonItem::triggered, this, &IconPickerController::cancelButtonTapped);
    navigationBar_->showItem(title, cancel, nullptr, QString());

    scrollView_ = ui::makeChild<QScrollArea>(this);
    scrollView_->setGeometry(0, ui::NavigationBar::kHeight, kWidth, kScrollHeight);
    scrollView_->setFrameShape(QFrame::NoFrame);
    scrollView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // the wheel still scrolls
    scrollView_->setWidgetResizable(false);
    paintBlack(scrollView_->viewport());
    ui::ScrollIndicator::attach(scrollView_);
}

IconPickerController::~IconPickerController() = default;

void IconPickerController::viewWillAppear() {
    // Every showing, also when the list is already known: laying out the
    // grid takes its time too.
    ActivityIndicator indicator(this, QString::fromUtf8(kLoadingText));
    progressHud_ = indicator.overlay();
    if (icons_.empty()) {
        findIcons();
    }
    loadIcons();
    progressHud_ = nullptr;
}

void IconPickerController::findIcons() {
    icons_ = findIconPaths(ui::kAppBundlePath);
    application_.icons() = icons_;
}

void IconPickerController::loadIcons() {
    const std::size_t count = std::min(icons_.size(), IconGrid::kMaxIcons);
    auto content = std::make_unique<QWidget>();
    paintBlack(content.get());
    // Its own width, and a height for every row.
    content->resize(scrollView_->width(), IconGrid::contentHeight(count));
    buttons_.clear();
    buttons_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Pictures are read when a button is first painted: only the icons
        // in view cost a file read.
        auto* button = ui::makeChild<CategoryIcon>(content.get(), IconGrid::frameAt(i), icons_[i]);
        connect(button, &QAbstractButton::clicked, this, [this, button] { iconTapped(*button); });
        buttons_.push_back(button);
    }
    scrollView_->setWidget(content.release());  // the old grid goes with its buttons
}

// The delegate hears of the choice once the picker has slid away, so that
// what it does next (running the tool, reloading its list) is seen on a
// settled screen.
void IconPickerController::iconTapped(CategoryIcon& icon) {
    dismissModalViewController(true, [this, path = icon.iconPath()] {
        if (delegate_ != nullptr) {
            delegate_->iconPickerControllerDidSelectIconAtPath(*this, path);
        }
    });
}

void IconPickerController::cancelButtonTapped() {
    dismissModalViewController(true, [this] {
        if (delegate_ != nullptr) {
            delegate_->iconPickerControllerDidCancel(*this);
        }
    });
}

}  // namespace nestora::screens
