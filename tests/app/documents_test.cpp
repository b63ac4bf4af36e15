// Message documents (New, Open, Save) and the clipboard commands, through the window.

#include "app/settings_path.h"
#include "app_test_support.h"
#include "core/document.h"
#include "support/small_file_system.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QTabWidget>
#include <QTimer>

#include <fstream>
#include <sstream>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivo::ui::test {
namespace {

class DocumentsTest : public EditorTest {
protected:
    void SaveAs(const QString& name) {
        m_prompts.setNextFileName(name);
        Trigger("Save");
    }
    void OpenFile(const QString& name) {
        m_prompts.setNextFileName(name);
        Trigger("Open");
    }
    // Line 1 holds "ab<Red>cd": black, red tag, black.
    void WriteTaggedLine() {
        Type(line1(), QStringLiteral("ab"));
        Trigger("Red1");
        Type(line1(), QStringLiteral("cd"));
        ASSERT_EQ(Text(), "ab<Red>cd");
    }
};

// One long paragraph: `header`, `unit` repeated, letters to make up the length, `trailer`.
struct LongDocument {
    const char* what;
    std::string_view header;
    std::string_view unit;
    std::size_t unitCharacters; // what one unit puts in the line
    std::string_view trailer;
};

constexpr LongDocument kLongDocuments[] = {
    {"plain text without blanks", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 26, ""},
    {"plain text", "", "Sale now ", 9, ""},
    {"red tags between black text",
     "{\\rtf1\\ansi{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue0;}\\b ",
     "\\cf1 <Red>\\cf2 Sale now ", 14, "}"},
    {"the weight changing at every character", "{\\rtf1\\ansi ", "\\b a\\b0 b", 2, "}"},
};

// A document whose line has `characters` characters.
std::string Filled(const LongDocument& document, std::size_t characters) {
    std::string bytes(document.header);
    std::size_t count = 0;
    for (; count + document.unitCharacters <= characters; count += document.unitCharacters) {
        bytes += document.unit;
    }
    bytes.append(characters - count, 'x');
    bytes += document.trailer;
    return bytes;
}

TEST_F(DocumentsTest, SaveThenOpenGivesBackTextAndColours) {
    StartQuiet();
    WriteTaggedLine();
    const RtfDocument before = line1().styledContent();
    const QString path = HomeFile(QStringLiteral("tagged.lmv"));
    SaveAs(path);
    EXPECT_TRUE(m_prompts.boxes().empty());

    const std::string file = ReadFileBytes(path);
    EXPECT_TRUE(LooksLikeRtf(file)) << file;
    const Result<RtfDocument> stored = ReadRtf(file);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored.value(), before);

    Trigger("New");
    EXPECT_EQ(Text(), "");
    OpenFile(path);
    EXPECT_EQ(line1().styledContent(), before);
    EXPECT_TRUE(Coloured(line1().styledContent(), 2, 7, kRed));
    EXPECT_EQ(m_main->statusPanelText(1), QStringLiteral("9"));
}

TEST_F(DocumentsTest, FileDialogsOfferTheDocumentFiltersAndDefaultExtension) {
    StartQuiet();
    Type(line1(), QStringLiteral("x"));
    SaveAs(HomeFile(QStringLiteral("noextension")));
    EXPECT_TRUE(QFile::exists(HomeFile(QStringLiteral("noextension.lmv"))));
    EXPECT_FALSE(QFile::exists(HomeFile(QStringLiteral("noextension"))));
    SaveAs(HomeFile(QStringLiteral("other.txt")));
    EXPECT_TRUE(QFile::exists(HomeFile(QStringLiteral("other.txt"))));
    OpenFile(HomeFile(QStringLiteral("other.txt")));

    ASSERT_EQ(m_prompts.fileRequests().size(), 3u);
    for (const FileRequest& request : m_prompts.fileRequests()) {
        EXPECT_EQ(request.filters, (QStringList{QStringLiteral("*.lmv"), QStringLiteral("*.*")}));
        EXPECT_EQ(request.defaultSuffix, QStringLiteral("lmv"));
    }
    EXPECT_EQ(m_prompts.fileRequests()[0].mode, FileRequest::Mode::Save);
    EXPECT_EQ(m_prompts.fileRequests()[2].mode, FileRequest::Mode::Open);
}

TEST_F(DocumentsTest, CancelledDialogsChangeNothing) {
    StartQuiet();
    Type(line1(), QStringLiteral("keep"));
    Trigger("Open"); // no file name queued: the dialog is cancelled
    Trigger("Save");
    EXPECT_EQ(Text(), "keep");
    EXPECT_EQ(m_prompts.fileRequests().size(), 2u);
    EXPECT_TRUE(m_prompts.boxes().empty());
    EXPECT_EQ(QDir(m_home.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("lumivo.INI")});
}

