#include "ui/BundleImages.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <cstring>
#include <string>

#include "platform/Files.h"
#include "platform/PngDecoder.h"

namespace nestora::ui {

namespace {

QImage decode(std::string_view devicePath) {
    const auto bytes = files::readFile(devicePath, kImageByteLimit);
    return bytes ? imageFromBytes(*bytes) : QImage();
}

QImage fromRgba(png::RgbaImage&& rgba) {
    QImage image(rgba.width, rgba.height, QImage::Format_RGBA8888);
    if (image.isNull()) {
        return {};
    }
    const std::size_t rowBytes = static_cast<std::size_t>(rgba.width) * 4;
    for (int y = 0; y < rgba.height; ++y) {
        std::memcpy(image.scanLine(y), rgba.pixels.data() + y * rowBytes, rowBytes);
    }
    // The form Qt's own reader gives: what painting and comparing expect.
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage decodeWithQt(std::string_view bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
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

QImage imageFromBytes(std::string_view bytes) {
    if (bytes.size() > kImageByteLimit) {
        return {};
    }
    // A PNG is ours to read, damaged or not: Qt's reader knows neither the
    // optimised form nor what our decoder refused.
    if (png::hasSignature(bytes)) {
        auto rgba = png::decode(bytes, kImageSideLimit);
        return rgba ? fromRgba(std::move(*rgba)) : QImage();
    }
    return decodeWithQt(bytes);
}

}  // namespace nestora::ui
