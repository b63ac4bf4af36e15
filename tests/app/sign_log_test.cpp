// The Sign Log dock of the main window: its menu item and setting, a command run on a worker
// reaching it through the timer, its bound, and saving it.
#include "app_test_support.h"

#include "link/command_thread.h"
#include "link/fake_port.h"
#include "link/frame_log.h"
#include "link/runners.h"
#include "widgets/sign_log_dock.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace lumivo::ui {
namespace {

class SignLogTest : public test::EditorTest {};

TEST_F(SignLogTest, HiddenUntilTheViewMenuShowsItThenFillsFromTheWorker) {
    TForm1& main = StartQuiet();
    auto* dock = main.findChild<SignLogDock*>(QStringLiteral("signLogDock"));
    ASSERT_NE(dock, nullptr);
    EXPECT_FALSE(dock->isVisible());
    QAction* show = item("actionSignLog");
    ASSERT_TRUE(show->isCheckable());
    EXPECT_FALSE(show->isChecked());

    // A command that runs while the dock is hidden is shown once it opens.
    link::FakeLine line;
    link::CommandThread thread;
    bool ended = false;
    QObject::connect(&thread, &link::CommandThread::finished, [&ended] { ended = true; });
    thread.start(
        [&line](const link::Progress&) {
            return link::RunRunPage(link::LoggedOpener(line.opener(), "COM1"), line.clock(), "01",
                                    'C');
        },
        "Run Page");
    ASSERT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 2000));
    EXPECT_TRUE(dock->text().isEmpty());

    Trigger("actionSignLog");
    EXPECT_TRUE(dock->isVisible());
    EXPECT_NE(SettingsText().find("[SignLog]\nshow=1"), std::string::npos) << SettingsText();
    ASSERT_TRUE(
        QTest::qWaitFor([dock] { return dock->text().contains(QStringLiteral("end:")); }, 1000));
    const QStringList shown = dock->text().split(QLatin1Char('\n'));
    ASSERT_EQ(shown.size(), 4) << dock->text().toStdString();
    EXPECT_TRUE(shown[0].endsWith(QStringLiteral("Run Page  port COM1"))) << shown[0].toStdString();
    EXPECT_TRUE(
        shown[1].contains(QStringLiteral("wrote ") + QString::fromLatin1(line.frames().front())));
    EXPECT_TRUE(shown[2].contains(QStringLiteral("reply 41 43 4B \"ACK\"")));

    Trigger("actionSignLog");
    EXPECT_FALSE(dock->isVisible());
    EXPECT_NE(SettingsText().find("[SignLog]\nshow=0"), std::string::npos) << SettingsText();
}

TEST_F(SignLogTest, KeepsTheLastLinesAndSavesWhatItShows) {
    auto queue = std::make_shared<link::FrameLogQueue>();
    SignLogDock dock(queue);
    // Each command adds a heading and its end: two lines.
    const int commands = SignLogDock::kMaxLines / 2 + 10;
    for (int i = 0; i < commands; ++i) {
        link::FrameLogItem began;
        began.kind = link::FrameLogItem::Kind::Began;
        began.command = static_cast<std::uint64_t>(i + 1);
        began.text = "command " + std::to_string(i + 1);
        link::FrameLogItem end = began;
        end.kind = link::FrameLogItem::Kind::Ended;
        queue->post(began);
        queue->post(end);
    }
    dock.takeNew();
    const QStringList shown = dock.text().split(QLatin1Char('\n'));
    ASSERT_EQ(shown.size(), SignLogDock::kMaxLines);
    EXPECT_TRUE(shown.front().startsWith(QStringLiteral("#11  "))) << shown.front().toStdString();
    EXPECT_TRUE(shown.back().endsWith(QStringLiteral("end: failed")));

    const QString saved = HomeFile(QStringLiteral("log.txt"));
    m_prompts.setNextFileName(saved);
    dock.findChild<QPushButton*>(QStringLiteral("signLogSave"))->click();
    EXPECT_EQ(test::ReadFileBytes(saved), (dock.text() + QLatin1Char('\n')).toStdString());
    EXPECT_TRUE(m_prompts.boxes().empty());

    // A folder in the way: the box says the log was not saved, and why.
    ASSERT_TRUE(QDir(m_home.path()).mkdir(QStringLiteral("taken.txt")));
    m_prompts.setNextFileName(HomeFile(QStringLiteral("taken.txt")));
    dock.saveAs();
    ASSERT_EQ(m_prompts.boxes().size(), 1u);
    EXPECT_EQ(m_prompts.boxes()[0].request.text, QStringLiteral("The sign log was not saved."));
    EXPECT_TRUE(m_prompts.boxes()[0].request.details.contains(QStringLiteral("taken")));

    dock.findChild<QPushButton*>(QStringLiteral("signLogClear"))->click();
    EXPECT_TRUE(dock.text().isEmpty());
}

} // namespace
} // namespace lumivo::ui
