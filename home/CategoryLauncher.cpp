#include "home/CategoryLauncher.h"

#include <QBuffer>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>

#include <algorithm>

#include "home/CategoryContents.h"
#include "home/IconCell.h"
#include "platform/Files.h"
#include "ui/BundleImages.h"
#include "ui/NavigationBar.h"
#include "ui/QtOwnership.h"

namespace nestora::home {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 460;
constexpr int kColumns = 4;
constexpr int kRowHeight = 92;
constexpr int kGridMargin = 8;
constexpr int kMaxRowsPerColumn = 4;
// How long the launch image stands before the icons, as it would while the
// launcher starts.
constexpr int kLaunchImageMs = 250;
constexpr std::string_view kSnapshotFolder = "/var/mobile/Library/Caches/NestoraLauncher";

QColor labelColor(int fontColorCode) {
    const model::Color& color = model::Prefs::uiColorForFontColor(fontColorCode);
    return QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                            static_cast<float>(color.blue), static_cast<float>(color.alpha));
}

bool writePicture(const QPixmap& picture, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG")) return false;
    // The folders of the file, outermost first; existing ones simply fail.
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        (void)files::createFolder(path.substr(0, slash));
    }
    return files::writeFileAtomically(path, bytes.toStdString());
}

}  // namespace

std::string launchSnapshotPath(const std::string& categoryBundleIdentifier) {
    return std::string(kSnapshotFolder) + "/" + categoryBundleIdentifier + ".png";
}

CategoryLauncher::CategoryLauncher(HomeIcon category, model::Prefs prefs, std::vector<HomeIcon> items,
                                   bool showLaunchImage, QWidget* parent)
    : QWidget(parent), category_(std::move(category)), prefs_(std::move(prefs)) {
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    if (prefs_.useBackgroundImage()) {
        background_ = ui::makeChild<QLabel>(this);
        background_->setGeometry(0, 0, kWidth, kHeight);
        const QPixmap image = ui::imageAtPath(category_.bundlePath + "/background.png");
        if (!image.isNull()) {
            background_->setPixmap(image.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
    }
    int top = 0;
    if (prefs_.showCategoryName()) {
        titleBar_ = ui::makeChild<ui::NavigationBar>(this);
        titleBar_->setGeometry(0, 0, kWidth, ui::NavigationBar::kHeight);
        titleBar_->showItem(QString::fromStdString(category_.name), nullptr, nullptr, QString());
        top = ui::NavigationBar::kHeight;
    }
    buildGrid(items, top + kGridMargin);

    const std::string snapshot = launchSnapshotPath(category_.displayIdentifier);
    launchImagePath_ = prefs_.saveImageOnExit() && files::isRegularFile(snapshot)
                           ? snapshot
                           : category_.bundlePath + "/Default.png";
    const QPixmap launchImage = showLaunchImage ? ui::imageAtPath(launchImagePath_) : QPixmap();
    if (!launchImage.isNull()) {
        auto* splash = ui::makeChild<QLabel>(this);
        splash->setGeometry(0, 0, kWidth, kHeight);
        splash->setPixmap(launchImage.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        QTimer::singleShot(kLaunchImageMs, splash, &QWidget::hide);
    }
}

Qt::Orientation CategoryLauncher::scrollOrientation() const {
    return prefs_.leftRightScroll() ? Qt::Horizontal : Qt::Vertical;
}

void CategoryLauncher::buildGrid(const std::vector<HomeIcon>& items, int top) {
    const bool sideways = prefs_.leftRightScroll();
    const int count = static_cast<int>(items.size());
    // Any stored number is possible; the settings screen offers 1 to 4.
    rows_ = sideways ? std::clamp(prefs_.leftRightRowsPerColumn(), 1, kMaxRowsPerColumn)
                     : (count + kColumns - 1) / kColumns;
    const int columns = sideways ? std::max(1, (count + rows_ - 1) / rows_) : kColumns;

    scrollArea_ = ui::makeChild<QScrollArea>(this);
    scrollArea_->setGeometry(0, top, kWidth, kHeight - top);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setAutoFillBackground(false);
    scrollArea_->viewport()->setAutoFillBackground(false);
    scrollArea_->setHorizontalScrollBarPolicy(sideways ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(sideways ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);

    auto content = std::make_unique<QWidget>();
    content->setAutoFillBackground(false);
    content->setFixedSize(columns * IconCell::kWidth, std::max(1, rows_) * kRowHeight);
    const QColor color = labelColor(prefs_.iconFontColor());
    const std::string theme = prefs_.iconThemeName();
    cells_.reserve(items.size());
    for (int index = 0; index < count; ++index) {
        const HomeIcon& item = items[static_cast<std::size_t>(index)];
        // Sideways, icons fill a column from the top before the next column.
        const int column = sideways ? index / rows_ : index % kColumns;
        const int row = sideways ? index % rows_ : index / kColumns;
        auto* cell = ui::makeChild<IconCell>(content.get(), item, themeIconPath(theme, item));
        cell->move(column * IconCell::kWidth, row * kRowHeight);
        cell->setLabelShown(prefs_.showIconLabels());
        cell->setLabelColor(color);
        connect(cell, &IconCell::clicked, this, [this, item] { emit iconTapped(item); });
        cells_.push_back(cell);
    }
    scrollArea_->setWidget(content.release());
    // The scroll area paints its widget's background; the launcher's own
    // (black, or the background image) is to show through.
    scrollArea_->widget()->setAutoFillBackground(false);
}

bool CategoryLauncher::leave() {
    if (!prefs_.saveImageOnExit()) return false;
    return writePicture(grab(), launchSnapshotPath(category_.displayIdentifier));
}

}  // namespace nestora::home
