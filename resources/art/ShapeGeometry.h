#pragma once

// Small helpers the icon shapes are built with. Coordinates are fractions of
// the picture's area: (0, 0) its top left, (1, 1) its bottom right.

#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <initializer_list>

namespace nestora::art {

inline QPointF at(const QRectF& area, qreal x, qreal y) {
    return {area.left() + x * area.width(), area.top() + y * area.height()};
}

inline qreal span(const QRectF& area, qreal fraction) { return fraction * area.width(); }

inline QPainterPath circle(const QRectF& area, qreal x, qreal y, qreal radius) {
    QPainterPath path;
    path.addEllipse(at(area, x, y), span(area, radius), span(area, radius));
    return path;
}

inline QPainterPath ellipse(const QRectF& area, qreal x, qreal y, qreal rx, qreal ry) {
    QPainterPath path;
    path.addEllipse(at(area, x, y), span(area, rx), span(area, ry));
    return path;
}

inline QPainterPath box(const QRectF& area, qreal left, qreal top, qreal right, qreal bottom, qreal radius = 0) {
    QPainterPath path;
    const QRectF rect(at(area, left, top), at(area, right, bottom));
    if (radius > 0) {
        path.addRoundedRect(rect, span(area, radius), span(area, radius));
    } else {
        path.addRect(rect);
    }
    return path;
}

inline QPainterPath polygon(const QRectF& area, std::initializer_list<QPointF> points) {
    QPolygonF corners;
    for (const QPointF& point : points) {
        corners << at(area, point.x(), point.y());
    }
    QPainterPath path;
    path.addPolygon(corners);
    path.closeSubpath();
    return path;
}

// A line drawn with a round pen of the given width, as a shape.
inline QPainterPath stroked(const QPainterPath& line, const QRectF& area, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(span(area, width));
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line).simplified();
}

inline QPainterPath rotated(const QPainterPath& path, const QRectF& area, qreal degrees) {
    const QPointF centre = area.center();
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(degrees);
    turn.translate(-centre.x(), -centre.y());
    return turn.map(path);
}

// Rows and columns of equal boxes: the first at `first`, each of `size`, the
// next `step` further along.
inline QPainterPath boxGrid(const QRectF& area, int rows, int columns, QPointF first, QSizeF size, QSizeF step,
                            qreal radius = 0) {
    QPainterPath boxes;
    boxes.setFillRule(Qt::WindingFill);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const qreal left = first.x() + column * step.width();
            const qreal top = first.y() + row * step.height();
            boxes = boxes.united(box(area, left, top, left + size.width(), top + size.height(), radius));
        }
    }
    return boxes;
}

// The union of shapes, without the holes that overlapping outlines leave.
inline QPainterPath joined(std::initializer_list<QPainterPath> parts) {
    QPainterPath all;
    all.setFillRule(Qt::WindingFill);
    for (const QPainterPath& part : parts) {
        all = all.united(part);
    }
    return all;
}

}  // namespace nestora::art
