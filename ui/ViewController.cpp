#include "ui/ViewController.h"

#include <QKeyEvent>

#include "ui/Accessibility.h"
#include "ui/NavigationController.h"

namespace nestora::ui {

BarButtonItem::BarButtonItem(QString title, Style style, QObject* parent)
    : QObject(parent), title_(std::move(title)), style_(style) {}

void BarButtonItem::setTitle(const QString& title) {
    if (title_ != title) {
        title_ = title;
        emit changed();
    }
}

ViewController::ViewController(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground, true);
}

ViewController::~ViewController() = default;

void ViewController::focusFirstControl() {
    const QList<QWidget*> stops = tabStops(this);
    if (!stops.isEmpty()) {
        stops.front()->setFocus(Qt::OtherFocusReason);  // no focus ring until the keyboard is used
    }
}

void ViewController::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && presentingViewController() != nullptr) {
        escapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool ViewController::focusNextPrevChild(bool next) {
    if (presentingViewController() == nullptr) {
        return QWidget::focusNextPrevChild(next);
    }
    return cycleFocus(this, next);
}

void ViewController::setTitle(const QString& title) {
    title_ = title;
    emit navigationItemChanged();
}

void ViewController::setLeftBarButtonItem(BarButtonItem* item) {
    watchItem(item);
    left_ = item;
    emit navigationItemChanged();
}

void ViewController::setRightBarButtonItem(BarButtonItem* item) {
    watchItem(item);
    right_ = item;
    emit navigationItemChanged();
}

void ViewController::watchItem(BarButtonItem* item) {
    if (item != nullptr) {
        connect(item, &BarButtonItem::changed, this, &ViewController::navigationItemChanged, Qt::UniqueConnection);
    }
}

namespace {

// The screen whose appearance a modal screen interrupts: the top of the
// presenter's stack, or the presenter itself.
ViewController* coveredScreen(ViewController* presenter) {
    if (presenter->navigationController() != nullptr && presenter->navigationController()->topViewController()) {
        return presenter->navigationController()->topViewController();
    }
    return presenter;
}

}  // namespace

namespace {

// How far a presented screen at `home` in its parent moves to be out of
// sight below the parent's bottom edge.
int slideDistance(const QWidget* screen) {
    return screen->parentWidget() != nullptr ? screen->parentWidget()->height() - screen->y() : screen->height();
}

}  // namespace

void ViewController::presentModalViewController(std::unique_ptr<ViewController> screen, bool animated) {
    // A screen still sliding ends first: modal screens come one at a time.
    Transition::finishAll();
    if (!screen || modal_) {
        return;
    }
    QWidget* host = navigationController() != nullptr ? static_cast<QWidget*>(navigationController()) : this;
    ViewController* covered = coveredScreen(this);
    ViewController* shown = screen.release();
    if (shown->keepsOwnSize_) {
        // A child is cut to its parent's rectangle: the window holds it.
        QWidget* window = host->window();
        shown->setParent(window);
        shown->move(host == window ? QPoint(0, 0) : host->mapTo(window, QPoint(0, 0)));
    } else {
        shown->setParent(host);
        shown->setGeometry(0, 0, host->width(), host->height());
    }
    shown->presenting_ = this;
    modal_ = shown;
    covered->viewWillDisappear();
    shown->viewWillAppear();
    shown->show();
    shown->raise();
    shown->focusFirstControl();
    if (!animated || !host->isVisible()) {
        shown->viewDidAppear();
        return;
    }
    const QPoint home = shown->pos();
    const int distance = slideDistance(shown);
    QPointer<ViewController> guard(shown);
    shown->transition_ = Transition::start(
        shown, Transition::kMilliseconds,
        [guard, home, distance](qreal progress) {
            if (guard) {
                guard->move(home + QPoint(0, qRound((1.0 - progress) * distance)));
            }
        },
        [guard] {
            if (guard) {
                guard->viewDidAppear();
            }
        });
}

void ViewController::dismissModalViewController(bool animated, std::function<void()> completion) {
    Transition::finishAll();
    // Either side may ask: the presented screen, or the one that presented it.
    ViewController* shown = modal_ ? modal_.data() : this;
    ViewController* presenter = shown->presenting_;
    if (presenter == nullptr) {
        return;
    }
    ViewController* covered = coveredScreen(presenter);
    shown->viewWillDisappear();
    QPointer<ViewController> shownGuard(shown);
    QPointer<ViewController> presenterGuard(presenter);
    QPointer<ViewController> coveredGuard(covered);
    auto gone = [shownGuard, presenterGuard, coveredGuard, completion = std::move(completion)] {
        if (shownGuard) {
            shownGuard->hide();
            shownGuard->presenting_ = nullptr;
            shownGuard->deleteLater();
        }
        if (presenterGuard) {
            presenterGuard->modal_ = nullptr;
        }
        // The report first, while the screen below is as the modal screen
        // left it (a selected row, say); then that screen appears again.
        if (completion) {
            completion();
        }
        if (coveredGuard) {
            coveredGuard->viewWillAppear();
            coveredGuard->focusFirstControl();
            coveredGuard->viewDidAppear();
        }
    };
    if (!animated || !shown->isVisible()) {
        gone();
        return;
    }
    const QPoint home = shown->pos();
    const int distance = slideDistance(shown);
    shown->transition_ = Transition::start(
        shown, Transition::kMilliseconds,
        [shownGuard, home, distance](qreal progress) {
            if (shownGuard) {
                shownGuard->move(home + QPoint(0, qRound(progress * distance)));
            }
        },
        std::move(gone));
}

}  // namespace nestora::ui
