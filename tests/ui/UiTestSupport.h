#pragma once

// What every widget test shares: waiting on the event loop, letting posted
// events run, screenshots written as test artifacts, and the alert on top.

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

#include "ui/AlertView.h"

namespace nestora::test {

// Runs the event loop until `done` holds or `timeoutMs` passes.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// Lets posted events (alert answers, deferred deletes) run and takes every
// transition under way (a slide, a fade) to its end.
void settle();

// Saves a screenshot of the widget under <build>/test-artifacts/<folder>/<name>.png
// and returns the path ("" on failure).
std::string saveScreenshot(QWidget& widget, const QString& name, const QString& folder = QStringLiteral("app"));

// The topmost visible alert in the window, or null.
ui::AlertView* visibleAlert(QWidget* window);

}  // namespace nestora::test
