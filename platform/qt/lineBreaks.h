#pragma once
// Line breaks between the logic's text, where a break is "\r\n", a lone "\n" or a lone "\r"
// (received data has all three), and Qt's text documents, which have one kind of separator.

#include <utility>
#include <vector>

#include <QString>
#include <QStringView>

enum class LineBreak : unsigned char {
    crLf,  // what Enter types
    lf,
    cr,
    none,  // a separator that is no line break: a soft break (separatorKinds.h)
};

// How the logic's text writes a break.
QStringView writtenAs(LineBreak kind);

// Text with each line break made one '\n', and what each was.
struct FoldedText {
    QString text;
    std::vector<std::pair<int, LineBreak>> breaks;  // each '\n' by its place in text, ascending
    // The text began with the '\n' of a "\r\n" whose '\r' ended the piece before; that '\n'
    // is not in text.
    bool completesCrLf = false;
};

// Folds breaks into '\n' and drops NUL characters, which an edit box does not show. Text that
// arrives in pieces keeps its breaks whole: a '\r' that ends one piece and a '\n' that starts
// the next are one break.
class LineBreakFolder {
public:
    FoldedText fold(QStringView text);
    void reset() { afterCr_ = false; }

private:
    bool afterCr_ = false;
};
