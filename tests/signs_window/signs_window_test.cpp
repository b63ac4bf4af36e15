#include "signs/window/sign_dialog.h"
#include "signs/window/sign_table_model.h"
#include "signs/window/signs_window.h"

#include "core/test_support.h"
#include "link/path_text.h"
#include "signs/service_runtime.h"
#include "support/window_test_support.h"
#include "widgets/preview_model.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <condition_variable>
#include <map>
#include <mutex>
#include <unistd.h>

namespace lumivo::signs {
namespace {

// The main window as the Signs window sees it: Line 1, the settings file and the menu bindings.
class SiteHost final : public ui::EditorHost {
public:
    QString settings;
    std::string line1;
    std::map<QString, std::function<void()>> commands;

    QWidget* mainWindow() override { return nullptr; }
    QTextEdit* currentEditor() const override { return nullptr; }
    void SetTagColor() override {}
    void ResetTextColor() override {}
    void replaceSelection(const QString&) override {}
    void insertTag(const QString&) override {}
    void InsertEffectTag(const QString&, const QString&) override {}
    std::string lineText(int line) const override { return line == 2 ? std::string() : line1; }
    int comPort() const override { return 1; }
    QString settingsPath() const override { return settings; }
    bool singleColorMode() const override { return false; }
    void ApplyColorMode(bool) override {}
    void followColorMode(QObject*, std::function<void(bool)>) override {}
    void bindCommand(const QString& item, std::function<void()> handler) override {
        commands[item] = std::move(handler);
    }
    void reportStatus(const QString&) override {}
};

constexpr const char* kSite = "[Sign]\nshowform=0\n"
                              "[Sign Front]\nPort=COM1\nID=01\nGroups=store\n"
                              "[Sign Back]\nPort=COM2\nID=02\nGroups=Store\n";

class SignsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        qputenv("LUMIVO_HOME", QFile::encodeName(m_home.path()));
        m_host.settings = m_home.filePath(QStringLiteral("lumivo.INI"));
        m_host.line1 = "Hi<Pic:G01>";
        const std::filesystem::path graphics = link::FileSystemPath(m_home.path()) / "Graphdata";
        std::filesystem::create_directories(graphics);
        std::filesystem::copy_file(std::filesystem::path(LUMIVO_TEST_DATA_DIR) /
                                       "Graphdata/G01.txt",
                                   graphics / "G01.txt");
    }
    void TearDown() override { qunsetenv("LUMIVO_HOME"); }

    // The window on scripted lines: COM1 and COM2 are two lines, anything else has none.
    std::unique_ptr<SignsWindow> Open(const char* settings) {
        test::WriteBytes(link::FileSystemPath(m_host.settings), settings);
        auto lineOf = [this](const Sign& sign) -> link::FakeLine& {
            return sign.port == QStringLiteral("COM2") ? m_back : m_front;
        };
        return std::make_unique<SignsWindow>(
            m_host, [lineOf](const Sign& sign) { return lineOf(sign).opener(); },
            [lineOf](const Sign& sign) {
                return std::make_unique<test::LineClock>(lineOf(sign).clock());
            });
    }
    std::string Settings() const {
        QFile file(m_host.settings);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    QTemporaryDir m_home;
    SiteHost m_host;
    link::FakeLine m_front;
    link::FakeLine m_back;
    ui::ScriptedPrompter m_prompts;
    ui::PrompterScope m_scope{m_prompts};
};

SignDialog* FillDialog(SignsWindow& window, const QString& name, const QString& port) {
    SignDialog* dialog = nullptr;
    for (SignDialog* open : window.findChildren<SignDialog*>()) {
        dialog = open->isVisible() ? open : dialog; // closed ones wait to be deleted
    }
    if (dialog != nullptr) {
        dialog->findChild<QLineEdit*>(QStringLiteral("NameEdit"))->setText(name);
        dialog->findChild<QComboBox*>(QStringLiteral("PortCombo"))->setEditText(port);
        dialog->findChild<QComboBox*>(QStringLiteral("IdCombo"))
            ->setCurrentText(QStringLiteral("0B"));
        dialog->findChild<QLineEdit*>(QStringLiteral("GroupsEdit"))
            ->setText(QStringLiteral(" a, ,b "));
    }
    return dialog;
}

TEST_F(SignsWindowTest, AddEditAndRemoveWriteTheListAndKeepTheRestOfTheFile) {
    auto window = Open("; site\n[Sign]\nshowform=0\n[Ports]\nCOM1=/dev/null\n");
    window->addSign();
    SignDialog* dialog = FillDialog(*window, QStringLiteral("Hall"), QStringLiteral("COM9"));
    ASSERT_NE(dialog, nullptr);
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->problem().contains(QStringLiteral("COM9")))
        << dialog->problem().toStdString();
    FillDialog(*window, QStringLiteral("Hall"), QStringLiteral("tcp://10.0.0.5:2101"));
    dialog->accept();
    QApplication::processEvents();
    EXPECT_EQ(Settings().rfind("; site\n[Sign]\nshowform=0\n[Ports]\nCOM1=/dev/null\n", 0), 0u)
        << Settings();
    ASSERT_EQ(window->model().rowCount(), 1);
    EXPECT_EQ(window->model().signAt(0)->port, QStringLiteral("tcp://10.0.0.5:2101"));
    EXPECT_EQ(window->model().signAt(0)->id, "0B");
    EXPECT_EQ(window->model().signAt(0)->groups,
              QStringList({QStringLiteral("a"), QStringLiteral("b")}));

