// The pictures of the app bundle's own icons.

#include <cmath>
#include <numbers>

#include "resources/art/IconShapes.h"
#include "resources/art/ShapeGeometry.h"

namespace nestora::art {

namespace {

QPainterPath gamepad(const QRectF& a) {
    QPainterPath holes = joined({box(a, 0.14, 0.47, 0.38, 0.55), box(a, 0.22, 0.39, 0.30, 0.63),
                                 circle(a, 0.70, 0.45, 0.055), circle(a, 0.81, 0.57, 0.055)});
    return box(a, 0.0, 0.28, 1.0, 0.76, 0.2).subtracted(holes);
}

QPainterPath notes(const QRectF& a) {
    QPainterPath first = ellipse(a, 0.28, 0.80, 0.14, 0.10);
    QPainterPath second = ellipse(a, 0.76, 0.70, 0.14, 0.10);
    return joined({first, second, box(a, 0.34, 0.18, 0.41, 0.80), box(a, 0.83, 0.08, 0.90, 0.70),
                   polygon(a, {{0.34, 0.18}, {0.90, 0.06}, {0.90, 0.20}, {0.34, 0.32}})});
}

QPainterPath smile(const QRectF& a) {
    QPainterPath ring = circle(a, 0.5, 0.5, 0.48).subtracted(circle(a, 0.5, 0.5, 0.39));
    QPainterPath mouth;
    mouth.arcMoveTo(QRectF(at(a, 0.25, 0.25), at(a, 0.75, 0.72)), 200);
    mouth.arcTo(QRectF(at(a, 0.25, 0.25), at(a, 0.75, 0.72)), 200, 140);
    return joined({ring, ellipse(a, 0.36, 0.38, 0.055, 0.08), ellipse(a, 0.64, 0.38, 0.055, 0.08),
                   stroked(mouth, a, 0.08)});
}

QPainterPath envelope(const QRectF& a) {
    QPainterPath flap;
    flap.moveTo(at(a, 0.04, 0.22));
    flap.lineTo(at(a, 0.5, 0.56));
    flap.lineTo(at(a, 0.96, 0.22));
    return box(a, 0.0, 0.18, 1.0, 0.82, 0.05).subtracted(stroked(flap, a, 0.07));
}

QPainterPath plane(const QRectF& a) {
    // Pointing up, then turned to fly up and to the right.
    QPainterPath body = joined({
        box(a, 0.45, 0.02, 0.55, 0.90, 0.05),
        polygon(a, {{0.45, 0.38}, {0.02, 0.58}, {0.02, 0.66}, {0.45, 0.56}}),
        polygon(a, {{0.55, 0.38}, {0.98, 0.58}, {0.98, 0.66}, {0.55, 0.56}}),
        polygon(a, {{0.46, 0.76}, {0.28, 0.90}, {0.28, 0.96}, {0.54, 0.90}, {0.72, 0.96}, {0.72, 0.90}, {0.54, 0.76}}),
    });
    return rotated(body, a, 45);
}

QPainterPath sun(const QRectF& a) {
    QPainterPath all = circle(a, 0.5, 0.5, 0.22);
    for (int ray = 0; ray < 8; ++ray) {
        all = all.united(rotated(box(a, 0.46, 0.0, 0.54, 0.20, 0.04), a, ray * 45.0));
    }
    return all;
}

QPainterPath gear(const QRectF& a) {
    QPainterPath wheel = circle(a, 0.5, 0.5, 0.36);
    for (int tooth = 0; tooth < 8; ++tooth) {
        wheel = wheel.united(rotated(box(a, 0.42, 0.02, 0.58, 0.25, 0.03), a, tooth * 45.0));
    }
    return wheel.subtracted(circle(a, 0.5, 0.5, 0.14));
}

QPainterPath star(const QRectF& a) {
    QPolygonF corners;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? 0.50 : 0.21;
        const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        corners << at(a, 0.5 + radius * std::cos(angle), 0.53 + radius * std::sin(angle));
    }
    QPainterPath path;
    path.addPolygon(corners);
    path.closeSubpath();
    return path;
}

QPainterPath heart(const QRectF& a) {
    QPainterPath path;
    path.moveTo(at(a, 0.5, 0.92));
    path.cubicTo(at(a, 0.12, 0.62), at(a, -0.05, 0.38), at(a, 0.12, 0.18));
    path.cubicTo(at(a, 0.28, 0.02), at(a, 0.46, 0.10), at(a, 0.5, 0.26));
    path.cubicTo(at(a, 0.54, 0.10), at(a, 0.72, 0.02), at(a, 0.88, 0.18));
    path.cubicTo(at(a, 1.05, 0.38), at(a, 0.88, 0.62), at(a, 0.5, 0.92));
    return path;
}

QPainterPath handset(const QRectF& a) {
    QPainterPath grip;
    grip.moveTo(at(a, 0.16, 0.46));
    grip.cubicTo(at(a, 0.30, 0.18), at(a, 0.70, 0.18), at(a, 0.84, 0.46));
    return joined({stroked(grip, a, 0.16), box(a, 0.02, 0.44, 0.32, 0.62, 0.06),
                   box(a, 0.68, 0.44, 0.98, 0.62, 0.06), box(a, 0.26, 0.58, 0.74, 0.90, 0.08)})
        .subtracted(circle(a, 0.5, 0.74, 0.09));
}

QPainterPath pencil(const QRectF& a) {
    QPainterPath upright = joined({box(a, 0.40, 0.04, 0.60, 0.14, 0.03), box(a, 0.40, 0.17, 0.60, 0.74),
                                   polygon(a, {{0.40, 0.77}, {0.60, 0.77}, {0.5, 0.98}})});
    return rotated(upright, a, 45);
}

QPainterPath dollar(const QRectF& a) {
    QPainterPath s;
    s.moveTo(at(a, 0.74, 0.27));
    s.cubicTo(at(a, 0.64, 0.14), at(a, 0.26, 0.12), at(a, 0.28, 0.34));
    s.cubicTo(at(a, 0.30, 0.52), at(a, 0.72, 0.46), at(a, 0.72, 0.67));
    s.cubicTo(at(a, 0.72, 0.88), at(a, 0.34, 0.88), at(a, 0.24, 0.74));
    QPainterPath bar;
    bar.moveTo(at(a, 0.5, 0.04));
    bar.lineTo(at(a, 0.5, 0.96));
    return joined({stroked(s, a, 0.12), stroked(bar, a, 0.08)});
}

QPainterPath newspaper(const QRectF& a) {
    QPainterPath sheet = box(a, 0.06, 0.08, 0.94, 0.92, 0.06);
    QPainterPath cuts = joined({box(a, 0.16, 0.18, 0.84, 0.32), box(a, 0.16, 0.42, 0.46, 0.80),
                                box(a, 0.54, 0.42, 0.84, 0.48), box(a, 0.54, 0.58, 0.84, 0.64),
                                box(a, 0.54, 0.74, 0.84, 0.80)});
    return sheet.subtracted(cuts).united(box(a, 0.22, 0.22, 0.78, 0.28));
}

QPainterPath flower(const QRectF& a) {
    QPainterPath petals;
    petals.setFillRule(Qt::WindingFill);
    for (int petal = 0; petal < 5; ++petal) {
        petals = petals.united(rotated(ellipse(a, 0.5, 0.25, 0.15, 0.24), a, petal * 72.0));
    }
    return petals.subtracted(circle(a, 0.5, 0.5, 0.13)).united(circle(a, 0.5, 0.5, 0.08));
}

QPainterPath clock(const QRectF& a) {
    QPainterPath hands;
    hands.moveTo(at(a, 0.5, 0.20));
    hands.lineTo(at(a, 0.5, 0.5));
    hands.lineTo(at(a, 0.72, 0.62));
    return circle(a, 0.5, 0.5, 0.48).subtracted(circle(a, 0.5, 0.5, 0.40)).united(stroked(hands, a, 0.08));
}

QPainterPath flag(const QRectF& a) {
    QPainterPath cloth;
    cloth.moveTo(at(a, 0.24, 0.08));
    cloth.cubicTo(at(a, 0.45, 0.0), at(a, 0.60, 0.18), at(a, 0.92, 0.10));
    cloth.lineTo(at(a, 0.92, 0.52));
    cloth.cubicTo(at(a, 0.60, 0.60), at(a, 0.45, 0.42), at(a, 0.24, 0.50));
    cloth.closeSubpath();
    return joined({cloth, box(a, 0.12, 0.04, 0.20, 0.98, 0.03)});
}

QPainterPath question(const QRectF& a) {
    QPainterPath hook;
    hook.moveTo(at(a, 0.28, 0.30));
    hook.cubicTo(at(a, 0.28, 0.02), at(a, 0.76, 0.04), at(a, 0.74, 0.30));
    hook.cubicTo(at(a, 0.72, 0.48), at(a, 0.50, 0.46), at(a, 0.50, 0.66));
    return joined({stroked(hook, a, 0.14), circle(a, 0.5, 0.88, 0.08)});
}

}  // namespace

const ShapeTable& bundleShapes() {
    static const ShapeTable table = {
        {"gamepad", gamepad}, {"notes", notes},   {"smile", smile},     {"envelope", envelope},
        {"plane", plane},     {"sun", sun},       {"gear", gear},       {"star", star},
        {"heart", heart},     {"handset", handset}, {"pencil", pencil}, {"dollar", dollar},
        {"newspaper", newspaper}, {"flower", flower}, {"clock", clock}, {"flag", flag},
        {"question", question},
    };
    return table;
}

}  // namespace nestora::art
