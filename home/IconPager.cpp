#include "home/IconPager.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "home/IconCell.h"
#include "ui/QtOwnership.h"
#include "ui/SystemFont.h"

namespace nestora::home {

namespace {

// A horizontal movement of more than this, press to release, turns the page.
constexpr qreal kSwipeDistance = 40;
constexpr int kDotSpacing = 14;
constexpr int kDotSize = 7;

}  // namespace

IconPager::IconPager(QWidget* parent) : QWidget(parent) {
    setFixedSize(IconCell::kWidth * kColumns, kHeight);
    buildPage();
}

void IconPager::setIcons(std::vector<HomeIcon> icons) {
    icons_ = std::move(icons);
    current_ = 0;
    buildPage();
}

int IconPager::pageCount() const {
    return std::max<int>(1, static_cast<int>((icons_.size() + kIconsPerPage - 1) / kIconsPerPage));
}

void IconPager::setCurrentPage(int page) {
    page = std::clamp(page, 0, pageCount() - 1);
    if (page == current_ && page_ != nullptr) return;
    current_ = page;
    buildPage();
}

std::vector<IconCell*> IconPager::visibleCells() const {
    std::vector<IconCell*> cells;
    if (page_ == nullptr) return cells;
    for (QObject* child : page_->children()) {
        if (auto* cell = qobject_cast<IconCell*>(child)) cells.push_back(cell);
    }
    return cells;
}

void IconPager::buildPage() {
    // The old page may be the one whose cell is reporting a tap or a swipe
    // right now: it goes once that event is over.
    if (page_ != nullptr) {
        page_->hide();
        page_->deleteLater();
    }
    auto* page = ui::makeChild<QWidget>(this);
    page->setGeometry(0, 0, width(), kRows * kRowHeight);
    const std::size_t first = static_cast<std::size_t>(current_) * kIconsPerPage;
    const std::size_t end = std::min(icons_.size(), first + kIconsPerPage);
    for (std::size_t index = first; index < end; ++index) {
        const int slot = static_cast<int>(index - first);
        auto* cell = ui::makeChild<IconCell>(page, icons_[index]);
        cell->move((slot % kColumns) * IconCell::kWidth, (slot / kColumns) * kRowHeight + 4);
        cell->installEventFilter(this);
        connect(cell, &IconCell::clicked, this, [this, cell] { emit iconTapped(cell->icon()); });
    }
    page->show();
    page_ = page;
    update();
}

void IconPager::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int pages = pageCount();
    const QRect dots(0, kRows * kRowHeight, width(), kDotsHeight);
    if (pages * kDotSpacing > width() - 2 * kDotSpacing) {
        // More pages than dots fit: say where we are instead.
        QFont font = ui::systemFont(11);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(dots, Qt::AlignCenter, tr("%1 of %2").arg(current_ + 1).arg(pages));
        return;
    }
    const int left = (width() - pages * kDotSpacing) / 2;
    for (int page = 0; page < pages; ++page) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(page == current_ ? QColor(Qt::white) : QColor(255, 255, 255, 90));
        painter.drawEllipse(QRect(left + page * kDotSpacing + (kDotSpacing - kDotSize) / 2,
                                  dots.center().y() - kDotSize / 2, kDotSize, kDotSize));
    }
}

void IconPager::mousePressEvent(QMouseEvent* event) {
    pressGlobal_ = event->globalPosition();
    pressed_ = true;
}

void IconPager::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_) return;
    pressed_ = false;
    if (finishSwipe(event->globalPosition())) return;
    // A tap on the dots: the left half goes back a page, the right half on.
    if (event->position().y() >= kRows * kRowHeight) {
        if (event->position().x() < width() / 2.0) {
            previousPage();
        } else {
            nextPage();
        }
    }
}

bool IconPager::eventFilter(QObject* watched, QEvent* event) {
    auto* cell = qobject_cast<IconCell*>(watched);
    if (cell == nullptr) return false;
    if (event->type() == QEvent::MouseButtonPress) {
        pressGlobal_ = static_cast<QMouseEvent*>(event)->globalPosition();
        pressed_ = true;
    } else if (event->type() == QEvent::MouseButtonRelease && pressed_) {
        pressed_ = false;
        // A swipe that began on an icon turns the page and taps nothing.
        if (finishSwipe(static_cast<QMouseEvent*>(event)->globalPosition())) {
            cell->setDown(false);
            return true;
        }
    }
    return false;
}

bool IconPager::finishSwipe(const QPointF& releaseGlobal) {
    const qreal dx = releaseGlobal.x() - pressGlobal_.x();
    if (std::abs(dx) <= kSwipeDistance) return false;
    if (dx < 0) {
        nextPage();
    } else {
        previousPage();
    }
    return true;
}

}  // namespace nestora::home
