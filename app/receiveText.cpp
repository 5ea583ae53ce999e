#include "app/receiveText.h"

#include <algorithm>
#include <utility>

#include "codec/hexText.h"

std::size_t wholeCharactersLength(const std::string& text) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isLeadByte(byte(i))) {
            ++i;
        } else if (i + 1 == text.size()) {
            return i;  // a lead byte without its trail byte yet
        } else {
            i += isTrailByte(byte(i + 1)) ? 2 : 1;
        }
    }
    return i;
}

std::string ReceiveText::next(const std::uint8_t* bytes, std::size_t count, bool hex) {
    std::string chunk = std::move(heldLeadByte_);
    heldLeadByte_.clear();
    chunk.append(reinterpret_cast<const char*>(bytes), count);
    if (hex) return bytesToHexText(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size());

    std::replace(chunk.begin(), chunk.end(), '\0', '.');
    const std::size_t whole = wholeCharactersLength(chunk);
    heldLeadByte_ = chunk.substr(whole);
    chunk.resize(whole);
    return chunk;
}

std::string ReceiveText::release(bool hex) {
    const std::string held = std::exchange(heldLeadByte_, {});
    return hex ? bytesToHexText(reinterpret_cast<const std::uint8_t*>(held.data()), held.size()) : held;
}
