// Draws the app bundle's images into a folder: the dock, its three buttons,
// the switch images, the blank icon and the "icons" folder of category icons.
// Glossy rounded squares and a glass shelf, in the style of the phone's own
// home screen; every shape and colour is drawn here (resources/art), none
// comes from a font, so every build machine draws the same images.
//
//   nestora_make_images OUTPUT_FOLDER

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <vector>

#include "resources/art/GlossyIcon.h"
#include "resources/art/IconShapes.h"

namespace {

using nestora::art::blankImage;
using nestora::art::glossyIcon;
using nestora::art::whiteShape;

constexpr int kIconSide = 57;

nestora::art::Picture bundleShape(std::string_view name) {
    return whiteShape(nestora::art::bundleShapes().at(name));
}

void drawRespringArrow(QPainter& painter, QRectF area) {
    painter.setPen(QPen(Qt::white, area.width() * 0.13, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    const QRectF ring = area.adjusted(area.width() * 0.12, area.height() * 0.12, -area.width() * 0.12,
                                      -area.height() * 0.12);
    painter.drawArc(ring, 100 * 16, 290 * 16);
    // The arrow head at the open end of the ring.
    const QPointF tip(ring.center().x() - ring.width() * 0.08, ring.top());
    QPainterPath head;
    head.moveTo(tip + QPointF(area.width() * 0.22, 0));
    head.lineTo(tip + QPointF(-area.width() * 0.02, -area.height() * 0.17));
    head.lineTo(tip + QPointF(-area.width() * 0.02, area.height() * 0.17));
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(head);
}

void drawLog(QPainter& painter, QRectF area) {
    // A sheet with lines of writing.
    const QRectF sheet = area.adjusted(area.width() * 0.14, 0, -area.width() * 0.14, 0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(sheet, 3, 3);
    painter.setPen(QPen(QColor(0x55, 0x66, 0x88), 2));
    for (int line = 0; line < 5; ++line) {
        const qreal y = sheet.top() + sheet.height() * (0.2 + line * 0.15);
        const qreal end = line == 4 ? 0.55 : 0.82;
        painter.drawLine(QPointF(sheet.left() + sheet.width() * 0.16, y),
                         QPointF(sheet.left() + sheet.width() * end, y));
    }
}

QImage dock() {
    const int width = 320;
    const int height = 62;
    QImage image = blankImage(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A glass shelf: dark, with a lighter top edge and a reflection band.
    QLinearGradient glass(0, 0, 0, height);
    glass.setColorAt(0, QColor(0x6e, 0x72, 0x78));
    glass.setColorAt(0.08, QColor(0x4a, 0x4e, 0x55));
    glass.setColorAt(0.5, QColor(0x2a, 0x2d, 0x32));
    glass.setColorAt(1, QColor(0x10, 0x11, 0x13));
    painter.fillRect(image.rect(), glass);
    painter.setPen(QColor(0xc8, 0xcc, 0xd2));
    painter.drawLine(0, 0, width, 0);
    QLinearGradient band(0, 0, 0, height * 0.45);
    band.setColorAt(0, QColor(255, 255, 255, 70));
    band.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(QRectF(0, 1, width, height * 0.45), band);
    return image;
}

// The switch's backgrounds. The button draws its own "ON" / "OFF" title and
// stretches the image with a left cap of 5, so these are plain rounded
// tracks drawn at the button's own size, 54 x 27.
QImage toggle(bool on) {
    const int width = 54;
    const int height = 27;
    QImage image = blankImage(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath track;
    track.addRoundedRect(QRectF(0.5, 0.5, width - 1, height - 1), 5, 5);
    QLinearGradient fill(0, 0, 0, height);
    if (on) {
        fill.setColorAt(0, QColor(0x1f, 0x5c, 0xd1));
        fill.setColorAt(1, QColor(0x5d, 0x9a, 0xf2));
    } else {
        fill.setColorAt(0, QColor(0xdc, 0xdc, 0xdc));
        fill.setColorAt(1, QColor(0xfc, 0xfc, 0xfc));
    }
    painter.fillPath(track, fill);
    painter.setPen(QPen(on ? QColor(0x1a, 0x45, 0x9c) : QColor(0x9a, 0x9a, 0x9a), 1));
    painter.drawPath(track);
    return image;
}

struct CategoryIconDrawing {
    const char* file;
    QColor colour;
    std::string_view shape;
};

bool save(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "nestora_make_images: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: nestora_make_images OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("icons"))) {
        std::fprintf(stderr, "nestora_make_images: cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    ok &= save(dock(), out.filePath(QStringLiteral("dock.png")));
    ok &= save(glossyIcon(60, QColor(0xd0, 0x3a, 0x2f), drawRespringArrow), out.filePath(QStringLiteral("RespringIcon.png")));
    ok &= save(glossyIcon(60, QColor(0x2f, 0x6c, 0xd0), bundleShape("question")), out.filePath(QStringLiteral("HelpIcon.png")));
    ok &= save(glossyIcon(60, QColor(0x3c, 0x9a, 0x4a), drawLog), out.filePath(QStringLiteral("ChangelogIcon.png")));
    ok &= save(toggle(true), out.filePath(QStringLiteral("toggle_on.png")));
    ok &= save(toggle(false), out.filePath(QStringLiteral("toggle_off.png")));
    ok &= save(glossyIcon(kIconSide, QColor(0xb4, 0xb8, 0xbe), [](QPainter&, QRectF) {}),
               out.filePath(QStringLiteral("blank.png")));

    const std::vector<CategoryIconDrawing> icons = {
        {"Games.png", QColor(0x8e, 0x3c, 0xc8), "gamepad"},
        {"Music.png", QColor(0xe0, 0x6a, 0x1a), "notes"},
        {"Social.png", QColor(0x2a, 0x8c, 0xe0), "smile"},
        {"Mail.png", QColor(0x3a, 0x74, 0xd8), "envelope"},
        {"Travel.png", QColor(0x19, 0xa0, 0xa8), "plane"},
        {"Weather.png", QColor(0x4a, 0xa8, 0xf0), "sun"},
        {"Tools.png", QColor(0x6a, 0x70, 0x7a), "gear"},
        {"Favorites.png", QColor(0xe8, 0xb4, 0x18), "star"},
        {"Health.png", QColor(0xd8, 0x2a, 0x3c), "heart"},
        {"Phone.png", QColor(0x3c, 0xa0, 0x3c), "handset"},
        {"Writing.png", QColor(0x9a, 0x6a, 0x3a), "pencil"},
        {"Finance.png", QColor(0x2e, 0x8a, 0x4e), "dollar"},
        {"News.png", QColor(0x50, 0x50, 0x58), "newspaper"},
        {"Photos.png", QColor(0xd8, 0x7c, 0x20), "flower"},
        {"Time.png", QColor(0x30, 0x3a, 0x5a), "clock"},
        {"Flags.png", QColor(0xc0, 0x30, 0x30), "flag"},
    };
    for (const CategoryIconDrawing& icon : icons) {
        ok &= save(glossyIcon(kIconSide, icon.colour, bundleShape(icon.shape)),
                   out.filePath(QStringLiteral("icons/") + QLatin1String(icon.file)));
    }
    return ok ? 0 : 1;
}
