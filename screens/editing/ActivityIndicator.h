#pragma once

// The progress overlay around work that holds the main thread (the app
// scan, finding and laying out icons). It is put up and painted before the
// work starts, so it shows while the work runs, and it is taken down when
// the indicator goes, however the work ends. Everything happens on the main
// thread; no other thread touches a widget.

#include <QPointer>
#include <QString>

#include "ui/ProgressOverlay.h"

class QWidget;

namespace nestora::screens {

class ActivityIndicator {
public:
    // Puts the overlay with `text` over the window `context` is in and
    // paints it at once.
    ActivityIndicator(QWidget* context, QString text);
    ~ActivityIndicator();
    ActivityIndicator(const ActivityIndicator&) = delete;
    ActivityIndicator& operator=(const ActivityIndicator&) = delete;

    ui::ProgressOverlay* overlay() const { return overlay_; }

private:
    QPointer<ui::ProgressOverlay> overlay_;
};

}  // namespace nestora::screens
