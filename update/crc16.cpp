#include "update/crc16.h"

#include <array>

#include "update/hex_text.h"

namespace korv::crc16 {

namespace {

constexpr std::uint16_t kPolynomialReversed = 0xA001;

constexpr std::array<std::uint16_t, 256> makeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = 0;
        unsigned d = i;
        for (int bit = 0; bit < 8; ++bit) {
            c = ((c ^ d) & 1) ? (c >> 1) ^ kPolynomialReversed : c >> 1;
            d >>= 1;
        }
        table[i] = static_cast<std::uint16_t>(c);
    }
    return table;
}

constexpr auto kTable = makeTable();

}  // namespace

std::uint16_t update(std::uint16_t crc, std::uint8_t byte) {
    return static_cast<std::uint16_t>(kTable[(crc ^ byte) & 0xFF] ^ (crc >> 8));
}

std::string step(std::string_view dataText, std::string_view startText) {
    auto crc = static_cast<std::uint16_t>(hex::read(startText) & 0xFFFF);
    std::string digits;
    digits.reserve(dataText.size());
    for (char c : dataText) {
        if (c != ' ' && c != '$') digits.push_back(c);
    }
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        std::string_view pair = std::string_view(digits).substr(i, 2);
        crc = update(crc, static_cast<std::uint8_t>(hex::read(pair)));
    }
    return hex::fourDigits(crc);
}

}  // namespace korv::crc16
