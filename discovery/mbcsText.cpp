#include "discovery/mbcsText.h"

#include "codec/cp936Bytes.h"

std::size_t findText(std::string_view text, std::string_view needle) {
    for (std::size_t i = 0; i + needle.size() <= text.size();) {
        if (text.compare(i, needle.size(), needle) == 0) return i;
        i += isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    }
    return std::string::npos;
}
