#pragma once

// A bar over a stack of screens. The bottom screen is the root; pushing
// shows a screen over the top one with the root's back title in the bar,
// popping takes the top one away. Each screen hears when it appears and
// disappears. An animated push slides the new screen in from the right; the
// bar's back button slides the top screen out again (ui::Transition: 0.3 s,
// easing in and out). A screen hears that it did appear when its slide has
// ended.

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "ui/Transition.h"
#include "ui/ViewController.h"

namespace nestora::ui {

class NavigationBar;

class NavigationController : public QWidget {
    Q_OBJECT
public:
    explicit NavigationController(std::unique_ptr<ViewController> root, QWidget* parent = nullptr);
    ~NavigationController() override;

    NavigationBar& navigationBar() const { return *bar_; }
    ViewController* topViewController() const;
    ViewController* rootViewController() const;
    std::size_t depth() const { return stack_.size(); }

    void pushViewController(std::unique_ptr<ViewController> screen, bool animated = false);
    void popViewController(bool animated = false);
    // Whether a slide is under way.
    bool isSliding() const { return slide_ && slide_->isRunning(); }
    static constexpr int kSlideMilliseconds = Transition::kMilliseconds;

    // Runs the appearance calls of the top screen; the owner calls this once
    // the controller is in its window.
    void showTop();

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Escape goes back, as the bar's back button does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refreshBar();
    void placeScreen(ViewController* screen);
    // Moves `incoming` from where it is to its place and `outgoing` from its
    // place by `outgoingOffset`, then runs `done`.
    void slide(ViewController* incoming, ViewController* outgoing, QPoint outgoingOffset, std::function<void()> done);
    // Ends a slide under way at once (screens at their final places).
    void finishSlide();

    NavigationBar* bar_ = nullptr;
    std::vector<ViewController*> stack_;  // children of this widget, bottom first
    QPointer<Transition> slide_;
};

}  // namespace nestora::ui