TEST_F(DocumentsTest, PlainTextOpensInTheInsertionColourByteForByte) {
    StartQuiet();
    const QString path = HomeFile(QStringLiteral("plain.lmv"));
    WriteFileBytes(path, "<Red>abc");
    OpenFile(path);
    EXPECT_EQ(Text(), "<Red>abc");
    EXPECT_TRUE(Coloured(line1().styledContent(), 0, 8, kBlack)); // the tag is not red

    // Every byte but the line ends (and NUL, which no text holds) is one character and comes
    // back as it was.
    std::string bytes;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            bytes.push_back(static_cast<char>(b));
        }
    }
    bytes += "\r\nend";
    WriteFileBytes(path, bytes);
    OpenFile(path);
    EXPECT_EQ(Text(), bytes);
    const QString saved = HomeFile(QStringLiteral("bytes.lmv"));
    SaveAs(saved);
    Trigger("New");
    OpenFile(saved);
    EXPECT_EQ(Text(), bytes);
    EXPECT_TRUE(m_prompts.texts().contains(QStringLiteral("Max length is 210 chars")));
}

TEST_F(DocumentsTest, OpeningReplacesLine1OnlyAndReportsALongLineOnce) {
    TForm1& main = StartQuiet();
    Type(line1(), QStringLiteral("old"));
    main.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    Type(*main.line2(), QStringLiteral("second"));
    main.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(0);

    const QString path = HomeFile(QStringLiteral("long.lmv"));
    WriteFileBytes(path, std::string(300, 'L'));
    OpenFile(path);
    EXPECT_EQ(Text(), std::string(300, 'L'));
    EXPECT_EQ(main.line2()->lineBytes(), "second");
    EXPECT_EQ(main.statusPanelText(1), QStringLiteral("300"));
    EXPECT_EQ(m_prompts.texts(), QStringList{QStringLiteral("Max length is 210 chars")});

    Trigger("New");
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(main.line2()->lineBytes(), "");
    EXPECT_EQ(main.statusPanelText(1), QStringLiteral("0"));
    Trigger("New"); // harmless on an empty window
    EXPECT_EQ(main.statusPanelText(1), QStringLiteral("0"));
}

TEST_F(DocumentsTest, DamagedDocumentsNeverHalfReplaceTheLine) {
    StartQuiet();
    WriteTaggedLine();
    const QString good = HomeFile(QStringLiteral("good.lmv"));
    SaveAs(good);
    const std::string rtf = ReadFileBytes(good);

    // A truncated document is not RTF any more: it is read whole as plain text.
    const QString cut = HomeFile(QStringLiteral("cut.lmv"));
    const std::string truncated = rtf.substr(0, rtf.size() / 2);
    WriteFileBytes(cut, truncated);
    OpenFile(cut);
    EXPECT_EQ(Text(), truncated);
    EXPECT_TRUE(Coloured(line1().styledContent(), 0, truncated.size(), kBlack));

    // Unbalanced groups nested beyond any document, and random bytes, also read as text.
    WriteFileBytes(cut, "{\\rtf1" + std::string(5000, '{'));
    OpenFile(cut);
    EXPECT_EQ(Text().size(), 5006u);

    // A missing file leaves the line as it was.
    OpenFile(good);
    const RtfDocument before = line1().styledContent();
    m_prompts.clear();
    const QString missing = HomeFile(QStringLiteral("missing.lmv"));
    OpenFile(missing);
    EXPECT_EQ(m_prompts.texts(),
              QStringList{QStringLiteral("Cannot open file ") + QDir::toNativeSeparators(missing)});
    EXPECT_EQ(m_prompts.boxes().back().request.kind, MessageKind::Error);
    EXPECT_EQ(line1().styledContent(), before);

    // A file too large to be a line is refused whole.
    const QString huge = HomeFile(QStringLiteral("huge.lmv"));
    WriteFileBytes(huge, std::string(5 * 1024 * 1024, 'x'));
    m_prompts.clear();
    OpenFile(huge);
    EXPECT_EQ(m_prompts.texts(), QStringList{QStringLiteral("Failed to Load Stream")});
    EXPECT_EQ(line1().styledContent(), before);
}

