#include "ui/NavigationController.h"

#include <QKeyEvent>

#include <utility>

#include "ui/NavigationBar.h"
#include "ui/QtOwnership.h"

namespace nestora::ui {

NavigationController::NavigationController(std::unique_ptr<ViewController> root, QWidget* parent)
    : QWidget(parent) {
    bar_ = makeChild<NavigationBar>(this);
    connect(bar_, &NavigationBar::backTapped, this, [this] { popViewController(true); });
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
    finishSlide();
    ViewController* below = topViewController();
    ViewController* shown = adoptChild(std::move(screen), this);
    shown->navigationController_ = this;
    connect(shown, &ViewController::navigationItemChanged, this, &NavigationController::refreshBar);
    below->viewWillDisappear();
    stack_.push_back(shown);
    placeScreen(shown);
    shown->viewWillAppear();
    refreshBar();
    if (!animated || !isVisible()) {
        below->hide();
        shown->show();
        shown->viewDidAppear();
        return;
    }
    shown->move(shown->pos() + QPoint(width(), 0));
    shown->show();
    shown->raise();
    QPointer<ViewController> belowGuard(below);
    QPointer<ViewController> shownGuard(shown);
    slide(shown, below, QPoint(-width(), 0), [this, belowGuard, shownGuard] {
        if (belowGuard) {
            belowGuard->hide();
            placeScreen(belowGuard);
        }
        if (shownGuard) {
            shownGuard->viewDidAppear();
        }
    });
}

void NavigationController::popViewController(bool animated) {
    finishSlide();
    if (stack_.size() < 2) {
        return;
    }
    ViewController* leaving = stack_.back();
    leaving->viewWillDisappear();
    stack_.pop_back();
    ViewController* top = topViewController();
    top->viewWillAppear();
    refreshBar();
    if (!animated || !isVisible()) {
        leaving->hide();
        leaving->deleteLater();
        top->show();
        top->viewDidAppear();
        return;
    }
    top->move(top->pos() - QPoint(width(), 0));
    top->show();
    QPointer<ViewController> leavingGuard(leaving);
    QPointer<ViewController> topGuard(top);
    slide(top, leaving, QPoint(width(), 0), [leavingGuard, topGuard] {
        if (leavingGuard) {
            leavingGuard->hide();
            leavingGuard->deleteLater();
        }
        if (topGuard) {
            topGuard->viewDidAppear();
        }
    });
}

void NavigationController::slide(ViewController* incoming, ViewController* outgoing, QPoint outgoingOffset,
                                 std::function<void()> done) {
    const QPoint home(0, NavigationBar::kHeight);
    const QPoint incomingStart = incoming->pos();
    QPointer<ViewController> in(incoming);
    QPointer<ViewController> out(outgoing);
    slide_ = Transition::start(
        this, kSlideMilliseconds,
        [in, out, home, incomingStart, outgoingOffset](qreal progress) {
            if (in) {
                in->move(incomingStart + (home - incomingStart) * progress);
            }
            if (out) {
                out->move(home + outgoingOffset * progress);
            }
        },
        [this, done = std::move(done)] {
            // Wherever the slide was, the screens end at their places.
            for (ViewController* screen : stack_) {
                placeScreen(screen);
            }
            if (done) {
                done();
            }
        });
}

void NavigationController::finishSlide() {
    if (slide_) {
        slide_->finish();
    }
}

void NavigationController::refreshBar() {
    ViewController* top = topViewController();
    if (top == nullptr) {
        return;
    }
    const QString back = stack_.size() > 1 ? stack_[stack_.size() - 2]->backButtonTitle() : QString();
    bar_->showItem(top->title(), top->leftBarButtonItem(), top->rightBarButtonItem(), back);
}

void NavigationController::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && stack_.size() > 1) {
        popViewController(true);
        return;
    }
    QWidget::keyPressEvent(event);
}

void NavigationController::resizeEvent(QResizeEvent*) {
    finishSlide();
    bar_->setGeometry(0, 0, width(), NavigationBar::kHeight);
    for (ViewController* screen : stack_) {
        placeScreen(screen);
    }
    if (ViewController* top = topViewController(); top != nullptr && top->modalViewController() != nullptr &&
                                                   !top->modalViewController()->keepsOwnSizeWhenPresented()) {
        top->modalViewController()->setGeometry(rect());
    }
}

}  // namespace nestora::ui
