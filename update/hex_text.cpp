#include "update/hex_text.h"

namespace korv::hex {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

char foldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::uint32_t read(std::string_view text) {
    if (!text.empty() && text.front() == '$') text.remove_prefix(1);
    std::uint32_t value = 0;
    for (char c : text) {
        int digit = digitValue(c);
        if (digit < 0) break;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::string byteNoLeadingZero(std::uint8_t byte) {
    if (byte < 16) return std::string(1, kDigits[byte]);
    return {kDigits[byte >> 4], kDigits[byte & 0xF]};
}

std::string fourDigits(std::uint16_t value) {
    return {kDigits[value >> 12], kDigits[(value >> 8) & 0xF], kDigits[(value >> 4) & 0xF],
            kDigits[value & 0xF]};
}

std::string ofBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0xF]);
    }
    return out;
}

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    }
    return true;
}

}  // namespace korv::hex
