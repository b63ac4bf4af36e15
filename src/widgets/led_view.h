#pragma once

#include "core/led_dots.h"

#include <QColor>
#include <QPixmap>
#include <QPointF>
#include <QRect>
#include <QWidget>

#include <array>

namespace lumivo::ui {

// Where the dots of an image sit in a widget of a given size: a square grid of `pitch` logical
// pixels per dot, centred, whole device pixels per dot so every dot is drawn alike.
struct DotLayout {
    double pitch = 0;
    QPointF origin; // top left corner of the first dot's cell
    bool empty() const { return pitch <= 0; }
    // The cell of dot (x, y), in logical pixels.
    QRectF cell(int x, int y) const {
        return QRectF(origin.x() + x * pitch, origin.y() + y * pitch, pitch, pitch);
    }
};

// The largest grid of `columns` x `rows` square cells that fits `size`, on a screen of
// `devicePixelRatio` device pixels per logical pixel.
DotLayout FitDots(QSize size, int columns, int rows, double devicePixelRatio);

// How a dot looks: lit dots in the sign's colours, dimmed by the brightness (1 full, 0.25 the
// sign's lowest level) towards the unlit dot; a one-colour sign shows every lit dot red.
struct DotLook {
    bool singleColor = false;
    double brightness = 1.0;
    bool glow = false;
    bool operator==(const DotLook&) const = default;
};
QColor DotColor(Dot dot, const DotLook& look);
// The panel behind the dots.
QColor PanelColor();

// Paints a rectangle of LED dots: round dots on a dark panel, unlit dots dark, optionally with a
// soft glow around the lit ones. The dots keep round and fill the widget as far as the image's
// shape allows, on any screen. Only dots that changed are repainted, and only the part of the
// widget that needs painting is drawn.
class LedView final : public QWidget {
    Q_OBJECT
public:
    explicit LedView(QWidget* parent = nullptr);

    void setImage(const DotImage& image);
    const DotImage& image() const { return m_image; }

    void setSingleColor(bool single);
    bool singleColor() const { return m_look.singleColor; }
    // 0.1..1; values outside are clamped.
    void setBrightness(double brightness);
    double brightness() const { return m_look.brightness; }
    void setGlow(bool glow);
    bool glow() const { return m_look.glow; }

    // Where the dots are drawn now.
    DotLayout dotLayout() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void lookChanged();
    // The picture of one dot of each kind at the current size, made once per size and look.
    const QPixmap& sprite(Dot dot, const DotLayout& layout);
    // The smallest widget rectangle that covers the dots of `from`..`to` (inclusive).
    QRect dotsRect(const DotLayout& layout, int x0, int y0, int x1, int y1) const;

    DotImage m_image;
    DotLook m_look;
    std::array<QPixmap, 4> m_sprites;
    double m_spritePitch = 0;
    double m_spriteRatio = 0;
};

} // namespace lumivo::ui
