#pragma once

// The application object: owns the window with its readout strip, the screen
// stack and the ad strip's place; watches free memory; keeps the home-screen
// restart flag and performs the restart at an orderly exit; offers the
// screens the shared services (restart flag, hiding apps, the extension's
// presence, the two caches). Screens reach it through sharedApplication().

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ads/AdsConfiguration.h"
#include "model/ApplicationObject.h"
#include "platform/AppServices.h"
#include "platform/Preferences.h"

class QLabel;
class QSocketNotifier;
class QWidget;

namespace nestora::platform {
class MemoryWarnings;
}  // namespace nestora::platform

namespace nestora::ui {
class NavigationController;
}  // namespace nestora::ui

namespace nestora::ads {
class AltAds;
}  // namespace nestora::ads

namespace nestora::app {
class RootViewController;

// The app's user-defaults domain and its one key.
inline constexpr std::string_view kUserDefaultsDomain = "com.quarvek.nestora";
inline constexpr std::string_view kNeedRespringKey = "needRespring";
inline constexpr std::string_view kSimulatorModel = "iPhone Simulator";
inline constexpr std::string_view kRespringNotification = "com.apple.language.changed";
inline constexpr std::string_view kAdStorageFolder = "/var/mobile/Documents/admob";

// Where the help and change-log pages come from (http://host, no path), and
// the ad strip's host and network identifiers (none: nothing is fetched).
struct WebHosts {
    std::string helpBaseUrl;
    std::string changelogBaseUrl;
    ads::AdsConfiguration ads;
};
// The hosts the app bundle's Info.plist names.
WebHosts configuredWebHosts();

// The shell command run at exit that hands the ad client's storage back to
// the mobile user (the folder mapped into the device root and quoted).
std::string adStorageChownCommandLine();

class Nestora : public QObject, public model::ApplicationObject {
    Q_OBJECT
public:
    // Values of messageBoxFunction.
    static constexpr int kInformationalAlert = 0;
    static constexpr int kFatalAlert = 3;

    // Made after the QApplication, as its child (that is how
    // sharedApplication() finds it), and destroyed before it.
    explicit Nestora(WebHosts hosts = configuredWebHosts());
    ~Nestora() override;
    Nestora(const Nestora&) = delete;
    Nestora& operator=(const Nestora&) = delete;

    // The one application object of the process (null when there is none).
    static Nestora* sharedApplication();

    // The launch sequence: window, strip, watchdog, screen stack, ad strip,
    // permission check, crash recovery.
    void applicationDidFinishLaunching();

    // True when the tool's permissions are wrong (its set-user-id bit is
    // clear, or it cannot be examined at all); false in the simulator.
    bool checkPermissions() const;
    // One watchdog tick.
    void checkAvailableMemory();

    // model::ApplicationObject
    void setRespringNeeded() override;
    void setHiddenFromSpringBoard(bool hidden, const std::string& displayIdentifier) override;
    model::AvailableApps& items() override { return items_; }

    // Cache of icon paths for the icon picker; none until filled.
    model::IconPaths& icons() override { return icons_; }
    bool hasNestoraSB() const override { return hasNestoraSB_; }

    // application:handleOpenURL: opens the full settings screen of the
    // category the URL's query names (app/UrlEntry.cpp). Always true.
    bool handleOpenURL(std::string_view url);

    // Drops both caches (and the decoded pictures Qt keeps). Delivered on the
    // main loop when free memory falls below 12 MB and on SIGUSR2.
    void applicationDidReceiveMemoryWarning();
    // Whether SIGUSR2 and low memory reach applicationDidReceiveMemoryWarning
    // (from launch on).
    bool isListeningForMemoryWarnings() const;
    // The application object's own alerts report here.
    void alertViewClickedButton(int buttonIndex);

    // Orderly termination: the termination steps, then the event loop ends.
    void terminateWithSuccess();
    // The termination steps (run once, also when the loop ends otherwise).
    void applicationWillTerminate();

    // Parts, for screens and tests.
    QWidget* window() const { return window_.get(); }
    ui::NavigationController* navController() const { return navController_; }
    RootViewController* rootViewController() const;
    QLabel* memLabel() const { return memLabel_; }
    QLabel* respringLabel() const { return respringLabel_; }
    QWidget* adStrip() const { return altAds_; }
    // The ad strip itself; null when launched without it.
    ads::AltAds* altAds() const;
    QTimer& memTimer() { return memTimer_; }
    int messageBoxFunction() const { return messageBoxFunction_; }
    bool needRespring() const { return needRespring_; }
    bool isSimulator() const { return isSimulator_; }
    const WebHosts& webHosts() const { return hosts_; }

    platform::Preferences& preferences() override { return preferences_; }
    platform::UserDefaults& userDefaults() { return userDefaults_; }
    const platform::AppServices& appServices() const override { return appServices_; }

    // Launch without the ad strip (its place stays black), to measure what
    // the strip costs. Before applicationDidFinishLaunching.
    void setAdStripEnabled(bool enabled) { adStripEnabled_ = enabled; }

private:
    void showAlert(const QString& title, const QString& message, int function);
    void listenForMemoryWarnings();

    WebHosts hosts_;
    platform::Preferences preferences_;
    platform::UserDefaults userDefaults_;
    platform::DeviceAppServices appServices_;

    std::unique_ptr<QWidget> window_;
    QLabel* memLabel_ = nullptr;
    QLabel* respringLabel_ = nullptr;
    QTimer memTimer_;
    ui::NavigationController* navController_ = nullptr;
    QWidget* altAds_ = nullptr;
    bool adStripEnabled_ = true;
    int messageBoxFunction_ = kInformationalAlert;
    bool needRespring_ = false;
    bool isSimulator_ = false;
    model::IconPaths icons_;
    model::AvailableApps items_;
    std::unique_ptr<platform::MemoryWarnings> memoryWarnings_;
    std::unique_ptr<QSocketNotifier> memoryWarningNotifier_;
    bool hasNestoraSB_ = false;
    bool terminated_ = false;
};

}  // namespace nestora::app
