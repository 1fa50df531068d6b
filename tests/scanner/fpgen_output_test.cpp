// The generator program end to end: its files are the console's BMP layout
// and hold exactly the images the scanner serves for the same finger and seed.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "device_fixture.h"
#include "temp_folder.h"

namespace tervo::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

int runGenerator(const std::string& arguments) {
    const std::string command = std::string(TERVO_FPGEN_EMULATOR) + "'" + TERVO_FPGEN_PATH + "' " +
                                TERVO_FPGEN_JOBS + arguments + " 2>/dev/null";
    return std::system(command.c_str());
}

class GeneratorTest : public DeviceTest {
  protected:
    TempFolder work_{"scanner-fpgen-"};
    // Where the generator writes; it does not exist until the generator makes it.
    const fs::path folder_ = work_.path() / "prints";

    // The files of fingers 9-10 (impressions 1-2) against the device's captures with the same settings.
    void expectFilesAreCaptures(const fs::path& folder, std::uint64_t seed, const std::string& difficulty) {
        for (int finger : {9, 10}) {
            set("FINGER", std::to_string(finger));
            set("SEED", std::to_string(seed));
            set("DIFFICULTY", difficulty);
            ASSERT_EQ(LIVESCAN_Init(), 1);
            for (int impression : {1, 2}) {
                char name[32];
                std::snprintf(name, sizeof name, "%04d_%d.bmp", finger, impression);
                const std::vector<std::uint8_t> file = readFile(folder / name);
                ASSERT_EQ(file.size(), 93238U) << name;
                const std::vector<std::uint8_t> captured = capture();
                for (int row = 0; row < 360; ++row)
                    ASSERT_TRUE(std::equal(captured.begin() + row * 256, captured.begin() + (row + 1) * 256,
                                           file.begin() + 1078 + (359 - row) * 256))
                        << difficulty << " " << name << " row " << row;
            }
        }
        EXPECT_FALSE(fs::exists(folder / "0009_3.bmp"));
    }
};

TEST_F(GeneratorTest, WritesTheImagesTheScannerServes) {
    const std::uint64_t seed = freshSeed();
    const fs::path png = folder_ / "first.png";
    ASSERT_EQ(runGenerator("--out '" + folder_.string() + "' --fingers 9-10 --impressions 2 --seed " +
                           std::to_string(seed) + " --png '" + png.string() + "'"),
              0);
    expectFilesAreCaptures(folder_, seed, "typical");
    const std::vector<std::uint8_t> picture = readFile(png);
    ASSERT_GE(picture.size(), 8U);
    EXPECT_EQ(picture[1], 'P');
    EXPECT_EQ(picture[2], 'N');
}

TEST_F(GeneratorTest, DifficultyOptionAndSettingGiveTheSameImages) {
    const std::uint64_t seed = freshSeed();
    ASSERT_EQ(
        runGenerator("--out '" + folder_.string() +
                     "' --fingers 9-10 --impressions 2 --difficulty hard --seed " + std::to_string(seed)),
        0);
    expectFilesAreCaptures(folder_, seed, "hard");
}

TEST_F(GeneratorTest, HelpAndVersionAnswerOnStandardOutput) {
    for (const char* option : {"--help", "--version"}) {
        const std::string command =
            std::string(TERVO_FPGEN_EMULATOR) + "'" + TERVO_FPGEN_PATH + "' " + option;
        std::FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string text;
        char chunk[256];
        while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) text += chunk;
        const int status = pclose(pipe);
        EXPECT_EQ(status, 0) << option;
        EXPECT_EQ(text.rfind("tervo-fpgen ", 0) == 0 || text.rfind("usage: tervo-fpgen", 0) == 0, true)
            << option << ": " << text;
    }
}

TEST_F(GeneratorTest, RefusesBadArgumentsWithoutWritingAnything) {
    EXPECT_NE(runGenerator("--out '" + folder_.string() + "' --fingers 4-2"), 0);
    EXPECT_NE(runGenerator("--fingers 1-2"), 0);
    EXPECT_FALSE(fs::exists(folder_));
}

}  // namespace
}  // namespace tervo::test
