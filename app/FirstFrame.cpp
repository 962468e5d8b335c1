// nestora_first_frame [--without-ad-strip] [--idle-ms N]
//
// Launches the app on the device root (NESTORA_DEVICE_ROOT) and prints how
// long it took from the start of main to the first painted frame of the
// window, and how many list cells were configured for it; then ends. Last it
// prints the steady clock's reading at the first frame ("first-frame-at-ns"),
// so that a caller who read the same clock before starting the process can
// tell the whole wait, process start-up and library loading included. The
// benchmark in bench/app_bench.cpp runs it on a large device.
//
// --without-ad-strip launches without the ad strip. --idle-ms N stays on
// after the first frame: one second to settle, then N milliseconds untouched,
// and prints the processor time the process used in them ("idle-cpu-ms C
// wall-ms W"), which bench/ads_bench.cpp reads.

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/Nestora.h"
#include "app/RootViewController.h"
#include "ui/SystemFont.h"

namespace {

// Processor time of the whole process (all its threads) so far.
double processorMs() {
    return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

// Measures the processor time of an untouched app over `idleMs`, after a
// second to settle, then ends the event loop.
void measureIdle(int idleMs) {
    QTimer::singleShot(1000, [idleMs] {
        const double cpuBefore = processorMs();
        const auto wallBefore = std::chrono::steady_clock::now();
        QTimer::singleShot(idleMs, [cpuBefore, wallBefore] {
            const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - wallBefore;
            std::printf("idle-cpu-ms %.3f wall-ms %.3f\n", processorMs() - cpuBefore, wall.count());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    });
}

class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* window, std::chrono::steady_clock::time_point start, int idleMs)
        : window_(window), start_(start), idleMs_(idleMs) {}

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
                frameAt_ = std::chrono::steady_clock::now();
                const std::chrono::duration<double, std::milli> elapsed = frameAt_ - start_;
                std::printf("first-frame-ms %.3f\n", elapsed.count());
                std::fflush(stdout);
                if (idleMs_ > 0) {
                    measureIdle(idleMs_);
                } else {
                    QCoreApplication::exit(0);
                }
            });
        }
        return false;
    }

public:
    std::chrono::steady_clock::time_point frameAt() const { return frameAt_; }

private:
    QWidget* window_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point frameAt_{};
    int idleMs_;
    bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    QApplication application(argc, argv);
    nestora::ui::loadSystemFont();
    bool withAdStrip = true;
    int idleMs = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--without-ad-strip") == 0) {
            withAdStrip = false;
        } else if (std::strcmp(argv[i], "--idle-ms") == 0 && i + 1 < argc) {
            idleMs = std::atoi(argv[++i]);
        }
    }
    nestora::app::Nestora nestora;
    nestora.setAdStripEnabled(withAdStrip);
    nestora.applicationDidFinishLaunching();
    FirstPaint watcher(nestora.window(), start, idleMs);
    application.installEventFilter(&watcher);
    nestora.window()->update();
    const int status = application.exec();
    std::printf("rows %d cells-configured %zu\n", nestora.rootViewController()->tableView().rowCount(),
                nestora.rootViewController()->tableView().cellRequests());
    std::printf("first-frame-at-ns %lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                                         watcher.frameAt().time_since_epoch())
                                                                         .count()));
    return status;
}
