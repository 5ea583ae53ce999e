#pragma once
// A multi-line edit box that speaks the logic's text: CP936 bytes. What the box is given reads
// back byte for byte, NULs left out: each line break as it came ("\r\n", "\n" or "\r"; one
// the user types is "\r\n"), each byte that is not CP936 as itself (cp936.h).
// Received data is appended in pieces of whole characters (the receive display keeps a cut
// character back itself): a lead byte at a piece's end is shown at once, as a bad byte. A
// piece may end between the '\r' and '\n' of a break; the break is joined with the next.

#include <string>
#include <string_view>

#include <QPlainTextEdit>

#include "platform/qt/cp936.h"
#include "platform/qt/lineBreaks.h"
#include "platform/qt/separatorKinds.h"

class MultiLineEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit MultiLineEdit(QWidget* parent = nullptr);
    ~MultiLineEdit() override;

    std::string cp936Text() const;
    void setCp936Text(std::string_view text);
    // Adds at the end, at a cost that grows with the piece only; the user's caret, selection
    // and view stay where they are.
    void appendCp936(std::string_view text);

    int softBreakCount() const { return separators_.softBreakCount(); }

protected:
    QMimeData* createMimeDataFromSelection() const override;  // copy and drag leave soft breaks out

private:
    void insertAtEnd(const FoldedText& piece);
    // Lines share a block, which costs far more than a line, until it holds about 1 KB: the
    // first break after that ends the block, and so does the piece's last break once the block
    // holds a quarter of that, so that the next append lays out little of it again. The other
    // breaks become line separators.
    QString sharingBlocks(const FoldedText& piece) const;
    void layOutClosed(int first);  // the blocks from this one to the last, which were closed
    void cutLongLastBlock();
    void insertAt(int position, const QString& text);  // as the program, where no cursor is
    // Makes the scroll bars and the viewport show the blocks from this one on, which changed.
    void showChange(int firstChanged);
    void markBreaks(const FoldedText& folded, int at);  // folded was put in at this position

    LineBreakFolder breaks_;
    SeparatorKinds separators_;
};
