// The application icon: a radio module with its antenna sending, on a blue tile.
#include "resources/appIcon.h"

#include "resources/resourceIds.h"

namespace {

// . transparent   B tile border   b tile   W white   o antenna tip
constexpr const char* appIconRows[32] = {
        "................................",
        ".....BBBBBBBBBBBBBBBBBBBBBB.....",
        "...BBbbbbbbbbbbbbbbbbbbbbbbBB...",
        "..BBbbbbbbbbbbbbbbbbbbbbbbbbBB..",
        "..BbbbbbbbbbbbbbbbbbbbbbbbbbbB..",
        ".BbbbbbbbbbbbbbbbbbbbbbbbbbbbbB.",
        ".BbbbbbbWWbbbbbbbbbbbbWWbbbbbbB.",
        ".BbbbbbWWWbbbbbbbbbbbbWWWbbbbbB.",
        ".BbbbbbWWbbWbbbbbbbbWbbWWbbbbbB.",
        ".BbbbbWWbbbWWbbbbbbWWbbbWWbbbbB.",
        ".BbbbbWWbbWWbbbbbbbbWWbbWWbbbbB.",
        ".BbbbbWWbbWWbbboobbbWWbbWWbbbbB.",
        ".BbbbbWWbbWWbboooobbWWbbWWbbbbB.",
        ".BbbbbWWbbWWbboooobbWWbbWWbbbbB.",
        ".BbbbbWWbbWWbbboobbbWWbbWWbbbbB.",
        ".BbbbbWWbbWWbbbWWbbbWWbbWWbbbbB.",
        ".BbbbbWWbbbWWbbWWbbWWbbbWWbbbbB.",
        ".BbbbbbWWbbWbbbWWbbbWbbWWbbbbbB.",
        ".BbbbbbWWWbbbbbWWbbbbbWWWbbbbbB.",
        ".BbbbbbbWWbbbbbWWbbbbbWWbbbbbbB.",
        ".BbbbbbbbbbbbbbWWbbbbbbbbbbbbbB.",
        ".BbbbbbbbbbbbbbWWbbbbbbbbbbbbbB.",
        ".BbbbbbbbbWWWWWWWWWWWWbbbbbbbbB.",
        ".BbbbbbbbbWWWWWWWWWWWWbbbbbbbbB.",
        ".BbbbbbbbbWWbWWbbWWbWWbbbbbbbbB.",
        ".BbbbbbbbbWWWWWWWWWWWWbbbbbbbbB.",
        ".BbbbbbbbbWWWWWWWWWWWWbbbbbbbbB.",
        "..BbbbbbbbbbbbbbbbbbbbbbbbbbbB..",
        "..BBbbbbbbbbbbbbbbbbbbbbbbbbBB..",
        "...BBbbbbbbbbbbbbbbbbbbbbbbBB...",
        ".....BBBBBBBBBBBBBBBBBBBBBB.....",
        "................................",
};

std::uint32_t appIconColour(char c) {
    switch (c) {
        case 'B': return 0xFF1B3F66;
        case 'b': return 0xFF2E75B6;
        case 'W': return 0xFFFFFFFF;
        case 'o': return 0xFFF5A623;
        default: return 0;
    }
}

const IconImage appIcon = {32, 32, appIconRows, appIconColour};

}  // namespace

const IconImage* findIcon(int iconId) { return iconId == IDI_APP ? &appIcon : nullptr; }

void iconPixels(const IconImage& icon, std::uint32_t* out) {
    for (int y = 0; y < icon.height; ++y)
        for (int x = 0; x < icon.width; ++x) *out++ = icon.colour(icon.rows[y][x]);
}
