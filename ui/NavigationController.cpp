#include "ui/NavigationController.h"

#include <QPointer>
#include <QPropertyAnimation>

#include "ui/NavigationBar.h"
#include "ui/QtOwnership.h"

namespace nestora::ui {

namespace {

constexpr int kSlideMilliseconds = 300;

}  // namespace

NavigationController::NavigationController(std::unique_ptr<ViewController> root, QWidget* parent)
    : QWidget(parent) {
    bar_ = makeChild<NavigationBar>(this);
    connect(bar_, &NavigationBar::backTapped, this, &NavigationController::popViewController);
    ViewController* screen = adoptChild(std::move(root), this);
    screen->navigationController_ = this;
    stack_.push_back(screen);
    connect(screen, &ViewController::navigationItemChanged, this, &NavigationController::refreshBar);
    placeScreen(screen);
    refreshBar();
}

NavigationController::~NavigationController() = default;

ViewController* NavigationController::topViewController() const {
    return stack_.empty() ? nullptr : stack_.back();
}

ViewController* NavigationController::rootViewController() const {
    return stack_.empty() ? nullptr : stack_.front();
}

void NavigationController::placeScreen(ViewController* screen) {
    screen->setGeometry(0, NavigationBar::kHeight, width(), std::max(0, height() - NavigationBar::kHeight));
}

void NavigationController::showTop() {
    ViewController* top = topViewController();
    top->viewWillAppear();
    top->show();
    top->viewDidAppear();
}

void NavigationController::pushViewController(std::unique_ptr<ViewController> screen, bool animated) {
    ViewController* below = topViewController();
    ViewController* shown = adoptChild(std::move(screen), this);
    shown->navigationController_ = this;
    connect(shown, &ViewController::navigationItemChanged, this, &NavigationController::refreshBar);
    below->viewWillDisappear();
    stack_.push_back(shown);
    placeScreen(shown);
    shown->viewWillAppear();
    shown->show();
    if (animated && isVisible()) {
        slideIn(shown, below);
    } else {
        below->hide();
    }
    refreshBar();
    shown->viewDidAppear();
}

void NavigationController::slideIn(ViewController* shown, ViewController* below) {
    const QPoint home = shown->pos();
    // The animation belongs to the screen: popped before the slide ends, the
    // screen takes it along and the one below simply stays in sight.
    auto* slide = makeChild<QPropertyAnimation>(shown, shown, QByteArrayLiteral("pos"));
    slide->setDuration(kSlideMilliseconds);
    slide->setStartValue(home + QPoint(width(), 0));
    slide->setEndValue(home);
    slide->setEasingCurve(QEasingCurve::OutCubic);
    shown->move(home + QPoint(width(), 0));
    connect(slide, &QPropertyAnimation::finished, this, [this, covered = QPointer<ViewController>(below)] {
        if (covered && covered != topViewController()) {
            covered->hide();
        }
    });
    slide->start(QAbstractAnimation::DeleteWhenStopped);
}

void NavigationController::popViewController() {
    if (stack_.size() < 2) {
        return;
    }
    ViewController* leaving = stack_.back();
    leaving->viewWillDisappear();
    stack_.pop_back();
    leaving->hide();
    leaving->deleteLater();
    ViewController* top = topViewController();
    top->viewWillAppear();
    top->show();
    refreshBar();
    top->viewDidAppear();
}

void NavigationController::refreshBar() {
    ViewController* top = topViewController();
    if (top == nullptr) {
        return;
    }
    const QString back = stack_.size() > 1 ? stack_[stack_.size() - 2]->backButtonTitle() : QString();
    bar_->showItem(top->title(), top->leftBarButtonItem(), top->rightBarButtonItem(), back);
}

void NavigationController::resizeEvent(QResizeEvent*) {
    bar_->setGeometry(0, 0, width(), NavigationBar::kHeight);
    for (ViewController* screen : stack_) {
        placeScreen(screen);
    }
    if (ViewController* top = topViewController(); top != nullptr && top->modalViewController() != nullptr) {
        top->modalViewController()->setGeometry(rect());
    }
}

}  // namespace nestora::ui
