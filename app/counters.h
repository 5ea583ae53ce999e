#pragma once
// The byte counters: 32-bit signed, wrapping past 2147483647 to negative numbers as the
// machine's two's complement does, and shown as plain "%d" decimal text.

#include <cstdint>
#include <string>

inline void addWrapping(std::int32_t& counter, std::uint32_t count) {
    counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + count);
}

inline std::string countText(std::int32_t counter) { return std::to_string(counter); }
