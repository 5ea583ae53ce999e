#pragma once
// The application icon IDI_APP: one 32 x 32 image, drawn as text rows with a small palette,
// turned into pixels by each host.

#include <cstdint>

struct IconImage {
    int width;
    int height;
    const char* const* rows;  // `height` rows of `width` palette characters
    // The colour of a palette character as 0xAARRGGBB; 0 (transparent) for unknown ones.
    std::uint32_t (*colour)(char c);
};

// The icon with this identifier, or nullptr.
const IconImage* findIcon(int iconId);

// Row-major 0xAARRGGBB pixels of an icon, width * height of them.
void iconPixels(const IconImage& icon, std::uint32_t* out);
