#pragma once

#include <chrono>
#include <cstddef>

namespace korv::line {

// The device's fixed line: 38462 bit/s (not 38400), 8 data bits, no parity, 1 stop bit, no flow
// control, DTR and RTS held off.
inline constexpr unsigned kBaudRate = 38462;
inline constexpr unsigned kBitsPerCharacter = 10;  // start bit, 8 data bits, stop bit

// Largest chunk handed over at once: the driver's input queue.
inline constexpr std::size_t kMaxChunk = 4096;

// A device reply ends when the line has been idle for this long: 4 character times. Shorter
// pauses occur inside one reply on a real UART (the driver hands over what it has so far), and
// the exchanges judge each chunk as a whole reply, so the reader joins bytes across such pauses.
inline constexpr std::chrono::microseconds kReplyGap{
    (4 * kBitsPerCharacter * 1'000'000 + kBaudRate - 1) / kBaudRate};  // rounded up: 1040 us

// A write gives up after 100 ms per byte plus 1000 ms, so a stuck line cannot hang the program.
inline constexpr std::chrono::milliseconds kWriteTimeoutPerByte{100};
inline constexpr std::chrono::milliseconds kWriteTimeoutConstant{1000};

}  // namespace korv::line
