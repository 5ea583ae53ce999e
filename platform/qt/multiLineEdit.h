#pragma once
// A multi-line edit box that speaks the logic's text: CP936 bytes with "\r\n" line breaks.
// Received data is appended in pieces split anywhere, so a piece may end inside a character
// (a CP936 lead byte) or between the '\r' and '\n' of a break; both are joined with the next.

#include <string>
#include <string_view>

#include <QPlainTextEdit>

#include "platform/qt/cp936.h"
#include "platform/qt/lineBreaks.h"
#include "platform/qt/softBreaks.h"

class MultiLineEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit MultiLineEdit(QWidget* parent = nullptr);
    ~MultiLineEdit() override;

    std::string cp936Text() const;  // breaks as "\r\n"
    void setCp936Text(std::string_view text);
    // Adds at the end, at a cost that grows with the piece only; the user's caret, selection
    // and view stay where they are.
    void appendCp936(std::string_view text);

    int softBreakCount() const { return softBreaks_.count(); }

protected:
    QMimeData* createMimeDataFromSelection() const override;  // copy and drag leave soft breaks out

private:
    void cutLongLastLine();

    Cp936Decoder decoder_;
    LineBreakFolder breaks_;
    SoftBreaks softBreaks_;
};
