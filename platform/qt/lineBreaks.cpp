#include "platform/qt/lineBreaks.h"

QString LineBreakFolder::fold(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\0') continue;
        if (c == u'\n' && afterCr_) {
            afterCr_ = false;
            continue;
        }
        afterCr_ = c == u'\r';
        out += afterCr_ ? QChar(u'\n') : c;
    }
    return out;
}

QString withCrLf(QString text) { return text.replace(u'\n', QStringLiteral("\r\n")); }
