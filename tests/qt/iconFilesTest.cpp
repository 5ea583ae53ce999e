// The icon files of the Linux desktop, as the build tool writes them from the icon's rows,
// read back by Qt's own PNG reader: sharp, the source's pixels at every theme size.
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <QImage>
#include <gtest/gtest.h>

#include "resources/appIcon.h"
#include "resources/resourceIds.h"
#include "tests/tools/simChild.h"

namespace {

TEST(IconFiles, EverySizeReadsBackAsTheSourcePixelsWithoutBlending) {
    const IconImage& icon = *findIcon(IDI_APP);
    std::vector<std::uint32_t> source(32 * 32);
    iconPixels(icon, source.data());
    const std::set<std::uint32_t> palette(source.begin(), source.end());
    simtest::TempFolder folder;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string file = folder.path() + "/" + std::to_string(size) + ".png";
        const std::string command = std::string(KORVANE_MAKE_ICON_FILES_PATH) + " png " + std::to_string(size) + " " + file;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const QImage image = QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(size, size)) << "not read as a PNG of its size: " << file;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const std::uint32_t pixel = image.pixel(x, y);
                const std::uint32_t argb = (pixel >> 24) == 0 ? 0 : pixel;  // any transparent pixel is 0
                ASSERT_TRUE(palette.count(argb)) << size << " px: a blended colour at " << x << "," << y;
                if (size % 32 == 0) {  // whole multiples: each source pixel becomes a square
                    const int scale = size / 32;
                    ASSERT_EQ(argb, source[(y / scale) * 32 + x / scale]) << size << " px at " << x << "," << y;
                }
            }
    }
}

}  // namespace
