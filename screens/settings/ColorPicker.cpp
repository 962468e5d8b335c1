#include "screens/settings/ColorPicker.h"

#include <iterator>

#include "model/Prefs.h"

namespace nestora::screens {

QColor toQColor(const model::Color& color) {
    return QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                            static_cast<float>(color.blue), static_cast<float>(color.alpha));
}

ColorPicker::ColorPicker(QString title, QString message)
    : PickerAlert(std::move(title), std::move(message), QStringLiteral("ColorPickerCell"), QColor(Qt::black)) {
    // The model's code table is the one order: row number and code agree.
    for (int code = 0; code < model::kFontColorCount; ++code) {
        colors_.push_back(&model::Prefs::uiColorForFontColor(code));
    }
}

int ColorPicker::numberOfRows(const ui::TableView&) const {
    return static_cast<int>(colors_.size());
}

QString colorName(int fontColorCode) {
    static const char* const kNames[] = {"white", "black", "red",    "blue",   "brown", "cyan",
                                         "gray",  "green", "orange", "purple", "yellow"};
    const int code = fontColorCode >= 0 && fontColorCode < static_cast<int>(std::size(kNames)) ? fontColorCode : 0;
    return QString::fromLatin1(kNames[code]);
}

void ColorPicker::configureCell(PickerCell& cell, int row) const {
    cell.setValueText(QString());
    cell.setAccessibleName(colorName(row));
    cell.setBarColor(toQColor(*colors_[static_cast<std::size_t>(row)]));
}

void ColorPicker::reportRow(int row) {
    if (row < 0 || row >= static_cast<int>(colors_.size())) {
        return;
    }
    if (ColorPickerDelegate* delegate = pickerDelegate()) {
        delegate->colorPickerDidSelectColor(*this, *colors_[static_cast<std::size_t>(row)]);
    }
}

}  // namespace nestora::screens
