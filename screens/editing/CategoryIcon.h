#pragma once

// A button showing one icon file; it remembers the file's path and stays
// selected once tapped.

#include <QAbstractButton>
#include <QPixmap>

#include <string>

namespace nestora::screens {

class CategoryIcon : public QAbstractButton {
    Q_OBJECT
public:
    CategoryIcon(const QRect& frame, std::string pngFileAtPath, QWidget* parent = nullptr);

    const std::string& iconPath() const { return iconPath_; }
    bool isSelectedIcon() const { return selected_; }

    // Its own touch action: the button becomes selected and stays so.
    void iconPressed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string iconPath_;
    QPixmap image_;
    bool selected_ = false;
};

}  // namespace nestora::screens
