#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korv::crc16 {

// One table-driven CRC-16 step over texts, reflected, polynomial 0xA001, no final XOR; with the
// start "FFFF" this is CRC-16/MODBUS. dataText: hexadecimal digits, two per byte (spaces and '$'
// removed, an odd last digit a byte of its own); startText: read by the hexadecimal reading rule,
// low 16 bits. Returns 4 upper-case digits.
std::string step(std::string_view dataText, std::string_view startText = "$FFFF");

// One byte onto a checksum value; the arithmetic core of step().
std::uint16_t update(std::uint16_t crc, std::uint8_t byte);

}  // namespace korv::crc16
