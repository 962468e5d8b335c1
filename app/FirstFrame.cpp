// nestora_first_frame
//
// Launches the app on the device root (NESTORA_DEVICE_ROOT) and prints how
// long it took from the start of main to the first painted frame of the
// window, and how many list cells were configured for it; then ends. The
// benchmark in bench/app_bench.cpp runs it on a large device.

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>

#include "app/Nestora.h"
#include "app/RootViewController.h"

namespace {

class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* window, std::chrono::steady_clock::time_point start) : window_(window), start_(start) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The window itself is covered by opaque children and never painted:
        // the first paint of anything in it starts the first frame, and the
        // frame is done when the event loop comes round again.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!seen_ && event->type() == QEvent::Paint && widget != nullptr && widget->window() == window_) {
            seen_ = true;
            // After this paint has finished, not before.
            QTimer::singleShot(0, [this] {
                const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start_;
                std::printf("first-frame-ms %.3f\n", elapsed.count());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QWidget* window_;
    std::chrono::steady_clock::time_point start_;
    bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    QApplication application(argc, argv);
    nestora::app::Nestora nestora;
    nestora.applicationDidFinishLaunching();
    FirstPaint watcher(nestora.window(), start);
    application.installEventFilter(&watcher);
    nestora.window()->update();
    const int status = application.exec();
    std::printf("rows %d cells-configured %zu\n", nestora.rootViewController()->tableView().rowCount(),
                nestora.rootViewController()->tableView().cellRequests());
    return status;
}
