#include "graphic/tool_glyphs.h"

#include "graphic/drawing_tool.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace lumivo::graphic {

namespace {

constexpr int kGlyphSize = 20;

QIcon Draw(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    draw(painter);
    return QIcon(pixmap);
}

const QColor kShapeFill(80, 80, 80);

} // namespace

void PencilGlyph(QPainter& p) {
    QPolygonF body({{4, 14}, {13, 5}, {16, 8}, {7, 17}});
    p.setBrush(QColor(240, 200, 60));
    p.drawPolygon(body);
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygonF({{4, 14}, {7, 17}, {3, 18}}));
}

void BrushGlyph(QPainter& p) {
    p.setPen(QPen(QColor(120, 70, 20), 2.5));
    p.drawLine(QPointF(16, 3), QPointF(9, 11));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(60, 60, 200));
    QPainterPath tip;
    tip.moveTo(9, 10);
    tip.cubicTo(5, 11, 5, 15, 3, 18);
    tip.cubicTo(7, 17, 10, 16, 11, 12);
    tip.closeSubpath();
    p.drawPath(tip);
}

void FreeOutlineGlyph(QPainter& p) {
    QPainterPath path;
    path.moveTo(4, 10);
    path.cubicTo(2, 3, 12, 1, 15, 5);
    path.cubicTo(19, 9, 14, 12, 16, 16);
    path.cubicTo(12, 19, 5, 18, 4, 10);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawPath(path);
}

void EraserGlyph(QPainter& p) {
    p.setBrush(QColor(240, 150, 170));
    p.drawPolygon(QPolygonF({{3, 13}, {11, 5}, {17, 11}, {9, 19}}));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{3, 13}, {6, 10}, {12, 16}, {9, 19}}));
}

void LetterAGlyph(QPainter& p) {
    QFont font = p.font();
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 0, kGlyphSize, kGlyphSize), Qt::AlignCenter, QStringLiteral("A"));
}

void CrossGlyph(QPainter& p) {
    p.setPen(QPen(Qt::black, 2.5));
    p.drawLine(QPointF(10, 3), QPointF(10, 17));
    p.drawLine(QPointF(3, 10), QPointF(17, 10));
}

void LineGlyph(QPainter& p) {
    p.drawLine(QPointF(3, 17), QPointF(17, 3));
}

void RectangleGlyph(QPainter& p) {
    p.drawRect(QRectF(3, 5, 14, 10));
}

void FilledRectangleGlyph(QPainter& p) {
    p.setBrush(kShapeFill);
    p.drawRect(QRectF(3, 5, 14, 10));
}

void EllipseGlyph(QPainter& p) {
    p.drawEllipse(QRectF(2, 5, 16, 10));
}

void FilledEllipseGlyph(QPainter& p) {
    p.setBrush(kShapeFill);
    p.drawEllipse(QRectF(2, 5, 16, 10));
}

void DottedRectangleGlyph(QPainter& p) {
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(QRectF(3.5, 4.5, 13, 11));
}

namespace {

void Arrow(QPainter& p, bool back) {
    QPainterPath path;
    if (back) {
        path.moveTo(15, 15);
        path.cubicTo(17, 8, 11, 5, 5, 8);
    } else {
        path.moveTo(5, 15);
        path.cubicTo(3, 8, 9, 5, 15, 8);
    }
    p.setPen(QPen(Qt::black, 1.8));
    p.drawPath(path);
    p.setBrush(Qt::black);
    if (back) {
        p.drawPolygon(QPolygonF({{3, 9}, {8, 4}, {8, 11}}));
    } else {
        p.drawPolygon(QPolygonF({{17, 9}, {12, 4}, {12, 11}}));
    }
}

void Magnifier(QPainter& p, bool in) {
    p.drawEllipse(QRectF(3, 3, 10, 10));
    p.setPen(QPen(Qt::black, 2.5));
    p.drawLine(QPointF(12, 12), QPointF(17, 17));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
    if (in) {
        p.drawLine(QPointF(8, 5.5), QPointF(8, 10.5));
    }
}

} // namespace

QIcon ToolIcon(const ToolIdentity& tool) {
    return Draw(tool.glyph);
}

QIcon ActionIcon(ActionGlyph glyph) {
    switch (glyph) {
    case ActionGlyph::Undo:
        return Draw([](QPainter& p) { Arrow(p, true); });
    case ActionGlyph::Redo:
        return Draw([](QPainter& p) { Arrow(p, false); });
    case ActionGlyph::ZoomOut:
        return Draw([](QPainter& p) { Magnifier(p, false); });
    case ActionGlyph::ZoomIn:
        return Draw([](QPainter& p) { Magnifier(p, true); });
    }
    return {};
}

} // namespace lumivo::graphic
