#pragma once

// The icon picker's grid: four columns 75 points apart (neighbouring frames
// of 80 overlap by 5) and rows 102 apart, with a margin of 10.

#include <QRect>

#include <cstddef>

namespace nestora::screens {

struct IconGrid {
    static constexpr int kColumns = 4;
    static constexpr int kMargin = 10;
    static constexpr int kColumnStep = 75;
    static constexpr int kRowStep = 102;
    static constexpr int kFrameWidth = 80;
    static constexpr int kFrameHeight = 102;
    // More icons than this would make the grid taller than a widget can be;
    // the grid shows the first ones (650,000 and more).
    static constexpr std::size_t kMaxIcons = (16777215 - 2 * kMargin) / kRowStep * kColumns;

    // n / 4, plus one for a partly filled last row.
    static int rows(std::size_t iconCount);
    // rows x 102 + 20 (20 for no icons at all). Counts past kMaxIcons count
    // as kMaxIcons.
    static int contentHeight(std::size_t iconCount);
    // The frame of icon i.
    static QRect frameAt(std::size_t index);
};

}  // namespace nestora::screens