    // A second sign of that name is refused; a rename leaves no section of the old name.
    window->addSign();
    dialog = FillDialog(*window, QStringLiteral("hall"), QStringLiteral("COM2"));
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());
    dialog->reject();
    window->editSign();
    dialog = FillDialog(*window, QStringLiteral("Lobby"), QStringLiteral("COM2"));
    dialog->accept();
    QApplication::processEvents();
    EXPECT_EQ(Settings().find("[Sign Hall]"), std::string::npos) << Settings();
    EXPECT_NE(Settings().find("[Sign Lobby]"), std::string::npos) << Settings();

    m_prompts.setNextAnswer(QMessageBox::No);
    window->removeSign();
    EXPECT_EQ(window->model().rowCount(), 1);
    m_prompts.setNextAnswer(QMessageBox::Yes);
    window->removeSign();
    EXPECT_EQ(window->model().rowCount(), 0);
    EXPECT_EQ(Settings(), "; site\n[Sign]\nshowform=0\n[Ports]\nCOM1=/dev/null\n");
    EXPECT_EQ(m_prompts.texts().size(), 2);
}

TEST_F(SignsWindowTest, GroupSendEndsWithEachSignsOutcomeAndTheSummary) {
    m_back.setDefaultReply(""); // the back sign never answers
    auto window = Open(kSite);
    window->chooseGroup(QStringLiteral("STORE"));
    QSignalSpy ended(window.get(), &SignsWindow::sendFinished);
    // Every text the front sign's progress cell shows, in turn.
    QStringList front;
    QObject::connect(&window->model(), &QAbstractItemModel::dataChanged, window.get(), [&] {
        const QString text = window->model().progressText(QStringLiteral("Front"));
        if (!text.isEmpty() && (front.isEmpty() || front.back() != text)) {
            front.append(text);
        }
    });
    window->sendLine1();
    EXPECT_TRUE(window->sending());
    ASSERT_TRUE(ended.wait(20000));

    // The row names each step: the line, the page with its part done, each graphic block.
    ASSERT_GE(front.size(), 5);
    EXPECT_EQ(front.mid(0, 3),
              QStringList({QStringLiteral("Waiting for the line"),
                           QStringLiteral("Opening the line"), QStringLiteral("Page A")}))
        << front.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(front.contains(QStringLiteral("Page A 100%")));
    EXPECT_EQ(front.mid(front.size() - 3, 2),
              QStringList({QStringLiteral("Graphic G01 1/1"), QStringLiteral("End of transfer")}))
        << front.join(QStringLiteral(" | ")).toStdString();

    EXPECT_FALSE(window->sending());
    EXPECT_TRUE(
        window->model().progressText(QStringLiteral("Front")).startsWith(QStringLiteral("done")));
    EXPECT_TRUE(
        window->model().progressText(QStringLiteral("Back")).contains(QStringLiteral("Error")))
        << window->model().progressText(QStringLiteral("Back")).toStdString();
    EXPECT_TRUE(window->summary().startsWith(QStringLiteral("1 of 2 signs took page A; Back: ")))
        << window->summary().toStdString();
    EXPECT_GT(m_front.frames().size(), 1u); // the page and the graphic's blocks
    EXPECT_TRUE(window->model()
                    .data(window->model().index(0, SignTableModel::LastOutcomeColumn))
                    .toString()
                    .startsWith(QStringLiteral("page A: done")));

    // The picture shows the front sign's page A as it was sent.
    ASSERT_EQ(window->shownSign(), QStringLiteral("Front"));
    EXPECT_EQ(window->shownPage(), std::optional<char>('A'));
    EXPECT_TRUE(window->picture().hasAnimation());
    EXPECT_TRUE(window->picture().note().isEmpty()) << window->picture().note().toStdString();
}

