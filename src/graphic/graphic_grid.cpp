#include "graphic/graphic_grid.h"

#include "graphic/cell_mapping.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace lumivo::graphic {

namespace {

QRgb ScreenRgb(char letter) {
    const Rgb colour = ScreenColourOfLetter(letter);
    return qRgb(colour.r, colour.g, colour.b);
}

constexpr std::array<char, 4> kSpriteLetters = {kPixelOff, kPixelRed, kPixelGreen, kPixelYellow};

// A square with the inscribed circle: pixels whose centre lies within the radius belong to the
// circle, those within one pixel of its edge are its black outline.
QImage MakeSprite(int zoom, QRgb fill) {
    QImage image(zoom, zoom, QImage::Format_RGB32);
    image.fill(Qt::black);
    const double radius = zoom / 2.0;
    for (int j = 0; j < zoom; ++j) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(j));
        for (int i = 0; i < zoom; ++i) {
            const double dx = i + 0.5 - radius;
            const double dy = j + 0.5 - radius;
            const double distance2 = dx * dx + dy * dy;
            if (distance2 <= (radius - 1.0) * (radius - 1.0)) {
                line[i] = fill;
            }
        }
    }
    return image;
}

} // namespace

DotSprites::DotSprites(int zoom) : m_zoom(std::max(1, zoom)) {
    for (std::size_t i = 0; i < kSpriteLetters.size(); ++i) {
        m_images[i] = MakeSprite(m_zoom, ScreenRgb(kSpriteLetters[i]));
    }
}

const QImage& DotSprites::of(char letter) const {
    for (std::size_t i = 0; i < kSpriteLetters.size(); ++i) {
        if (kSpriteLetters[i] == letter) {
            return m_images[i];
        }
    }
    return m_images[0];
}

void DrawDots(QImage& image, const PixelStore& store, const DotSprites& sprites,
              const QRect& cells) {
    const int zoom = sprites.zoom();
    const CellMapping mapping(zoom);
    const QRect area =
        cells
            .intersected(QRect(0, 0, mapping.cellOf(image.width()), mapping.cellOf(image.height())))
            .intersected(QRect(0, 0, PixelStore::kSize, PixelStore::kSize));
    if (area.isEmpty()) {
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(zoom) * sizeof(QRgb);
    const qsizetype stride = image.bytesPerLine();
    uchar* const bits = image.bits(); // detaches once, not per line
    // Row by row of cells, so the image is written in memory order.
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QImage& sprite = sprites.of(store.at(x, y));
            const uchar* source = sprite.constBits();
            const qsizetype spriteStride = sprite.bytesPerLine();
            const QPoint corner = mapping.pixelsOf(QPoint(x, y)).topLeft();
            uchar* target = bits + static_cast<qsizetype>(corner.y()) * stride +
                            static_cast<qsizetype>(corner.x()) * qsizetype{sizeof(QRgb)};
            for (int j = 0; j < zoom; ++j) {
                std::memcpy(target, source, rowBytes);
                target += stride;
                source += spriteStride;
            }
        }
    }
}

QImage RenderGrid(const PixelStore& store, int width, int height, int zoom) {
    const DotSprites sprites(zoom);
    QImage image(width * zoom, height * zoom, QImage::Format_RGB32);
    DrawDots(image, store, sprites, QRect(0, 0, width, height));
    return image;
}

// --- The grid ------------------------------------------------------------------------------

GraphicGrid::GraphicGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Image1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setCursor(Qt::CrossCursor);
}

void GraphicGrid::showGraphic(const PixelStore& store, int width, int height, int zoom) {
    if (zoom != m_sprites.zoom()) {
        m_sprites = DotSprites(zoom);
    }
    m_columns = width;
    m_rows = height;
    if (m_image.size() != QSize(width * zoom, height * zoom)) {
        m_image = QImage(width * zoom, height * zoom, QImage::Format_RGB32);
    }
    DrawDots(m_image, store, m_sprites, QRect(0, 0, width, height));
    m_trail.clear();
    setFixedSize(m_image.size());
    requestRepaint(rect());
}

void GraphicGrid::updateCell(const PixelStore& store, int x, int y) {
    if (x < 0 || y < 0 || x >= m_columns || y >= m_rows) {
        return;
    }
    DrawDots(m_image, store, m_sprites, QRect(x, y, 1, 1));
    requestRepaint(CellMapping(m_sprites.zoom()).pixelsOf(QPoint(x, y)));
}

void GraphicGrid::setRubberBand(const RubberBand& band, QColor fill) {
    if (band == m_band && fill == m_bandFill) {
        return;
    }
    m_band = band;
    m_bandFill = fill;
    // The band may have shrunk: repaint the grid, which is one image copy.
    requestRepaint(rect());
}

