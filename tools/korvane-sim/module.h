// The simulated radio module, apart from any device: what it sends for what it
// receives, and its optional stream. The caller moves bytes between it and the pty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "tools/korvane-sim/commandParser.h"
#include "tools/korvane-sim/replies.h"
#include "tools/korvane-sim/stream.h"

namespace sim {

// Bytes waiting to be written, taken from the front as the device accepts them.
class OutputQueue {
public:
    void append(std::string_view bytes) { bytes_ += bytes; }
    bool empty() const { return size() == 0; }
    std::size_t size() const { return bytes_.size() - head_; }
    const char* data() const { return bytes_.data() + head_; }
    void consume(std::size_t count);

private:
    std::string bytes_;
    std::size_t head_ = 0;  // written bytes stay until the rest is small enough to move
};

// Where the module's output goes: the port takes what it can and says how much.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual std::size_t take(std::string_view bytes) = 0;
};

// Bytes per second that a line with these settings carries: each character has a
// start bit, its data bits, an optional parity bit and one or two stop bits.
std::uint64_t lineBytesPerSecond(std::uint64_t baud, int dataBits, bool parity, bool twoStopBits);

class Module {
public:
    // log: where to note each piece received and each reply sent; nullptr for silence.
    Module(Identity identity, std::ostream* log) : identity_(std::move(identity)), log_(log) {}

    void startStream(StreamKind kind, std::uint64_t bytesPerSecond, Clock::time_point now);
    bool streaming() const { return pacer_.has_value(); }

    // Queues the replies to whatever these bytes complete.
    void receive(std::string_view bytes);
    // Queues the stream bytes due by now, unless the reader has fallen behind.
    void tick(Clock::time_point now);

    // Paces send() at this many bytes per second from now on; 0 sends flat out.
    void paceAt(std::uint64_t bytesPerSecond, Clock::time_point now);
    // Offers the port what is due by now. What it does not take is lost, as on a wire
    // that nobody listens to, and counted.
    void send(Clock::time_point now, ByteSink& port);
    bool pacing() const { return linePacer_.has_value(); }
    std::uint64_t dropped() const { return dropped_; }

    OutputQueue& output() { return output_; }

private:
    // Stream bytes are only queued while less than this waits, so a reader that stops
    // reading holds back the stream rather than growing the queue.
    static constexpr std::size_t streamBacklog = 16 * 1024;

    Identity identity_;
    std::ostream* log_;
    CommandParser parser_;
    OutputQueue output_;
    std::optional<StreamSource> stream_;
    std::optional<RatePacer> pacer_;
    std::optional<RatePacer> linePacer_;
    std::uint64_t dropped_ = 0;
    std::uint64_t droppedSinceLog_ = 0;
};

}  // namespace sim
