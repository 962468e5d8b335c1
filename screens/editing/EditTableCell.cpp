#include "screens/editing/EditTableCell.h"

#include "ui/BundleImages.h"
#include "model/IconLookup.h"

namespace nestora::screens {

EditTableCell::EditTableCell(const QString& reuseIdentifier, const platform::AppServices& services)
    : ui::TableViewCell(reuseIdentifier), services_(services) {}

std::unique_ptr<EditTableCell> EditTableCell::dequeueOrMake(ui::TableView& table,
                                                          const platform::AppServices& services) {
    const QString identifier = QString::fromLatin1(kEditTableCellIdentifier);
    std::unique_ptr<ui::TableViewCell> reused = table.dequeueReusableCell(identifier);
    if (auto* cell = dynamic_cast<EditTableCell*>(reused.get())) {
        reused.release();
        return std::unique_ptr<EditTableCell>(cell);
    }
    return std::make_unique<EditTableCell>(identifier, services);
}

void EditTableCell::setDisplayIdentifier(const std::string& displayIdentifier) {
    displayIdentifier_ = displayIdentifier;
    const auto name = services_.localizedApplicationNameForDisplayIdentifier(displayIdentifier_);
    setText(name ? QString::fromStdString(*name) : QString());
    const auto icon = model::iconPathForDisplayIdentifier(services_, displayIdentifier_);
    iconPath_ = icon ? *icon : std::string(ui::kAppBundlePath) + "/blank.png";
    // Decoded no larger than the row's icon place: a large icon file costs
    // no more memory than a small one once it is shown.
    setImage(ui::imageAtPath(iconPath_, QSize(kIconSide, kIconSide)));
}

}  // namespace nestora::screens
