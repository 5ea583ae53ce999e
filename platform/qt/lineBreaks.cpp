#include "platform/qt/lineBreaks.h"

QStringView writtenAs(LineBreak kind) {
    switch (kind) {
        case LineBreak::crLf:
            return u"\r\n";
        case LineBreak::lf:
            return u"\n";
        case LineBreak::cr:
            return u"\r";
        case LineBreak::none:
            break;
    }
    return {};
}

FoldedText LineBreakFolder::fold(QStringView text) {
    FoldedText out;
    out.text.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\0') continue;
        if (c == u'\n' && afterCr_) {
            afterCr_ = false;
            if (out.breaks.empty()) out.completesCrLf = true;  // the '\r' ended the piece before
            else out.breaks.back().second = LineBreak::crLf;
            continue;
        }
        afterCr_ = c == u'\r';
        if (c == u'\r' || c == u'\n') {
            const int at = static_cast<int>(out.text.size());
            out.breaks.emplace_back(at, afterCr_ ? LineBreak::cr : LineBreak::lf);
            c = u'\n';
        }
        out.text += c;
    }
    return out;
}
