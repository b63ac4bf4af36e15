#include "graphic/floating_selection.h"

#include "graphic/cell_mapping.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <limits>

namespace lumivo::graphic {

namespace {

constexpr int kStoreSize = PixelStore::kSize;

bool InStore(int x, int y) {
    return x >= 0 && x < kStoreSize && y >= 0 && y < kStoreSize;
}

// 96 dots per inch in dots per metre: the text mask renders a point size the same on every screen.
constexpr int kTextDotsPerMetre = 3780;

bool IsWhite(const QImage& mask, int x, int y) {
    if (x < 0 || y < 0 || x >= mask.width() || y >= mask.height())
        return false;
    return qGray(mask.pixel(x, y)) >= 128;
}

} // namespace

QRect CutSelection(PixelStore& store, PixelStore& floating, QPoint a, QPoint b, int zoom) {
    const int x1 = std::min(a.x(), b.x());
    const int x2 = std::max(a.x(), b.x());
    const int y1 = std::min(a.y(), b.y());
    const int y2 = std::max(a.y(), b.y());
    const CellMapping mapping(zoom);
    const QRect cells(mapping.cellOf(x1), mapping.cellOf(y1), mapping.cellOf(x2 - x1),
                      mapping.cellOf(y2 - y1));
    for (int k = 0; k < cells.width() && k < kStoreSize; ++k) {
        for (int l = 0; l < cells.height() && l < kStoreSize; ++l) {
            const int x = cells.x() + k;
            const int y = cells.y() + l;
            if (!InStore(x, y))
                continue;
            floating.set(k, l, store.at(x, y));
            store.set(x, y, kPixelOff);
        }
    }
    return cells;
}

QRect OverlayOfCells(const QRect& cells, int zoom) {
    return CellMapping(zoom).pixelsOf(cells);
}

QRect CutToFloating(ToolCanvas& canvas, QPoint a, QPoint b) {
    PixelStore store = canvas.store();
    PixelStore floating = canvas.floating();
    const int zoom = canvas.zoom();
    const QRect cells = CutSelection(store, floating, a, b, zoom);
    canvas.replaceStore(store);
    canvas.replaceFloating(floating);
    canvas.showFloating(OverlayOfCells(cells, zoom));
    return cells;
}

void DropSelection(PixelStore& store, const PixelStore& floating, QPoint overlayTopLeft,
                   QSize overlaySize, int zoom) {
    if (zoom <= 0)
        return;
    // Floating cell (k, l) lands on the cell whose pixels the overlay shows it on: k cells right
    // of the landing corner's cell. Cells left of or above the grid are skipped.
    const CellMapping mapping(zoom);
    const QPoint first = mapping.cellAt(mapping.landingCorner(overlayTopLeft));
    const int skipColumns = std::max(0, -first.x());
    const int skipRows = std::max(0, -first.y());
    // The floating store holds only 160 x 160 cells; a larger overlay has nothing beyond them.
    const int columns = std::min(mapping.cellOf(overlaySize.width()), kStoreSize);
    const int rows = std::min(mapping.cellOf(overlaySize.height()), kStoreSize);
    for (int k = skipColumns; k < columns; ++k) {
        for (int l = skipRows; l < rows; ++l) {
            const int toX = first.x() + k;
            const int toY = first.y() + l;
            if (InStore(toX, toY))
                store.set(toX, toY, floating.at(k, l));
        }
    }
}

int TextLineStep(const QString& heightField) {
    bool ok = false;
    const int step = heightField.trimmed().toInt(&ok);
    return ok ? step : kDefaultTextLineStep;
}

RenderedText DrawTextMask(const TextRequest& request, int width, int height, QImage& mask) {
    mask = QImage(std::max(kTextMaskScale * width, 1), std::max(kTextMaskScale * height, 1),
                  QImage::Format_Grayscale8);
    mask.setDotsPerMeterX(kTextDotsPerMetre);
    mask.setDotsPerMeterY(kTextDotsPerMetre);
    mask.fill(Qt::black);

    QFont font(request.fontFamily);
    font.setPointSize(std::max(request.pointSize, 1));
    font.setBold(request.bold);
    font.setItalic(request.italic);
    font.setUnderline(request.underline);
    font.setStrikeOut(request.strikeOut);
    // One pixel becomes one dot: no grey edges.
    font.setStyleStrategy(QFont::NoAntialias);

    const int step = TextLineStep(request.heightField);
    RenderedText extent;
    // A huge line step must not overflow: the height only bounds a search inside the mask.
    extent.textHeight =
        static_cast<int>(std::clamp(static_cast<long long>(request.lines.size()) * step,
                                    static_cast<long long>(std::numeric_limits<int>::min()),
                                    static_cast<long long>(std::numeric_limits<int>::max())));

    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QFontMetrics metrics(font, &mask);
    for (std::size_t i = 0; i < request.lines.size(); ++i) {
        const QString& line = request.lines[i];
        // Each line has its top at i times the line step; a line wholly above or below the mask
        // leaves no pixel in it and is not drawn.
        const long long top = static_cast<long long>(i) * step;
        if (top < mask.height() && top + metrics.height() > 0)
            painter.drawText(0, static_cast<int>(top) + metrics.ascent(), line);
        extent.textWidth = std::max(extent.textWidth, metrics.horizontalAdvance(line));
    }
    return extent;
}

QSize TakeTextDots(PixelStore& floating, const QImage& mask, const RenderedText& extent,
                   char colour) {
    floating = PixelStore();

    int left = -1;
    int right = -1;
    int top = -1;
    int bottom = -1;
    // Pixels outside the mask are black, so the search stops at its edges.
    const int lastColumn = std::min(extent.textWidth, mask.width() - 1);
    const int lastRow = std::min(extent.textHeight, mask.height() - 1);
    for (int y = 0; y <= lastRow; ++y) {
        for (int x = 0; x <= lastColumn; ++x) {
            if (!IsWhite(mask, x, y))
                continue;
            if (top < 0)
                top = y;
            bottom = y;
            left = left < 0 ? x : std::min(left, x);
            right = std::max(right, x);
        }
    }
    // No white pixel at all counts as a box of all zeros.
    if (top < 0) {
        left = right = top = bottom = 0;
    }

    const auto put = [&](int fromX, int fromY, int toX, int toY) {
        if (IsWhite(mask, fromX, fromY) && InStore(toX, toY))
            floating.set(toX, toY, colour);
    };

    // The floating store holds at most 160 x 160 cells; a larger selection would only add an
    // empty overlay area that no drop can fill.
    const auto selection = [](int columns, int rows) {
        return QSize(std::clamp(columns, 0, kStoreSize), std::clamp(rows, 0, kStoreSize));
    };
    if ((left == 0 && right == 0) || (top == 0 && bottom == 0)) {
        const int columns = std::min(extent.textWidth, mask.width());
        const int rows = std::min(extent.textHeight, mask.height());
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < columns; ++x)
                put(x, y, x, y);
        return selection(extent.textWidth, extent.textHeight);
    }
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            put(x, y, x - left, y - top);
    return selection(right - left + 1, bottom - top + 1);
}

