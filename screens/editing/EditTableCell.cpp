#include "screens/editing/EditTableCell.h"

#include "ui/BundleImages.h"
#include "model/IconLookup.h"

namespace nestora::screens {

EditTableCell::EditTableCell(const QString& reuseIdentifier, const platform::AppServices& services)
    : ui::TableViewCell(reuseIdentifier), services_(services) {}

void EditTableCell::setDisplayIdentifier(const std::string& displayIdentifier) {
    displayIdentifier_ = displayIdentifier;
    const auto name = services_.localizedApplicationNameForDisplayIdentifier(displayIdentifier_);
    setText(name ? QString::fromStdString(*name) : QString());
    const auto icon = model::iconPathForDisplayIdentifier(services_, displayIdentifier_);
    iconPath_ = icon ? *icon : std::string(ui::kAppBundlePath) + "/blank.png";
    setImage(ui::imageAtPath(iconPath_));
}

}  // namespace nestora::screens
