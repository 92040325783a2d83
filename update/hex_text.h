#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korv::hex {

// Reading rule: one leading '$' skipped, then hexadecimal digits of either case accumulated up to
// the first other character; an empty text is 0. Digits beyond 32 bits shift out at the top.
std::uint32_t read(std::string_view text);

// An image byte as upper-case hexadecimal without a leading zero: "0".."F", "10".."FF".
std::string byteNoLeadingZero(std::uint8_t byte);

// A checksum as exactly 4 upper-case digits, most significant first.
std::string fourDigits(std::uint16_t value);

// Received bytes as two upper-case digits each, in order, no separators.
std::string ofBytes(std::string_view bytes);

// Equal over the whole length, letter case ignored.
bool sameText(std::string_view a, std::string_view b);

}  // namespace korv::hex
