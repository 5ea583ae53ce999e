#include "platform/qt/multiLineEdit.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/qt/steadyScrollBar.h"

MultiLineEdit::MultiLineEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);  // long words break too
    setTabChangesFocus(true);                                    // Tab walks the dialog's tab stops
    setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical));
    // The edit turns a click beside the slider into a page of whole rows; it was told so for
    // the bar it made. Qt 6.4 names the slot; without it the bar steps by its page step.
    connect(verticalScrollBar(), SIGNAL(actionTriggered(int)), this,
            SLOT(_q_verticalScrollbarActionTriggered(int)));
    connect(document(), &QTextDocument::contentsChange, this, [this](int at, int removed, int added) {
        separators_.contentsChanged(*document(), at, removed, added);
    });
}

// The document outlives this part of the edit: it must not reach the separators any more.
MultiLineEdit::~MultiLineEdit() { disconnect(document(), nullptr, this, nullptr); }

std::string MultiLineEdit::cp936Text() const {
    const int end = document()->characterCount() - 1;
    const QString text = separators_.text(*document(), 0, end, SeparatorKinds::Breaks::asGiven);
    return toCp936(text);
}

void MultiLineEdit::setCp936Text(std::string_view text) {
    breaks_.reset();
    const FoldedText folded = breaks_.fold(fromCp936(text));
    setPlainText(folded.text);
    separators_.clear();
    markBreaks(folded, 0);
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
