#pragma once

#include <string_view>

namespace korv {

// The Windows port-name check: at most 6 characters, "COM" in any letter case, then decimal
// digits giving a number in 1..255; characters after the digits are not examined. Returns the
// port number, or 0 when the name fails the check.
int comPortNumber(std::string_view name);

}  // namespace korv
