#include "update/firmware_image.h"

namespace korv {

namespace firmware_data {
extern const std::uint8_t kBytes[];
extern const std::size_t kSize;
}  // namespace firmware_data

std::span<const std::uint8_t> builtInFirmware() {
    return {firmware_data::kBytes, firmware_data::kSize};
}

std::uint8_t FirmwareImage::next() {
    if (position_ >= bytes_.size()) return 0;
    return bytes_[position_++];
}

}  // namespace korv
