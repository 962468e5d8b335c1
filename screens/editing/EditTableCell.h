#pragma once

// An app row: the app's localized name and its home-screen icon, found from
// its display identifier; "blank.png" of the app's bundle when it has none.

#include <memory>
#include <string>

#include "ui/TableView.h"
#include "ui/TableViewCell.h"
#include "platform/AppServices.h"

namespace nestora::screens {

inline constexpr const char* kEditTableCellIdentifier = "EditTableCell";

class EditTableCell : public ui::TableViewCell {
    Q_OBJECT
public:
    // The side of the square an app's icon is shown in.
    static constexpr int kIconSide = 57;

    EditTableCell(const QString& reuseIdentifier, const platform::AppServices& services);

    // A reused "EditTableCell" of the table, or a new one.
    static std::unique_ptr<EditTableCell> dequeueOrMake(ui::TableView& table, const platform::AppServices& services);

    const std::string& displayIdentifier() const { return displayIdentifier_; }
    void setDisplayIdentifier(const std::string& displayIdentifier);

    // The device path of the image the cell shows (for tests and callers
    // that want the same picture).
    const std::string& iconPath() const { return iconPath_; }

private:
    const platform::AppServices& services_;
    std::string displayIdentifier_;
    std::string iconPath_;
};

}  // namespace nestora::screens