void GraphicGrid::addTrailDot(int x, int y, char letter) {
    if (x < 0 || y < 0 || x >= m_columns || y >= m_rows) {
        return;
    }
    m_trail.push_back({x, y, letter});
    requestRepaint(CellMapping(m_sprites.zoom()).pixelsOf(QPoint(x, y)));
}

QRect GraphicGrid::takeRequestedRepaint() {
    return std::exchange(m_requested, QRect());
}

void GraphicGrid::requestRepaint(const QRect& rect) {
    m_requested = m_requested.united(rect);
    update(rect);
}

void GraphicGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.drawImage(dirty.topLeft(), m_image, dirty);
    const CellMapping mapping(m_sprites.zoom());
    for (const TrailDot& dot : m_trail) {
        painter.drawImage(mapping.pixelsOf(QPoint(dot.x, dot.y)).topLeft(),
                          m_sprites.of(dot.letter));
    }
    paintBand(painter);
}

void GraphicGrid::paintBand(QPainter& painter) const {
    if (m_band.shape == RubberBand::Shape::None) {
        return;
    }
    QPen pen(Qt::white);
    pen.setWidth(1);
    pen.setStyle(m_band.dashDot ? Qt::DashDotLine : Qt::SolidLine);
    painter.setPen(pen);
    painter.setBrush(m_band.filled ? QBrush(m_bandFill) : QBrush(Qt::NoBrush));
    const QRect box = QRect(m_band.from, m_band.to).normalized();
    switch (m_band.shape) {
    case RubberBand::Shape::Line:
        painter.drawLine(m_band.from, m_band.to);
        break;
    case RubberBand::Shape::Rectangle:
        painter.drawRect(box);
        break;
    case RubberBand::Shape::Ellipse:
        painter.drawEllipse(box);
        break;
    case RubberBand::Shape::None:
        break;
    }
}

void GraphicGrid::mousePressEvent(QMouseEvent* event) {
    Q_EMIT pressed(event->position().toPoint(), event->button());
}

void GraphicGrid::mouseMoveEvent(QMouseEvent* event) {
    Q_EMIT moved(event->position().toPoint(), event->buttons());
}

void GraphicGrid::mouseReleaseEvent(QMouseEvent* event) {
    Q_EMIT released(event->position().toPoint(), event->button());
}

// --- The overlay ---------------------------------------------------------------------------

FloatingOverlay::FloatingOverlay(GraphicGrid* grid)
    : QWidget(grid->parentWidget() != nullptr ? grid->parentWidget() : grid), m_grid(grid) {
    setObjectName(QStringLiteral("AssistImage"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::SizeAllCursor);
    hide();
    // The scroll area moves the grid when it scrolls; the overlay moves with it.
    grid->installEventFilter(this);
}

void FloatingOverlay::present(const PixelStore& floating, const QRect& gridPixels, int zoom) {
    m_gridPosition = gridPixels.topLeft();
    resize(gridPixels.size());
    refresh(floating, zoom);
    show();
    raise();
}

void FloatingOverlay::place() {
    // Drawn on the cells a drop puts the selection in; the position itself stays unsnapped.
    const QPoint shown = CellMapping(m_zoom).landingCorner(m_gridPosition);
    move(parentWidget() == m_grid ? shown : m_grid->pos() + shown);
}

bool FloatingOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid && event->type() == QEvent::Move) {
        place();
    }
    return QWidget::eventFilter(watched, event);
}

void FloatingOverlay::refresh(const PixelStore& floating, int zoom) {
    m_zoom = zoom;
    place();
    const QSize size = this->size();
    m_image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_image.fill(Qt::black);
    if (zoom > 0) {
        const CellMapping mapping(zoom);
        DrawDots(m_image, floating, DotSprites(zoom),
                 QRect(0, 0, mapping.cellOf(size.width()), mapping.cellOf(size.height())));
    }
    QPainter painter(&m_image);
    painter.setPen(Qt::white);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
    update();
}

void FloatingOverlay::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), m_image, event->rect());
}

void FloatingOverlay::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // The drag follows the pointer on the screen: the overlay itself moves cell by cell.
        m_pressGlobal = event->globalPosition().toPoint();
        m_pressPosition = m_gridPosition;
        m_dragging = true;
    }
}

void FloatingOverlay::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        m_gridPosition = m_pressPosition + (event->globalPosition().toPoint() - m_pressGlobal);
        place();
    }
}

void FloatingOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
    } else if (event->button() == Qt::RightButton) {
        Q_EMIT dropRequested();
    }
}

} // namespace lumivo::graphic
