#pragma once

// The spinning "please wait" square over the middle of a window. It has no
// text and takes no taps of its own; it only shows that something loads.

#include <QTimer>
#include <QWidget>

namespace nestora::ui {

class ProgressOverlay : public QWidget {
    Q_OBJECT
public:
    ProgressOverlay();

    // Puts the overlay over the window `anyWidget` is in and starts the
    // spinner. The window owns the overlay from then on.
    void showInWindow(QWidget* anyWidget);
    // Stops the spinner and hides it.
    void done();
    bool isSpinning() const { return timer_.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    int step_ = 0;
};

}  // namespace nestora::ui
