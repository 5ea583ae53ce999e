#pragma once
// How received bytes appear in the receive box: as hex text ("41 00 42 "), or as CP936 text
// with every 00 byte shown as "." (an edit box would end the text there). Bytes arrive in
// chunks cut anywhere; a chunk that ends with the lead byte of a double-byte character keeps
// that byte back for one tick and shows it in front of the next chunk, so the character is
// shown whole. A byte whose trail byte did not come with the next tick is shown alone.

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/cp936Bytes.h"

class ReceiveText {
public:
    // The text to append for the next chunk of received bytes.
    std::string next(const std::uint8_t* bytes, std::size_t count, bool hex);
    // The text of the byte kept back at the last tick, to be shown alone: this tick brought no
    // trail byte for it to show with. Empty when none is kept.
    std::string release(bool hex);
    // Drops a byte kept back (the box was emptied, or its trail byte was discarded).
    void forget() { heldLeadByte_.clear(); }

private:
    std::string heldLeadByte_;
};

// The length of text's longest start that does not end inside a double-byte character.
std::size_t wholeCharactersLength(const std::string& text);
