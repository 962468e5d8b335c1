#pragma once

// A row of the settings screens: the label as the cell's text and a control
// (the switch or the choice button) as its accessory view on the right. The
// row itself never shows a selection.

#include <memory>

#include "ui/Button.h"
#include "ui/TableViewCell.h"

namespace nestora::screens {

// Reuse identifiers of the two kinds of rows.
inline constexpr char kToggleCellIdentifier[] = "ToggleCell";
inline constexpr char kButtonCellIdentifier[] = "ButtonCell";

// The switch: 54 x 27, bold 17; "OFF" in grey on "toggle_off.png", and when
// selected "ON" in white on "toggle_on.png", both images stretchable with a
// left cap of 5 and a top cap of 0.
std::unique_ptr<ui::Button> makeSwitchButton();
// The choice button: 100 x 28, its title cut at the tail.
std::unique_ptr<ui::Button> makeChoiceButton();

class SettingsCell : public ui::TableViewCell {
    Q_OBJECT
public:
    // The cell owns the control; the control's parent widget is the cell.
    SettingsCell(QString reuseIdentifier, std::unique_ptr<ui::Button> control);

    ui::Button& control() const { return *control_; }

    void layoutSubviews() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ui::Button* control_ = nullptr;
};

}  // namespace nestora::screens
