// The editor's command line: what it reads, and a document named on it opened at start.

#include "app_test_support.h"

#include "app/startup.h"
#include "core/document.h"
#include "core/version.h"
#include "support/program_run.h"

#include <QDir>

#include <sstream>

namespace lumivo::ui::test {
namespace {

class EditorStartTest : public EditorTest {
protected:
    // Starts the editor as "lumivo FILE" would, with no colour question.
    void StartWith(const QString& document) {
        m_main.reset();
        m_prompts.clear();
        WriteFileBytes(settingsPath(), "[Sign]\nshowform=0\n");
        EditorOptions options;
        options.document = document;
        m_main = StartEditor(options);
    }
};

TEST_F(EditorStartTest, ADocumentNamedAtStartOpensInLine1) {
    RtfDocument styled = RtfDocument::fromText("ab");
    for (const StyledChar& c : RtfDocument::fromText("<Red>", kRed).chars) {
        styled.chars.push_back(c);
    }
    const QString rtf = HomeFile(QStringLiteral("styled.lmv"));
    WriteFileBytes(rtf, WriteRtf(styled));
    const QString plain = HomeFile(QStringLiteral("plain.lmv"));
    WriteFileBytes(plain, "<Red>abc\r\nx");

    // A plain text file takes the editor's insertion colour and weight, as File > Open gives it.
    const auto plainExpected = [this] {
        const QColor colour = line1().insertionColour();
        return RtfDocument::fromText("<Red>abc\r\nx",
                                     {static_cast<std::uint8_t>(colour.red()),
                                      static_cast<std::uint8_t>(colour.green()),
                                      static_cast<std::uint8_t>(colour.blue())},
                                     line1().insertionBold());
    };
    for (const QString& path : {rtf, plain}) {
        StartWith(path);
        const RtfDocument expected = path == rtf ? styled : plainExpected();
        EXPECT_TRUE(m_main->isVisible());
        EXPECT_EQ(line1().styledContent(), expected) << path.toStdString();
        EXPECT_EQ(m_main->line2()->lineBytes(), "");
        EXPECT_TRUE(m_prompts.boxes().empty());
        EXPECT_EQ(m_main->statusPanelText(1), QString::number(expected.chars.size()));
    }
}

TEST_F(EditorStartTest, AnUnreadableDocumentShowsTheOpenBoxesAndStartsEmpty) {
    const QString huge = HomeFile(QStringLiteral("huge.lmv"));
    WriteFileBytes(huge, std::string(kMaxDocumentBytes + 1, 'x'));
    ASSERT_TRUE(QDir(m_home.path()).mkdir(QStringLiteral("folder.lmv")));
    const QString missing = HomeFile(QStringLiteral("missing.lmv"));
    const QString folder = HomeFile(QStringLiteral("folder.lmv"));

    struct Case {
        QString path;
        QString box;
    };
    for (const Case& c : {
             Case{missing, QStringLiteral("Cannot open file ") + QDir::toNativeSeparators(missing)},
             Case{folder, QStringLiteral("Cannot open file ") + QDir::toNativeSeparators(folder)},
             Case{huge, QStringLiteral("Failed to Load Stream")},
         }) {
        StartWith(c.path);
        EXPECT_TRUE(m_main->isVisible());
        EXPECT_EQ(m_prompts.texts(), QStringList{c.box});
        ASSERT_FALSE(m_prompts.boxes().empty());
        EXPECT_EQ(m_prompts.boxes().back().request.kind, MessageKind::Error);
        EXPECT_EQ(Text(), "");
    }
}

TEST(EditorArguments, DocumentAndSwitchesAreTakenAndWindowSystemOptionsLetThrough) {
    struct Case {
        std::vector<std::string> args;
        QString document;
        bool quitAfterShow;
    };
    const Case cases[] = {
        {{}, QString(), false},
        {{"line.lmv"}, QStringLiteral("line.lmv"), false},
        {{"-style", "fusion", "line.lmv", "-platform", "offscreen"},
         QStringLiteral("line.lmv"),
         false},
        {{"--quit-after-show", "caf\xC3\xA9.lmv"}, QStringLiteral("caf\u00E9.lmv"), true},
        {{"--", "-dash.lmv"}, QStringLiteral("-dash.lmv"), false},
    };
    for (const Case& c : cases) {
        EditorOptions options;
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(ReadEditorArguments(c.args, options, out, err), std::nullopt) << err.str();
        EXPECT_EQ(options.document, c.document);
        EXPECT_EQ(options.quitAfterShow, c.quitAfterShow);
        EXPECT_EQ(out.str() + err.str(), "");
    }
}

// Run as a process with no display at all: the command line is answered before the window
// system is needed.
TEST(EditorProgram, HelpVersionAndUsageErrorsNeedNoDisplay) {
    lumivo::test::ExpectCommandLines(
        LUMIVO_EDITOR_PATH,
        {
            {{"--help"}, 0, "usage: lumivo ", ""},
            {{"-h", "line.lmv"}, 0, "usage: lumivo ", ""},
            {{"--version"}, 0, std::string("lumivo ") + kVersion + "\n", ""},
            {{"--bogus"}, 2, "", "lumivo: unknown option --bogus\nusage: lumivo "},
            {{"a.lmv", "b.lmv"}, 2, "", "lumivo: give one document at most\n"},
            {{"-style"}, 2, "", "lumivo: -style needs a value\n"},
        },
        {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
}

} // namespace
} // namespace lumivo::ui::test
