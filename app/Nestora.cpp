#include "app/Nestora.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QLabel>
#include <QPixmapCache>
#include <QSocketNotifier>
#include <QWidget>

#include <cstdlib>

#include "ads/AltAds.h"
#include "app/BundleConfiguration.h"
#include "ui/AlertView.h"
#include "ui/BundleImages.h"
#include "app/MemoryWatchdog.h"
#include "ui/NavigationController.h"
#include "ui/QtOwnership.h"
#include "app/RootViewController.h"
#include "app/ShellQuoting.h"
#include "model/SpringBoardExtension.h"
#include "platform/DeviceInfo.h"
#include "platform/DeviceRoot.h"
#include "platform/FileStatus.h"
#include "platform/MemoryWarnings.h"
#include "platform/Notifications.h"
#include "platform/Shell.h"
#include "platform/SystemLog.h"
#include "ui/SystemFont.h"

namespace nestora::app {

namespace {

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 480;
constexpr int kStripHeight = 20;
constexpr int kStackTop = 12;
constexpr int kAdHeight = 55;

const char* const kPermissionsMessage =
    "A permissions error was detected.\n\nThe NestoraTool binary (in /Applications/Nestora.app/) requires 4755 "
    "permissions.\n\nPlease fix manually or reinstall Nestora.";
const char* const kRecoveredMessage =
    "Nestora crashed in the last session probably due to low memory.You can continue editing where you left "
    "off.\n\nThe device will respring when you exit in order refresh SpringBoard.";

QLabel* makeStripLabel(QWidget* strip, const QRect& frame, const QString& text, Qt::Alignment alignment) {
    auto* label = ui::makeChild<QLabel>(strip, text);
    label->setGeometry(frame);
    QFont font = ui::systemFont(12);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setStyleSheet(QStringLiteral("color: white; background: black;"));
    return label;
}

// nestora-backup, beside the tool, saves an automatic backup when the
// categories differ from the newest backup there (an exit after a session
// that changed nothing adds none) and keeps the last ten. Its output is not
// read.
std::string autosaveCommandLine() {
    return doubleQuotedWord(platform::hostPath(std::string(ui::kAppBundlePath) + "/nestora-backup")) +
           " autosave >/dev/null 2>&1";
}

}  // namespace

WebHosts configuredWebHosts() {
    BundleConfiguration bundle = readBundleConfiguration();
    return WebHosts{"http://" + bundle.helpHost, "http://" + bundle.infoHost, std::move(bundle.ads)};
}

std::string adStorageChownCommandLine() {
    // Only errors would be printed, and its status is of no interest.
    return "chown -R mobile:mobile " + doubleQuotedWord(platform::hostPath(kAdStorageFolder)) + " 2>/dev/null";
}

Nestora::Nestora(WebHosts hosts)
    : QObject(QCoreApplication::instance()),
      hosts_(std::move(hosts)),
      userDefaults_(preferences_, std::string(kUserDefaultsDomain)) {
    memTimer_.setInterval(1000);
    connect(&memTimer_, &QTimer::timeout, this, &Nestora::checkAvailableMemory);
    if (QCoreApplication::instance() != nullptr) {
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &Nestora::applicationWillTerminate);
    }
}

Nestora::~Nestora() {
    // The notifier watches the warnings' pipe: it goes first.
    memoryWarningNotifier_.reset();
    memoryWarnings_.reset();
}

Nestora* Nestora::sharedApplication() {
    QCoreApplication* application = QCoreApplication::instance();
    return application == nullptr ? nullptr
                                  : application->findChild<Nestora*>(QString(), Qt::FindDirectChildrenOnly);
}

ads::AltAds* Nestora::altAds() const {
    return qobject_cast<ads::AltAds*>(altAds_);
}

RootViewController* Nestora::rootViewController() const {
    return navController_ == nullptr ? nullptr
                                     : static_cast<RootViewController*>(navController_->rootViewController());
}

void Nestora::applicationDidFinishLaunching() {
    hasNestoraSB_ = model::isNestoraSBInstalled();

    // The window stands for the whole screen; the status bar is not shown.
    window_ = std::make_unique<QWidget>();
    window_->setWindowTitle(QStringLiteral("Nestora"));
    window_->setFixedSize(kScreenWidth, kScreenHeight);
    auto* content = ui::makeChild<QWidget>(window_.get());
    content->setGeometry(0, 0, kScreenWidth, kScreenHeight);
    content->setAutoFillBackground(true);
    QPalette black = content->palette();
    black.setColor(QPalette::Window, Qt::black);
    content->setPalette(black);

    auto* strip = ui::makeChild<QWidget>(content);
    strip->setGeometry(0, 0, kScreenWidth, kStripHeight);
    strip->setAutoFillBackground(true);
    strip->setPalette(black);
    respringLabel_ = makeStripLabel(strip, QRect(10, 0, 150, 12), QStringLiteral("Respring Needed: NO"), Qt::AlignLeft);
    memLabel_ = makeStripLabel(strip, QRect(210, 0, 100, 12), QStringLiteral("Free: 0MB"), Qt::AlignRight);

    listenForMemoryWarnings();
    checkAvailableMemory();
    memTimer_.start();

    navController_ = ui::makeChild<ui::NavigationController>(
        content, std::make_unique<RootViewController>(hosts_.helpBaseUrl, hosts_.changelogBaseUrl));
    // Added after the strip: it covers the strip's lower 8 points, the
    // 12-point labels stay visible.
    navController_->setGeometry(0, kStackTop, kScreenWidth, kScreenHeight - kStackTop - kAdHeight);

    // The ad strip along the bottom. The content view holds it, so it is
    // given no window to add itself to.
    const QRect adFrame(0, kScreenHeight - kAdHeight, kScreenWidth, kAdHeight);
    if (adStripEnabled_) {
        altAds_ = ui::makeChild<ads::AltAds>(content, adFrame, nullptr, hosts_.ads);
    } else {
        altAds_ = ui::makeChild<QWidget>(content);
        altAds_->setGeometry(adFrame);
        altAds_->setAutoFillBackground(true);
        altAds_->setPalette(black);
    }
    altAds_->setObjectName(QStringLiteral("altAds"));

    window_->show();
    navController_->showTop();

    isSimulator_ = platform::deviceModel() == kSimulatorModel;

    if (checkPermissions()) {
        showAlert(QStringLiteral("Error"), QString::fromUtf8(kPermissionsMessage), kFatalAlert);
        return;
    }
    if (userDefaults_.boolForKey(kNeedRespringKey)) {
        // The last session ended without an orderly exit while a restart was
        // owed: keep the debt and pay it at this session's exit.
        setRespringNeeded();
        showAlert(QStringLiteral("Recovered"), QString::fromUtf8(kRecoveredMessage), kInformationalAlert);
    }
}

