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
        } else if (removed == added && document.characterAt(at->position) == QChar::ParagraphSeparator) {
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
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        const int separator = block.position() + block.length() - 1;  // ends the block
        out += block.text().mid(start - block.position(), std::min(to, separator) - start);
        if (separator >= to || !block.next().isValid()) break;
        while (mark != marks_.end() && mark->position < separator) ++mark;
        const bool marked = mark != marks_.end() && mark->position == separator;
        const LineBreak kind = marked ? mark->kind : LineBreak::crLf;
        if (kind == LineBreak::none) continue;
        out += breaks == Breaks::asGiven ? writtenAs(kind) : QStringView(u"\n");
    }
    // Shift+Enter makes line separators: breaks too, as Enter's.
    const QStringView typed = breaks == Breaks::asGiven ? writtenAs(LineBreak::crLf) : QStringView(u"\n");
    out.replace(QChar::LineSeparator, typed.toString());
    out.replace(QChar::Nbsp, u' ');
    return out;
}
