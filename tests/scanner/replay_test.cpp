#include <filesystem>
#include <fstream>

#include "device_fixture.h"
#include "image_files.h"
#include "temp_folder.h"

namespace tervo::test {
namespace {

namespace fs = std::filesystem;
using tervo::synth::GrayImage;

GrayImage pattern(int width, int height, int salt) {
    GrayImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.at(x, y) = static_cast<std::uint8_t>((x * 3 + y * 5 + salt) % 250);
    return image;
}

void writePgm(const fs::path& path, const GrayImage& image) {
    std::ofstream file(path, std::ios::binary);
    file << "P5\n" << image.width << " " << image.height << "\n255\n";
    file.write(reinterpret_cast<const char*>(image.values.data()),
               static_cast<std::streamsize>(image.values.size()));
}

class ReplayTest : public DeviceTest {
  protected:
    TempFolder replayFolder_{"scanner-replay-"};
    const fs::path& folder_ = replayFolder_.path();
};

TEST_F(ReplayTest, ServesFilesInNameOrderFittedToTheSensor) {
    const GrayImage small = pattern(100, 50, 1);   // padded with white, centred
    const GrayImage large = pattern(300, 400, 2);  // cropped around its centre
    const GrayImage exact = pattern(256, 360, 3);
    ASSERT_TRUE(tervo::synth::writeGrayBmp((folder_ / "a.bmp").string(), small));
    writePgm(folder_ / "b.pgm", large);
    ASSERT_TRUE(tervo::synth::writeGrayBmp((folder_ / "c.BMP").string(), exact));
    std::ofstream(folder_ / "notes.txt") << "not an image";
    set("REPLAY", folder_.string());
    ASSERT_EQ(LIVESCAN_Init(), 1);

    const std::vector<std::uint8_t> first = capture();
    EXPECT_EQ(first[0], 255);
    EXPECT_EQ(first[155 * 256 + 78], small.at(0, 0));
    EXPECT_EQ(first[204 * 256 + 177], small.at(99, 49));
    EXPECT_EQ(first[204 * 256 + 178], 255);

    const std::vector<std::uint8_t> second = capture();
    EXPECT_EQ(second[0], large.at(22, 20));
    EXPECT_EQ(second[359 * 256 + 255], large.at(277, 379));

    const std::vector<std::uint8_t> third = capture();
    EXPECT_TRUE(std::equal(exact.values.begin(), exact.values.end(), third.begin()));

    EXPECT_EQ(capture(), first) << "wraps around after the last file";
}

TEST_F(ReplayTest, UnreadableFileFailsOneCaptureOnly) {
    std::ofstream(folder_ / "1_broken.bmp") << "BM this is not really a bitmap";
    writePgm(folder_ / "2_good.pgm", pattern(256, 360, 4));
    set("REPLAY", folder_.string());
    ASSERT_EQ(LIVESCAN_Init(), 1);
    capture(-102);
    capture(1);
    capture(-102);
}

TEST_F(ReplayTest, EmptyFolderFallsBackToSyntheticFingers) {
    set("REPLAY", folder_.string());
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(LIVESCAN_Init(), 1);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("TERVO_SCANNER_REPLAY"), std::string::npos);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
    capture(1);
}

}  // namespace
}  // namespace tervo::test
