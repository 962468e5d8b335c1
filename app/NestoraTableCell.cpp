#include "app/NestoraTableCell.h"

#include "ui/BundleImages.h"
#include "ui/QtOwnership.h"
#include "ui/SystemFont.h"
#include "common/CategoryNaming.h"
#include "model/CategoryItems.h"
#include "platform/Plist.h"

namespace nestora::app {

namespace {

constexpr int kTextX = 80;
constexpr int kTextWidth = 191;
constexpr int kTitleHeight = 22;
constexpr int kSubtitleHeight = 18;

}  // namespace

QString categoryRowTitle(const std::string& displayName, std::int64_t count) {
    return QStringLiteral("%1 (%2)").arg(QString::fromStdString(displayName)).arg(count);
}

NestoraTableCell::NestoraTableCell(const QString& reuseIdentifier, const platform::Preferences& preferences)
    : ui::TableViewCell(reuseIdentifier), preferences_(preferences) {
    title_ = ui::makeChild<ui::TruncatingLabel>(contentView());
    title_->setTextFormat(Qt::PlainText);  // a display name is text, never markup
    title_->setFont(ui::systemFont(18, true));
    subtitle_ = ui::makeChild<ui::TruncatingLabel>(contentView());
    subtitle_->setTextFormat(Qt::PlainText);
    subtitle_->setFont(ui::systemFont(14));
    highlightChanged(false);
    textLabel()->hide();
}

void NestoraTableCell::setBundleIdentifier(const std::string& bundleIdentifier) {
    bundleIdentifier_ = bundleIdentifier;
    const std::string bundlePath = bundlePathForIdentifier(bundleIdentifier_);
    std::string displayName;
    if (auto info = plist::readDictionary(bundlePath + "/Info.plist")) {
        if (auto it = info->find("CFBundleDisplayName"); it != info->end() && it->second.string() != nullptr) {
            displayName = *it->second.string();
        }
    }
    const std::int64_t count = numberOfItemsInCategory();
    title_->setText(categoryRowTitle(displayName, count));
    // A long name ends in an ellipsis; the count after it stays.
    title_->setKeptTailLength(static_cast<int>(QStringLiteral(" (%1)").arg(count).size()));
    setImage(ui::imageAtPath(bundlePath + "/icon.png"));
    subtitle_->setText(QString::fromStdString(bundlePath));
}

std::int64_t NestoraTableCell::numberOfItemsInCategory() const {
    const auto value = preferences_.copyAppValue(model::kItemsKey, bundleIdentifier_);
    if (!value || value->array() == nullptr) {
        return 0;
    }
    return static_cast<std::int64_t>(value->array()->size());
}

QString NestoraTableCell::accessibleText() const {
    return title_->text() + QStringLiteral(", ") + subtitle_->text();
}

void NestoraTableCell::highlightChanged(bool highlighted) {
    title_->setStyleSheet(highlighted ? QStringLiteral("color: white;") : QStringLiteral("color: black;"));
    subtitle_->setStyleSheet(highlighted ? QStringLiteral("color: white;") : QStringLiteral("color: gray;"));
}

void NestoraTableCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    // A 40-point block of two lines, centred: y is 12 in a 64-point row.
    const int y = static_cast<int>((contentView()->height() - 40) * 0.5);
    // 191 points wide, less when edit mode narrows the row: the text then
    // ends in an ellipsis rather than under the row's controls.
    const int width = std::clamp(contentView()->width() - kTextX, 0, kTextWidth);
    title_->setGeometry(kTextX, y, width, kTitleHeight);
    subtitle_->setGeometry(kTextX, y + kTitleHeight, width, kSubtitleHeight);
}

}  // namespace nestora::app
