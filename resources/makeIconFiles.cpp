// Build tool: writes the program's icon (appIcon.cpp) as the files a Linux desktop takes.
//   makeIconFiles png <size> <output.png>   the 32 x 32 rows scaled to size x size by nearest
//                                           neighbour, so the pixel art stays sharp
//   makeIconFiles svg <output.svg>          the same rows as squares: sharp at any size
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "resources/appIcon.h"
#include "resources/resourceIds.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void putU32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putChunk(Bytes& png, const char type[4], const Bytes& data) {
    putU32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putU32(png, crc32(png.data() + typeAt, png.size() - typeAt));
}

// A zlib stream of stored (uncompressed) blocks: small icons need no compressor.
Bytes zlibStored(const Bytes& raw) {
    Bytes out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        out.push_back(at + n == raw.size() ? 1 : 0);  // the last block is marked final
        out.push_back(n & 0xFF);
        out.push_back(n >> 8);
        out.push_back(~n & 0xFF);
        out.push_back((~n >> 8) & 0xFF);
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;  // Adler-32
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putU32(out, (b << 16) | a);
    return out;
}

// Each target pixel takes the source pixel under its centre.
Bytes scaledPng(const IconImage& icon, int size) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(icon.width) * icon.height);
    iconPixels(icon, pixels.data());
    Bytes raw;  // per row: filter type 0, then R G B A
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);
        const int sy = (2 * y + 1) * icon.height / (2 * size);
        for (int x = 0; x < size; ++x) {
            const std::uint32_t argb = pixels[sy * icon.width + (2 * x + 1) * icon.width / (2 * size)];
            for (int shift : {16, 8, 0, 24}) raw.push_back(static_cast<std::uint8_t>(argb >> shift));
        }
    }
    Bytes header;
    putU32(header, static_cast<std::uint32_t>(size));
    putU32(header, static_cast<std::uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits per channel, RGBA, no interlace
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlibStored(raw));
    putChunk(png, "IEND", {});
    return png;
}

// One rectangle per run of equal colour in a row.
std::string svg(const IconImage& icon) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\""
                      " width=\"" + std::to_string(icon.width) + "\" height=\"" + std::to_string(icon.height) +
                      "\" viewBox=\"0 0 " + std::to_string(icon.width) + " " + std::to_string(icon.height) +
                      "\" shape-rendering=\"crispEdges\">\n";
    for (int y = 0; y < icon.height; ++y) {
        for (int x = 0; x < icon.width;) {
            const std::uint32_t argb = icon.colour(icon.rows[y][x]);
            int end = x + 1;
            while (end < icon.width && icon.colour(icon.rows[y][end]) == argb) ++end;
            if ((argb >> 24) != 0) {
                char rect[128];
                std::snprintf(rect, sizeof rect, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"1\" fill=\"#%06X\"/>\n",
                              x, y, end - x, static_cast<unsigned>(argb & 0xFFFFFF));
                out += rect;
            }
            x = end;
        }
    }
    return out + "</svg>\n";
}

bool writeFile(const char* path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return out.good();
}

}  // namespace

int main(int argc, char** argv) {
    const IconImage* icon = findIcon(IDI_APP);
    if (argc == 4 && std::strcmp(argv[1], "png") == 0) {
        const int size = std::atoi(argv[2]);
        if (size < 1 || size > 1024) {
            std::fprintf(stderr, "makeIconFiles: size %s is not 1 to 1024\n", argv[2]);
            return 2;
        }
        const Bytes png = scaledPng(*icon, size);
        return writeFile(argv[3], png.data(), png.size()) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "svg") == 0) {
        const std::string text = svg(*icon);
        return writeFile(argv[2], text.data(), text.size()) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: makeIconFiles png <size> <output.png> | svg <output.svg>\n");
    return 2;
}
