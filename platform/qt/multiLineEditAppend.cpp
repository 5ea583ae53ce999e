// Appending received text to an edit box: at a cost that grows with the piece only, leaving the
// user's caret, selection and view alone, and painting again only what shows the change.
#include <algorithm>
#include <cmath>

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include "platform/qt/multiLineEdit.h"

namespace {

// Received text goes into the last block a part of at most this long at a time, and a last block
// this long is ended at the next line break or cut before its last wrapped row: an append lays
// out at most about twice this much again.
constexpr int longLine = 1024;

// Changes the document as the program, not the user: nothing for the undo stack (received
// data would pile up there).
class ProgramEdit {
public:
    explicit ProgramEdit(QTextDocument& document) : document_(document), undo_(document.isUndoRedoEnabled()) {
        document.setUndoRedoEnabled(false);
    }
    ~ProgramEdit() { document_.setUndoRedoEnabled(undo_); }
    ProgramEdit(const ProgramEdit&) = delete;
    ProgramEdit& operator=(const ProgramEdit&) = delete;

private:
    QTextDocument& document_;
    bool undo_;
};

}  // namespace

void MultiLineEdit::appendCp936(std::string_view text) {
    const FoldedText piece = breaks_.fold(fromCp936(text));
    // The last piece ended with a '\r', which is the last separator, before an empty last line.
    if (piece.completesCrLf) separators_.completeCrLf(document()->characterCount() - 2);
    if (piece.text.isEmpty()) return;

    const int end = document()->characterCount() - 1;
    const int anchor = textCursor().anchor();
    const int position = textCursor().position();
    // A caret at the very end is pushed along by the piece; this one stays where the text ended,
    // and moves only with the soft breaks put in before it.
    QTextCursor oldEnd;
    if (anchor == end || position == end) {
        oldEnd = QTextCursor(document());
        oldEnd.setPosition(end);
        oldEnd.setKeepPositionOnInsert(true);
    }
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();

    const int changed = document()->blockCount() - 1;  // the last block, and all after it
    {
        // For nearly every append the layout asks for the whole viewport to be painted again,
        // though the new text is mostly out of view; showChange asks for what shows it.
        const QSignalBlocker quiet(document()->documentLayout());
        ProgramEdit edit(*document());
        insertAtEnd(piece);
    }
    showChange(changed);

    QTextCursor now = textCursor();
    const int newAnchor = anchor == end ? oldEnd.position() : now.anchor();
    const int newPosition = position == end ? oldEnd.position() : now.position();
    if (now.anchor() != newAnchor || now.position() != newPosition) {
        now.setPosition(newAnchor);
        now.setPosition(newPosition, QTextCursor::KeepAnchor);
        setTextCursor(now);
    }
    verticalScrollBar()->setValue(vertical);
    horizontalScrollBar()->setValue(horizontal);
}

void MultiLineEdit::insertAtEnd(const FoldedText& piece) {
    const QString text = sharingBlocks(piece);
    auto mark = piece.breaks.begin();
    // A part at a time: inserting into the last block lays it out, so it must never grow long.
    for (qsizetype from = 0; from < text.size(); from += longLine) {
        const QString part = text.mid(from, longLine);
        const int at = document()->characterCount() - 1;
        const int last = document()->blockCount() - 1;
        insertAt(at, part);
        layOutClosed(last);
        for (; mark != piece.breaks.end() && mark->first < from + part.size(); ++mark)
            separators_.add(at + mark->first - static_cast<int>(from), mark->second);
        cutLongLastBlock();
    }
}

QString MultiLineEdit::sharingBlocks(const FoldedText& piece) const {
    QString text = piece.text;
    const int at = document()->characterCount() - 1;
    int block = document()->lastBlock().position();
    for (std::size_t i = 0; i < piece.breaks.size(); ++i) {
        const int offset = piece.breaks[i].first;
        const int length = at + offset - block;
        const bool last = i + 1 == piece.breaks.size();
        if (length >= longLine || (last && length >= longLine / 4)) block = at + offset + 1;  // ends it
        else text[offset] = QChar::LineSeparator;
    }
    return text;
}

void MultiLineEdit::layOutClosed(int first) {
    // Unless laid out, a block counts as one row in the scroll bars, however many lines it has.
    // Rows wrap at the width of the box, which is known once it is shown.
    if (!isVisible()) return;
    QTextBlock block = document()->findBlockByNumber(first);
    for (int number = first; number < document()->blockCount() - 1; ++number, block = block.next())
        document()->documentLayout()->blockBoundingRect(block);
}

void MultiLineEdit::cutLongLastBlock() {
    QTextBlock last = document()->lastBlock();
    if (!isVisible() || last.length() < longLine) return;
    // A short last line is left whole: the block is long, so the break that ends the line ends it.
    const QString text = last.text();
    if (text.size() - text.lastIndexOf(QChar::LineSeparator) <= longLine / 4) return;
    document()->documentLayout()->blockBoundingRect(last);  // lays it out if it is not yet
    const QTextLayout* layout = last.layout();
    const int rows = layout == nullptr ? 0 : layout->lineCount();
    if (rows < 2) return;
    const int cut = last.position() + layout->lineAt(rows - 1).textStart();
    if (document()->characterAt(cut - 1) == QChar::LineSeparator) return;  // as for a short line
    const int number = last.blockNumber();
    insertAt(cut, QStringLiteral("\n"));
    separators_.add(cut, LineBreak::none);
    // The block before the cut lost its layout, but none of its rows except the last.
    document()->findBlockByNumber(number).setLineCount(rows - 1);
    // The layout measures the last block before each insertion into it: laid out now while
    // it is one row, it is measured without being laid out again.
    document()->documentLayout()->blockBoundingRect(document()->lastBlock());
}

void MultiLineEdit::insertAt(int position, const QString& text) {
    QTextCursor cursor(document());
    // Inside an edit block a cursor does not work out where it would be drawn, which would
    // shape its whole line again.
    cursor.beginEditBlock();
    cursor.setPosition(position);
    cursor.insertText(text);
    cursor.endEditBlock();
}

void MultiLineEdit::showChange(int firstChanged) {
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    emit layout->documentSizeChanged(layout->documentSize());  // the scroll bars follow it

    // Only blocks from the first changed one on look different; find where it is drawn.
    const int bottom = viewport()->height();
    qreal top = contentOffset().y();
    QTextBlock block = firstVisibleBlock();
    for (int number = block.blockNumber(); number < firstChanged && top < bottom; ++number) {
        top += blockBoundingRect(block).height();
        block = block.next();
    }
    const int from = std::max(0, static_cast<int>(std::floor(top)));
    if (block.isValid() && from < bottom) viewport()->update(0, from, viewport()->width(), bottom - from);
}
