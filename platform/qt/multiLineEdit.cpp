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
        softBreaks_.contentsChanged(*document(), at, removed, added);
    });
}

// The document outlives this part of the edit: it must not reach the soft breaks any more.
MultiLineEdit::~MultiLineEdit() { disconnect(document(), nullptr, this, nullptr); }

std::string MultiLineEdit::cp936Text() const {
    return toCp936(withCrLf(softBreaks_.text(*document(), 0, document()->characterCount() - 1)));
}

void MultiLineEdit::setCp936Text(std::string_view text) {
    decoder_.reset();
    breaks_.reset();
    setPlainText(breaks_.fold(fromCp936(text)));
    softBreaks_.clear();
}

void MultiLineEdit::appendCp936(std::string_view text) {
    const QString piece = breaks_.fold(decoder_.decode(text));
    if (piece.isEmpty()) return;
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
        end.insertText(piece);
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
    softBreaks_.add(cut);
}

QMimeData* MultiLineEdit::createMimeDataFromSelection() const {
    const QTextCursor selection = textCursor();
    auto* data = new QMimeData;
    data->setText(softBreaks_.text(*document(), selection.selectionStart(), selection.selectionEnd()));
    return data;
}
