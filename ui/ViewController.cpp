#include "ui/ViewController.h"

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

void ViewController::presentModalViewController(std::unique_ptr<ViewController> screen) {
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
    shown->viewDidAppear();
}

void ViewController::dismissModalViewController() {
    // Either side may ask: the presented screen, or the one that presented it.
    ViewController* shown = modal_ ? modal_.data() : this;
    ViewController* presenter = shown->presenting_;
    if (presenter == nullptr) {
        return;
    }
    ViewController* covered = coveredScreen(presenter);
    shown->viewWillDisappear();
    shown->hide();
    presenter->modal_ = nullptr;
    shown->presenting_ = nullptr;
    shown->deleteLater();
    covered->viewWillAppear();
    covered->viewDidAppear();
}

}  // namespace nestora::ui
