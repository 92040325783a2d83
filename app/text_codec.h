#pragma once

#include <QString>

#include "common/value.h"

namespace korv::text {

// Windows-1251 bytes as a label shows them: CR LF (and a lone LF) break the line; every other
// control byte, NUL included, shows as its Control Pictures sign, so nothing truncates the text.
QString forLabel(const Bytes& bytes);
Bytes fromLabel(const QString& text);

// Windows-1251 bytes as a one-line field or list entry shows them: every control byte as its
// Control Pictures sign. fromField(forField(b)) == b for every byte string.
QString forField(const Bytes& bytes);
Bytes fromField(const QString& text);

}  // namespace korv::text
