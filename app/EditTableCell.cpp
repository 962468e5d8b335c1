#include "app/EditTableCell.h"

#include "app/BundleImages.h"
#include "model/IconLookup.h"

namespace nestora::app {

EditTableCell::EditTableCell(const QString& reuseIdentifier, const platform::AppServices& services)
    : TableViewCell(reuseIdentifier), services_(services) {}

void EditTableCell::setDisplayIdentifier(const std::string& displayIdentifier) {
    displayIdentifier_ = displayIdentifier;
    const auto name = services_.localizedApplicationNameForDisplayIdentifier(displayIdentifier_);
    setText(name ? QString::fromStdString(*name) : QString());
    const auto icon = model::iconPathForDisplayIdentifier(services_, displayIdentifier_);
    iconPath_ = icon ? *icon : std::string(kAppBundlePath) + "/blank.png";
    setImage(imageAtPath(iconPath_));
}

}  // namespace nestora::app
