// The "./Fp.bmp" writer, the file readers and the hex dump.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "console_test_support.h"
#include "modulapi.h"

using namespace tervo::test;

namespace {

uint32_t le32(const std::string& s, std::size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}
uint16_t le16(const std::string& s, std::size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1])
                                                                         << 8);
}

std::vector<unsigned char> gradient(int width, int height) {
    std::vector<unsigned char> image(ImageLen, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image[y * width + x] = static_cast<unsigned char>(x * 3 + y * 7);
    return image;
}

class Bmp : public InTempDir {};

TEST_F(Bmp, CaptureGeometryHeaderPaletteAndBottomUpRows) {
    auto image = gradient(256, 360);
    const auto original = image;
    char name[] = "./Fp.bmp";
    ASSERT_EQ(WriteBMP(name, image.data(), 256, 360), 1);
    EXPECT_EQ(image, original) << "the caller's image must not change";

    const std::string f = readFile("Fp.bmp");
    ASSERT_EQ(f.size(), 93238U);
    EXPECT_EQ(le16(f, 0), 0x4D42);
    EXPECT_EQ(le32(f, 2), 0U);
    EXPECT_EQ(le32(f, 6), 0U);
    EXPECT_EQ(le32(f, 10), 1078U);
    EXPECT_EQ(le32(f, 14), 40U);
    EXPECT_EQ(static_cast<int32_t>(le32(f, 18)), 256);
    EXPECT_EQ(static_cast<int32_t>(le32(f, 22)), 360);
    EXPECT_EQ(le16(f, 26), 1);
    EXPECT_EQ(le16(f, 28), 8);
    for (std::size_t at = 30; at < 54; at += 4) EXPECT_EQ(le32(f, at), 0U) << "field at " << at;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(le32(f, 54 + 4 * i), static_cast<uint32_t>(i | i << 8 | i << 16)) << "palette entry " << i;
    }
    for (int row = 0; row < 360; ++row) {
        const std::string stored = f.substr(1078 + 256 * row, 256);
        const std::string expected(reinterpret_cast<const char*>(&original[256 * (359 - row)]), 256);
        ASSERT_EQ(stored, expected) << "file row " << row << " must be image row " << 359 - row;
    }

    unsigned char back[imgLen];
    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(name, back, 93238), 1); }), "read ./Fp.bmp success!\n");
}

TEST_F(Bmp, OddAndSingleRowImagesKeepTheirMiddle) {
    auto image = gradient(4, 3);
    char name[] = "odd.bmp";
    ASSERT_EQ(WriteBMP(name, image.data(), 4, 3), 1);
    std::string f = readFile(name);
    ASSERT_EQ(f.size(), 1078U + 12U);
    EXPECT_EQ(f.substr(1078, 4), std::string(reinterpret_cast<char*>(&image[8]), 4));
    EXPECT_EQ(f.substr(1082, 4), std::string(reinterpret_cast<char*>(&image[4]), 4));
    EXPECT_EQ(f.substr(1086, 4), std::string(reinterpret_cast<char*>(&image[0]), 4));

    ASSERT_EQ(WriteBMP(name, image.data(), 8, 1), 1);
    f = readFile(name);
    EXPECT_EQ(f.substr(1078), std::string(reinterpret_cast<char*>(&image[0]), 8));
}

TEST_F(Bmp, RefusesSizesOutsideTheWorkAreaAndWritesNothing) {
    auto image = gradient(256, 360);
    char name[] = "refused.bmp";
    const int sizes[][2] = {{0, 360},   {256, 0},   {-256, 360},     {256, -360},
                            {257, 360}, {92161, 1}, {100000, 100000}};
    for (const auto& s : sizes) {
        EXPECT_EQ(WriteBMP(name, image.data(), s[0], s[1]), 0) << s[0] << " x " << s[1];
        EXPECT_FALSE(exists(name)) << s[0] << " x " << s[1];
    }
    EXPECT_EQ(WriteBMP(name, image.data(), 92160, 1), 1) << "the whole work area in one row is fine";
}

TEST_F(Bmp, UncreatableFileReturnsZeroAndPrintsNothing) {
    auto image = gradient(256, 360);
    char name[] = "no/such/dir/Fp.bmp";
    EXPECT_EQ(printed([&] { EXPECT_EQ(WriteBMP(name, image.data(), 256, 360), 0); }), "");
}

// Files in the working directory other than the ones named.
std::vector<std::string> strayFiles(const std::vector<std::string>& known) {
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end()) stray.push_back(name);
    }
    return stray;
}

TEST_F(Bmp, AFailedWriteKeepsThePreviousImageWhole) {
    auto image = gradient(256, 360);
    char name[] = "Fp.bmp";
    ASSERT_EQ(WriteBMP(name, image.data(), 256, 360), 1);
    const std::string previous = readFile(name);

    // A file-size limit below one image stands in for a full disk.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 20000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    auto other = gradient(128, 720);
    const int ret = WriteBMP(name, other.data(), 256, 360);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(ret, 0);
    EXPECT_EQ(readFile(name), previous) << "the last good image survives";
    EXPECT_EQ(strayFiles({"Fp.bmp"}), std::vector<std::string>{}) << "no temporary file is left behind";
}

