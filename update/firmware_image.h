#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace korv {

inline constexpr std::size_t kImageSize = 130048;
inline constexpr std::size_t kBlockSize = 256;

// The built-in image, as embedded at build time.
std::span<const std::uint8_t> builtInFirmware();

// An in-memory copy of a firmware image with a read position that only moves forward.
class FirmwareImage {
public:
    explicit FirmwareImage(std::span<const std::uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}
    static FirmwareImage builtIn() { return FirmwareImage(builtInFirmware()); }

    // The byte at the read position, then one further on; 0 at and beyond the end, where the
    // position stays.
    std::uint8_t next();
    std::size_t position() const { return position_; }
    std::size_t size() const { return bytes_.size(); }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace korv
