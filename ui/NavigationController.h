#pragma once

// A bar over a stack of screens. The bottom screen is the root; pushing
// shows a screen over the top one with the root's back title in the bar,
// popping takes the top one away. Each screen hears when it appears and
// disappears.

#include <QWidget>

#include <memory>
#include <vector>

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

    // Animated, the new screen slides in from the right over the one below,
    // which goes out of sight when the slide ends; the calls to the screens
    // are the same either way and made at once.
    void pushViewController(std::unique_ptr<ViewController> screen, bool animated = false);
    void popViewController();

    // Runs the appearance calls of the top screen; the owner calls this once
    // the controller is in its window.
    void showTop();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshBar();
    void placeScreen(ViewController* screen);
    void slideIn(ViewController* shown, ViewController* below);

    NavigationBar* bar_ = nullptr;
    std::vector<ViewController*> stack_;  // children of this widget, bottom first
};

}  // namespace nestora::ui
