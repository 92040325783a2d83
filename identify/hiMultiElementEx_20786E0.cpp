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

// Every `marker` ("%1", "%2") of the text that is not directly followed by a digit, replaced.
Bytes replaceMarker(const Bytes& text, std::string_view marker, std::string_view replacement) {
    Bytes result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digitFollows = i + 2 < text.size() && text[i + 2] >= '0' && text[i + 2] <= '9';
        if (text.compare(i, marker.size(), marker) == 0 && !digitFollows) {
            result.append(replacement);
            i += marker.size() - 1;
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

// %1 first, then %2: a "%2" that the device name brought in is replaced by the version too.
Bytes fillTemplate(const Bytes& pattern, std::string_view name, std::string_view version) {
    return replaceMarker(replaceMarker(pattern, "%1", name), "%2", version);
}

}  // namespace

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
