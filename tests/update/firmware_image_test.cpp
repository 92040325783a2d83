#include "update/firmware_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace korv {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FirmwareImage, BuiltInImageIsTheConfiguredFileByteForByte) {
    const std::string file = readFile(KORV_FIRMWARE_FILE);
    auto image = builtInFirmware();
    ASSERT_EQ(image.size(), kImageSize);
    ASSERT_EQ(file.size(), kImageSize);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), file.begin(),
                           [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

TEST(FirmwareImage, CommittedStandInIsWhatTheGeneratorWrites) {
    const std::string path = ::testing::TempDir() + "/regenerated_firmware.bin";
    const std::string command = std::string(KORV_MAKE_FIRMWARE) + " " + path;
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string regenerated = readFile(path);
    std::remove(path.c_str());
    EXPECT_EQ(regenerated.size(), kImageSize);
    EXPECT_TRUE(regenerated == readFile(KORV_DEFAULT_FIRMWARE_FILE));
}

TEST(FirmwareImage, ReadsForwardThenZerosAndNeverRewinds) {
    const std::uint8_t bytes[] = {7, 0, 255};
    FirmwareImage image(bytes);
    EXPECT_EQ(image.next(), 7);
    EXPECT_EQ(image.next(), 0);
    EXPECT_EQ(image.next(), 255);
    EXPECT_EQ(image.position(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(image.next(), 0);
    EXPECT_EQ(image.position(), 3u);
}

TEST(FirmwareImage, FirstAndLastBytesOfTheBuiltInImage) {
    auto original = builtInFirmware();
    FirmwareImage image = FirmwareImage::builtIn();
    EXPECT_EQ(image.next(), original[0]);
    for (std::size_t i = 1; i + 1 < kImageSize; ++i) image.next();
    EXPECT_EQ(image.next(), original[kImageSize - 1]);
    EXPECT_EQ(image.next(), 0);  // the 130049th
}

TEST(FirmwareImage, AnEmptyImageReadsZeros) {
    FirmwareImage image(std::span<const std::uint8_t>{});
    EXPECT_EQ(image.next(), 0);
    EXPECT_EQ(image.position(), 0u);
}

}  // namespace
}  // namespace korv
