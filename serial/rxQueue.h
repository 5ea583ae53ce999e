// The receive byte queue: a fixed-capacity ring that carries received bytes from the
// monitor thread (the one producer) to the UI thread (the one consumer), without locks.
//
// Only the producer writes `in`, only the consumer writes `out`. Each index store is a
// release that publishes the copies made before it; each load of the other side's index
// is an acquire made before copying. Indices grow freely and wrap at 2^32; `size` is a
// power of two, so a position is the index masked with size - 1.
#pragma once

#include <atomic>
#include <cstdint>

#include "serial/rxCallback.h"

struct RxQueue {
    std::uint8_t* buffer = nullptr;         // storage, not owned
    std::uint32_t size = 0;                 // capacity, a power of two
    std::atomic<std::uint32_t> in{0};       // bytes ever put (producer's index)
    std::atomic<std::uint32_t> out{0};      // bytes ever taken or discarded (consumer's)
    std::atomic<std::int32_t> overflow{0};  // 1 once a put stored less than it was given
    std::atomic<std::uint32_t> dropped{0};  // bytes puts could not store since init (producer's)
};

// Empties the queue over storage of size bytes (a power of two). Null in, null out.
RxQueue* init(RxQueue* queue, std::uint8_t* storage, std::uint32_t size);

// Producer: stores as many of the count bytes as fit, in order, and returns how many.
// The bytes that do not fit are the newest; they are dropped and `overflow` is set.
std::uint32_t put(RxQueue* queue, const std::uint8_t* source, std::uint32_t count);

// Consumer: takes up to count of the oldest bytes into destination; returns how many.
std::uint32_t get(RxQueue* queue, std::uint8_t* destination, std::uint32_t count);

// Consumer: discards every byte held and clears `overflow`. Safe while a put runs.
RxQueue* reset(RxQueue* queue);

// Bytes held.
std::int32_t length(const RxQueue* queue);

// Bytes dropped for want of room since init; wraps at 2^32. reset leaves it alone.
std::uint32_t droppedBytes(const RxQueue* queue);

// The process-wide queue between the port and the window, and its storage: enough to ride
// out a window that stops taking for a second while 1.2 MB/s (12 Mbaud) arrive.
inline constexpr std::uint32_t rxQueueCapacity = 1u << 21;
extern std::uint8_t rxQueueStorage[rxQueueCapacity];
extern RxQueue rxQueue;

// The receive callback the window gives the port: puts each chunk into rxQueue.
std::int32_t receiveCallback(const std::uint8_t* bytes, std::uint32_t count);
