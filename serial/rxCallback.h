#pragma once

#include <cstdint>

// Receives each chunk read from the port, on the monitor thread. The bytes are valid
// only during the call; the result is ignored.
using RxCallback = std::int32_t (*)(const std::uint8_t* bytes, std::uint32_t count);
