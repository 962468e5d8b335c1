#pragma once

// A plain (custom-type) button as the phone's UI kit draws one: for each
// state a background image, a title and a title colour, over an optional
// background colour. The selected state is the button's own flag, set by
// whoever owns the button (a tap does not change it). A title that does not
// fit is truncated at its tail, on one line. A disabled button is drawn
// faded and ignores taps.

#include <QAbstractButton>
#include <QColor>
#include <QString>

#include <array>

#include "ui/StretchableImage.h"

namespace nestora::ui {

class Button : public QAbstractButton {
    Q_OBJECT
public:
    enum class State { Normal = 0, Selected = 1 };

    explicit Button(QWidget* parent = nullptr);
    ~Button() override;

    // Per state. A state without its own title, colour or image uses the
    // normal state's.
    void setTitle(const QString& title, State state);
    void setTitleColor(const QColor& color, State state);
    void setBackgroundImage(const StretchableImage& image, State state);

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    State state() const { return selected_ ? State::Selected : State::Normal; }

    // What the button shows now.
    QString currentTitle() const;
    QColor currentTitleColor() const;
    const StretchableImage& currentBackgroundImage() const;

    // Drawn under the image; invalid (the default) draws nothing.
    void setBackgroundColor(const QColor& color);
    const QColor& backgroundColor() const { return backgroundColor_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct StateLook {
        QString title;
        QColor titleColor;
        StretchableImage image;
        bool hasTitle = false;
    };
    const StateLook& look(State state) const { return looks_[static_cast<int>(state)]; }
    StateLook& look(State state) { return looks_[static_cast<int>(state)]; }

    std::array<StateLook, 2> looks_;
    QColor backgroundColor_;
    bool selected_ = false;
};

}  // namespace nestora::ui
