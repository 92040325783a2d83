#include "tools/devsim/report.h"

#include <cstdio>

namespace devsim {

namespace {

std::string number(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6f", v);
    return buffer;
}

std::string optionalTime(const std::optional<double>& t) { return t ? number(*t) : "null"; }

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

bool Report::success() const {
    return bytesReceived == imageSize && puskSeen && imageMatches.value_or(true);
}

std::string Report::toJson() const {
    std::string turnarounds;
    for (double t : turnaroundsUs) turnarounds += (turnarounds.empty() ? "" : ",") + number(t);
    std::string j = "{\n";
    j += "  \"clock_origin\": " + number(clockOrigin) + ",\n";
    j += "  \"image_size\": " + std::to_string(imageSize) + ",\n";
    j += "  \"bytes_received\": " + std::to_string(bytesReceived) + ",\n";
    j += "  \"blocks_answered\": " + std::to_string(blocksAnswered) + ",\n";
    j += "  \"image_matches\": " + std::string(imageMatches ? (*imageMatches ? "true" : "false") : "null") + ",\n";
    j += "  \"pusk_seen\": " + std::string(puskSeen ? "true" : "false") + ",\n";
    j += "  \"pusk_count\": " + std::to_string(puskCount) + ",\n";
    j += "  \"vers_queries\": " + std::to_string(versQueries) + ",\n";
    j += "  \"bytes_before_vers\": " + std::to_string(bytesBeforeVers) + ",\n";
    j += "  \"bytes_after_image\": " + std::to_string(bytesAfterImage) + ",\n";
    j += "  \"short_last_block\": " + std::string(shortLastBlock ? "true" : "false") + ",\n";
    j += "  \"unplugged\": " + std::string(unplugged ? "true" : "false") + ",\n";
    j += "  \"fault\": " + quoted(fault) + ",\n";
    j += "  \"first_image_byte_at\": " + optionalTime(firstImageByteAt) + ",\n";
    j += "  \"last_image_byte_at\": " + optionalTime(lastImageByteAt) + ",\n";
    j += "  \"pusk_at\": " + optionalTime(puskAt) + ",\n";
    j += "  \"turnarounds_us\": [" + turnarounds + "],\n";
    j += "  \"success\": " + std::string(success() ? "true" : "false") + "\n}\n";
    return j;
}

}  // namespace devsim
