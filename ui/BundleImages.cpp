#include "ui/BundleImages.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <string>

#include "platform/Files.h"

namespace nestora::ui {

namespace {

QImage decode(std::string_view devicePath) {
    const auto bytes = files::readFile(devicePath, kImageByteLimit);
    if (!bytes) {
        return {};
    }
    QByteArray data = QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The size in the header decides before a single pixel is decoded.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kImageSideLimit || size.height() > kImageSideLimit) {
        return {};
    }
    return reader.read();
}

}  // namespace

QPixmap imageAtPath(std::string_view devicePath) {
    return QPixmap::fromImage(decode(devicePath));
}

QPixmap imageAtPath(std::string_view devicePath, QSize bounds) {
    QImage image = decode(devicePath);
    if (!image.isNull() && (image.width() > bounds.width() || image.height() > bounds.height())) {
        image = image.scaled(bounds, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return QPixmap::fromImage(image);
}

QPixmap imageNamed(std::string_view name) {
    return imageAtPath(std::string(kAppBundlePath) + "/" + std::string(name));
}

}  // namespace nestora::ui
