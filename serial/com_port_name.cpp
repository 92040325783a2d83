#include "serial/com_port_name.h"

namespace korv {

int comPortNumber(std::string_view name) {
    if (name.size() > 6 || name.size() < 3) return 0;
    for (std::size_t i = 0; i < 3; ++i) {
        char c = name[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != "COM"[i]) return 0;
    }
    int number = 0;
    for (std::size_t i = 3; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
        number = number * 10 + (name[i] - '0');
    }
    return number >= 1 && number <= 255 ? number : 0;
}

}  // namespace korv
