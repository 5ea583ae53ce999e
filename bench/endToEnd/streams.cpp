#include "bench/endToEnd/streams.h"

#include <cstdio>
#include <random>

#include <QString>

#include "platform/qt/cp936.h"

std::string gbkTextLines(std::size_t size) {
    std::string lines;
    char line[160];
    for (int n = 0; lines.size() < size; ++n) {
        std::snprintf(line, sizeof line, "第%06d行 温度=%d.%d℃ 湿度=%d%% 状态=正常 ABCDEFGHIJ 0123456789\r\n",
                      n, 20 + n % 10, n % 7, 40 + n % 30);
        lines += toCp936(QString::fromUtf8(line));
    }
    return lines;
}

std::string randomBytes(std::size_t size) {
    std::mt19937 generator(936);
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(generator() & 0xFF);
    return bytes;
}
