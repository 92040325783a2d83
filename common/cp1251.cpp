#include "common/cp1251.h"

#include <array>

namespace korv::cp1251 {

namespace {

// Characters of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98 (unassigned: as Windows)
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

}  // namespace

char16_t toUnicode(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return kUpperHalf[byte - 0x80];
}

char fromUnicode(char16_t ch) {
    if (ch < 0x80) return static_cast<char>(ch);
    if (ch >= 0x0410 && ch <= 0x044F) return static_cast<char>(0xC0 + (ch - 0x0410));
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
        if (kUpperHalf[i] == ch) return static_cast<char>(0x80 + i);
    }
    return '?';
}

Bytes fromUtf8(std::string_view utf8) {
    Bytes out;
    for (std::size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t cp = lead;
        std::size_t length = 1;
        if (lead >= 0xE0 && i + 2 < utf8.size()) {
            cp = ((lead & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
            length = 3;
        } else if (lead >= 0xC0 && i + 1 < utf8.size()) {
            cp = ((lead & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
            length = 2;
        }
        out.push_back(cp <= 0xFFFF ? fromUnicode(static_cast<char16_t>(cp)) : '?');
        i += length;
    }
    return out;
}

}  // namespace korv::cp1251
