#pragma once

// The thin bar along the right edge of a list that shows where in its
// content the view is. It shows while the list scrolls and for a moment
// after, then fades; it flashes once when a list taller than its frame
// first appears, so that rows below the edge are known to be there.

#include <QAbstractScrollArea>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "ui/Transition.h"

namespace nestora::ui {

class ScrollIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 3;
    static constexpr int kInset = 2;
    static constexpr int kMinimumLength = 12;
    static constexpr int kShownMilliseconds = 500;
    static constexpr int kFlashMilliseconds = 1000;

    // Made for the area and owned by it; follows its vertical scroll bar.
    static ScrollIndicator* attach(QAbstractScrollArea* area);

    // Shows the bar for a moment, when there is anything to scroll.
    void flash(int milliseconds = kFlashMilliseconds);
    // How visible the bar is: 0 (gone) to 1.
    qreal opacity() const { return opacity_; }
    // Where the bar is drawn, in the area's coordinates.
    QRect barRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ScrollIndicator(QAbstractScrollArea* area);
    void place();
    void fadeOut();

    QAbstractScrollArea* area_;
    QTimer hideTimer_;
    QPointer<Transition> fade_;
    qreal opacity_ = 0.0;
    bool flashedOnce_ = false;
};

}  // namespace nestora::ui
