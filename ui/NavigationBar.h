#pragma once

// The 44-point bar over a screen stack: a centred title and up to two
// buttons, in the black style.

#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include "ui/ViewController.h"

class QLabel;

namespace nestora::ui {

class NavigationBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 44;
    static constexpr int kTitlePixelSize = 20;
    static constexpr int kSmallestTitlePixelSize = 14;

    explicit NavigationBar(QWidget* parent = nullptr);

    // Shows the screen's title and buttons; `backTitle` is shown on the left
    // when the screen has no left button of its own and it is not empty.
    void showItem(const QString& title, BarButtonItem* left, BarButtonItem* right, const QString& backTitle);

    // The title as given (the label may show it shortened).
    QString titleText() const;
    QLabel* titleLabel() const { return titleLabel_; }
    // The buttons as shown (null when none).
    QPushButton* leftButton() const { return leftButton_; }
    QPushButton* rightButton() const { return rightButton_; }

signals:
    void backTapped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* makeButton(const QString& title, bool backShape, bool done);
    void layoutBar();

    QLabel* titleLabel_ = nullptr;
    QString title_;  // in full; the label shows what fits
    QPointer<QPushButton> leftButton_;
    QPointer<QPushButton> rightButton_;
};

}  // namespace nestora::ui
