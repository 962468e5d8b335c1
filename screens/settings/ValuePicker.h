#pragma once

// A picker of one text among a list (rows per column, icon themes).

#include <memory>
#include <string>
#include <vector>

#include "screens/settings/PickerAlert.h"

namespace nestora::screens {

class ValuePicker;

class ValuePickerDelegate {
public:
    virtual ~ValuePickerDelegate() = default;
    // valuePicker:didSelectValue:
    virtual void valuePickerDidSelectValue(ValuePicker& picker, const std::string& value) = 0;
};

class ValuePicker : public PickerAlert {
    Q_OBJECT
public:
    using Values = std::shared_ptr<const std::vector<std::string>>;

    // initWithTitle:message:values: keeps the caller's list (shared, not
    // copied); the rows show it in its order.
    ValuePicker(QString title, QString message, Values values);

    const std::vector<std::string>& values() const { return *values_; }
    ValuePickerDelegate* pickerDelegate() const { return delegate_.get(); }
    void setPickerDelegate(ValuePickerDelegate* delegate) { delegate_.set(delegate); }

    int numberOfRows(const ui::TableView& table) const override;

protected:
    void configureCell(PickerCell& cell, int row) const override;
    void reportRow(int row) override;

private:
    Values values_;
    WeakDelegate<ValuePickerDelegate> delegate_;
};

}  // namespace nestora::screens
