#include "widgets/led_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace lumivo::ui {

namespace {

// The smallest dot worth drawing, in device pixels, and the size a view asks for per dot.
constexpr int kMinDotDevicePixels = 2;
constexpr int kHintPitch = 6;
// Share of a cell the lit or unlit dot takes across; the rest is panel (or glow).
constexpr double kDotShare = 0.78;
constexpr double kLowestBrightness = 0.1;

int Index(Dot dot) {
    return static_cast<int>(dot);
}

QColor Mix(const QColor& from, const QColor& to, double share) {
    auto channel = [share](int a, int b) {
        return static_cast<int>(std::lround(a + (b - a) * share));
    };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

} // namespace

DotLayout FitDots(QSize size, int columns, int rows, double devicePixelRatio) {
    DotLayout layout;
    if (columns <= 0 || rows <= 0 || size.isEmpty()) {
        return layout;
    }
    const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    // Whole device pixels per dot, so every dot has the same shape.
    const int devicePitch = static_cast<int>(
        std::floor(std::min(size.width() * ratio / columns, size.height() * ratio / rows)));
    if (devicePitch < kMinDotDevicePixels) {
        return layout;
    }
    layout.pitch = devicePitch / ratio;
    layout.origin = QPointF((size.width() - layout.pitch * columns) / 2.0,
                            (size.height() - layout.pitch * rows) / 2.0);
    return layout;
}

QColor PanelColor() {
    return QColor(12, 12, 12);
}

QColor DotColor(Dot dot, const DotLook& look) {
    static const QColor unlit(48, 34, 30);
    if (dot == Dot::Off) {
        return unlit;
    }
    QColor lit;
    switch (look.singleColor ? Dot::Red : dot) {
    case Dot::Green:
        lit = QColor(60, 255, 70);
        break;
    case Dot::Yellow:
        lit = QColor(255, 190, 20);
        break;
    default:
        lit = QColor(255, 40, 30);
        break;
    }
    // A dimmed LED is still plainly lit: the lowest level keeps a third of the way to full.
    const double level = std::clamp(look.brightness, kLowestBrightness, 1.0);
    return Mix(unlit, lit, 0.25 + 0.75 * level);
}

LedView::LedView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void LedView::setImage(const DotImage& image) {
    if (image == m_image) {
        return; // a held frame costs nothing
    }
    if (image.columns() != m_image.columns() || image.rows() != m_image.rows()) {
        m_image = image;
        updateGeometry();
        update();
        return;
    }
    // Repaint only the rectangle around the dots that changed.
    int x0 = image.columns(), y0 = image.rows(), x1 = -1, y1 = -1;
    for (int y = 0; y < image.rows(); ++y) {
        for (int x = 0; x < image.columns(); ++x) {
            if (image.at(x, y) != m_image.at(x, y)) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
        }
    }
    m_image = image;
    const DotLayout layout = dotLayout();
    if (x1 >= 0 && !layout.empty()) {
        update(dotsRect(layout, x0, y0, x1, y1));
    }
}

void LedView::setSingleColor(bool single) {
    if (single != m_look.singleColor) {
        m_look.singleColor = single;
        lookChanged();
    }
}

void LedView::setBrightness(double brightness) {
    brightness = std::clamp(brightness, kLowestBrightness, 1.0);
    if (brightness != m_look.brightness) {
        m_look.brightness = brightness;
        lookChanged();
    }
}

void LedView::setGlow(bool glow) {
    if (glow != m_look.glow) {
        m_look.glow = glow;
        lookChanged();
    }
}

void LedView::lookChanged() {
    m_spritePitch = 0; // made again at the next paint
    update();
}

DotLayout LedView::dotLayout() const {
    return FitDots(size(), m_image.columns(), m_image.rows(), devicePixelRatioF());
}

QSize LedView::sizeHint() const {
    const int columns = std::max(m_image.columns(), 16);
    const int rows = std::max(m_image.rows(), 16);
    return QSize(std::min(columns * kHintPitch, 960), rows * kHintPitch);
}

QSize LedView::minimumSizeHint() const {
    return QSize(16 * kMinDotDevicePixels, std::max(m_image.rows(), 1) * kMinDotDevicePixels);
}

int LedView::heightForWidth(int width) const {
    const int columns = std::max(m_image.columns(), 1);
    return std::max(m_image.rows(), 1) * std::max(width / columns, kMinDotDevicePixels);
}

QRect LedView::dotsRect(const DotLayout& layout, int x0, int y0, int x1, int y1) const {
    const QRectF first = layout.cell(x0, y0);
    const QRectF last = layout.cell(x1, y1);
    return QRectF(first.topLeft(), last.bottomRight()).toAlignedRect().adjusted(-1, -1, 1, 1);
}

const QPixmap& LedView::sprite(Dot dot, const DotLayout& layout) {
    const double ratio = devicePixelRatioF();
    if (m_spritePitch != layout.pitch || m_spriteRatio != ratio) {
        m_spritePitch = layout.pitch;
        m_spriteRatio = ratio;
        const int device = static_cast<int>(std::lround(layout.pitch * ratio));
        for (Dot kind : {Dot::Off, Dot::Red, Dot::Green, Dot::Yellow}) {
            QPixmap pixmap(device, device);
            pixmap.setDevicePixelRatio(ratio);
            pixmap.fill(PanelColor());
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            const QColor colour = DotColor(kind, m_look);
            const double pitch = layout.pitch;
            const QPointF centre(pitch / 2, pitch / 2);
            if (m_look.glow && kind != Dot::Off) {
                QRadialGradient halo(centre, pitch / 2);
                QColor inner = colour;
                inner.setAlpha(110);
                QColor outer = colour;
                outer.setAlpha(0);
                halo.setColorAt(0.6, inner);
                halo.setColorAt(1.0, outer);
                painter.setBrush(halo);
                painter.drawEllipse(centre, pitch / 2, pitch / 2);
            }
            const double radius = pitch * kDotShare / 2;
            if (kind != Dot::Off && pitch * ratio >= 6) {
                // A bright core makes a lit dot read as a light, not a painted disc.
                QRadialGradient body(centre, radius);
                body.setColorAt(0.0, colour.lighter(135));
                body.setColorAt(0.55, colour);
                body.setColorAt(1.0, colour.darker(115));
                painter.setBrush(body);
            } else {
                painter.setBrush(colour);
            }
            painter.drawEllipse(centre, radius, radius);
            m_sprites[static_cast<std::size_t>(Index(kind))] = pixmap;
        }
    }
    return m_sprites[static_cast<std::size_t>(Index(dot))];
}

void LedView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, PanelColor());
    const DotLayout layout = dotLayout();
    if (layout.empty()) {
        return;
    }
    // Only the dots inside the dirty rectangle.
    const int firstX = std::max(
        0, static_cast<int>(std::floor((dirty.left() - layout.origin.x()) / layout.pitch)));
    const int lastX =
        std::min(m_image.columns() - 1,
                 static_cast<int>((dirty.right() - layout.origin.x()) / layout.pitch));
    const int firstY =
        std::max(0, static_cast<int>(std::floor((dirty.top() - layout.origin.y()) / layout.pitch)));
    const int lastY = std::min(
        m_image.rows() - 1, static_cast<int>((dirty.bottom() - layout.origin.y()) / layout.pitch));
    for (int y = firstY; y <= lastY; ++y) {
        for (int x = firstX; x <= lastX; ++x) {
            painter.drawPixmap(layout.cell(x, y).topLeft(), sprite(m_image.at(x, y), layout));
        }
    }
}

} // namespace lumivo::ui
