#include "platform/qt/separatorKinds.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextDocument>

namespace {

template <class Iterator>
Iterator firstAtOrAfter(Iterator begin, Iterator end, int position) {
    return std::lower_bound(begin, end, position,
                            [](const auto& mark, int at) { return mark.position < at; });
}

bool isSeparator(QChar c) { return c == QChar::ParagraphSeparator || c == QChar::LineSeparator; }

}  // namespace

void SeparatorKinds::contentsChanged(const QTextDocument& document, int position, int removed, int added) {
    // Only marks at or after the change move; text appended at the end touches none.
    const auto first = firstAtOrAfter(marks_.begin(), marks_.end(), position);
    const int end = position + removed;
    auto kept = first;
    for (auto at = first; at != marks_.end(); ++at) {
        if (at->position >= end) {
            *kept = *at;
            kept++->position += added - removed;
        } else if (removed == added && isSeparator(document.characterAt(at->position))) {
            *kept++ = *at;  // a format change, or the same separator written again
        }
    }
    marks_.erase(kept, marks_.end());
}

void SeparatorKinds::add(int position, LineBreak kind) {
    if (kind != LineBreak::crLf) marks_.push_back({position, kind});
}

void SeparatorKinds::completeCrLf(int position) {
    const auto mark = firstAtOrAfter(marks_.begin(), marks_.end(), position);
    if (mark != marks_.end() && mark->position == position && mark->kind == LineBreak::cr) marks_.erase(mark);
}

int SeparatorKinds::softBreakCount() const {
    return static_cast<int>(
        std::count_if(marks_.begin(), marks_.end(), [](const Mark& m) { return m.kind == LineBreak::none; }));
}

QString SeparatorKinds::text(const QTextDocument& document, int from, int to, Breaks breaks) const {
    QString out;
    auto mark = firstAtOrAfter(marks_.begin(), marks_.end(), from);
    const auto writeSeparator = [&](int position) {
        while (mark != marks_.end() && mark->position < position) ++mark;
        const bool marked = mark != marks_.end() && mark->position == position;
        const LineBreak kind = marked ? mark->kind : LineBreak::crLf;  // as Enter or Shift+Enter type it
        if (kind == LineBreak::none) return;
        out += breaks == Breaks::asGiven ? writtenAs(kind) : QStringView(u"\n");
    };
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        const QString text = block.text();  // line separators are in it
        const int end = std::min(to, block.position() + static_cast<int>(text.size()));
        int copied = std::max(from, block.position());
        for (int at = copied; at < end; ++at) {
            if (text[at - block.position()] != QChar::LineSeparator) continue;
            out += QStringView(text).mid(copied - block.position(), at - copied);
            writeSeparator(at);
            copied = at + 1;
        }
        out += QStringView(text).mid(copied - block.position(), end - copied);
        if (end >= to || !block.next().isValid()) break;
        writeSeparator(end);  // the block's own separator
    }
    out.replace(QChar::Nbsp, u' ');
    return out;
}
