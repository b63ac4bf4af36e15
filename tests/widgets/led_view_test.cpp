// The LED dot view: where the dots go on the widget, their colours, and what it paints.

#include "widgets/led_view.h"

#include <QImage>

#include <gtest/gtest.h>

namespace lumivo::ui {
namespace {


TEST(LedView, DotsFitTheWidgetSquareAndWholeOnTheScreen) {
    const struct {
        QSize size;
        int columns;
        int rows;
        double ratio;
        double pitch;
        QPointF origin;
    } cases[] = {
        {{800, 160}, 80, 16, 1.0, 10.0, {0, 0}},
        {{800, 400}, 80, 16, 1.0, 10.0, {0, 120}},   // too tall: centred vertically
        {{1000, 160}, 80, 16, 1.0, 10.0, {100, 0}},  // too wide: centred across
        {{805, 163}, 80, 16, 1.0, 10.0, {2.5, 1.5}}, // whole pixels per dot
        {{400, 80}, 80, 16, 2.0, 5.0, {0, 0}},       // high-DPI: ten device pixels per dot
        // 7.55 device pixels a dot fit: seven whole ones
        {{403, 80}, 80, 16, 1.5, 7 / 1.5, {(403 - 80 * 7 / 1.5) / 2, (80 - 16 * 7 / 1.5) / 2}},
        {{100, 16}, 80, 16, 1.0, 0, {0, 0}}, // under two pixels a dot: nothing drawn
        {{800, 160}, 0, 16, 1.0, 0, {0, 0}}, // no image
    };
    for (const auto& c : cases) {
        const DotLayout layout = FitDots(c.size, c.columns, c.rows, c.ratio);
        SCOPED_TRACE(testing::Message()
                     << c.size.width() << "x" << c.size.height() << " @" << c.ratio);
        EXPECT_DOUBLE_EQ(layout.pitch, c.pitch);
        if (c.pitch > 0) {
            EXPECT_NEAR(layout.origin.x(), c.origin.x(), 1e-9);
            EXPECT_NEAR(layout.origin.y(), c.origin.y(), 1e-9);
        } else {
            EXPECT_TRUE(layout.empty());
        }
    }
}

TEST(LedView, ColoursFollowTheModeAndTheBrightness) {
    const DotLook full;
    const DotLook single{true, 1.0, false};
    // Four distinct colours, the unlit one darkest.
    EXPECT_NE(DotColor(Dot::Red, full), DotColor(Dot::Green, full));
    EXPECT_NE(DotColor(Dot::Red, full), DotColor(Dot::Yellow, full));
    EXPECT_NE(DotColor(Dot::Green, full), DotColor(Dot::Yellow, full));
    for (Dot lit : {Dot::Red, Dot::Green, Dot::Yellow}) {
        EXPECT_LT(DotColor(Dot::Off, full).lightness(), DotColor(lit, full).lightness());
        // A one-colour sign shows every lit dot red; unlit dots stay unlit.
        EXPECT_EQ(DotColor(lit, single), DotColor(Dot::Red, full));
        // Each lower brightness is dimmer, and still brighter than an unlit dot.
        int last = 256;
        for (double level : {1.0, 0.75, 0.5, 0.25}) {
            const int lightness = DotColor(lit, DotLook{false, level, false}).lightness();
            EXPECT_LT(lightness, last) << level;
            EXPECT_GT(lightness, DotColor(Dot::Off, full).lightness()) << level;
            last = lightness;
        }
    }
    EXPECT_EQ(DotColor(Dot::Off, single), DotColor(Dot::Off, full));
}

TEST(LedView, PaintsEachDotInItsColourAndMode) {
    LedView view;
    view.resize(40, 10); // four columns of ten pixels, one row
    DotImage image(4, 1);
    image.set(0, 0, Dot::Red);
    image.set(1, 0, Dot::Green);
    image.set(2, 0, Dot::Yellow);
    view.setImage(image);
    for (bool single : {false, true}) {
        view.setSingleColor(single);
        const QImage shot = view.grab().toImage();
        const DotLook look{single, 1.0, false};
        for (int x = 0; x < 4; ++x) {
            // The centre of a dot is lit brighter than its rim; its hue is the dot's colour.
            const QColor centre = shot.pixelColor(x * 10 + 5, 5);
            const QColor expected = DotColor(image.at(x, 0), look);
            EXPECT_NEAR(centre.hue(), expected.hue(), 3) << "dot " << x << " single " << single;
            // Between the dots lies the dark panel.
            EXPECT_EQ(shot.pixelColor(x * 10, 0), PanelColor()) << x;
        }
    }
}

} // namespace
} // namespace lumivo::ui
