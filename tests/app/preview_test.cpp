// The preview in the main window: its dock, its menu item and setting, and what it follows.
#include "app_test_support.h"

#include "widgets/led_view.h"
#include "widgets/preview_model.h"

#include <QDockWidget>
#include <QMenuBar>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace lumivo::ui {
namespace {

class PreviewWindowTest : public test::EditorTest {};

TEST_F(PreviewWindowTest, DockUnderTheEditorsShownFromTheViewMenuBeforeHelp) {
    TForm1& main = Start("[Sign]\nshowform=0\n[Preview]\nwidth=120\n");
    auto* dock = main.findChild<QDockWidget*>(QStringLiteral("PreviewDock"));
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(main.dockWidgetArea(dock), Qt::BottomDockWidgetArea);
    EXPECT_TRUE(dock->isVisible());
    auto* view = dock->findChild<LedView*>(QStringLiteral("PreviewView"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(main.preview().columns(), 120); // from the settings
    EXPECT_EQ(view->image().columns(), 120);

    const QList<QAction*> titles = main.menuBar()->actions();
    ASSERT_GE(titles.size(), 2);
    EXPECT_EQ(titles[titles.size() - 2]->objectName(), QStringLiteral("View1"));
    EXPECT_EQ(titles.last()->objectName(), QStringLiteral("Help1"));

    Trigger("ShowPreview1");
    EXPECT_FALSE(dock->isVisible());
    EXPECT_FALSE(item("ShowPreview1")->isChecked());
    EXPECT_NE(SettingsText().find("show=0"), std::string::npos) << SettingsText();
    Trigger("ShowPreview1");
    EXPECT_TRUE(dock->isVisible());

    dock->findChild<QSpinBox*>(QStringLiteral("PreviewWidth"))->setValue(96);
    EXPECT_NE(SettingsText().find("width=96"), std::string::npos) << SettingsText();
}

TEST_F(PreviewWindowTest, FollowsLineOneAndTheColourMode) {
    TForm1& main = StartQuiet();
    auto* view = main.findChild<LedView*>(QStringLiteral("PreviewView"));
    ASSERT_NE(view, nullptr);
    QTest::qWait(PreviewModel::kQuietMs + 50);
    Type(line1(), QStringLiteral("<Green>Hi"));
    ASSERT_TRUE(QTest::qWaitFor([&main] { return !main.preview().pending(); }, 2000));
    const DotImage& content = main.preview().animation()->content();
    bool green = false;
    for (int x = 0; x < content.columns(); ++x) {
        green = green || content.at(x, 3) == Dot::Green;
    }
    EXPECT_TRUE(green);
    EXPECT_EQ(main.preview().frame().columns(), 80);

    EXPECT_FALSE(view->singleColor());
    main.ApplyColorMode(true);
    EXPECT_TRUE(view->singleColor());
    main.ApplyColorMode(false);
    EXPECT_FALSE(view->singleColor());
    // The line itself is untouched by the preview.
    EXPECT_EQ(Text(), "<Green>Hi");
}

} // namespace
} // namespace lumivo::ui
