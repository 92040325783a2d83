#include "common/value.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace korv {

namespace {

std::int32_t saturate(long long v) {
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::int32_t integerOfText(const Bytes& t) {
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    long long magnitude = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (t[i] - '0');
        if (magnitude > (1LL << 32)) magnitude = 1LL << 32;  // far enough to saturate either sign
    }
    return saturate(negative ? -magnitude : magnitude);
}

std::int32_t integerOfReal(double r) {
    if (std::isnan(r)) return 0;
    if (r >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (r <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(std::nearbyint(r));
}

}  // namespace

bool Value::truth() const {
    const auto* i = std::get_if<std::int32_t>(&data_);
    return i == nullptr || *i != 0;
}

Bytes Value::text() const {
    switch (kind()) {
        case Kind::Empty:
            return {};
        case Kind::Integer:
            return std::to_string(std::get<std::int32_t>(data_));
        case Kind::Real: {
            char buffer[64];
            auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::get<double>(data_));
            return ec == std::errc{} ? Bytes(buffer, end) : Bytes();
        }
        case Kind::Text:
            return std::get<Bytes>(data_);
    }
    return {};
}

std::int32_t Value::integer() const {
    switch (kind()) {
        case Kind::Empty:
            return 0;
        case Kind::Integer:
            return std::get<std::int32_t>(data_);
        case Kind::Real:
            return integerOfReal(std::get<double>(data_));
        case Kind::Text:
            return integerOfText(std::get<Bytes>(data_));
    }
    return 0;
}

Value& Value::followedBy(Value next) {
    if (next_) {
        Value tail = *next_;
        tail.followedBy(std::move(next));
        next_ = std::make_shared<const Value>(std::move(tail));
    } else {
        next_ = std::make_shared<const Value>(std::move(next));
    }
    return *this;
}

bool operator==(const Value& a, const Value& b) {
    if (a.data_ != b.data_) return false;
    if (!a.next_ || !b.next_) return !a.next_ && !b.next_;
    return *a.next_ == *b.next_;
}

}  // namespace korv
