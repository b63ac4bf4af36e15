// Pieces made when first shown rather than when made: a style picture looked up when first
// drawn, and a list whose drop-down is built when it first opens.

#include "widgets/list_combo.h"
#include "widgets/preview_strip.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

namespace lumivo::ui {
namespace {

TEST(DrawnWhenShownTest, StylePictureIsTheStylesOwnAtEverySize) {
    QWidget owner;
    for (QStyle::StandardPixmap picture :
         {QStyle::SP_MediaPlay, QStyle::SP_MediaPause, QStyle::SP_MediaSkipBackward}) {
        const QIcon wanted = owner.style()->standardIcon(picture);
        const QIcon drawn = StyleIconWhenDrawn(picture, &owner);
        ASSERT_FALSE(drawn.isNull());
        for (int size : {16, 24, 32}) {
            SCOPED_TRACE(size);
            EXPECT_EQ(drawn.actualSize(QSize(size, size)), wanted.actualSize(QSize(size, size)));
            EXPECT_EQ(drawn.pixmap(size).toImage(), wanted.pixmap(size).toImage());
            EXPECT_EQ(drawn.pixmap(size, QIcon::Disabled).toImage(),
                      wanted.pixmap(size, QIcon::Disabled).toImage());
        }
    }
}

TEST(DrawnWhenShownTest, ListIgnoresTypingInItsDropDownHoweverItCameToBe) {
    const QStringList entries = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    for (const bool openedBeforeFilling : {false, true}) {
        SCOPED_TRACE(openedBeforeFilling ? "opened before filling" : "filled, then opened");
        QComboBox list;
        list.show();
        if (openedBeforeFilling) {
            list.addItems(entries);
            list.showPopup();
            list.hidePopup();
        }
        FillListCombo(list, entries);
        // The drop-down is not made by filling the list.
        EXPECT_EQ(list.findChild<QAbstractItemView*>() != nullptr, openedBeforeFilling);
        list.showPopup();
        QTest::keyClicks(list.view(), QStringLiteral("c"));
        QTest::keyClick(list.view(), Qt::Key_Return);
        EXPECT_EQ(list.currentIndex(), 0);
        list.showPopup();
        QTest::keyClick(list.view(), Qt::Key_Down);
        QTest::keyClick(list.view(), Qt::Key_Return);
        EXPECT_EQ(list.currentIndex(), 1); // the arrows still choose
    }
}

} // namespace
} // namespace lumivo::ui
