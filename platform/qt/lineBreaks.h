#pragma once
// Line breaks between the logic ("\r\n") and Qt's text documents ('\n').

#include <QString>
#include <QStringView>

// Turns "\r\n", a lone "\r" and a lone "\n" into one '\n' each and drops NUL characters,
// which an edit box does not show. Text that arrives in pieces keeps its breaks whole: a
// '\r' that ends one piece and a '\n' that starts the next are one break.
class LineBreakFolder {
public:
    QString fold(QStringView text);
    void reset() { afterCr_ = false; }

private:
    bool afterCr_ = false;
};

// The document's '\n' breaks as "\r\n".
QString withCrLf(QString text);
