// The byte stream the Wine engine tests send both ways: byte i of a stream. Its period
// (251 * 256 bytes) is long enough that a lost, repeated or swapped block shows.
#pragma once

#include <cstddef>
#include <cstdint>

inline std::uint8_t streamByte(std::size_t i) { return static_cast<std::uint8_t>((i % 251) ^ (i / 251)); }

// The line of bytes the Windows side writes once its port is set up: the peer waits for it
// before it sends, as bytes sent earlier are purged by the set-up.
inline constexpr char readyLine[] = "READY\n";
inline constexpr std::size_t readyLength = sizeof readyLine - 1;

// The receive case's pace: the peer sends this many bytes, then waits for blockAck. Half the
// receive queue, so a consumer that the machine starves for a while cannot make the queue
// drop bytes (it drops the newest when full, by design): what is checked is the engine's
// integrity, not the scheduler's.
inline constexpr std::size_t receiveBlock = 8192;
inline constexpr std::uint8_t blockAck = 'k';

// Flow control characters the low-rate case uses.
inline constexpr std::uint8_t xonChar = 0x11;
inline constexpr std::uint8_t xoffChar = 0x13;
