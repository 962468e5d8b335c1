#pragma once

// A picker of one of the eleven named colours, shown as bars in colour-code
// order, so a colour's row is its font colour code.

#include <QColor>

#include <vector>

#include "model/Color.h"
#include "screens/settings/PickerAlert.h"

namespace nestora::screens {

class ColorPicker;

class ColorPickerDelegate {
public:
    virtual ~ColorPickerDelegate() = default;
    // colorPicker:didSelectColor: with the shared named colour of the row.
    virtual void colorPickerDidSelectColor(ColorPicker& picker, const model::Color& color) = 0;
};

// A model colour as the screens draw it.
QColor toQColor(const model::Color& color);
// The colour of a font colour code, in words ("yellow"): what a screen
// reader says of a bar of colour. White for codes outside 0 to 10.
QString colorName(int fontColorCode);

class ColorPicker : public PickerAlert {
    Q_OBJECT
public:
    // initWithTitle:message: fills its own colour list.
    ColorPicker(QString title, QString message);

    // The shared named colours, white (code 0) to yellow (code 10).
    const std::vector<const model::Color*>& colors() const { return colors_; }
    ColorPickerDelegate* pickerDelegate() const { return delegate_.get(); }
    void setPickerDelegate(ColorPickerDelegate* delegate) { delegate_.set(delegate); }

    int numberOfRows(const ui::TableView& table) const override;

protected:
    void configureCell(PickerCell& cell, int row) const override;
    void reportRow(int row) override;

private:
    std::vector<const model::Color*> colors_;
    WeakDelegate<ColorPickerDelegate> delegate_;
};

}  // namespace nestora::screens