TEST_F(DocumentsTest, AFailedSaveKeepsTheOldDocument) {
    StartQuiet();
    Type(line1(), QStringLiteral("first"));
    const QString path = HomeFile(QStringLiteral("doc.lmv"));
    SaveAs(path);
    const std::string old = ReadFileBytes(path);
    ASSERT_FALSE(old.empty());

    Trigger("New");
    Type(line1(), QStringLiteral("second"));
    const QString nowhere = HomeFile(QStringLiteral("no/such/folder/doc.lmv"));
    SaveAs(nowhere);
    EXPECT_EQ(m_prompts.texts(), QStringList{QStringLiteral("Cannot create file ") +
                                             QDir::toNativeSeparators(nowhere)});
    EXPECT_EQ(m_prompts.boxes().back().request.kind, MessageKind::Error);

    // A folder where the document should go cannot be replaced; the folder stays.
    m_prompts.clear();
    const QString folder = HomeFile(QStringLiteral("folder.lmv"));
    ASSERT_TRUE(QDir(m_home.path()).mkdir(QStringLiteral("folder.lmv")));
    SaveAs(folder);
    ASSERT_EQ(m_prompts.texts().size(), 1);
    EXPECT_TRUE(m_prompts.texts()[0] == QStringLiteral("Failed to Save Stream") ||
                m_prompts.texts()[0] ==
                    QStringLiteral("Cannot create file ") + QDir::toNativeSeparators(folder))
        << m_prompts.texts()[0].toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());

    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(QDir(m_home.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("doc.lmv"), QStringLiteral("lumivo.INI")}));
}

TEST_F(DocumentsTest, ASaveOverWhatIsNotARegularFileIsRefusedWithTheReason) {
    StartQuiet();
    Type(line1(), QStringLiteral("text"));
    const QString fifo = HomeFile(QStringLiteral("fifo.lmv"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString device = HomeFile(QStringLiteral("device.lmv"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), device));
    for (const QString& target : {fifo, device}) {
        SCOPED_TRACE(target.toStdString());
        m_prompts.clear();
        SaveAs(target);
        ASSERT_EQ(m_prompts.boxes().size(), 1u);
        const BoxRequest& box = m_prompts.boxes().front().request;
        EXPECT_EQ(box.kind, MessageKind::Error);
        EXPECT_EQ(box.text, QStringLiteral("Cannot create file ") + target);
        EXPECT_EQ(box.details, QStringLiteral("Cannot write ") + target +
                                   QStringLiteral(": not a regular file"));
    }
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_TRUE(QFileInfo(device).isSymLink());
}

TEST_F(DocumentsTest, ASaveOnAFullDiskSaysSoAndKeepsTheOldDocument) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    const lumivo::test::SmallFileSystem disk;
    if (!disk.mounted()) {
        GTEST_SKIP() << "no tmpfs could be mounted here";
    }
    StartQuiet();
    Type(line1(), QStringLiteral("first"));
    const QString path = QFile::decodeName(QByteArray::fromStdString((disk.path() / "doc.lmv")));
    SaveAs(path);
    ASSERT_TRUE(m_prompts.boxes().empty());
    const std::string old = ReadFileBytes(path);
    disk.fill();

    Type(line1(), Repeat('x', 200));
    SaveAs(path);
    ASSERT_EQ(m_prompts.boxes().size(), 1u);
    const BoxRequest& box = m_prompts.boxes().front().request;
    EXPECT_EQ(box.kind, MessageKind::Error);
    EXPECT_EQ(box.text, QStringLiteral("Failed to Save Stream"));
    EXPECT_EQ(box.details, QStringLiteral("Cannot write ") + path + QStringLiteral(": ") +
                               QString::fromLocal8Bit(std::strerror(ENOSPC)));
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(
        QDir(QFile::decodeName(QByteArray::fromStdString(disk.path()))).entryList(QDir::Files),
        (QStringList{QStringLiteral("doc.lmv"), QStringLiteral("filler")}));
}

TEST_F(DocumentsTest, CopyAndPasteWithinTheProgramKeepTagsRed) {
    StartQuiet();
    WriteTaggedLine();
    line1().selectAll();
    Trigger("Copy");
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QString::fromLatin1(kLineMimeType)));
    EXPECT_EQ(data->text(), QStringLiteral("ab<Red>cd"));

    line1().moveCursor(QTextCursor::End);
    Trigger("Paste");
    EXPECT_EQ(Text(), "ab<Red>cdab<Red>cd");
    const RtfDocument line = line1().styledContent();
    EXPECT_TRUE(Coloured(line, 9, 11, kBlack));
    EXPECT_TRUE(Coloured(line, 11, 16, kRed));
    EXPECT_TRUE(Coloured(line, 16, 18, kBlack));

    // Text from elsewhere arrives in the insertion colour, without what a line cannot hold.
    QApplication::clipboard()->setText(QStringLiteral("<Red>\u20AC\u00E9"));
    Trigger("Paste1");
    EXPECT_EQ(Text(), "ab<Red>cdab<Red>cd<Red>\xE9");
    EXPECT_TRUE(Coloured(line1().styledContent(), 18, 24, kBlack));
}

