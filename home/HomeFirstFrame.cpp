// nestora_home_first_frame
//
// Opens the home screen on the device root (NESTORA_DEVICE_ROOT) and prints
// how long it took from the start of main to the first painted frame, how
// many icons the home screen has and how many of them were decoded for that
// frame, and the steady clock's reading at that frame (for a caller that
// times from before the process started); then restarts the home screen once, paints again and ends, so that
// the process's peak memory covers a restart too. bench/home_bench.cpp runs
// it on the large device.

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>

#include "home/HomeScreen.h"
#include "home/IconCell.h"
#include "ui/SystemFont.h"

namespace {

class FirstPaint : public QObject {
public:
    FirstPaint(nestora::home::HomeScreen& home, std::chrono::steady_clock::time_point start)
        : home_(home), start_(start) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!seen_ && event->type() == QEvent::Paint && widget != nullptr && widget->window() == &home_) {
            seen_ = true;
            // After this frame has been painted, not before.
            QTimer::singleShot(0, [this] { report(); });
        }
        return false;
    }

private:
    void report() {
        const auto frameAt = std::chrono::steady_clock::now();
        const std::chrono::duration<double, std::milli> elapsed = frameAt - start_;
        int decoded = 0;
        for (const auto* cell : home_.findChildren<nestora::home::IconCell*>()) decoded += cell->imageLoaded() ? 1 : 0;
        std::printf("first-frame-ms %.3f\nicons %zu decoded %d\nfirst-frame-at-ns %lld\n", elapsed.count(),
                    home_.icons().size(), decoded,
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(frameAt.time_since_epoch()).count()));
        std::fflush(stdout);
        home_.restart();
        (void)home_.grab();
        QCoreApplication::exit(0);
    }

    nestora::home::HomeScreen& home_;
    std::chrono::steady_clock::time_point start_;
    bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    QApplication application(argc, argv);
    nestora::ui::loadSystemFont();
    nestora::home::HomeScreen home;
    FirstPaint watcher(home, start);
    application.installEventFilter(&watcher);
    home.show();
    return application.exec();
}
