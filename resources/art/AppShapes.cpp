// The pictures of the sample device's apps, in the manner of the era's own.

#include "resources/art/IconShapes.h"
#include "resources/art/ShapeGeometry.h"

namespace nestora::art {

namespace {

QPainterPath compass(const QRectF& a) {
    QPainterPath ring = circle(a, 0.5, 0.5, 0.48).subtracted(circle(a, 0.5, 0.5, 0.40));
    QPainterPath needle = rotated(polygon(a, {{0.5, 0.12}, {0.60, 0.5}, {0.5, 0.88}, {0.40, 0.5}}), a, 45);
    return ring.united(needle).subtracted(circle(a, 0.5, 0.5, 0.04));
}

QPainterPath notepad(const QRectF& a) {
    QPainterPath lines = joined({box(a, 0.22, 0.34, 0.78, 0.39), box(a, 0.22, 0.50, 0.78, 0.55),
                                 box(a, 0.22, 0.66, 0.78, 0.71), box(a, 0.22, 0.82, 0.60, 0.87)});
    return box(a, 0.10, 0.04, 0.90, 0.98, 0.06).subtracted(lines).subtracted(box(a, 0.10, 0.16, 0.90, 0.20));
}

QPainterPath calendar(const QRectF& a) {
    const QPainterPath days = boxGrid(a, 3, 4, {0.14, 0.40}, {0.13, 0.11}, {0.19, 0.17}, 0.02);
    return box(a, 0.04, 0.06, 0.96, 0.96, 0.08).subtracted(days).subtracted(box(a, 0.04, 0.28, 0.96, 0.32));
}

QPainterPath bubble(const QRectF& a) {
    return joined({ellipse(a, 0.5, 0.44, 0.48, 0.36), polygon(a, {{0.22, 0.66}, {0.12, 0.96}, {0.44, 0.76}})});
}

QPainterPath pin(const QRectF& a) {
    return joined({circle(a, 0.5, 0.34, 0.30), polygon(a, {{0.24, 0.48}, {0.76, 0.48}, {0.5, 0.98}})})
        .subtracted(circle(a, 0.5, 0.34, 0.12));
}

QPainterPath chart(const QRectF& a) {
    QPainterPath line;
    line.moveTo(at(a, 0.10, 0.72));
    line.lineTo(at(a, 0.34, 0.46));
    line.lineTo(at(a, 0.54, 0.60));
    line.lineTo(at(a, 0.88, 0.18));
    return joined({stroked(line, a, 0.09), box(a, 0.02, 0.90, 0.98, 0.96)});
}

QPainterPath keypad(const QRectF& a) {
    return boxGrid(a, 4, 3, {0.08, 0.04}, {0.24, 0.19}, {0.30, 0.24}, 0.04);
}

QPainterPath camera(const QRectF& a) {
    return joined({box(a, 0.02, 0.26, 0.98, 0.86, 0.10), box(a, 0.32, 0.14, 0.62, 0.30, 0.04)})
        .subtracted(circle(a, 0.5, 0.56, 0.22))
        .united(circle(a, 0.5, 0.56, 0.13))
        .subtracted(circle(a, 0.84, 0.38, 0.05));
}

QPainterPath bird(const QRectF& a) {
    QPainterPath wing;
    wing.moveTo(at(a, 0.30, 0.52));
    wing.cubicTo(at(a, 0.42, 0.66), at(a, 0.58, 0.66), at(a, 0.62, 0.54));
    return joined({ellipse(a, 0.44, 0.58, 0.36, 0.26), circle(a, 0.70, 0.34, 0.18),
                   polygon(a, {{0.84, 0.28}, {1.0, 0.36}, {0.84, 0.42}}),
                   polygon(a, {{0.12, 0.50}, {0.0, 0.36}, {0.20, 0.46}})})
        .subtracted(circle(a, 0.74, 0.30, 0.04))
        .subtracted(stroked(wing, a, 0.05));
}

QPainterPath tank(const QRectF& a) {
    QPainterPath wheels = joined({circle(a, 0.22, 0.78, 0.07), circle(a, 0.41, 0.78, 0.07),
                                  circle(a, 0.60, 0.78, 0.07), circle(a, 0.79, 0.78, 0.07)});
    return joined({box(a, 0.04, 0.64, 0.96, 0.92, 0.14), box(a, 0.16, 0.50, 0.84, 0.66, 0.04),
                   box(a, 0.30, 0.34, 0.66, 0.52, 0.08), box(a, 0.60, 0.38, 0.98, 0.44, 0.02)})
        .subtracted(wheels);
}

QPainterPath cloud(const QRectF& a) {
    QPainterPath sun = circle(a, 0.64, 0.34, 0.22);
    QPainterPath puff = joined({circle(a, 0.30, 0.62, 0.18), circle(a, 0.52, 0.52, 0.22),
                                circle(a, 0.74, 0.66, 0.16), box(a, 0.14, 0.62, 0.88, 0.82, 0.10)});
    // A gap between them keeps the two apart in one colour.
    const QPainterPath halo = joined({circle(a, 0.30, 0.62, 0.23), circle(a, 0.52, 0.52, 0.27),
                                      circle(a, 0.74, 0.66, 0.21), box(a, 0.09, 0.57, 0.93, 0.87, 0.12)});
    return sun.subtracted(halo).united(puff);
}

QPainterPath grid(const QRectF& a) {
    const QPainterPath cells = boxGrid(a, 3, 3, {0.09, 0.09}, {0.24, 0.24}, {0.285, 0.285});
    return box(a, 0.02, 0.02, 0.98, 0.98, 0.04).subtracted(cells).united(circle(a, 0.5, 0.5, 0.07));
}

}  // namespace

const ShapeTable& appShapes() {
    static const ShapeTable table = {
        {"compass", compass}, {"notepad", notepad}, {"calendar", calendar}, {"bubble", bubble},
        {"pin", pin},         {"chart", chart},     {"keypad", keypad},     {"camera", camera},
        {"bird", bird},       {"tank", tank},       {"cloud", cloud},       {"grid", grid},
    };
    return table;
}

std::optional<Shape> shapeNamed(std::string_view name) {
    for (const ShapeTable* table : {&bundleShapes(), &appShapes()}) {
        if (const auto found = table->find(name); found != table->end()) {
            return found->second;
        }
    }
    return std::nullopt;
}

}  // namespace nestora::art
