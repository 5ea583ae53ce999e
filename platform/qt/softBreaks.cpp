#include "platform/qt/softBreaks.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextDocument>

void SoftBreaks::contentsChanged(const QTextDocument& document, int position, int removed, int added) {
    // Only breaks at or after the change move; text appended at the end touches none.
    const auto first = std::lower_bound(positions_.begin(), positions_.end(), position);
    const int end = position + removed;
    auto kept = first;
    for (auto at = first; at != positions_.end(); ++at) {
        if (*at >= end) {
            *kept++ = *at + added - removed;
        } else if (removed == added && document.characterAt(*at) == QChar::ParagraphSeparator) {
            *kept++ = *at;  // a format change, or the same separator written again
        }
    }
    positions_.erase(kept, positions_.end());
}

QString SoftBreaks::text(const QTextDocument& document, int from, int to) const {
    QString out;
    auto soft = std::lower_bound(positions_.begin(), positions_.end(), from);
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        const int separator = block.position() + block.length() - 1;  // ends the block
        out += block.text().mid(start - block.position(), std::min(to, separator) - start);
        if (separator >= to || !block.next().isValid()) break;
        while (soft != positions_.end() && *soft < separator) ++soft;
        if (soft != positions_.end() && *soft == separator) continue;
        out += u'\n';
    }
    // Shift+Enter makes line separators: breaks too.
    out.replace(QChar::LineSeparator, u'\n');
    out.replace(QChar::Nbsp, u' ');
    return out;
}
