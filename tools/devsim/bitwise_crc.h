#pragma once

#include <cstdint>

namespace devsim {

// CRC-16/MODBUS, one byte at a time, bit by bit: the device's own arithmetic, deliberately not
// the updater's table, so that a mistake in one shows against the other.
inline std::uint16_t crcStep(std::uint16_t crc, std::uint8_t byte) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    return crc;
}

}  // namespace devsim
