#include "app/line_editor.h"

#include "core/document.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace lumivo::ui {

namespace {

constexpr char16_t kLastEightBit = 0xFF;

// Wrapping at word boundaries finds the end of a word before it breaks a row, so on a text
// without blanks it rereads the rest of the paragraph for every row it lays out: the time grows
// with the square of the length. A content longer than this (far beyond any line a sign takes)
// breaks its rows at any character instead, which costs the same for every row.
constexpr int kLongestWordWrappedContent = 8192;

RtfColour ToRtf(const QColor& colour) {
    return RtfColour{static_cast<std::uint8_t>(colour.red()),
                     static_cast<std::uint8_t>(colour.green()),
                     static_cast<std::uint8_t>(colour.blue())};
}

QColor ToQt(const RtfColour& colour) {
    return QColor(colour.r, colour.g, colour.b);
}

// Colour and weight of a character format; what the format leaves open comes from the
// document's font and the default black.
StyledChar StyleOf(const QTextCharFormat& format, const QFont& base) {
    StyledChar style;
    style.colour = format.hasProperty(QTextFormat::ForegroundBrush)
                       ? ToRtf(format.foreground().color())
                       : RtfColour{};
    style.bold = format.hasProperty(QTextFormat::FontWeight) ? format.fontWeight() >= QFont::Bold
                                                             : base.bold();
    return style;
}

QTextCharFormat FormatOf(const StyledChar& style) {
    QTextCharFormat format;
    format.setForeground(ToQt(style.colour));
    format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    return format;
}

QString LatinText(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[static_cast<qsizetype>(i)] =
            QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[i])));
    }
    return text;
}

// The characters a text takes once inserted: a CR or an LF each starts a paragraph, whose break
// the line counts as two.
std::size_t InsertedCharacters(const QString& text) {
    std::size_t count = 0;
    for (QChar c : text) {
        count += (c == QLatin1Char('\r') || c == QLatin1Char('\n')) ? 2 : 1;
    }
    return count;
}

} // namespace

QString KeepEightBit(QStringView text) {
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() <= kLastEightBit) {
            kept.append(c);
        }
    }
    return kept;
}

RtfDocument StyledRange(const QTextDocument& document, int from, int to) {
    RtfDocument out;
    const QFont base = document.defaultFont();
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) {
                continue;
            }
            const int begin = std::max(from, fragment.position());
            const int end = std::min(to, fragment.position() + fragment.length());
            if (begin >= end) {
                continue;
            }
            StyledChar style = StyleOf(fragment.charFormat(), base);
            const QString text = fragment.text();
            for (int pos = begin; pos < end; ++pos) {
                const QChar c = text.at(pos - fragment.position());
                if (c.unicode() > kLastEightBit) {
                    continue;
                }
                style.byte = static_cast<char>(c.unicode());
                out.chars.push_back(style);
            }
        }
        const int separator = block.position() + block.length() - 1;
        if (block.next().isValid() && separator >= from && separator < to) {
            StyledChar style =
                out.chars.empty() ? StyleOf(block.charFormat(), base) : out.chars.back();
            style.byte = '\r';
            out.chars.push_back(style);
            style.byte = '\n';
            out.chars.push_back(style);
        }
    }
    return out;
}

void InsertStyled(QTextCursor& cursor, const RtfDocument& content) {
    // Characters of one colour and weight go in as one run with one format: building and
    // comparing a format per character costs more than the insertion itself on a long line.
    QString run;
    const StyledChar* runStyle = nullptr;
    auto flush = [&] {
        if (!run.isEmpty()) {
            cursor.insertText(run, FormatOf(*runStyle));
            run.clear();
        }
    };
    const std::vector<StyledChar>& chars = content.chars;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        QChar c(static_cast<char16_t>(static_cast<unsigned char>(chars[i].byte)));
        if (chars[i].byte == '\r' || chars[i].byte == '\n') {
            if (chars[i].byte == '\r' && i + 1 < chars.size() && chars[i + 1].byte == '\n') {
                ++i;
            }
            c = QLatin1Char('\n');
        }
        const StyledChar& style = chars[i];
        if (runStyle == nullptr || style.colour != runStyle->colour ||
            style.bold != runStyle->bold) {
            flush();
            runStyle = &style;
        }
        run.append(c);
    }
    flush();
}

bool IsTypedCharacter(const QKeyEvent& event) {
    // Ctrl (without Alt, which with it stands for AltGr on some desktops) makes a command key
    // such as Ctrl+X, whatever text the event carries.
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers.testAnyFlags(Qt::ControlModifier | Qt::MetaModifier) &&
        !modifiers.testFlag(Qt::AltModifier)) {
        return false;
    }
    const QString text = event.text();
    return !text.isEmpty() &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint(); });
}

LineEditor::LineEditor(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    setTabChangesFocus(true);
    setInsertionColour(Qt::black);
    setInsertionBold(true);
    // The document announces a change before it lays the change out, so the wrap that suits
    // the new length is in place for that layout, whatever made the change (opening, pasting,
    // undo and redo).
    connect(document(), &QTextDocument::contentsChange, this, &LineEditor::fitWrapToLength);
}

