#include "ui/BundleImages.h"

#include <string>

#include "platform/Files.h"

namespace nestora::ui {

namespace {

// Icons are small; anything far larger is not an icon and is not decoded.
constexpr std::size_t kImageLimit = 4 * 1024 * 1024;

}  // namespace

QPixmap imageAtPath(std::string_view devicePath) {
    QPixmap image;
    if (auto bytes = files::readFile(devicePath, kImageLimit)) {
        image.loadFromData(reinterpret_cast<const uchar*>(bytes->data()), static_cast<uint>(bytes->size()));
    }
    return image;
}

QPixmap imageNamed(std::string_view name) {
    return imageAtPath(std::string(kAppBundlePath) + "/" + std::string(name));
}

}  // namespace nestora::ui
