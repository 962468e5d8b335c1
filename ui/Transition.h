#pragma once

// A change on the screen that takes a moment, the way the phone makes one:
// a screen sliding in, an alert fading in, rows making room. It runs for a
// set time on an ease-in/out curve, tells its step where it is (0 at the
// start, 1 at the end) on every frame, and runs its end once.
//
// Nothing waits on a transition: whatever must follow it (a screen's
// appearance, a delegate's report) is its end. finishAll() takes every
// transition under way to its end at once, so a new one starts from a
// settled screen and a test sees the outcome without waiting.

#include <QObject>
#include <QPointer>
#include <QVariantAnimation>

#include <functional>

namespace nestora::ui {

class Transition : public QObject {
    Q_OBJECT
public:
    // A screen's slide, and the fade of an alert.
    static constexpr int kMilliseconds = 300;
    static constexpr int kFadeMilliseconds = 200;

    using Step = std::function<void(qreal progress)>;
    using End = std::function<void()>;

    // Starts a transition that lives as long as it runs and no longer than
    // `owner`: when the owner goes first, the end is never run. The step
    // hears 0 at once.
    static QPointer<Transition> start(QObject* owner, int milliseconds, Step step, End end);

    // Jumps to the end: the step hears 1, then the end runs. Once.
    void finish();
    bool isRunning() const { return running_; }

    // Ends every transition under way (and those their ends start).
    static void finishAll();
    static int runningCount();

private:
    Transition(QObject* owner, int milliseconds, Step step, End end);
    ~Transition() override;

    QVariantAnimation animation_;
    Step step_;
    End end_;
    bool running_ = true;
};

}  // namespace nestora::ui
