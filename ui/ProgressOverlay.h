#pragma once

// The spinning "please wait" square over the middle of a window, with an
// optional text under the spinner ("Loading items.\nPlease wait."). It takes
// no taps of its own; it only shows that something loads.

#include <QString>
#include <QTimer>
#include <QWidget>

namespace nestora::ui {

class ProgressOverlay : public QWidget {
    Q_OBJECT
public:
    explicit ProgressOverlay(QString text = {});

    const QString& text() const { return text_; }

    // Puts the overlay over the window `anyWidget` is in and starts the
    // spinner. The window owns the overlay from then on.
    void showInWindow(QWidget* anyWidget);
    // Stops the spinner and hides it.
    void done();
    bool isSpinning() const { return timer_.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QTimer timer_;
    int step_ = 0;
};

}  // namespace nestora::ui