QSize RenderTextSelection(PixelStore& floating, const TextRequest& request, int width, int height,
                          char colour) {
    QImage mask;
    const RenderedText extent = DrawTextMask(request, width, height, mask);
    return TakeTextDots(floating, mask, extent, colour);
}

QFont FirstTextFont(int graphicHeight) {
    constexpr int kLargestSize = 20;
    // A capital and descenders: the height a line of text usually takes.
    const QString sample = QStringLiteral("Hgy");
    const QString desktop = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QStringList families = QFontDatabase::families();
    if (families.removeAll(desktop) > 0) {
        families.prepend(desktop);
    }
    for (const QString& family : families) {
        for (int size = kLargestSize; size >= 1; --size) {
            TextRequest request;
            request.lines = {sample};
            request.fontFamily = family;
            request.pointSize = size;
            request.heightField = QString::number(kDefaultTextLineStep);
            PixelStore dots;
            const QSize cells =
                RenderTextSelection(dots, request, kTextMaskScale, kDefaultTextLineStep, kPixelRed);
            if (cells.height() > 0 && cells.height() <= graphicHeight && cells.width() > 0) {
                QFont font(family);
                font.setPointSize(size);
                return font;
            }
        }
    }
    QFont font(desktop);
    font.setPointSize(1);
    return font;
}

} // namespace lumivo::graphic
