#pragma once

#include "core/rtf.h"

#include <QColor>
#include <QTextCharFormat>
#include <QTextEdit>

#include <string>

namespace lumivo::ui {

// The clipboard format that carries a piece of a line with its colours and weights (as RTF),
// so a paste within the program keeps red tags red.
inline constexpr char kLineMimeType[] = "application/x-lumivo-line";

// The text with every character above U+00FF removed: a line holds 8-bit characters only.
QString KeepEightBit(QStringView text);

// The styled characters of positions [from, to) of a document; a paragraph break is the two
// characters CR LF.
RtfDocument StyledRange(const QTextDocument& document, int from, int to);

// Inserts styled characters at the cursor (replacing its selection). CR LF, a lone CR and a
// lone LF each end a paragraph.
void InsertStyled(QTextCursor& cursor, const RtfDocument& content);

// One line editor. Its content is a run of 8-bit characters, each with a colour and a weight;
// what the user types and what a command inserts take the insertion attributes.
class LineEditor final : public QTextEdit {
    Q_OBJECT
public:
    explicit LineEditor(QWidget* parent = nullptr);

    // Attributes of the text inserted or typed next.
    void setInsertionColour(const QColor& colour);
    void setInsertionBold(bool bold);
    QColor insertionColour() const;
    bool insertionBold() const;

    // Replaces the selection (or inserts at the caret) with the text in the insertion attributes
    // and leaves the caret behind it. Characters above U+00FF are dropped.
    void replaceSelection(const QString& text);

    // The number of characters of the line, a paragraph break counting as CR LF.
    int characterCount() const;
    // The line as bytes, paragraph breaks as CR LF.
    std::string lineBytes() const;

    RtfDocument styledContent() const;
    RtfDocument styledSelection() const;
    // Replaces the whole content in one change, which Undo takes back (a content longer than a
    // document holds is refused). An empty content clears the line undoably.
    void setStyledContent(const RtfDocument& content);

    bool hasSelection() const;
    // Removes the selection without touching the clipboard.
    void deleteSelection();

    // The length at which the editor takes no more text from the user, however it arrives
    // (typed, composed by an input method, pasted or dropped); 0: no limit. Commands that
    // insert through replaceSelection() are not limited. A refused text emits lengthRefused().
    void setLengthLimit(int limit) { m_lengthLimit = limit; }
    bool isFull() const { return m_lengthLimit > 0 && characterCount() >= m_lengthLimit; }

    // Whether the line still holds no more than a message document does (kMaxLineCharacters)
    // once `added` characters replace the selection. No text that would pass it is taken, by
    // command, paste, drop or opening: whatever the editor holds can be saved and opened again.
    bool holdsWithSelectionReplacedBy(std::size_t added) const;

Q_SIGNALS:
    void lengthRefused();
    // A change was refused because the line would hold `characters`, more than a document does.
    void documentLimitRefused(std::size_t characters);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Chooses how rows wrap for the current length (see the source for why).
    void fitWrapToLength();
    // Refuses (and reports) a change that would make the line longer than a document holds.
    bool acceptsReplacement(std::size_t added);

    QTextCharFormat m_insertion;
    int m_lengthLimit = 0;
};

// True when a key press writes text (a printable character) rather than moving or editing.
bool IsTypedCharacter(const QKeyEvent& event);

} // namespace lumivo::ui
