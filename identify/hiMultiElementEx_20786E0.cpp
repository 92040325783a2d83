#include "identify/hiMultiElementEx_20786E0.h"

#include <string_view>

#include "common/cp1251.h"

namespace korv {

namespace {

constexpr std::string_view kQuery = "VERS";
constexpr std::string_view kMarker = "KORVANDELIX";

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

// Everything before the first space; the rest after it (the space dropped), or all of it.
std::string_view splitOffToken(std::string_view& rest) {
    std::size_t space = rest.find(' ');
    std::string_view token = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    return token;
}

// The template with %1 replaced by the name, then every "%2" not directly followed by a digit
// replaced by the version; a "%2" that the name brought in is replaced too.
Bytes fillTemplate(const Bytes& pattern, std::string_view name, std::string_view version) {
    Bytes withName;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 2, "%1") == 0 &&
            !(i + 2 < pattern.size() && pattern[i + 2] >= '0' && pattern[i + 2] <= '9')) {
            withName.append(name);
            ++i;
        } else {
            withName.push_back(pattern[i]);
        }
    }
    Bytes result;
    for (std::size_t i = 0; i < withName.size(); ++i) {
        if (withName.compare(i, 2, "%2") == 0 &&
            !(i + 2 < withName.size() && withName[i + 2] >= '0' && withName[i + 2] <= '9')) {
            result.append(version);
            ++i;
        } else {
            result.push_back(withName[i]);
        }
    }
    return result;
}

}  // namespace

TClassMultiElementEx_20786E0::TClassMultiElementEx_20786E0() = default;

const Bytes& TClassMultiElementEx_20786E0::failureText() {
    static const Bytes text = cp1251::fromUtf8("На этом порту устройств не найдено.");
    return text;
}

const Bytes& TClassMultiElementEx_20786E0::successTemplate() {
    static const Bytes text = cp1251::fromUtf8("Устройство: %1   Текущая версия ПО: %2");
    return text;
}

void TClassMultiElementEx_20786E0::PortSelected(const Value& portName) { RequestOpen(portName); }

void TClassMultiElementEx_20786E0::OpenResult(const Value& number) {
    if (number.integer() == 0) {
        ShowStatus(Value::text(failureText()));
    } else {
        SendQuery(Value::text(kQuery));
    }
}

void TClassMultiElementEx_20786E0::ChunkReceived(const Value& chunk) {
    const Bytes bytes = chunk.text();
    if (bytes.find(' ') == Bytes::npos) {
        ShowStatus(Value::text(failureText()));
        return;
    }
    std::string_view rest = bytes;
    const std::string_view marker = splitOffToken(rest);
    const std::string_view name = splitOffToken(rest);
    const std::string_view version = splitOffToken(rest);
    if (!equalIgnoringAsciiCase(marker, kMarker)) {
        ShowStatus(Value::text(failureText()));
        return;
    }
    ShowStatus(Value::text(fillTemplate(successTemplate(), name, version)));
    linkState_ = Identified;
    DeviceIdentified(Value::text(marker));
}

}  // namespace korv
