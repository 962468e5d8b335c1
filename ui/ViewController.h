#pragma once

// One screen: a widget with a title and the buttons it wants in the
// navigation bar. A navigation controller shows screens one over another and
// tells each when it appears and disappears; screens build their own views
// with fixed frames in points.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

#include "ui/Transition.h"

namespace nestora::ui {

class NavigationController;

// A button of the navigation bar. It has identity: a screen may take it out
// of the bar and put the very same one back.
class BarButtonItem : public QObject {
    Q_OBJECT
public:
    enum class Style { Bordered, Done };
    BarButtonItem(QString title, Style style, QObject* parent = nullptr);

    const QString& title() const { return title_; }
    void setTitle(const QString& title);
    Style style() const { return style_; }

    // What a tap on the button does.
    void trigger() { emit triggered(); }

signals:
    void triggered();
    void changed();

private:
    QString title_;
    Style style_;
};

class ViewController : public QWidget {
    Q_OBJECT
public:
    explicit ViewController(QWidget* parent = nullptr);
    ~ViewController() override;

    const QString& title() const { return title_; }
    void setTitle(const QString& title);

    // The bar's buttons while this screen is on top; none when null.
    BarButtonItem* leftBarButtonItem() const { return left_; }
    BarButtonItem* rightBarButtonItem() const { return right_; }
    void setLeftBarButtonItem(BarButtonItem* item);
    void setRightBarButtonItem(BarButtonItem* item);
    // What screens pushed over this one show to come back ("Back").
    const QString& backButtonTitle() const { return backButtonTitle_; }
    void setBackButtonTitle(const QString& title) { backButtonTitle_ = title; }

    // The controller this screen is on, or null.
    NavigationController* navigationController() const { return navigationController_; }

    // Shows a screen over this one's navigation controller (or, without
    // one, over this screen) until it dismisses itself. The screen fills
    // that area, unless it keeps its own size (below). Animated, it slides
    // up from the bottom edge (ui::Transition) and hears that it did appear
    // when it is in place.
    void presentModalViewController(std::unique_ptr<ViewController> screen, bool animated = false);
    // A screen whose fixed frame is taller than the area it is presented
    // over keeps its own size (set with resize() before it is presented): it
    // is placed at the area's top left, over the window, rather than cut to
    // the area.
    void setKeepsOwnSizeWhenPresented(bool keeps) { keepsOwnSize_ = keeps; }
    bool keepsOwnSizeWhenPresented() const { return keepsOwnSize_; }
    // Called on a presented screen: takes it away and lets the screen below
    // appear again. Animated, it slides down off the bottom edge first.
    // `completion` runs once the screen is gone (after its slide) and before
    // the screen below hears that it appears again: what a modal screen
    // reports to its delegate goes there, so the delegate always hears of it
    // on a settled screen.
    void dismissModalViewController(bool animated = false, std::function<void()> completion = {});
    // Whether this screen is sliding in or out.
    bool isTransitioning() const { return transition_ && transition_->isRunning(); }
    // The screen that presented this one, or null.
    ViewController* presentingViewController() const { return presenting_; }
    ViewController* modalViewController() const { return modal_; }

    // Escape on a presented screen: what its own cancel or close button
    // does. By default the screen is dismissed, animated.
    virtual void escapePressed() { dismissModalViewController(true); }
    // Gives the keyboard focus to the screen's first control.
    void focusFirstControl();

    // Appearance, in the order a navigation controller calls them.
    virtual void viewWillAppear() {}
    virtual void viewDidAppear() {}
    virtual void viewWillDisappear() {}

signals:
    void navigationItemChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Tab stays within a presented screen: the screens under it are out of reach.
    bool focusNextPrevChild(bool next) override;

private:
    friend class NavigationController;
    void watchItem(BarButtonItem* item);
    QString title_;
    QString backButtonTitle_;
    QPointer<BarButtonItem> left_;
    QPointer<BarButtonItem> right_;
    NavigationController* navigationController_ = nullptr;
    QPointer<ViewController> presenting_;
    QPointer<ViewController> modal_;
    bool keepsOwnSize_ = false;
    QPointer<Transition> transition_;
};

}  // namespace nestora::ui
