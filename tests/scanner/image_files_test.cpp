#include "image_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "sensor_geometry.h"
#include "temp_folder.h"

namespace {

using tervo::synth::GrayImage;

std::uint32_t little(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

GrayImage gradient(int width, int height) {
    GrayImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.at(x, y) = static_cast<std::uint8_t>((x * 7 + y * 13) & 0xff);
    return image;
}

std::vector<std::uint8_t> pgm(const std::string& header, const std::vector<std::uint8_t>& pixels) {
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

TEST(BmpWriter, UsesTheConsoleFileLayout) {
    const GrayImage image = gradient(tervo::synth::kSensorWidth, tervo::synth::kSensorHeight);
    const std::vector<std::uint8_t> bytes = tervo::synth::encodeGrayBmp(image);
    ASSERT_EQ(bytes.size(), 93238U);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(little(bytes, 2, 4), 0U) << "file-size field";
    EXPECT_EQ(little(bytes, 10, 4), 1078U);
    EXPECT_EQ(little(bytes, 14, 4), 40U);
    EXPECT_EQ(little(bytes, 18, 4), 256U);
    EXPECT_EQ(little(bytes, 22, 4), 360U) << "positive height: bottom-up rows";
    EXPECT_EQ(little(bytes, 26, 2), 1U);
    EXPECT_EQ(little(bytes, 28, 2), 8U);
    for (std::size_t at = 30; at < 54; ++at)
        EXPECT_EQ(bytes[at], 0) << "no compression, sizes or counts: " << at;
    for (int i = 0; i < 256; i += 51)
        EXPECT_EQ(little(bytes, 54 + 4 * i, 4), static_cast<std::uint32_t>(i * 0x010101));
    EXPECT_EQ(0, std::memcmp(&bytes[1078], image.row(359), 256)) << "first stored row is the bottom row";
    EXPECT_EQ(0, std::memcmp(&bytes[1078 + 359 * 256], image.row(0), 256));
}

TEST(BmpReader, RoundTripsPaddedRows) {
    const GrayImage image = gradient(5, 3);
    const std::optional<GrayImage> decoded = tervo::synth::decodeBmp(tervo::synth::encodeGrayBmp(image));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 5);
    EXPECT_EQ(decoded->height, 3);
    EXPECT_EQ(decoded->values, image.values);
}

TEST(BmpReader, AppliesThePaletteAndReadsTopDownRows) {
    const GrayImage image = gradient(4, 2);
    std::vector<std::uint8_t> bytes = tervo::synth::encodeGrayBmp(image);
    // Inverted palette, negative height (top-down rows).
    for (int i = 0; i < 256; ++i)
        bytes[54 + 4 * i] = bytes[55 + 4 * i] = bytes[56 + 4 * i] = static_cast<std::uint8_t>(255 - i);
    const std::int32_t topDown = -2;
    std::memcpy(&bytes[22], &topDown, 4);
    const std::optional<GrayImage> decoded = tervo::synth::decodeBmp(bytes);
    ASSERT_TRUE(decoded);
    // Stored row 0 is now the top row.
    EXPECT_EQ(decoded->at(1, 0), 255 - image.at(1, 1));
    EXPECT_EQ(decoded->at(3, 1), 255 - image.at(3, 0));
}

TEST(BmpReader, ConvertsColourToLuminance) {
    std::vector<std::uint8_t> bytes(54 + 8, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    bytes[10] = 54;
    bytes[14] = 40;
    bytes[18] = 2;  // 2 x 1 pixels, 24 bits, row padded to 8 bytes
    bytes[22] = 1;
    bytes[26] = 1;
    bytes[28] = 24;
    const std::uint8_t pixels[6] = {0, 0, 255, 255, 255, 255};  // red, white (BGR order)
    std::memcpy(&bytes[54], pixels, 6);
    const std::optional<GrayImage> decoded = tervo::synth::decodeBmp(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->at(0, 0), 76);
    EXPECT_EQ(decoded->at(1, 0), 255);
}

TEST(BmpReader, RejectsMalformedFiles) {
    const std::vector<std::uint8_t> good = tervo::synth::encodeGrayBmp(gradient(8, 8));
    EXPECT_FALSE(tervo::synth::decodeBmp({}));
    EXPECT_FALSE(tervo::synth::decodeBmp(std::vector<std::uint8_t>(good.begin(), good.begin() + 40)))
        << "short header";
    EXPECT_FALSE(tervo::synth::decodeBmp(std::vector<std::uint8_t>(good.begin(), good.end() - 1)))
        << "short pixels";
    EXPECT_FALSE(tervo::synth::decodeBmp(std::vector<std::uint8_t>(2000, 0x41))) << "garbage";
    auto patched = [&](std::size_t at, std::uint32_t value) {
        std::vector<std::uint8_t> bytes = good;
        std::memcpy(&bytes[at], &value, 4);
        return bytes;
    };
    EXPECT_FALSE(tervo::synth::decodeBmp(patched(18, 0))) << "zero width";
    EXPECT_FALSE(tervo::synth::decodeBmp(patched(18, 0x7fffffff))) << "huge width";
    EXPECT_FALSE(tervo::synth::decodeBmp(patched(22, 0x80000000U))) << "most negative height";
    EXPECT_FALSE(tervo::synth::decodeBmp(patched(30, 1))) << "compressed";
    EXPECT_FALSE(tervo::synth::decodeBmp(patched(10, 0xfffffff0U))) << "pixel offset beyond the file";
    EXPECT_FALSE(tervo::synth::decodeBmp(patched(28, 16))) << "16 bits per pixel";
}

TEST(PgmReader, ReadsEightAndSixteenBitSamples) {
    const std::optional<GrayImage> eight =
        tervo::synth::decodePgm(pgm("P5\n# scanner dump\n3 1\n255\n", {0, 128, 255}));
    ASSERT_TRUE(eight);
    EXPECT_EQ(eight->values, (std::vector<std::uint8_t>{0, 128, 255}));
    const std::optional<GrayImage> wide =
        tervo::synth::decodePgm(pgm("P5 2 1 65535 ", {0xff, 0xff, 0x80, 0x00}));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->values, (std::vector<std::uint8_t>{255, 128}));
    const std::optional<GrayImage> scaled = tervo::synth::decodePgm(pgm("P5 1 1 15\n", {15}));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->values[0], 255);
}

TEST(PgmReader, RejectsMalformedFiles) {
    EXPECT_FALSE(tervo::synth::decodePgm(pgm("P2 1 1 255\n", {0}))) << "ASCII variant";
    EXPECT_FALSE(tervo::synth::decodePgm(pgm("P5 2 2 255\n", {1, 2, 3}))) << "short pixels";
    EXPECT_FALSE(tervo::synth::decodePgm(pgm("P5 0 2 255\n", {}))) << "zero width";
    EXPECT_FALSE(tervo::synth::decodePgm(pgm("P5 99999999999999999999 1 255\n", {0}))) << "huge width";
    EXPECT_FALSE(tervo::synth::decodePgm(pgm("P5 1 1 70000\n", {0, 0}))) << "maximum beyond 16 bits";
    EXPECT_FALSE(tervo::synth::decodePgm(pgm("P5 1 1", {}))) << "header cut short";
    EXPECT_FALSE(tervo::synth::decodePgm(pgm("P5 x 1 255\n", {0})));
}

TEST(ImageFile, RefusesMissingAndUnknownFiles) {
    EXPECT_FALSE(tervo::synth::readGrayImageFile("/nonexistent/image.bmp"));
    const TempFolder folder("scanner-image-file-");
    const std::string path = folder.file("not_an_image.bmp");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("hello, not a picture", file);
    std::fclose(file);
    EXPECT_FALSE(tervo::synth::readGrayImageFile(path));
}

TEST(FitToSensor, CentresCropsAndPads) {
    GrayImage small(100, 50, 7);
    const GrayImage padded = tervo::synth::fitToSensor(small);
    ASSERT_EQ(padded.width, 256);
    ASSERT_EQ(padded.height, 360);
    EXPECT_EQ(padded.at(78, 155), 7);
    EXPECT_EQ(padded.at(177, 204), 7);
    EXPECT_EQ(padded.at(77, 155), 255);
    EXPECT_EQ(padded.at(78, 205), 255);

    const GrayImage large = gradient(300, 400);
    const GrayImage cropped = tervo::synth::fitToSensor(large);
    EXPECT_EQ(cropped.at(0, 0), large.at(22, 20));
    EXPECT_EQ(cropped.at(255, 359), large.at(277, 379));
}

}  // namespace
