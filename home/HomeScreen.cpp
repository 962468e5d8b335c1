#include "home/HomeScreen.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QSocketNotifier>
#include <QTime>

#include <algorithm>

#include "home/CategoryContents.h"
#include "home/CategoryLauncher.h"
#include "home/HomeInventory.h"
#include "home/IconPager.h"
#include "home/LaunchedAppView.h"
#include "model/Prefs.h"
#include "platform/DeviceInfo.h"
#include "platform/DeviceRoot.h"
#include "ui/QtOwnership.h"
#include "ui/SystemFont.h"

namespace nestora::home {

namespace {

constexpr int kPagerTop = HomeScreen::kStatusBarHeight + 8;
// Without a watch on the posts log, this often is looked at it.
constexpr int kNotificationPollMs = 500;

}  // namespace

HomeScreen::HomeScreen(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("NestoraHome"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);

    pager_ = ui::makeChild<IconPager>(this);
    pager_->move(0, kPagerTop);
    connect(pager_, &IconPager::iconTapped, this, &HomeScreen::openIcon);

    restartAction_ = ui::makeChild<QAction>(this, tr("Restart home screen"));
    restartAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    addAction(restartAction_);
    connect(restartAction_, &QAction::triggered, this, &HomeScreen::restart);

    if (observer_.fileDescriptor() >= 0) {
        auto* notifier = ui::makeChild<QSocketNotifier>(this, observer_.fileDescriptor(), QSocketNotifier::Read);
        connect(notifier, &QSocketNotifier::activated, this, &HomeScreen::takeNotifications);
    } else {
        connect(&notificationPoll_, &QTimer::timeout, this, &HomeScreen::takeNotifications);
        notificationPoll_.start(kNotificationPollMs);
    }
    restart();
}

HomeScreen::~HomeScreen() {
    // The children use members of this object (the notifier the observer's
    // descriptor, an open category the preferences): they go first.
    qDeleteAll(findChildren<QObject*>(QString(), Qt::FindDirectChildrenOnly));
}

const std::vector<HomeIcon>& HomeScreen::icons() const { return pager_->icons(); }
CategoryLauncher* HomeScreen::launcher() const { return launcher_; }
LaunchedAppView* HomeScreen::launchedApp() const { return launchedApp_; }

void HomeScreen::restart() {
    // A resident category comes back on the new contents; anything else
    // that was open ends with the old home screen, without its exit steps.
    std::string resident;
    if (launcher_ != nullptr && launcher_->keepResident()) resident = launcher_->category().displayIdentifier;
    closeLaunchedApp();
    closeLauncher(false);
    pager_->setIcons(homeScreenIcons(services_, platform::deviceModel()));
    ++loadCount_;
    const auto category = resident.empty() ? std::nullopt : installedIcon(services_, resident);
    if (category && category->kind == HomeIcon::Kind::Category) openCategory(*category, false);
    emit reloaded();
}

void HomeScreen::openIcon(const HomeIcon& icon) {
    switch (icon.kind) {
        case HomeIcon::Kind::Category:
            openCategory(icon, true);
            break;
        case HomeIcon::Kind::Nestora:
            startNestora(icon);
            break;
        case HomeIcon::Kind::App:
            closeLaunchedApp();
            launchedApp_ = ui::makeChild<LaunchedAppView>(this, icon);
            launchedApp_->move(0, kStatusBarHeight);
            launchedApp_->show();
            launchedApp_->raise();
            break;
    }
}

void HomeScreen::openCategory(const HomeIcon& category, bool showLaunchImage) {
    // A category opened from inside another one takes its place.
    closeLauncher(true);
    model::Prefs prefs(preferences_, category.displayIdentifier);
    prefs.registerDefaults();
    prefs.load();
    std::vector<HomeIcon> items = categoryItems(preferences_, services_, category.displayIdentifier);
    launcher_ = ui::makeChild<CategoryLauncher>(this, category, std::move(prefs), std::move(items), showLaunchImage);
    launcher_->move(0, kStatusBarHeight);
    connect(launcher_, &CategoryLauncher::iconTapped, this, &HomeScreen::openIcon);
    launcher_->show();
    launcher_->raise();
}

void HomeScreen::goHome() {
    if (launchedApp_ != nullptr) {
        closeLaunchedApp();
    } else {
        closeLauncher(true);
    }
}

void HomeScreen::closeLauncher(bool orderly) {
    if (launcher_ == nullptr) return;
    if (orderly) launcher_->leave();
    // It may be the one reporting the tap that closes it.
    launcher_->hide();
    launcher_->deleteLater();
    launcher_ = nullptr;
}

void HomeScreen::closeLaunchedApp() {
    if (launchedApp_ == nullptr) return;
    launchedApp_->hide();
    launchedApp_->deleteLater();
    launchedApp_ = nullptr;
}

void HomeScreen::startNestora(const HomeIcon& nestora) {
    // Tapping it while it runs does not start a second one.
    if (nestora_ != nullptr && nestora_->state() != QProcess::NotRunning) return;
    const auto executable = services_.executablePathForDisplayIdentifier(nestora.displayIdentifier);
    if (!executable) return;
    if (nestora_ == nullptr) {
        nestora_ = ui::makeChild<QProcess>(this);
        nestora_->setProcessChannelMode(QProcess::ForwardedChannels);
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NESTORA_DEVICE_ROOT"), QString::fromStdString(platform::deviceRoot()));
    nestora_->setProcessEnvironment(environment);
    nestora_->setProgram(QString::fromStdString(platform::hostPath(*executable)));
    nestora_->start();
}

void HomeScreen::takeNotifications() {
    const std::vector<std::string> posts = observer_.takePosts();
    if (std::find(posts.begin(), posts.end(), kRestartNotification) != posts.end()) restart();
}

void HomeScreen::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Home:
        case Qt::Key_Escape:
            goHome();
            break;
        // The pages turn only while they are in front.
        case Qt::Key_Left:
            if (launcher_ == nullptr && launchedApp_ == nullptr) pager_->previousPage();
            break;
        case Qt::Key_Right:
            if (launcher_ == nullptr && launchedApp_ == nullptr) pager_->nextPage();
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void HomeScreen::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(restartAction_);
    menu.exec(event->globalPos());
}

void HomeScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient wallpaper(0, 0, 0, kHeight);
    wallpaper.setColorAt(0, QColor(28, 52, 96));
    wallpaper.setColorAt(1, QColor(6, 10, 24));
    painter.fillRect(rect(), wallpaper);
    painter.fillRect(QRect(0, 0, kWidth, kStatusBarHeight), Qt::black);
    QFont font = ui::systemFont(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, kWidth, kStatusBarHeight), Qt::AlignCenter,
                     QTime::currentTime().toString(QStringLiteral("HH:mm")));
    font.setBold(false);
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255, 120));
    painter.drawText(QRect(0, kHeight - 24, kWidth, 20), Qt::AlignCenter,
                     tr("Esc: Home    Ctrl+R: Restart home screen"));
}

}  // namespace nestora::home