void LineEditor::fitWrapToLength() {
    const QTextOption::WrapMode wanted = document()->characterCount() > kLongestWordWrappedContent
                                             ? QTextOption::WrapAnywhere
                                             : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != wanted) {
        setWordWrapMode(wanted);
    }
}

void LineEditor::setInsertionColour(const QColor& colour) {
    m_insertion.setForeground(colour);
}

void LineEditor::setInsertionBold(bool bold) {
    m_insertion.setFontWeight(bold ? QFont::Bold : QFont::Normal);
}

QColor LineEditor::insertionColour() const {
    return m_insertion.foreground().color();
}

bool LineEditor::insertionBold() const {
    return m_insertion.fontWeight() >= QFont::Bold;
}

bool LineEditor::holdsWithSelectionReplacedBy(std::size_t added) const {
    const std::size_t selected = LineCharacters(styledSelection());
    const std::size_t now = static_cast<std::size_t>(characterCount());
    return now - selected + added <= kMaxLineCharacters;
}

bool LineEditor::acceptsReplacement(std::size_t added) {
    if (holdsWithSelectionReplacedBy(added)) {
        return true;
    }
    Q_EMIT documentLimitRefused(static_cast<std::size_t>(characterCount()) -
                                LineCharacters(styledSelection()) + added);
    return false;
}

void LineEditor::replaceSelection(const QString& text) {
    const QString kept = KeepEightBit(text);
    if (!acceptsReplacement(InsertedCharacters(kept))) {
        return;
    }
    QTextCursor cursor = textCursor();
    cursor.insertText(kept, m_insertion);
    setTextCursor(cursor);
    ensureCursorVisible();
}

int LineEditor::characterCount() const {
    // Every paragraph but the last ends in one separator the document counts once; the line
    // counts it as CR LF.
    const QTextDocument* doc = document();
    return (doc->characterCount() - 1) + (doc->blockCount() - 1);
}

std::string LineEditor::lineBytes() const {
    return styledContent().text();
}

RtfDocument LineEditor::styledContent() const {
    return StyledRange(*document(), 0, document()->characterCount() - 1);
}

RtfDocument LineEditor::styledSelection() const {
    const QTextCursor cursor = textCursor();
    return StyledRange(*document(), cursor.selectionStart(), cursor.selectionEnd());
}

void LineEditor::setStyledContent(const RtfDocument& content) {
    if (const std::size_t count = LineCharacters(content); count > kMaxLineCharacters) {
        Q_EMIT documentLimitRefused(count);
        return;
    }
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    InsertStyled(cursor, content);
    cursor.endEditBlock();
    setTextCursor(cursor);
}

bool LineEditor::hasSelection() const {
    return textCursor().hasSelection();
}

void LineEditor::deleteSelection() {
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        cursor.removeSelectedText();
        setTextCursor(cursor);
    }
}

void LineEditor::keyPressEvent(QKeyEvent* event) {
    if (IsTypedCharacter(*event)) {
        if (isFull()) {
            event->accept();
            Q_EMIT lengthRefused();
            return;
        }
        // Typed text takes the insertion attributes, whatever the text around the caret has;
        // characters a line cannot hold are swallowed.
        const QString text = KeepEightBit(event->text());
        if (!text.isEmpty()) {
            replaceSelection(text);
        }
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void LineEditor::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (!commit.isEmpty() && !acceptsReplacement(InsertedCharacters(KeepEightBit(commit)))) {
        QInputMethodEvent cleared;
        QTextEdit::inputMethodEvent(&cleared);
        event->accept();
        return;
    }
    if (!commit.isEmpty() && isFull()) {
        // The composition ends without its text.
        QInputMethodEvent cleared;
        QTextEdit::inputMethodEvent(&cleared);
        event->accept();
        Q_EMIT lengthRefused();
        return;
    }
    const QString kept = KeepEightBit(commit);
    if (kept.size() == commit.size()) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QTextEdit::inputMethodEvent(&filtered);
}

QMimeData* LineEditor::createMimeDataFromSelection() const {
    const RtfDocument selection = styledSelection();
    auto* data = new QMimeData;
    const std::string rtf = WriteRtf(selection);
    data->setData(QString::fromLatin1(kLineMimeType), QByteArray::fromStdString(rtf));
    data->setData(QStringLiteral("text/rtf"), QByteArray::fromStdString(rtf));
    QString text = LatinText(selection.text());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    data->setText(text);
    return data;
}

bool LineEditor::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasFormat(QString::fromLatin1(kLineMimeType)) || source->hasText();
}

void LineEditor::insertFromMimeData(const QMimeData* source) {
    if (isFull()) {
        Q_EMIT lengthRefused();
        return;
    }
    const QString lineType = QString::fromLatin1(kLineMimeType);
    if (source->hasFormat(lineType)) {
        const QByteArray bytes = source->data(lineType);
        const Result<RtfDocument> content =
            ReadRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (content.ok()) {
            if (!acceptsReplacement(LineCharacters(content.value()))) {
                return;
            }
            QTextCursor cursor = textCursor();
            cursor.beginEditBlock();
            cursor.removeSelectedText();
            InsertStyled(cursor, content.value());
            cursor.endEditBlock();
            setTextCursor(cursor);
            ensureCursorVisible();
            return;
        }
    }
    if (source->hasText()) {
        replaceSelection(source->text());
    }
}

} // namespace lumivo::ui