void Nestora::showAlert(const QString& title, const QString& message, int function) {
    messageBoxFunction_ = function;
    auto alert = std::make_unique<ui::AlertView>(title, message, QStringLiteral("OK"), QStringList());
    alert->setClickHandler([this](ui::AlertView&, int index) { alertViewClickedButton(index); });
    ui::AlertView::present(std::move(alert), window_.get());
}

bool Nestora::checkPermissions() const {
    if (isSimulator_) {
        return false;
    }
    // A tool that cannot be examined cannot work either: that is a problem too.
    const std::optional<mode_t> mode = platform::fileMode(std::string(ui::kAppBundlePath) + "/NestoraTool");
    return !mode || (*mode & S_ISUID) == 0;
}

void Nestora::checkAvailableMemory() {
    const std::optional<std::uint64_t> freeBytes = platform::freeMemoryBytes();
    if (!freeBytes) {
        return;  // nothing known; keep the last reading
    }
    const MemoryReading reading = readingForFreeBytes(*freeBytes);
    if (reading.mustStop) {
        // Stop without the termination steps: no restart with this little
        // memory, and the persisted flag stays for the next launch.
        memTimer_.stop();
        platform::systemLog("%s", kLowMemoryStopLogLine);
        std::_Exit(EXIT_FAILURE);
    }
    if (memLabel_ != nullptr) {
        memLabel_->setText(QString::fromStdString(freeMemoryText(reading.freeMegabytes)));
    }
    if (memoryWarnings_) {
        memoryWarnings_->noteFreeMemory(*freeBytes);  // handled on the next turn of the loop
    }
}

void Nestora::listenForMemoryWarnings() {
    if (memoryWarnings_) {
        return;
    }
    memoryWarnings_ = std::make_unique<platform::MemoryWarnings>();
    if (!memoryWarnings_->isListening()) {
        platform::systemLog("Memory warnings cannot be received\n");
        memoryWarnings_.reset();
        return;
    }
    memoryWarningNotifier_ =
        std::make_unique<QSocketNotifier>(memoryWarnings_->fileDescriptor(), QSocketNotifier::Read);
    connect(memoryWarningNotifier_.get(), &QSocketNotifier::activated, this, [this] {
        if (memoryWarnings_->takeWarnings()) {
            applicationDidReceiveMemoryWarning();
        }
    });
}

bool Nestora::isListeningForMemoryWarnings() const {
    return memoryWarningNotifier_ != nullptr;
}

void Nestora::setRespringNeeded() {
    if (needRespring_) {
        return;
    }
    if (respringLabel_ != nullptr) {
        respringLabel_->setText(QStringLiteral("Respring Needed: YES"));
    }
    needRespring_ = true;
    userDefaults_.setBool(true, kNeedRespringKey);
    userDefaults_.synchronize();
}

void Nestora::setHiddenFromSpringBoard(bool hidden, const std::string& displayIdentifier) {
    model::hideFromSpringBoard(*this, appServices_, hidden, displayIdentifier);
}

void Nestora::applicationDidReceiveMemoryWarning() {
    items_.reset();
    icons_.reset();
    // Pictures decoded for the icon picker are a cache as well.
    QPixmapCache::clear();
}

void Nestora::alertViewClickedButton(int) {
    if (messageBoxFunction_ == kFatalAlert) {
        terminateWithSuccess();
    }
}

void Nestora::terminateWithSuccess() {
    applicationWillTerminate();
    QCoreApplication::exit(0);
}

void Nestora::applicationWillTerminate() {
    if (terminated_) {
        return;
    }
    terminated_ = true;
    platform::runShell(adStorageChownCommandLine());
    memTimer_.stop();
    memoryWarningNotifier_.reset();
    ads::AltAds::MobclixEndApplication();
    if (needRespring_) {
        platform::systemLog("Restarting SpringBoard...");
        userDefaults_.setBool(false, kNeedRespringKey);
        userDefaults_.synchronize();
        if (!isSimulator_) {
            platform::notifyPost(kRespringNotification);
        }
        needRespring_ = false;
    }
    platform::runShell(autosaveCommandLine());
}

}  // namespace nestora::app
