#include "ui/SystemFont.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

namespace nestora::ui {

namespace {

QString& loadedFamily() {
    static QString family;
    return family;
}

}  // namespace

bool loadSystemFont() {
    QString family;
    for (const char* face : {"NimbusSans-Regular.otf", "NimbusSans-Bold.otf"}) {
        const QString path = QString::fromLatin1(kSystemFontFolder) + QLatin1Char('/') + QLatin1String(face);
        const int id = QFontDatabase::addApplicationFont(path);
        const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty() || (!family.isEmpty() && families.front() != family)) {
            return false;
        }
        family = families.front();
    }
    loadedFamily() = family;
    // Pages and style sheets that ask for Helvetica by name get it too.
    QFont::insertSubstitution(QStringLiteral("Helvetica"), family);
    // Widgets that name no family (buttons, the web view, the ad strip) use
    // it too, and so does text in them that is not in the face: fontconfig
    // still finds the glyphs Nimbus Sans lacks.
    QFont font = QApplication::font();
    font.setFamilies({family});
    QApplication::setFont(font);
    return true;
}

QString systemFontFamily() {
    return loadedFamily().isEmpty() ? QStringLiteral("Helvetica") : loadedFamily();
}

QFont systemFont(int pixelSize, bool bold) {
    QFont font(systemFontFamily());
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QString systemFontStyle(int pixelSize, bool bold) {
    return QStringLiteral("font: %1%2px '%3';")
        .arg(bold ? QStringLiteral("bold ") : QString())
        .arg(pixelSize)
        .arg(systemFontFamily());
}

}  // namespace nestora::ui
