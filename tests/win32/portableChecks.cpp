// The platform-independent code, built by the Windows compiler.
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "codec/hexText.h"
#include "serial/rxQueue.h"
#include "tests/win32/check.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes counting(std::size_t count, std::uint8_t first) {
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

void checkHexText() {
    const Bytes all = counting(256, 0);
    const std::string text = bytesToHexText(all.data(), all.size());
    CHECK(text.size() == 3 * all.size());
    CHECK(text.compare(0, 9, "00 01 02 ") == 0);
    CHECK(text.compare(text.size() - 6, 6, "FE FF ") == 0);

    const std::string compact = compactHexText(text);
    CHECK(compact.size() == 2 * all.size());
    Bytes back(all.size());
    hexTextToBytes(compact.data(), compact.size(), back.data());
    CHECK(back == all);

    // Lower case reads like upper case; anything else reads as 0.
    std::uint8_t two[2] = {};
    hexTextToBytes("a5G1", 4, two);
    CHECK(two[0] == 0xA5 && two[1] == 0x01);
}

void checkReceiveQueue() {
    std::uint8_t storage[8] = {};
    RxQueue queue;
    CHECK(init(&queue, storage, 8) == &queue);

    CHECK(put(&queue, counting(5, 0).data(), 5) == 5);
    Bytes out(8);
    CHECK(get(&queue, out.data(), 3) == 3);
    CHECK(Bytes(out.begin(), out.begin() + 3) == counting(3, 0));

    // Crosses the end of the storage: 2 held, 6 more fill it exactly.
    CHECK(put(&queue, counting(6, 5).data(), 6) == 6);
    CHECK(length(&queue) == 8);
    CHECK(get(&queue, out.data(), 8) == 8);
    CHECK(out == counting(8, 3));
    CHECK(queue.overflow.load() == 0);

    // The newest bytes that do not fit are dropped and the loss is flagged.
    CHECK(put(&queue, counting(9, 20).data(), 9) == 8);
    CHECK(queue.overflow.load() == 1);
    CHECK(reset(&queue) == &queue);
    CHECK(length(&queue) == 0);
    CHECK(queue.overflow.load() == 0);

    // The index words wrap at 2^32 without losing or reordering bytes.
    queue.in.store(0xFFFFFFFCu);
    queue.out.store(0xFFFFFFFCu);
    CHECK(put(&queue, counting(7, 40).data(), 7) == 7);
    CHECK(length(&queue) == 7);
    out.assign(8, 0);
    CHECK(get(&queue, out.data(), 8) == 7);
    CHECK(Bytes(out.begin(), out.begin() + 7) == counting(7, 40));
}

}  // namespace

void smoke::checkPortableCode() {
    checkHexText();
    checkReceiveQueue();
}
