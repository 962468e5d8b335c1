#pragma once

// A modal question over the whole window: title, message, a cancel button
// (index 0) and further buttons (1, 2, ...), optionally a text field. The
// alert fades in and covers the window until a button is tapped, then goes
// away and reports the button to its handler.
//
// Tests answer alerts in advance through the window's AlertAnswerQueue, so
// no test ever waits on a person.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>

class QLineEdit;
class QPushButton;
class QLabel;

namespace nestora::ui {

class AlertView : public QWidget {
    Q_OBJECT
public:
    using ClickHandler = std::function<void(AlertView& alert, int buttonIndex)>;

    AlertView(QString title, QString message, QString cancelButtonTitle, QStringList otherButtonTitles);
    ~AlertView() override;

    const QString& title() const { return title_; }
    const QString& message() const { return message_; }
    // Cancel first, then the others.
    QStringList buttonTitles() const;

    // Adds the text field: the alert box moves up and grows by 50 points to
    // hold it, and the field takes the keyboard focus when the alert shows.
    void addTextField();
    QLineEdit* textField() const { return textField_; }
    QLabel* titleLabel() const { return titleLabel_; }
    QLabel* messageLabel() const { return messageLabel_; }
    // Cancel first, then the others.
    QPushButton* button(int index) const {
        return index >= 0 && index < static_cast<int>(buttons_.size()) ? buttons_[static_cast<std::size_t>(index)] : nullptr;
    }

    void setClickHandler(ClickHandler handler) { handler_ = std::move(handler); }

    // Puts the alert over the window that `context` is in; the window owns
    // it from then on. Returns the alert as shown.
    static AlertView* present(std::unique_ptr<AlertView> alert, QWidget* context);

    // A tap on a button: the alert leaves, then the handler hears of it.
    void clickButton(int index);

    // The box's frame within the alert (the whole window).
    QRect boxFrame() const { return box_; }
    // Moves and resizes the box; what is in it keeps its place relative to
    // the box's top-left corner.
    void setBoxFrame(const QRect& frame);

protected:
    // willPresentAlertView: present() calls it once the box has its natural
    // frame and before the alert shows; a subclass may reshape the box and
    // add views to it here.
    virtual void willPresent() {}
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab goes round the alert's own field and buttons only.
    bool focusNextPrevChild(bool next) override;

private:
    void layoutAlert();
    // Comes in fading (ui::Transition), as the phone's alerts do.
    void fadeIn();

    QString title_;
    QString message_;
    std::vector<QPushButton*> buttons_;
    QLabel* titleLabel_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    QLineEdit* textField_ = nullptr;
    ClickHandler handler_;
    QRect box_;
    bool answered_ = false;
    QPointer<QWidget> previousFocus_;
};

// Answers for the next alerts shown in one window, oldest first.
class AlertAnswerQueue : public QObject {
    Q_OBJECT
public:
    struct Answer {
        int buttonIndex = 0;
        QString text;  // typed into the text field first, if the alert has one
    };

    // The queue of the window `anyWidget` is in (made on first use).
    static AlertAnswerQueue& forWindow(QWidget* anyWidget);

    void answerNext(int buttonIndex, QString text = {});
    std::size_t pending() const { return answers_.size(); }

    // Every alert shown in this window so far, as "title|message".
    const QStringList& shownAlerts() const { return shown_; }

private:
    friend class AlertView;
    std::deque<Answer> answers_;
    QStringList shown_;
};

}  // namespace nestora::ui
