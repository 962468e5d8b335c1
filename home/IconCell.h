#pragma once

// One icon on a page: the picture with the app's name under it. The picture
// is decoded when the cell is first painted, so a page that is never shown
// costs no decoding. A tap is a click of the cell.

#include <QAbstractButton>
#include <QPixmap>

#include <optional>
#include <string>

#include "home/HomeIcon.h"

class QLabel;

namespace nestora::home {

class IconCell : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kWidth = 80;
    static constexpr int kHeight = 88;

    // The picture comes from the theme's file when one is given (and
    // decodes), else from the app's own icon.
    explicit IconCell(HomeIcon icon, std::optional<std::string> themeIconPath = std::nullopt,
                      QWidget* parent = nullptr);

    const HomeIcon& icon() const { return icon_; }
    const std::optional<std::string>& themeIconPath() const { return themeIconPath_; }
    QLabel* label() const { return label_; }
    bool imageLoaded() const { return imageLoaded_; }

    void setLabelShown(bool shown);
    void setLabelColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    HomeIcon icon_;
    std::optional<std::string> themeIconPath_;
    QPixmap image_;
    bool imageLoaded_ = false;
    QLabel* label_ = nullptr;
};

}  // namespace nestora::home
