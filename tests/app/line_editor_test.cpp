// The line editor: 8-bit content, paragraph breaks as CR LF, styled ranges and the clipboard
// format.

#include "app/line_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <memory>

namespace lumivo::ui {
namespace {

constexpr RtfColour kRed{255, 0, 0};
constexpr RtfColour kBlue{0, 0, 200};

RtfDocument Mixed() {
    RtfDocument doc = RtfDocument::fromText("ab", {}, true);
    const RtfDocument tag = RtfDocument::fromText("<Red>", kRed, true);
    doc.chars.insert(doc.chars.end(), tag.chars.begin(), tag.chars.end());
    const RtfDocument plain = RtfDocument::fromText("cd", kBlue, false);
    doc.chars.insert(doc.chars.end(), plain.chars.begin(), plain.chars.end());
    return doc;
}

TEST(LineEditor, HoldsEveryByteWithItsColourAndWeight) {
    LineEditor editor;
    RtfDocument doc;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            doc.chars.push_back(
                StyledChar{static_cast<char>(b), RtfColour{std::uint8_t(b), 0, 0}, b % 2 == 0});
        }
    }
    editor.setStyledContent(doc);
    EXPECT_EQ(editor.styledContent(), doc);
    EXPECT_EQ(editor.characterCount(), 254);
    EXPECT_EQ(editor.lineBytes(), doc.text());
}

TEST(LineEditor, ParagraphBreaksCountAndReadAsCrLf) {
    LineEditor editor;
    editor.setStyledContent(RtfDocument::fromText("a\r\nb\nc\rd", {}, true));
    EXPECT_EQ(editor.document()->blockCount(), 4);
    EXPECT_EQ(editor.lineBytes(), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(editor.characterCount(), 10);

    editor.setStyledContent(RtfDocument::fromText("\r\n\r\n", {}, true));
    EXPECT_EQ(editor.characterCount(), 4);
    EXPECT_EQ(editor.lineBytes(), "\r\n\r\n");
}

TEST(LineEditor, StyledRangeCutsFragmentsAndBreaks) {
    LineEditor editor;
    RtfDocument doc = Mixed();
    editor.setStyledContent(doc);
    const RtfDocument middle = StyledRange(*editor.document(), 1, 8);
    EXPECT_EQ(middle.text(), "b<Red>c");
    EXPECT_EQ(middle.chars[0].colour, RtfColour{});
    EXPECT_EQ(middle.chars[1].colour, kRed);
    EXPECT_FALSE(middle.chars[6].bold);

    editor.setStyledContent(RtfDocument::fromText("ab\r\ncd", kRed, true));
    EXPECT_EQ(StyledRange(*editor.document(), 1, 4).text(), "b\r\nc");
    EXPECT_EQ(StyledRange(*editor.document(), 2, 3).text(), "\r\n");
    EXPECT_EQ(StyledRange(*editor.document(), 3, 3).text(), "");
}

TEST(LineEditor, InsertionAttributesApplyToReplacedAndTypedText) {
    LineEditor editor;
    editor.setInsertionColour(QColor(255, 0, 0));
    editor.replaceSelection(QStringLiteral("<Red>\u0100"));
    editor.setInsertionColour(Qt::black);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(&editor, &key);
    const RtfDocument content = editor.styledContent();
    ASSERT_EQ(content.text(), "<Red>x");
    EXPECT_EQ(content.chars[4].colour, kRed);
    EXPECT_EQ(content.chars[5].colour, RtfColour{});
    EXPECT_TRUE(content.chars[5].bold);
    EXPECT_EQ(editor.textCursor().position(), 6);
}

TEST(LineEditor, TheClipboardFormatCarriesColoursAndPlainText) {
    LineEditor source;
    source.setStyledContent(Mixed());
    source.selectAll();
    source.copy();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat(QString::fromLatin1(kLineMimeType)));
    EXPECT_TRUE(data->hasFormat(QStringLiteral("text/rtf")));
    EXPECT_EQ(data->text(), QStringLiteral("ab<Red>cd"));

    LineEditor target;
    target.replaceSelection(QStringLiteral("[]"));
    target.moveCursor(QTextCursor::Left);
    target.paste();
    RtfDocument expected = RtfDocument::fromText("[", {}, true);
    for (const StyledChar& c : Mixed().chars) {
        expected.chars.push_back(c);
    }
    expected.chars.push_back(StyledChar{']', {}, true});
    EXPECT_EQ(target.styledContent(), expected);

    // A damaged private format falls back to the plain text beside it.
    auto* damaged = new QMimeData;
    damaged->setData(QString::fromLatin1(kLineMimeType), "{\\rtf1 {{");
    damaged->setText(QStringLiteral("xy\u20AC"));
    QApplication::clipboard()->setMimeData(damaged);
    target.clear();
    EXPECT_TRUE(target.canPaste());
    target.paste();
    EXPECT_EQ(target.lineBytes(), "xy");
}

TEST(LineEditor, KeepEightBitDropsWiderCharacters) {
    EXPECT_EQ(KeepEightBit(u"a\u00FF\u0100b\U0001F600"), QStringLiteral("a\u00FFb"));
}

} // namespace
} // namespace lumivo::ui
