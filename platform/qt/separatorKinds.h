#pragma once
// What the separators of an edit box's document stand for. Qt's document has block separators
// and, inside a block, line separators (Shift+Enter types one; received lines share a block,
// which costs far more than a line); the box's text has three kinds of line break and soft
// breaks. A separator is unmarked, a "\r\n" break as Enter types, or marked with its kind by
// position; the marks follow every edit of the document, the user's included.
//
// Soft breaks cut one long line into blocks without being line breaks. Qt lays a block out
// as a whole, so appending to a very long line (a hex dump has no breaks) would cost the whole
// line each time; cut into blocks at wrapped-row starts, the line looks the same and only its
// last block is laid out again.

#include <vector>

#include <QString>

#include "platform/qt/lineBreaks.h"

class QTextDocument;

class SeparatorKinds {
public:
    // How text() writes the line breaks.
    enum class Breaks {
        asGiven,  // as the logic gave them: "\r\n", "\n" or "\r"
        newline,  // '\n' each, for the clipboard
    };

    // Keeps the marks in step with the document's changes (its contentsChange signal).
    void contentsChanged(const QTextDocument& document, int position, int removed, int added);
    void clear() { marks_.clear(); }
    // The separator at this position, the document's last for now, is of this kind.
    void add(int position, LineBreak kind);
    // The separator at this position, if a lone '\r', becomes half of a "\r\n".
    void completeCrLf(int position);
    int softBreakCount() const;

    // The document's text from..to, soft breaks left out.
    QString text(const QTextDocument& document, int from, int to, Breaks breaks) const;

private:
    struct Mark {
        int position;
        LineBreak kind;
    };
    std::vector<Mark> marks_;  // ascending; never crLf
};
