#include "screens/editing/IconGrid.h"

#include <algorithm>

namespace nestora::screens {

int IconGrid::rows(std::size_t iconCount) {
    iconCount = std::min(iconCount, kMaxIcons);
    return static_cast<int>(iconCount / kColumns + (iconCount % kColumns != 0 ? 1 : 0));
}

int IconGrid::contentHeight(std::size_t iconCount) {
    return rows(std::min(iconCount, kMaxIcons)) * kRowStep + 2 * kMargin;
}

QRect IconGrid::frameAt(std::size_t index) {
    const int column = static_cast<int>(index % kColumns);
    const int row = static_cast<int>(index / kColumns);
    return QRect(kMargin + kColumnStep * column, kMargin + kRowStep * row, kFrameWidth, kFrameHeight);
}

}  // namespace nestora::screens
