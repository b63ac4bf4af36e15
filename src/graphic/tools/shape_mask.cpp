#include "graphic/tools/shape_mask.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstdlib>

namespace lumivo::graphic {

namespace {

void DrawLine(QPainter& painter, QPoint a, QPoint b) {
    QPen pen(Qt::white);
    pen.setCosmetic(true);
    pen.setWidth(1);
    painter.setPen(pen);
    // Through the centres of the two cells, so the line runs the same both ways and splits its
    // steps evenly between its ends.
    const QPointF centre(0.5, 0.5);
    painter.drawLine(QPointF(a) + centre, QPointF(b) + centre);
}

void DrawBox(QPainter& painter, const QRect& box, bool filled) {
    painter.fillRect(box, Qt::white);
    if (!filled && box.width() > 2 && box.height() > 2)
        painter.fillRect(box.adjusted(1, 1, -1, -1), Qt::black);
}

void DrawEllipse(QPainter& painter, const QRect& box, bool filled) {
    // The path spans the box's outer dots (the rasteriser lights the dots to the right of and
    // below the path), and the clip keeps every dot inside the half-open box.
    painter.setClipRect(box);
    QPen pen(Qt::white);
    pen.setCosmetic(true);
    pen.setWidth(1);
    painter.setPen(pen);
    painter.setBrush(filled ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
    painter.drawEllipse(QRectF(box.x(), box.y(), box.width() - 1, box.height() - 1));
}

} // namespace

QImage DrawShapeMask(MaskShape shape, QPoint a, QPoint b, int width, int height) {
    QImage mask(std::max(width, 1), std::max(height, 1), QImage::Format_Grayscale8);
    mask.fill(Qt::black);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);

    if (shape == MaskShape::Line) {
        if (a == b)
            return mask;
        DrawLine(painter, a, b);
        painter.end();
        // The end dot is never part of the line, whatever the rasteriser did at the end point.
        if (mask.rect().contains(b))
            mask.setPixel(b, qRgb(0, 0, 0));
        return mask;
    }
    const QRect box(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                    QSize(std::abs(a.x() - b.x()), std::abs(a.y() - b.y())));
    if (box.isEmpty())
        return mask;
    switch (shape) {
    case MaskShape::Rectangle:
    case MaskShape::FilledRectangle:
        DrawBox(painter, box, shape == MaskShape::FilledRectangle);
        break;
    case MaskShape::Ellipse:
    case MaskShape::FilledEllipse:
        DrawEllipse(painter, box, shape == MaskShape::FilledEllipse);
        break;
    case MaskShape::Line:
        break;
    }
    return mask;
}

void PaintMaskDots(ToolCanvas& canvas, const QImage& mask) {
    const QImage dots = mask.format() == QImage::Format_Grayscale8
                            ? mask
                            : mask.convertToFormat(QImage::Format_Grayscale8);
    PixelStore store = canvas.store();
    const char colour = canvas.colour();
    const int columns = std::min({canvas.width(), dots.width(), PixelStore::kSize});
    const int rows = std::min({canvas.height(), dots.height(), PixelStore::kSize});
    for (int y = 0; y < rows; ++y) {
        const uchar* line = dots.constScanLine(y);
        for (int x = 0; x < columns; ++x) {
            if (line[x] >= 128)
                store.set(x, y, colour);
        }
    }
    canvas.replaceStore(store);
}

} // namespace lumivo::graphic
