// Every widget test runs on Qt's offscreen platform: no display, no real
// dialogs, screenshots still render; and reaches no host but loopback.

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>

#include "tests/ui/LoopbackOnlyNetwork.h"
#include "ui/SystemFont.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // Every test measures text in the one font the screens are drawn in,
    // whatever other fonts this machine has.
    if (!nestora::ui::loadSystemFont()) {
        std::fprintf(stderr, "the screens' font is not installed in %s (scripts/setup installs it)\n",
                     nestora::ui::kSystemFontFolder);
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    nestora::test::installLoopbackOnlyNetwork();
    return RUN_ALL_TESTS();
}
