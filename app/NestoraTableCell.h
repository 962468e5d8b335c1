#pragma once

// A category row: "<display name> (<number of apps>)", the bundle path under
// it, and the category's icon. Everything is read afresh whenever the cell is
// given an identifier.

#include <QLabel>

#include <cstdint>
#include <string>

#include "ui/TableViewCell.h"
#include "platform/Preferences.h"

namespace nestora::app {

inline constexpr const char* kNestoraTableCellIdentifier = "NestoraTableCell";

class NestoraTableCell : public ui::TableViewCell {
    Q_OBJECT
public:
    NestoraTableCell(const QString& reuseIdentifier, const platform::Preferences& preferences);

    const std::string& bundleIdentifier() const { return bundleIdentifier_; }
    void setBundleIdentifier(const std::string& bundleIdentifier);

    // Entries of the category's "items" array; 0 when it is missing or not an array.
    std::int64_t numberOfItemsInCategory() const;

    ui::TruncatingLabel* title() const { return title_; }
    ui::TruncatingLabel* subtitle() const { return subtitle_; }

    void layoutSubviews() override;

    // "Games (2), /Applications/Category000.app"
    QString accessibleText() const override;

protected:
    void highlightChanged(bool highlighted) override;

private:
    const platform::Preferences& preferences_;
    std::string bundleIdentifier_;
    ui::TruncatingLabel* title_ = nullptr;
    ui::TruncatingLabel* subtitle_ = nullptr;
};

// "<name> (<count>)": the first line of a category row. An absent name
// leaves the name empty; the count stays.
QString categoryRowTitle(const std::string& displayName, std::int64_t count);

}  // namespace nestora::app