// Ends a send while the front sign's first frame is on the line: by the Cancel button, or by
// closing the window.
class SignsWindowCancelTest : public SignsWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SignsWindowCancelTest, EndsTheRunningSignAfterItsFrameAndTheRestBeforeTheyStart) {
    std::mutex mutex;
    std::condition_variable changed;
    bool onLine = false;
    bool released = false;
    m_front.setResponder([&](const std::string&) {
        std::unique_lock lock(mutex);
        onLine = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
        return std::string("ACK");
    });
    auto window = Open("[Sign Front]\nPort=COM1\nID=01\n[Sign Side]\nPort=COM1\nID=03\n");
    window->show();
    QSignalSpy ended(window.get(), &SignsWindow::sendFinished);
    window->findChild<QTableView*>(QStringLiteral("SignTable"))->selectAll();
    window->sendLine1();
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return onLine; }));
    }
    for (int i = 0; i < 500 && window->model().progressText(QStringLiteral("Front")) !=
                                   QStringLiteral("Page A");
         ++i) {
        QTest::qWait(10);
    }
    if (GetParam()) {
        window->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    } else {
        window->close();
    }
    // Each row says what Cancel does to it before the sign ends.
    EXPECT_EQ(window->model().progressText(QStringLiteral("Front")),
              QStringLiteral("cancelling: ends after this frame"));
    EXPECT_EQ(window->model().progressText(QStringLiteral("Side")),
              QStringLiteral("Waiting for the line"));
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    changed.notify_all();
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_TRUE(window->model()
                    .progressText(QStringLiteral("Front"))
                    .startsWith(QStringLiteral("cancelled")));
    EXPECT_EQ(window->model().progressText(QStringLiteral("Side")), QStringLiteral("not started"));
    EXPECT_EQ(m_front.frames().size(), 1u);
    EXPECT_EQ(window->shownPage(), std::nullopt); // a cancelled page is not one the sign holds
}

INSTANTIATE_TEST_SUITE_P(ByButtonOrClose, SignsWindowCancelTest, ::testing::Bool());

TEST_F(SignsWindowTest, ThePictureShowsTheUserCharactersTheSignWasSent) {
    // The same page on both signs; only the front sign was sent a solid U41.
    {
        SignStateStore state(SignStatePath(link::FileSystemPath(m_host.settings)));
        const SentPage page{"<Immediate><U41>", {}, QDateTime::currentDateTimeUtc()};
        ASSERT_TRUE(state.update(QStringLiteral("Front"), [&](SignRecord& record) {
            record.pages['A'] = page;
            record.userCharacters = {
                MakeUserCharRecord(0x41, 'A', {0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0xF8})};
        }));
        ASSERT_TRUE(state.update(QStringLiteral("Back"),
                                 [&](SignRecord& record) { record.pages['A'] = page; }));
    }
    auto window = Open(kSite);
    auto* table = window->findChild<QTableView*>(QStringLiteral("SignTable"));
    ASSERT_EQ(window->shownSign(), QStringLiteral("Front"));
    const DotImage sent = window->picture().frame();
    table->setCurrentIndex(window->model().index(1, 0));
    ASSERT_EQ(window->shownSign(), QStringLiteral("Back"));
    const DotImage factory = window->picture().frame();
    EXPECT_NE(sent, factory);
}