TEST_F(Bmp, ReplacesTheFileWithOrdinaryPermissions) {
    auto image = gradient(256, 360);
    char name[] = "Fp.bmp";
    writeFile(name, "old");
    const mode_t saved = umask(022);
    ASSERT_EQ(WriteBMP(name, image.data(), 256, 360), 1);
    umask(saved);
    struct stat st {};
    ASSERT_EQ(stat(name, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644U);
    EXPECT_EQ(st.st_size, 93238);
    EXPECT_EQ(strayFiles({"Fp.bmp"}), std::vector<std::string>{});
}

class Reader : public InTempDir {};

TEST_F(Reader, FixedLengthCodesAndMessages) {
    writeFile("exact.bin", std::string(512, 'a'));
    writeFile("long.bin", std::string(600, 'b'));
    writeFile("short.bin", std::string(511, 'c'));
    unsigned char buf[600];
    char exact[] = "exact.bin", longer[] = "long.bin", shorter[] = "short.bin", missing[] = "missing.bin";

    std::memset(buf, 0, sizeof buf);
    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(exact, buf, 512), 1); }), "read exact.bin success!\n");
    EXPECT_EQ(buf[511], 'a');

    std::memset(buf, 0, sizeof buf);
    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(longer, buf, 512), 1); }), "read long.bin success!\n");
    EXPECT_EQ(buf[511], 'b');
    EXPECT_EQ(buf[512], 0) << "bytes beyond the length are not read";

    std::memset(buf, 0x77, sizeof buf);
    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(shorter, buf, 512), -3); }), "fread short.bin fail!\n");
    EXPECT_EQ(std::count(buf, buf + sizeof buf, 0x77), static_cast<long>(sizeof buf))
        << "a short file leaves the buffer exactly as it was";

    std::memset(buf, 0x77, sizeof buf);
    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(missing, buf, 512), -1); }), "fopen missing.bin fail!\n");
    EXPECT_EQ(buf[0], 0x77) << "the buffer is untouched";

    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(exact, nullptr, 512), -2); }), "null data buffer!\n");
    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(exact, buf, 0), -2); }),
              "read length 0 for exact.bin is not positive!\n");
    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(exact, buf, -5), -2); }),
              "read length -5 for exact.bin is not positive!\n");
}

TEST_F(Reader, WholeFileIntoANewBuffer) {
    writeFile("data.bin", std::string("\x01\x02\x03", 3));
    writeFile("empty.bin", "");
    char data[] = "data.bin", empty[] = "empty.bin", missing[] = "missing.bin", dir[] = ".";
    unsigned char* p = nullptr;

    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(data, &p), 1); }),
              "data.bin size is 3 bytes!\nread data.bin success!\n");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[2], 3);
    std::free(p);

    p = nullptr;
    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(empty, &p), 1); }),
              "empty.bin size is 0 bytes!\nread empty.bin success!\n");
    std::free(p);

    EXPECT_EQ(printed([&] { EXPECT_EQ(readFileData(missing, &p), -1); }), "fopen missing.bin fail!\n");

    // A directory opens for reading on Linux but has no readable length.
    const std::string out = printed([&] { EXPECT_LT(readFileData(dir, &p), 0); });
    EXPECT_EQ(p, nullptr);
    EXPECT_NE(out.find("."), std::string::npos);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == '\n')
            out.emplace_back();
        else
            out.back().push_back(c);
    }
    return out;
}

TEST(PrintHex, TheErrorDumpLayout) {
    std::vector<unsigned char> bytes(50);
    for (int i = 0; i < 50; ++i) bytes[i] = static_cast<unsigned char>(i == 0 ? 0 : 200 + i);
    const auto got = lines(printed([&] { printHex(bytes.data(), 50, 10); }));
    ASSERT_EQ(got.size(), 5U) << "four line feeds, none after the last value";
    EXPECT_EQ(got[0].substr(0, 12), "0X0 0Xc9 0Xc") << "lower-case digits, no leading zeros";
    const std::size_t values[] = {11, 10, 10, 10, 9};
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(static_cast<std::size_t>(std::count(got[i].begin(), got[i].end(), 'X')), values[i])
            << "line " << i;
    EXPECT_EQ(got[4].back(), ' ');
}

TEST(PrintHex, EdgeCounts) {
    unsigned char bytes[] = {0, 0xAB, 7};
    EXPECT_EQ(printed([&] { printHex(bytes, 1, 10); }), "0X0 ");
    EXPECT_EQ(printed([&] { printHex(bytes, 0, 10); }), "");
    EXPECT_EQ(printed([&] { printHex(bytes, -4, 10); }), "");
    EXPECT_EQ(printed([&] { printHex(bytes, 3, 0); }), "0X0 0Xab 0X7 ") << "no line length: one line";
    EXPECT_EQ(printed([&] { printHex(bytes, 3, -1); }), "0X0 0Xab 0X7 ");
    EXPECT_EQ(printed([&] { printHex(bytes, 3, 1); }), "0X0 0Xab \n0X7 \n");
}

TEST(Timestamp, MillisecondsOfTheWallClock) {
    timeval before{};
    gettimeofday(&before, nullptr);
    const int64_t ms = get_current_timestamp();
    const int64_t expected = static_cast<int64_t>(before.tv_sec) * 1000 + before.tv_usec / 1000;
    EXPECT_GE(ms, expected);
    EXPECT_LT(ms - expected, 1000);
}

}  // namespace
