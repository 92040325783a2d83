#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace korv {

// Byte string; the program's texts are Windows-1251, received chunks are raw bytes.
using Bytes = std::string;

// What every connection between components carries: empty, a 32-bit integer, a real number or a
// byte text, possibly followed by further values.
class Value {
public:
    enum class Kind { Empty, Integer, Real, Text };

    Value() = default;
    Value(std::int32_t integer) : data_(integer) {}  // NOLINT: integers convert implicitly
    Value(double real) : data_(real) {}              // NOLINT
    static Value text(std::string_view bytes) { return Value(Bytes(bytes)); }

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }

    // False only for the integer 0.
    bool truth() const;
    // Integers in decimal, texts unchanged, reals in shortest decimal form, empty as "".
    Bytes text() const;
    // Texts: optional sign and leading decimal digits (0 when none), reals rounded, empty as 0.
    std::int32_t integer() const;

    // Appends a further value behind this one (and behind any already there).
    Value& followedBy(Value next);
    const Value* next() const { return next_.get(); }

    friend bool operator==(const Value& a, const Value& b);

private:
    explicit Value(Bytes bytes) : data_(std::move(bytes)) {}

    std::variant<std::monostate, std::int32_t, double, Bytes> data_;
    std::shared_ptr<const Value> next_;
};

}  // namespace korv
