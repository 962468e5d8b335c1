#pragma once

// The home screen's pages: four columns and four rows of icons per page,
// one page on screen at a time, with a row of page dots under them. A swipe
// across the page, the arrow keys (through the home screen) or a tap on the
// dots turn the page. Only the page on screen is built, so only its icons
// are ever decoded, however many apps the device has.

#include <QPointer>
#include <QWidget>

#include <vector>

#include "home/HomeIcon.h"

namespace nestora::home {

class IconCell;

class IconPager : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumns = 4;
    static constexpr int kRows = 4;
    static constexpr int kIconsPerPage = kColumns * kRows;
    static constexpr int kRowHeight = 96;
    static constexpr int kDotsHeight = 24;
    static constexpr int kHeight = kRows * kRowHeight + kDotsHeight;

    explicit IconPager(QWidget* parent = nullptr);

    // Shows these icons from the first page on.
    void setIcons(std::vector<HomeIcon> icons);
    const std::vector<HomeIcon>& icons() const { return icons_; }

    int pageCount() const;  // at least 1, an empty screen being one page
    int currentPage() const { return current_; }
    // Pages outside the range are clamped to it.
    void setCurrentPage(int page);
    void nextPage() { setCurrentPage(current_ + 1); }
    void previousPage() { setCurrentPage(current_ - 1); }

    // The cells of the page on screen, in order.
    std::vector<IconCell*> visibleCells() const;

signals:
    void iconTapped(const nestora::home::HomeIcon& icon);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPage();
    // True when a press-to-release movement was a swipe, which it acts on.
    bool finishSwipe(const QPointF& releaseGlobal);

    std::vector<HomeIcon> icons_;
    int current_ = 0;
    QPointer<QWidget> page_;
    QPointF pressGlobal_;
    bool pressed_ = false;
};

}  // namespace nestora::home
