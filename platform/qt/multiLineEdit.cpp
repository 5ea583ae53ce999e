#include "platform/qt/multiLineEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// A last line longer than this is cut into a piece before its last wrapped row: appending
// lays out at most about this much again.
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

MultiLineEdit::MultiLineEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);  // long words break too
    setTabChangesFocus(true);                                    // Tab walks the dialog's tab stops
    connect(document(), &QTextDocument::contentsChange, this, [this](int at, int removed, int added) {
        separators_.contentsChanged(*document(), at, removed, added);
    });
}

// The document outlives this part of the edit: it must not reach the separators any more.
MultiLineEdit::~MultiLineEdit() { disconnect(document(), nullptr, this, nullptr); }

std::string MultiLineEdit::cp936Text() const {
    const int end = document()->characterCount() - 1;
    const QString text = separators_.text(*document(), 0, end, SeparatorKinds::Breaks::asGiven);
    // A lead byte still waiting for its trail byte has been given to the box too.
    return toCp936(text) + decoder_.pending();
}

void MultiLineEdit::setCp936Text(std::string_view text) {
    decoder_.reset();
    breaks_.reset();
    const FoldedText folded = breaks_.fold(fromCp936(text));
    setPlainText(folded.text);
    separators_.clear();
    markBreaks(folded, 0);
}

void MultiLineEdit::appendCp936(std::string_view text) {
    const FoldedText piece = breaks_.fold(decoder_.decode(text));
    // The last piece ended with a '\r', which is the last separator, before an empty last line.
    if (piece.completesCrLf) separators_.completeCrLf(document()->lastBlock().position() - 1);
    if (piece.text.isEmpty()) return;
    cutLongLastLine();

    const QTextCursor user = textCursor();
    const int anchor = user.anchor();
    const int position = user.position();
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();

    {
        ProgramEdit edit(*document());
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        const int at = end.position();
        end.insertText(piece.text);
        markBreaks(piece, at);
    }

    // A caret at the very end was pushed along by the insertion; put it back.
    QTextCursor now = textCursor();
    if (now.anchor() != anchor || now.position() != position) {
        now.setPosition(anchor);
        now.setPosition(position, QTextCursor::KeepAnchor);
        setTextCursor(now);
    }
    verticalScrollBar()->setValue(vertical);
    horizontalScrollBar()->setValue(horizontal);
}

void MultiLineEdit::cutLongLastLine() {
    // Rows wrap at the width of the box, which is known once it is shown.
    QTextBlock last = document()->lastBlock();
    if (!isVisible() || last.length() < longLine) return;
    document()->documentLayout()->blockBoundingRect(last);  // lays it out if it is not yet
    const QTextLayout* layout = last.layout();
    if (layout == nullptr || layout->lineCount() < 2) return;
    const int cut = last.position() + layout->lineAt(layout->lineCount() - 1).textStart();

    ProgramEdit edit(*document());
    QTextCursor cursor(document());
    cursor.setPosition(cut);
    cursor.insertBlock();
    separators_.add(cut, LineBreak::none);
}

void MultiLineEdit::markBreaks(const FoldedText& folded, int at) {
    for (const auto& [offset, kind] : folded.breaks) separators_.add(at + offset, kind);
}

QMimeData* MultiLineEdit::createMimeDataFromSelection() const {
    const QTextCursor selection = textCursor();
    auto* data = new QMimeData;
    data->setText(separators_.text(*document(), selection.selectionStart(), selection.selectionEnd(),
                                   SeparatorKinds::Breaks::newline));
    return data;
}
