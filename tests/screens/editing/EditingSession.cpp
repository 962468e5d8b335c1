#include "tests/screens/editing/EditingSession.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "common/IconHiding.h"
#include "screens/editing/EditTableCell.h"
#include "tests/support/PythonPlist.h"
#include "tests/support/RunProgram.h"
#include "ui/NavigationBar.h"
#include "ui/NavigationController.h"

namespace nestora::test {

EditingSession::EditingSession(AppDeviceOptions options) {
    device_ = std::make_unique<AppDevice>(options);
    std::error_code error;
    std::filesystem::create_directories(device_->host("/usr/lib"), error);
    std::filesystem::copy_file(NESTORA_TEST_HIDE_LIBRARY, device_->host("/usr/lib/hide.dylib"),
                               std::filesystem::copy_options::overwrite_existing, error);
    EXPECT_FALSE(error) << "cannot install the hide library: " << error.message();
    app_ = std::make_unique<app::Nestora>();
}

EditingSession::~EditingSession() {
    app_.reset();
    settle();
    device_.reset();
}

AppDeviceOptions EditingSession::sampleDevice() {
    AppDeviceOptions options;
    options.sampleApps = true;
    return options;
}

void EditingSession::launch() {
    app_->applicationDidFinishLaunching();
    if (ui::AlertView* about = visibleAlert(window())) {
        about->clickButton(0);
        settle();
    }
}

void EditingSession::relaunch() {
    app_.reset();
    settle();
    app_ = std::make_unique<app::Nestora>();
    launch();
}

screens::CategoryViewController& EditingSession::openCategory(const std::string& directory) {
    ui::NavigationController& nav = *app_->navController();
    nav.pushViewController(
        std::make_unique<screens::CategoryViewController>(*app_, "com.quarvek.nestora." + directory), true);
    EXPECT_TRUE(waitUntil([&] { return !nav.isSliding(); }));
    return *contentsScreen();
}

screens::CategoryViewController* EditingSession::contentsScreen() const {
    return dynamic_cast<screens::CategoryViewController*>(app_->navController()->topViewController());
}

screens::AddItemsViewController* EditingSession::addItemsScreen() const {
    screens::CategoryViewController* contents = contentsScreen();
    return contents == nullptr ? nullptr
                               : dynamic_cast<screens::AddItemsViewController*>(contents->modalViewController());
}

void EditingSession::chooseApp(screens::AddItemsViewController& screen, const std::string& displayIdentifier) {
    const auto& items = screen.items();
    const auto found = std::find(items.begin(), items.end(), displayIdentifier);
    ASSERT_NE(found, items.end()) << displayIdentifier << " is not offered";
    const int row = static_cast<int>(found - items.begin());
    ui::TableView& table = screen.itemsTableView();
    table.scrollToRow(row);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.centreOfRow(row));
}

void EditingSession::tapDone(screens::AddItemsViewController& screen) {
    QPushButton* done = screen.navigationBar().leftButton();
    ASSERT_NE(done, nullptr);
    QTest::mouseClick(done, Qt::LeftButton);
}

std::vector<std::string> EditingSession::shownRows(screens::CategoryViewController& screen) {
    std::vector<std::string> rows;
    ui::TableView& table = screen.itemsTableView();
    for (int row = 0; row < table.rowCount(); ++row) {
        table.scrollToRow(row);
        auto* cell = dynamic_cast<screens::EditTableCell*>(table.cellForRow(row));
        rows.push_back(cell != nullptr ? cell->displayIdentifier() : "<no cell>");
    }
    table.scrollToRow(0);
    return rows;
}

namespace {

std::vector<std::string> texts(const QJsonValue& value) {
    std::vector<std::string> out;
    for (const QJsonValue& entry : value.toArray()) {
        out.push_back(entry.isString() ? entry.toString().toStdString() : "<not text>");
    }
    return out;
}

}  // namespace

std::optional<std::vector<std::string>> EditingSession::storedItems(const std::string& directory) const {
    const auto json =
        plistlibJson(device_->host("/var/mobile/Library/Preferences/com.quarvek.nestora." + directory + ".plist"));
    if (!json) {
        return std::nullopt;
    }
    const QJsonValue items = QJsonDocument::fromJson(QByteArray::fromStdString(*json)).object().value("items");
    if (!items.isArray()) {
        return std::nullopt;
    }
    return texts(items);
}

std::vector<std::string> EditingSession::hiddenInfoPlists() const {
    const std::string path = device_->host("/var/lib/nestora/hidden-icons.plist");
    if (!device_->exists("/var/lib/nestora/hidden-icons.plist")) {
        return {};
    }
    const auto json = plistlibJson(path);
    EXPECT_TRUE(json.has_value()) << "plistlib cannot read the hidden icons";
    return json ? texts(QJsonDocument::fromJson(QByteArray::fromStdString(*json)).array()) : std::vector<std::string>{};
}

std::string EditingSession::infoPlistOf(const std::string& displayIdentifier) const {
    return infoPlistPathForDisplayIdentifier(app_->appServices(), displayIdentifier).value_or("<unknown app>");
}

std::string EditingSession::toolShow(const std::string& directory) const {
    return runProgram({device_->host("/Applications/Nestora.app/NestoraTool"), "-s", directory}).out;
}

}  // namespace nestora::test
