#pragma once

// What a tapped app looks like on this stand-in: the app "launched", its
// icon and name over the whole screen, until Home or Escape returns.

#include <QWidget>

#include "home/HomeIcon.h"

class QLabel;

namespace nestora::home {

class LaunchedAppView : public QWidget {
    Q_OBJECT
public:
    explicit LaunchedAppView(HomeIcon app, QWidget* parent = nullptr);

    const HomeIcon& app() const { return app_; }
    QLabel* nameLabel() const { return nameLabel_; }
    QLabel* iconLabel() const { return iconLabel_; }

private:
    HomeIcon app_;
    QLabel* nameLabel_ = nullptr;
    QLabel* iconLabel_ = nullptr;
};

}  // namespace nestora::home
