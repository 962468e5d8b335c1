#include "ui/Transition.h"

#include <QEasingCurve>

#include <algorithm>
#include <utility>
#include <vector>

namespace nestora::ui {

namespace {

// Every transition under way, oldest first. Widgets live on the main thread
// only, and so do their transitions.
std::vector<Transition*>& underWay() {
    static std::vector<Transition*> transitions;
    return transitions;
}

}  // namespace

Transition::Transition(QObject* owner, int milliseconds, Step step, End end)
    : QObject(owner), step_(std::move(step)), end_(std::move(end)) {
    animation_.setDuration(std::max(1, milliseconds));
    animation_.setStartValue(0.0);
    animation_.setEndValue(1.0);
    animation_.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (running_ && step_) {
            step_(value.toReal());
        }
    });
    connect(&animation_, &QVariantAnimation::finished, this, &Transition::finish);
    underWay().push_back(this);
}

Transition::~Transition() {
    auto& list = underWay();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

QPointer<Transition> Transition::start(QObject* owner, int milliseconds, Step step, End end) {
    auto* transition = new Transition(owner, milliseconds, std::move(step), std::move(end));  // owned by `owner`
    if (transition->step_) {
        transition->step_(0.0);
    }
    transition->animation_.start();
    return transition;
}

void Transition::finish() {
    if (!running_) {
        return;
    }
    animation_.stop();
    if (step_) {
        step_(1.0);
    }
    running_ = false;
    auto& list = underWay();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    deleteLater();
    if (End end = std::exchange(end_, nullptr)) {
        end();
    }
}

void Transition::finishAll() {
    // An end may start another transition; those end too. A bound keeps a
    // transition that restarts itself from looping for ever.
    for (int round = 0; round < 1000 && !underWay().empty(); ++round) {
        underWay().front()->finish();
    }
}

int Transition::runningCount() {
    return static_cast<int>(underWay().size());
}

}  // namespace nestora::ui
