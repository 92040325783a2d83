#pragma once

#include <string>
#include <string_view>

#include "common/value.h"

namespace korv::cp1251 {

// The Unicode character of a Windows-1251 byte (0x98, unassigned, maps to U+0098 as Windows
// does, so that every byte survives the round trip).
char16_t toUnicode(unsigned char byte);

// The Windows-1251 byte for a Unicode character; '?' for one the code page lacks.
char fromUnicode(char16_t ch);

// Converts UTF-8 (the encoding of this program's source files) to Windows-1251, for the
// program's own texts.
Bytes fromUtf8(std::string_view utf8);

}  // namespace korv::cp1251
