#include "screens/settings/ValuePicker.h"

namespace nestora::screens {

ValuePicker::ValuePicker(QString title, QString message, Values values)
    : PickerAlert(std::move(title), std::move(message), QStringLiteral("ValuePickerCell"), QColor(0xe0, 0xe0, 0xe0)),
      values_(values ? std::move(values) : std::make_shared<const std::vector<std::string>>()) {}

int ValuePicker::numberOfRows(const ui::TableView&) const {
    return static_cast<int>(values_->size());
}

void ValuePicker::configureCell(PickerCell& cell, int row) const {
    const std::string& value = (*values_)[static_cast<std::size_t>(row)];
    cell.setValueText(QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

void ValuePicker::reportRow(int row) {
    if (row < 0 || row >= static_cast<int>(values_->size())) {
        return;
    }
    if (ValuePickerDelegate* delegate = pickerDelegate()) {
        delegate->valuePickerDidSelectValue(*this, (*values_)[static_cast<std::size_t>(row)]);
    }
}

}  // namespace nestora::screens
