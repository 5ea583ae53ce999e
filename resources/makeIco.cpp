// Build tool: writes an icon of the program (appIcon.cpp) as a Windows .ico file, for the
// resource script. One 32-bit image in BMP form with its AND mask, which every Windows takes.
//   makeIco <icon id> <output.ico>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "resources/appIcon.h"

namespace {

class Bytes {
public:
    void u8(std::uint8_t v) { data.push_back(v); }
    void u16(std::uint16_t v) {
        u8(v & 0xFF);
        u8(v >> 8);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    std::vector<std::uint8_t> data;
};

// BITMAPINFOHEADER, the colour rows and the mask rows, both bottom-up. The height counts both.
Bytes iconImage(const IconImage& icon) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(icon.width) * icon.height);
    iconPixels(icon, pixels.data());
    const int maskRowBytes = (icon.width + 31) / 32 * 4;
    Bytes image;
    image.u32(40);
    image.u32(icon.width);
    image.u32(icon.height * 2);
    image.u16(1);   // planes
    image.u16(32);  // bits per pixel
    image.u32(0);   // BI_RGB
    image.u32(icon.width * icon.height * 4 + maskRowBytes * icon.height);
    for (int i = 0; i < 4; ++i) image.u32(0);  // resolution, colours used and important
    for (int y = icon.height - 1; y >= 0; --y)
        for (int x = 0; x < icon.width; ++x) image.u32(pixels[y * icon.width + x]);  // B G R A
    for (int y = icon.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRowBytes, 0);
        for (int x = 0; x < icon.width; ++x)
            if ((pixels[y * icon.width + x] >> 24) == 0) row[x / 8] |= 0x80 >> (x % 8);  // transparent
        for (std::uint8_t b : row) image.u8(b);
    }
    return image;
}

Bytes iconFile(const IconImage& icon) {
    const Bytes image = iconImage(icon);
    Bytes file;
    file.u16(0);  // reserved
    file.u16(1);  // an icon
    file.u16(1);  // one image
    file.u8(static_cast<std::uint8_t>(icon.width));
    file.u8(static_cast<std::uint8_t>(icon.height));
    file.u8(0);  // no palette
    file.u8(0);
    file.u16(1);   // planes
    file.u16(32);  // bits per pixel
    file.u32(static_cast<std::uint32_t>(image.data.size()));
    file.u32(6 + 16);  // the image follows this header and its one entry
    file.data.insert(file.data.end(), image.data.begin(), image.data.end());
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: makeIco <icon id> <output.ico>\n");
        return 2;
    }
    const IconImage* icon = findIcon(std::atoi(argv[1]));
    if (icon == nullptr) {
        std::fprintf(stderr, "makeIco: no icon %s\n", argv[1]);
        return 1;
    }
    const Bytes file = iconFile(*icon);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data.data()), static_cast<std::streamsize>(file.data.size()));
    return out.good() ? 0 : 1;
}
