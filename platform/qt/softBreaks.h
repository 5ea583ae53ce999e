#pragma once
// Soft breaks: block separators that cut one long line of a text document into pieces
// without being line breaks. Qt lays a paragraph out as a whole, so appending to a very
// long line (a hex dump has no breaks) would cost the whole line each time; cut into
// pieces at wrapped-row starts, the line looks the same and only its last piece is laid
// out again. The positions follow every edit of the document, the user's included.

#include <vector>

#include <QString>

class QTextDocument;

class SoftBreaks {
public:
    // Keeps the positions in step with the document's changes (its contentsChange signal).
    void contentsChanged(const QTextDocument& document, int position, int removed, int added);
    void clear() { positions_.clear(); }
    // The separator at this position, the document's last for now, is a soft break.
    void add(int position) { positions_.push_back(position); }
    int count() const { return static_cast<int>(positions_.size()); }

    // The document's text from..to with '\n' for line breaks and nothing for soft breaks.
    QString text(const QTextDocument& document, int from, int to) const;

private:
    std::vector<int> positions_;  // ascending
};