TEST_F(DocumentsTest, PasteChecksTheLengthBeforeAndNotAfter) {
    TForm1& main = StartQuiet();
    QApplication::clipboard()->setText(QStringLiteral("12345"));
    line1().replaceSelection(Repeat('a', 209));
    Trigger("Paste");
    EXPECT_EQ(main.TextLength(main.line1()), 214); // pasted whole, then reported
    EXPECT_EQ(m_prompts.texts(), QStringList{QStringLiteral("Max length is 210 chars")});

    Trigger("New");
    line1().replaceSelection(Repeat('a', 210));
    m_prompts.clear();
    for (const char* paste : {"Paste", "Paste1", "ToolButton7"}) {
        Trigger(paste);
    }
    TypeKey(line1(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(main.TextLength(main.line1()), 210);
    EXPECT_EQ(m_prompts.texts(), QStringList(4, QStringLiteral("Max length is 210 chars")));
}

TEST_F(DocumentsTest, CutCopyAndDeleteActOnTheSelectionOnly) {
    StartQuiet();
    QApplication::clipboard()->setText(QStringLiteral("clip"));
    Type(line1(), QStringLiteral("hello world"));
    Trigger("Cut"); // nothing selected: nothing happens
    Trigger("Copy");
    Trigger("Delete");
    EXPECT_EQ(Text(), "hello world");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("clip"));

    QTextCursor cursor = line1().textCursor();
    cursor.setPosition(0);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    line1().setTextCursor(cursor);
    Trigger("Delete");
    EXPECT_EQ(Text(), "world");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("clip"));

    line1().selectAll();
    Trigger("ToolButton5"); // Cut
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("world"));
    EXPECT_EQ(m_main->statusPanelText(1), QStringLiteral("0"));
}

TEST_F(DocumentsTest, TheLongestDocumentOpensPaintsAndEditsWithoutFreezing) {
    TForm1& main = StartQuiet();
    // Far above what any of these takes on an idle machine, so a loaded one cannot fail it; a
    // layout whose time grows faster than the length takes many times longer.
    constexpr qint64 kBoundMs = 3000;
    const QString path = HomeFile(QStringLiteral("long.lmv"));
    for (const LongDocument& document : kLongDocuments) {
        SCOPED_TRACE(document.what);
        WriteFileBytes(path, Filled(document, kMaxLineCharacters));
        const DocumentRead expected = ReadMessageDocument(FileSystemPath(path), kBlack, true);
        ASSERT_TRUE(expected.ok()) << expected.message;
        Trigger("New");

        QElapsedTimer clock;
        clock.start();
        OpenFile(path);
        const qint64 open = clock.restart();
        EXPECT_EQ(line1().styledContent(), expected.document);
        clock.restart();
        main.grab();
        const qint64 paint = clock.restart();
        TypeKey(line1(), Qt::Key_End, Qt::ControlModifier);
        TypeKey(line1(), Qt::Key_Backspace);
        const qint64 edit = clock.restart();
        EXPECT_EQ(line1().characterCount() + 1, static_cast<int>(expected.document.chars.size()));
        line1().document()->undo(); // the character back
        line1().document()->undo(); // the empty line
        EXPECT_EQ(Text(), "");
        line1().document()->redo(); // the document again
        const qint64 undo = clock.elapsed();
        EXPECT_EQ(line1().styledContent(), expected.document);

        std::printf("%s: %zu characters; open %lld ms, first paint %lld ms, backspace %lld ms, "
                    "undo and redo %lld ms\n",
                    document.what, expected.document.chars.size(), static_cast<long long>(open),
                    static_cast<long long>(paint), static_cast<long long>(edit),
                    static_cast<long long>(undo));
        EXPECT_LT(open, kBoundMs);
        EXPECT_LT(paint, kBoundMs);
        EXPECT_LT(edit, kBoundMs);
        EXPECT_LT(undo, kBoundMs);
    }
}

