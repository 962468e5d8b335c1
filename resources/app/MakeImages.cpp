// Draws the app bundle's images into a folder: the dock, its three buttons,
// the switch images, the blank icon and the "icons" folder of category icons.
// Glossy rounded squares and a glass shelf, in the style of the phone's own
// home screen; every shape and colour is drawn here.
//
//   nestora_make_images OUTPUT_FOLDER

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kIconSide = 57;

QImage blankImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QFont glyphFont(int pixelSize, bool bold = true) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A home-screen icon: rounded square in a vertical gradient of `base`, the
// picture drawn by `drawPicture` in white, and the glossy upper arc.
QImage glossyIcon(int side, QColor base, const std::function<void(QPainter&, QRectF)>& drawPicture) {
    QImage image = blankImage(side, side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame(0.5, 0.5, side - 1.0, side - 1.0);
    const qreal radius = side * 0.18;
    QPainterPath square;
    square.addRoundedRect(frame, radius, radius);
    QLinearGradient fill(0, 0, 0, side);
    fill.setColorAt(0, base.lighter(135));
    fill.setColorAt(1, base.darker(135));
    painter.fillPath(square, fill);

    painter.save();
    painter.setClipPath(square);
    drawPicture(painter, frame.adjusted(side * 0.14, side * 0.14, -side * 0.14, -side * 0.14));
    // The gloss: a bright arc over the upper half.
    QPainterPath gloss;
    gloss.addEllipse(QRectF(-side * 0.35, -side * 0.62, side * 1.7, side * 1.1));
    QLinearGradient shine(0, 0, 0, side * 0.48);
    shine.setColorAt(0, QColor(255, 255, 255, 150));
    shine.setColorAt(1, QColor(255, 255, 255, 35));
    painter.fillPath(gloss, shine);
    painter.restore();

    painter.setPen(QPen(QColor(0, 0, 0, 90), 1));
    painter.drawPath(square);
    return image;
}

// A glyph of the DejaVu font, centred, white with a soft shadow.
std::function<void(QPainter&, QRectF)> glyph(const QString& text, qreal scale = 0.72) {
    return [text, scale](QPainter& painter, QRectF area) {
        painter.setFont(glyphFont(static_cast<int>(area.height() * scale)));
        painter.setPen(QColor(0, 0, 0, 90));
        painter.drawText(area.translated(0, 1.5), Qt::AlignCenter, text);
        painter.setPen(Qt::white);
        painter.drawText(area, Qt::AlignCenter, text);
    };
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
    QString picture;
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
    ok &= save(glossyIcon(60, QColor(0x2f, 0x6c, 0xd0), glyph(QStringLiteral("?"))), out.filePath(QStringLiteral("HelpIcon.png")));
    ok &= save(glossyIcon(60, QColor(0x3c, 0x9a, 0x4a), drawLog), out.filePath(QStringLiteral("ChangelogIcon.png")));
    ok &= save(toggle(true), out.filePath(QStringLiteral("toggle_on.png")));
    ok &= save(toggle(false), out.filePath(QStringLiteral("toggle_off.png")));
    ok &= save(glossyIcon(kIconSide, QColor(0xb4, 0xb8, 0xbe), [](QPainter&, QRectF) {}),
               out.filePath(QStringLiteral("blank.png")));

    const std::vector<CategoryIconDrawing> icons = {
        {"Games.png", QColor(0x8e, 0x3c, 0xc8), QStringLiteral("\u265E")},      // chess knight
        {"Music.png", QColor(0xe0, 0x6a, 0x1a), QStringLiteral("\u266B")},      // notes
        {"Social.png", QColor(0x2a, 0x8c, 0xe0), QStringLiteral("\u263A")},     // smile
        {"Mail.png", QColor(0x3a, 0x74, 0xd8), QStringLiteral("\u2709")},       // envelope
        {"Travel.png", QColor(0x19, 0xa0, 0xa8), QStringLiteral("\u2708")},     // plane
        {"Weather.png", QColor(0x4a, 0xa8, 0xf0), QStringLiteral("\u2600")},    // sun
        {"Tools.png", QColor(0x6a, 0x70, 0x7a), QStringLiteral("\u2699")},      // gear
        {"Favorites.png", QColor(0xe8, 0xb4, 0x18), QStringLiteral("\u2605")},  // star
        {"Health.png", QColor(0xd8, 0x2a, 0x3c), QStringLiteral("\u2665")},     // heart
        {"Phone.png", QColor(0x3c, 0xa0, 0x3c), QStringLiteral("\u260E")},      // telephone
        {"Writing.png", QColor(0x9a, 0x6a, 0x3a), QStringLiteral("\u270E")},    // pencil
        {"Finance.png", QColor(0x2e, 0x8a, 0x4e), QStringLiteral("$")},
        {"News.png", QColor(0x50, 0x50, 0x58), QStringLiteral("\u2630")},       // lines
        {"Photos.png", QColor(0xd8, 0x7c, 0x20), QStringLiteral("\u2740")},     // flower
        {"Time.png", QColor(0x30, 0x3a, 0x5a), QStringLiteral("\u231A")},       // watch
        {"Flags.png", QColor(0xc0, 0x30, 0x30), QStringLiteral("\u2691")},      // flag
    };
    for (const CategoryIconDrawing& icon : icons) {
        ok &= save(glossyIcon(kIconSide, icon.colour, glyph(icon.picture)),
                   out.filePath(QStringLiteral("icons/") + QLatin1String(icon.file)));
    }
    return ok ? 0 : 1;
}
