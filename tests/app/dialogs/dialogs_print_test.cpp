// Send via Network end to end: the sign command dialog, the real print dialog listing the queues
// of a CUPS scheduler of the test's own, and the raw job that reaches the queue's capture file.

#include "core/compiler.h"
#include "core/graphic.h"
#include "dialogs/sign_command_dialog.h"
#include "private_scheduler.h"
#include "support/dialogs_test_support.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace lumivo;
using namespace lumivo::test;

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class DialogsPrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"cupsd", "lpadmin", "cupsreject"}) {
            if (PrivateScheduler::FindTool(tool).empty()) {
                GTEST_SKIP() << tool << " is not installed (cups-daemon, cups-client)";
            }
        }
        ASSERT_EQ(m_scheduler.start(), "") << "the private CUPS scheduler did not start";
        m_output = m_scheduler.outputFolder() / "TestSign.bin";
        ASSERT_EQ(m_scheduler.addCaptureQueue("TestSign", m_output), "");
        ASSERT_EQ(m_scheduler.addCaptureQueue("OtherSign", m_scheduler.outputFolder() / "o.bin"),
                  "");
        ASSERT_TRUE(m_graphics.isValid());
        std::vector<std::string> rows;
        for (int y = 0; y < 16; ++y) {
            std::string row;
            for (int x = 0; x < 40; ++x) {
                row += "@ADE"[(x + y) % 4];
            }
            rows.push_back(row);
        }
        ASSERT_TRUE(WriteGraphicFile(GraphicPath(folder(), "G04"), rows).ok());
    }
    void TearDown() override { m_scheduler.stop(); }

    fs::path folder() const { return fs::path(m_graphics.path().toStdString()); }

    std::unique_ptr<ui::TSetID> makeDialog() {
        ui::SignCommandContext context;
        context.connection = ConnectionTo(m_line, true); // real pauses, no serial line used
        context.lineText = [this] { return m_text; };
        context.graphicsFolder = [this] { return folder(); };
        return std::make_unique<ui::TSetID>(std::move(context));
    }

    PrivateScheduler m_scheduler;
    fs::path m_output;
    QTemporaryDir m_graphics;
    link::FakeLine m_line;
    std::string m_text = "<Green>Net <Pic:G04>!";
};

TEST_F(DialogsPrintTest, ThePrintDialogListsTheQueuesAndTheJobArrivesByteForByte) {
    ProbePrompter boxes;
    ui::PrompterScope scope(boxes);
    std::unique_ptr<ui::TSetID> dialog = makeDialog();
    dialog->openSendViaNetwork();
    ChooseText(dialog->findChild<QComboBox*>(QStringLiteral("ComboBox9")), QStringLiteral("7E"));
    ChooseText(dialog->findChild<QComboBox*>(QStringLiteral("ComboBox10")), QStringLiteral("M"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("SendViaNetOK")),
                      Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());

    // The print dialog is up, offering the scheduler's queues.
    auto* print = dialog->findChild<QPrintDialog*>(QStringLiteral("PrintDialog1"));
    ASSERT_NE(print, nullptr);
    ASSERT_TRUE(print->isVisible());
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    EXPECT_TRUE(queues.contains(QStringLiteral("TestSign"))) << queues.join(u' ').toStdString();
    EXPECT_TRUE(queues.contains(QStringLiteral("OtherSign")));
    QComboBox* printers = nullptr;
    for (QComboBox* combo : print->findChildren<QComboBox*>()) {
        if (combo->findText(QStringLiteral("TestSign")) >= 0) {
            printers = combo;
        }
    }
    ASSERT_NE(printers, nullptr) << "no list in the print dialog names the queue";
    printers->setCurrentIndex(printers->findText(QStringLiteral("TestSign")));
    print->accept();

    ASSERT_TRUE(dialog->isRunning());
    ASSERT_TRUE(WaitForCommand(dialog.get(), 30000));
    EXPECT_TRUE(boxes.texts().isEmpty())
        << boxes.texts().join(u'|').toStdString() << m_scheduler.errorLog();
    EXPECT_EQ(dialog->printer().printerName(), QStringLiteral("TestSign"));

    FolderGraphicSource source(folder());
    Result<Page> page = BuildPage(m_text, 0, 'M', "7E", source);
    ASSERT_TRUE(page.ok());
    Result<Graphic> g04 = source.load("G04");
    ASSERT_TRUE(g04.ok());
    std::string expected = page->stream;
    std::size_t blocks = 0;
    for (const Bytes& block : GraphicBlockFrames('D', *g04, "7E")) {
        expected += block;
        ++blocks;
    }
    EXPECT_EQ(blocks, 4u); // 40 dots wide and 16 rows: blocks 1, 2, 5, 6

    // The capture queue writes the job's bytes once the scheduler has run it.
    std::string received;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            received = ReadBytes(m_output);
            return received.size() >= expected.size();
        },
        20000))
        << m_scheduler.errorLog();
    EXPECT_TRUE(received == expected)
        << "received " << received.size() << " bytes, expected " << expected.size();
    EXPECT_EQ(m_line.openCount(), 0);
}

TEST_F(DialogsPrintTest, AQueueThatRejectsJobsIsReportedAsADocumentError) {
    ASSERT_EQ(m_scheduler.runTool({PrivateScheduler::FindTool("cupsreject"), "-h",
                                   m_scheduler.address(), "TestSign"}),
              "");
    ProbePrompter boxes;
    ui::PrompterScope scope(boxes);
    QWidget mainWindow;
    std::unique_ptr<ui::TSetID> dialog = makeDialog();
    dialog->setPrinterChooser([](QWidget*, std::function<void(const QString&)> chosen) {
        chosen(QStringLiteral("TestSign"));
    });
    dialog->openSendViaNetwork();
    dialog->SendViaNetOKClick();
    ASSERT_TRUE(WaitForCommand(dialog.get(), 30000));
    ASSERT_EQ(boxes.texts(), QStringList{QStringLiteral("Printer Doc Error")});
    EXPECT_EQ(boxes.boxes().back().request.kind, ui::MessageKind::Error);
    EXPECT_FALSE(fs::exists(m_output));
}

} // namespace