TEST_F(DocumentsTest, ADocumentOverTheLargestSizeIsRefusedWholeWithItsSize) {
    StartQuiet();
    Type(line1(), QStringLiteral("keep"));
    const RtfDocument before = line1().styledContent();
    const QString path = HomeFile(QStringLiteral("over.lmv"));
    for (const LongDocument& document : kLongDocuments) {
        SCOPED_TRACE(document.what);
        WriteFileBytes(path, Filled(document, kMaxLineCharacters + 1));
        m_prompts.clear();
        OpenFile(path);
        ASSERT_EQ(m_prompts.boxes().size(), 1u);
        const BoxRequest& box = m_prompts.boxes().front().request;
        EXPECT_EQ(box.text, QStringLiteral("Failed to Load Stream"));
        EXPECT_EQ(box.kind, MessageKind::Error);
        EXPECT_TRUE(box.details.contains(path)) << box.details.toStdString();
        EXPECT_TRUE(box.details.contains(QString::number(kMaxLineCharacters + 1)))
            << box.details.toStdString();
        EXPECT_EQ(line1().styledContent(), before);
    }
}

TEST_F(DocumentsTest, NewAndOpenAreUndoneAndRedoneInTheLineEditor) {
    StartQuiet();
    WriteTaggedLine();
    const RtfDocument tagged = line1().styledContent();
    const QString path = HomeFile(QStringLiteral("other.lmv"));
    WriteFileBytes(path, "other");
    auto undo = [this] { TypeKey(line1(), Qt::Key_Z, Qt::ControlModifier); };
    auto redo = [this] { TypeKey(line1(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); };

    Trigger("New");
    EXPECT_EQ(Text(), "");
    undo();
    EXPECT_EQ(line1().styledContent(), tagged); // colours and all
    redo();
    EXPECT_EQ(Text(), "");
    undo();
    OpenFile(path);
    EXPECT_EQ(Text(), "other");
    undo();
    EXPECT_EQ(line1().styledContent(), tagged);
    redo();
    EXPECT_EQ(Text(), "other");
    EXPECT_TRUE(m_prompts.boxes().empty());
}

TEST_F(DocumentsTest, APictureIsNotLoadedAndLine1Stays) {
    StartQuiet();
    Type(line1(), QStringLiteral("keep"));
    const RtfDocument before = line1().styledContent();
    const QString path = HomeFile(QStringLiteral("picture.png"));
    WriteFileBytes(path, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    OpenFile(path);
    ASSERT_EQ(m_prompts.boxes().size(), 1u);
    EXPECT_EQ(m_prompts.boxes()[0].request.text, QStringLiteral("Failed to Load Stream"));
    EXPECT_TRUE(m_prompts.boxes()[0].request.details.contains(QStringLiteral("NUL bytes")));
    EXPECT_EQ(line1().styledContent(), before);
}

TEST_F(DocumentsTest, NoCommandOrPasteMakesALineLongerThanADocumentHolds) {
    StartQuiet();
    const QString path = HomeFile(QStringLiteral("longest.lmv"));
    WriteFileBytes(path, std::string(kMaxLineCharacters, 'x'));
    OpenFile(path);
    m_prompts.clear();
    Trigger("Red1");
    EXPECT_EQ(line1().characterCount(), static_cast<int>(kMaxLineCharacters));
    Trigger("New");
    QApplication::clipboard()->setText(Repeat('y', static_cast<int>(kMaxLineCharacters) + 1));
    Trigger("Paste");
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(m_prompts.texts(),
              QStringList(2, QStringLiteral("A line holds at most 6000 characters")));
    EXPECT_TRUE(m_prompts.boxes()[1].request.details.contains(QStringLiteral("6001")));
}

TEST(OpenDialog, TakesATypedNameAsItIsBeforeAddingTheDefaultExtension) {
    std::ifstream table(LUMIVO_TEST_DATA_DIR "/documents/open_names.txt");
    FileRequest request;
    request.defaultSuffix = QStringLiteral("lmv");
    int cases = 0;
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string present, typed, opened, bar;
        if (line.front() == '#' || !std::getline(fields, present, '|') ||
            !(fields >> typed >> bar >> opened)) {
            continue;
        }
        SCOPED_TRACE(line);
        QTemporaryDir folder;
        std::istringstream names(present);
        for (std::string name; names >> name;) {
            WriteFileBytes(folder.filePath(QString::fromStdString(name)), "x");
        }
        const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(nullptr, request);
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setDirectory(folder.path());
        dialog->show();
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QString::fromStdString(typed));
        // A name the dialog finds missing makes it say so in a box: close that box, so a wrong
        // choice fails the test instead of waiting for a click.
        QTimer::singleShot(1000, [] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                box->close();
            }
        });
        static_cast<QDialog*>(dialog.get())->accept(); // the Open button
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(dialog->selectedFiles(),
                  QStringList{folder.filePath(QString::fromStdString(opened))});
        ++cases;
    }
    EXPECT_EQ(cases, 4);
}

} // namespace
} // namespace lumivo::ui::test