// tests/data/signs_window/check_boxes.tsv
TEST_F(SignsWindowTest, CheckShowsTheVerdictAndTheWholeReport) {
    test::ForEachCase("signs_window/check_boxes.tsv", 6, [&](const test::CaseRow& c) {
        const std::string& reach = c.fields[2];
        m_front.setDefaultReply(c.fields[1] == "-" ? std::string() : test::Unescape(c.fields[1]));
        m_front.setOpenFails(reach == "fails");
        const std::filesystem::path settings = link::FileSystemPath(m_host.settings);
        const std::filesystem::path runtime = ServiceRuntimePath(settings);
        std::filesystem::remove(runtime);
        if (reach == "lumivod") {
            Sign front;
            front.name = QStringLiteral("Front");
            front.port = QStringLiteral("COM1");
            ASSERT_TRUE(WriteServiceRuntime(
                runtime, ServiceRuntime{getpid(), QStringLiteral("127.0.0.1:1"), {front}}));
        }
        m_prompts.clear();
        const std::size_t framesBefore = m_front.frames().size();
        auto window = Open(kSite);
        window->show();
        auto* button = window->findChild<QPushButton*>(QStringLiteral("checkButton"));
        ASSERT_NE(button, nullptr);
        QSignalSpy ended(window.get(), &SignsWindow::checkEnded);
        button->click();
        if (ended.isEmpty()) {
            // The row and the button show the check under way.
            EXPECT_TRUE(window->checking());
            EXPECT_FALSE(button->isEnabled());
            EXPECT_FALSE(window->model().progressText(QStringLiteral("Front")).isEmpty());
            ASSERT_TRUE(ended.wait(20000));
        }
        EXPECT_FALSE(window->checking());
        EXPECT_TRUE(button->isEnabled());
        ASSERT_EQ(m_prompts.boxes().size(), 1u);
        const ui::BoxRequest& box = m_prompts.boxes().front().request;
        EXPECT_EQ(box.text.toStdString(), c.fields[3]);
        std::string pieces = c.fields[4];
        if (const auto at = pieces.find("{pid}"); at != std::string::npos) {
            pieces.replace(at, 5, std::to_string(getpid()));
        }
        const std::string details = box.details.toStdString();
        std::size_t from = 0;
        for (std::size_t start = 0, at = 0; at != std::string::npos; start = at + 5) {
            at = pieces.find(" ... ", start);
            const std::string piece = pieces.substr(start, at - start);
            from = details.find(piece, from);
            ASSERT_NE(from, std::string::npos) << "no \"" << piece << "\" in:\n" << details;
        }
        EXPECT_TRUE(window->model()
                        .progressText(QStringLiteral("Front"))
                        .startsWith(QString::fromStdString(c.fields[5])))
            << window->model().progressText(QStringLiteral("Front")).toStdString();
        if (reach != "open") {
            EXPECT_EQ(m_front.frames().size(), framesBefore); // nothing went out
        }
        std::filesystem::remove(runtime);
    });
}

TEST_F(SignsWindowTest, MenuItemMakesTheWindowAtItsFirstUseOnly) {
    test::WriteBytes(link::FileSystemPath(m_host.settings), kSite);
    EXPECT_EQ(SignsWindow::bindMenuItem(m_host), nullptr);
    ASSERT_EQ(m_host.commands.count(QStringLiteral("ShowSigns1")), 1u);
    const auto windows = [] {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            count += qobject_cast<SignsWindow*>(widget) != nullptr && widget->isVisible() ? 1 : 0;
        }
        return count;
    };
    EXPECT_EQ(windows(), 0);
    m_host.commands[QStringLiteral("ShowSigns1")]();
    m_host.commands[QStringLiteral("ShowSigns1")]();
    EXPECT_EQ(windows(), 1);
    m_host.commands.clear(); // the binding owns the window
    EXPECT_EQ(windows(), 0);
}

} // namespace
} // namespace lumivo::signs
