#include "screens/editing/ActivityIndicator.h"

#include <QWidget>

#include <memory>

namespace nestora::screens {

ActivityIndicator::ActivityIndicator(QWidget* context, QString text) {
    auto overlay = std::make_unique<ui::ProgressOverlay>(std::move(text));
    overlay->showInWindow(context);
    overlay_ = overlay.release();  // the window owns it now
    // Painted now: the event loop will not run again until the work is done.
    overlay_->repaint();
}

ActivityIndicator::~ActivityIndicator() {
    if (overlay_) {
        overlay_->done();
        overlay_->deleteLater();
    }
}

}  // namespace nestora::screens
