#include "screens/settings/PrefsViewController.h"

#include <charconv>

#include "screens/settings/SettingsCell.h"
#include "screens/settings/ThemeList.h"
#include "ui/DisplayText.h"

namespace nestora::screens {

namespace {

using model::Prefs;

// Rows 0 to 4, in row order.
constexpr std::array<SwitchSetting, 5> kSwitchRows = {{
    {PrefsViewController::kRowLabels[0], &Prefs::showCategoryName, &Prefs::setShowCategoryName},
    {PrefsViewController::kRowLabels[1], &Prefs::showIconLabels, &Prefs::setShowIconLabels},
    {PrefsViewController::kRowLabels[2], &Prefs::useBackgroundImage, &Prefs::setUseBackgroundImage},
    {PrefsViewController::kRowLabels[3], &Prefs::keepResident, &Prefs::setKeepResident},
    {PrefsViewController::kRowLabels[4], &Prefs::leftRightScroll, &Prefs::setLeftRightScroll},
}};

// The picker only offers "1" to "4"; text without digits would give 0.
std::int32_t integerValue(std::string_view text) {
    std::int32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

PrefsViewController::PrefsViewController(platform::Preferences& preferences,
                                         std::optional<std::string> categoryBundleIdentifier)
    : SettingsScreen(preferences, std::move(categoryBundleIdentifier), kSwitchRows) {}

PrefsViewController::~PrefsViewController() = default;

int PrefsViewController::numberOfRows(const ui::TableView&) const {
    return kRowCount;
}

std::unique_ptr<ui::TableViewCell> PrefsViewController::cellForRow(ui::TableView& table, int row) {
    if (row < kRowsPerColumnRow) {
        return toggleCell(table, row);
    }
    std::unique_ptr<SettingsCell> cell = dequeueCell(table, kButtonCellIdentifier, &makeChoiceButton,
                                                     [this](ui::Button& button) { buttonTapped(button); });
    cell->setText(QString::fromLatin1(kRowLabels[static_cast<std::size_t>(row)]));
    ui::Button& button = cell->control();
    const model::Prefs* settings = prefs();
    // Read from the settings each time, so a reload shows what was chosen.
    QString title;
    QColor background;
    if (settings != nullptr) {
        if (row == kRowsPerColumnRow) {
            title = QString::number(settings->leftRightRowsPerColumn());
        } else if (row == kIconFontColorRow) {
            background = toQColor(Prefs::uiColorForFontColor(settings->iconFontColor()));
        } else {
            title = ui::singleLineText(themeNameWithoutExtension(settings->iconThemeName()));
        }
    }
    button.setTitle(title, ui::Button::State::Normal);
    button.setTitleColor(Qt::black, ui::Button::State::Normal);
    button.setBackgroundColor(background);
    // "Rows (L/R Only), 3", "Icon Font Color, yellow".
    const QString label = QString::fromLatin1(kRowLabels[static_cast<std::size_t>(row)]);
    const QString value = row == kIconFontColorRow && settings != nullptr ? colorName(settings->iconFontColor()) : title;
    button.setAccessibleName(value.isEmpty() ? label : label + QStringLiteral(", ") + value);
    return cell;
}

void PrefsViewController::buttonTapped(ui::Button& button) {
    const std::optional<int> row = rowOfControl(button);
    if (prefs() == nullptr || !row) {
        return;
    }
    switch (*row) {
    case kRowsPerColumnRow: {
        static const auto kRowChoices = std::make_shared<const std::vector<std::string>>(
            std::vector<std::string>{"1", "2", "3", "4"});
        auto picker =
            std::make_unique<ValuePicker>(QStringLiteral("Rows per Column"), QStringLiteral("Choose # of Rows"), kRowChoices);
        picker->setTag(kRowsPickerTag);
        picker->setPickerDelegate(this);
        showPicker(std::move(picker));
        return;
    }
    case kIconFontColorRow: {
        auto picker = std::make_unique<ColorPicker>(QStringLiteral("Font Color"), QStringLiteral("Choose a Color"));
        picker->setPickerDelegate(this);
        showPicker(std::move(picker));
        return;
    }
    case kIconsThemeRow: {
        if (!themes_) {
            themes_ = std::make_shared<const std::vector<std::string>>(discoverThemes());
        }
        auto picker = std::make_unique<ValuePicker>(QStringLiteral("Theme"), QStringLiteral("Choose Icon Theme"), themes_);
        picker->setTag(kThemePickerTag);
        picker->setPickerDelegate(this);
        showPicker(std::move(picker));
        return;
    }
    default:
        return;
    }
}

void PrefsViewController::showPicker(std::unique_ptr<PickerAlert> picker) {
    // The picker lives until it is dismissed; this screen keeps no reference.
    ui::AlertView::present(std::move(picker), this);
}

void PrefsViewController::valuePickerDidSelectValue(ValuePicker& picker, const std::string& value) {
    model::Prefs* settings = prefs();
    if (settings == nullptr) {
        return;
    }
    if (picker.tag() == kThemePickerTag) {
        settings->setIconThemeName(value);  // the whole folder name, as listed
    } else {
        settings->setLeftRightRowsPerColumn(integerValue(value));
    }
    tableView().reloadData();
}

void PrefsViewController::colorPickerDidSelectColor(ColorPicker&, const model::Color& color) {
    model::Prefs* settings = prefs();
    if (settings == nullptr) {
        return;
    }
    settings->setIconFontColor(Prefs::fontColorForUIColor(color));
    tableView().reloadData();
}

}  // namespace nestora::screens
