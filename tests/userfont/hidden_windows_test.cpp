// The user-font windows are made hidden at start-up and draw their pictures when first needed:
// what they show once opened must be what they would have shown had they been drawn at once.

#include "core/euro_picture.h"
#include "userfont/euro_char_form.h"
#include "userfont/font_maker.h"

#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace lumivo::userfont {
namespace {

bool ShowsExactly(const EuroPictureArea& area, const EuroPicture& picture) {
    const QImage& shown = area.shownImage();
    if (shown.width() != picture.width() || shown.height() != picture.height()) {
        return false;
    }
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if ((shown.pixel(x, y) == qRgb(0, 0, 0)) != picture.black(x, y)) {
                return false;
            }
        }
    }
    return true;
}

TEST(HiddenWindows, PickerShowsWhatChangedWhileItWasHidden) {
    TuEuropeanCharForm picker(nullptr, nullptr, "/nonexistent/EuroCharForm58204.bmp");
    auto* area = picker.findChild<EuroPictureArea*>(QStringLiteral("Image1"));
    ASSERT_NE(area, nullptr);
    // Choosing a cell while hidden frames it; a new picture drops the frame.
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(80, 40));
    EXPECT_FALSE(ShowsExactly(*area, picker.picture()));
    EuroPicture replaced(kEuroPictureWidth, kEuroPictureHeight);
    replaced.fill(100, 50, 140, 60, true);
    picker.replacePicture(replaced);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    EXPECT_TRUE(ShowsExactly(*area, replaced));
    // Characters drawn into the shown picture reach the screen too.
    UserCharRecord record{};
    record[0] = 'U', record[1] = '4', record[2] = '1', record[3] = 'A', record[4] = 0xF8;
    picker.drawCharacters({record});
    EXPECT_NE(picker.picture(), replaced);
    EXPECT_TRUE(ShowsExactly(*area, picker.picture()));
}

TEST(HiddenWindows, FontMakerDrawsItsGlyphsWhenFirstShown) {
    TFontMakefrm maker(nullptr);
    auto* add = maker.findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
    auto* remove = maker.findChild<QToolButton*>(QStringLiteral("SpeedButton2"));
    auto* area = maker.findChild<QWidget*>(QStringLiteral("Image1"));
    ASSERT_TRUE(add != nullptr && remove != nullptr && area != nullptr);
    EXPECT_TRUE(add->icon().isNull());
    maker.showFontMaker();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&maker));
    EXPECT_FALSE(add->icon().isNull());
    EXPECT_FALSE(remove->icon().isNull());
    EXPECT_EQ(area->cursor().shape(), Qt::BitmapCursor);
}

} // namespace
} // namespace lumivo::userfont
