#include "tests/ui/UiTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include "ui/Transition.h"

namespace nestora::test {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        ui::Transition::finishAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

std::string saveScreenshot(QWidget& widget, const QString& name, const QString& folder) {
    const QString directory = QStringLiteral(NESTORA_TEST_BINARY_DIR "/test-artifacts/") + folder;
    QDir().mkpath(directory);
    const QString path = directory + QLatin1Char('/') + name + QStringLiteral(".png");
    return widget.grab().save(path, "PNG") ? path.toStdString() : std::string();
}

ui::AlertView* visibleAlert(QWidget* window) {
    ui::AlertView* found = nullptr;
    for (ui::AlertView* alert : window->findChildren<ui::AlertView*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (alert->isVisible()) {
            found = alert;  // later children are on top
        }
    }
    return found;
}

}  // namespace nestora::test
