#include "serial/rxQueue.h"

#include <algorithm>
#include <cstring>

std::uint8_t rxQueueStorage[rxQueueCapacity];
RxQueue rxQueue;

RxQueue* init(RxQueue* queue, std::uint8_t* storage, std::uint32_t size) {
    if (queue == nullptr) return nullptr;
    queue->out.store(0, std::memory_order_relaxed);
    queue->buffer = storage;
    queue->size = size;
    queue->in.store(0, std::memory_order_relaxed);
    queue->overflow.store(0, std::memory_order_relaxed);
    queue->dropped.store(0, std::memory_order_relaxed);
    return queue;
}

std::uint32_t put(RxQueue* queue, const std::uint8_t* source, std::uint32_t count) {
    const std::uint32_t in = queue->in.load(std::memory_order_relaxed);
    // Acquire: the consumer has finished copying out everything before `out`, so that
    // room may be overwritten. A get running meanwhile only makes more room.
    const std::uint32_t out = queue->out.load(std::memory_order_acquire);
    const std::uint32_t n = std::min(count, queue->size - (in - out));
    const std::uint32_t w = in & (queue->size - 1);
    const std::uint32_t f = std::min(n, queue->size - w);
    if (f > 0) std::memcpy(queue->buffer + w, source, f);
    if (n > f) std::memcpy(queue->buffer, source + f, n - f);
    queue->in.store(in + n, std::memory_order_release);
    if (n < count) {
        queue->overflow.store(1, std::memory_order_relaxed);
        // Only the producer writes the count, so a load and a store add without a race.
        queue->dropped.store(queue->dropped.load(std::memory_order_relaxed) + (count - n), std::memory_order_relaxed);
    }
    return n;
}

std::uint32_t get(RxQueue* queue, std::uint8_t* destination, std::uint32_t count) {
    const std::uint32_t out = queue->out.load(std::memory_order_relaxed);
    const std::uint32_t in = queue->in.load(std::memory_order_acquire);
    const std::uint32_t n = std::min(count, in - out);
    const std::uint32_t r = out & (queue->size - 1);
    const std::uint32_t f = std::min(n, queue->size - r);
    if (f > 0) std::memcpy(destination, queue->buffer + r, f);
    if (n > f) std::memcpy(destination + f, queue->buffer, n - f);
    // The indices are never zeroed here: `in` belongs to the producer, and zeroing it
    // under a running put would lose or corrupt that put's bytes.
    queue->out.store(out + n, std::memory_order_release);
    return n;
}

RxQueue* reset(RxQueue* queue) {
    // Emptying means catching `out` up with `in`; `in` itself is left to the producer.
    queue->out.store(queue->in.load(std::memory_order_acquire), std::memory_order_release);
    queue->overflow.store(0, std::memory_order_relaxed);
    return queue;
}

std::int32_t length(const RxQueue* queue) {
    const std::uint32_t out = queue->out.load(std::memory_order_relaxed);
    return static_cast<std::int32_t>(queue->in.load(std::memory_order_acquire) - out);
}

std::uint32_t droppedBytes(const RxQueue* queue) { return queue->dropped.load(std::memory_order_relaxed); }

std::int32_t receiveCallback(const std::uint8_t* bytes, std::uint32_t count) {
    return static_cast<std::int32_t>(put(&rxQueue, bytes, count));
}
