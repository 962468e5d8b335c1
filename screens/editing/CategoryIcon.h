#pragma once

// A button showing one icon file; it remembers the file's path and stays
// selected once tapped.
//
// The picture is read when the button is first painted, not when it is
// made, and kept in Qt's shared pixmap cache (bounded in size) rather than
// in the button: a grid of thousands of icons reads only the files that
// come into view and holds no more pictures than the cache allows.

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

    // The picture as drawn: the file's image, scaled down to fit the button
    // when it is larger; null when the file is no readable image.
    QPixmap image() const;
    // Whether the file was read for this button (its first paint).
    bool wasLoaded() const { return loaded_; }

    // Its own touch action: the button becomes selected and stays so.
    void iconPressed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string iconPath_;
    QString cacheKey_;
    mutable bool loaded_ = false;
    mutable bool noImage_ = false;
    bool selected_ = false;
};

}  // namespace nestora::screens
