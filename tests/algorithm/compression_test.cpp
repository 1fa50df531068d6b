#include "compression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

// libjpeg's header uses FILE without declaring it.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include "block_edge_filter.h"
#include "checksum.h"
#include "encoding_judge.h"
#include "extractor.h"
#include "jpeg_codec.h"
#include "minutia_recovery.h"
#include "result_codes.h"
#include "test_images.h"

namespace tervo::fpr {
namespace {

using testing::Buffer;

double psnr(const Pixels& a, const Pixels& b) {
    double se = 0;
    for (std::size_t i = 0; i < kPixelCount; ++i) se += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    return se == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * kPixelCount / se);
}

Pixels pixelsOf(const Buffer& b) {
    DecodedImage d;
    EXPECT_EQ(decodeImage(b.data(), d), GA_OK);
    return d.pixels;
}

// A JPEG stream as another encoder would write it, to check what the decoder accepts beyond the form
// the library writes itself.
std::vector<std::uint8_t> foreignJpeg(const Pixels& p, bool progressive) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 50, TRUE);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(p.data() + static_cast<std::size_t>(info.next_scanline) * kWidth);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> stream(buffer, buffer + size);
    std::free(buffer);
    return stream;
}

// A raw-image container around any stream, with correct lengths and checksum.
Buffer sealedRaw(const std::vector<std::uint8_t>& stream) {
    Buffer c{};
    std::memcpy(c.data(), "TVJC", 4);
    c[4] = 1;
    c[6] = 6;
    writeLe32(&c[8], static_cast<std::uint32_t>(stream.size()));
    writeLe32(&c[12], kPixelCount);
    std::copy(stream.begin(), stream.end(), c.begin() + 20);
    writeLe32(&c[16], crc32(&c[20], stream.size(), crc32(c.data(), 16)));
    return c;
}

class CompressionForm : public ::testing::TestWithParam<int> {};

// 0 raw, 1 BMP bottom-up, 2 BMP top-down.
TEST_P(CompressionForm, RoundTripRestoresTheSameFormWithinTheRatio) {
    testing::Damage light;
    light.noiseSigma = 8.0;
    const Pixels p = testing::ridgePattern(light);
    const Buffer in = GetParam() == 0 ? testing::rawBuffer(p) : testing::bmpBuffer(p, GetParam() == 1);
    Buffer packed{}, out{};
    CompressionReport report;
    ASSERT_EQ(compressImage(in.data(), 6, packed.data(), report), GA_OK);
    EXPECT_LE(report.bytes, kPixelCount / 6);
    ASSERT_EQ(decompressImage(packed.data(), out.data()), GA_OK);
    if (GetParam() == 0) {
        EXPECT_FALSE(out[0] == 'B' && out[1] == 'M');
    } else {
        EXPECT_EQ(std::memcmp(out.data(), in.data(), kBmpHeaderSize), 0) << "headers and palette restored";
    }
    EXPECT_GT(psnr(p, pixelsOf(out)), 30.0);
}

INSTANTIATE_TEST_SUITE_P(AllForms, CompressionForm, ::testing::Values(0, 1, 2));

TEST(Compression, HigherRatiosGiveSmallerStreams) {
    const Buffer in = testing::rawBuffer(testing::ridgePattern());
    Buffer packed{};
    CompressionReport six, twelve;
    ASSERT_EQ(compressImage(in.data(), 6, packed.data(), six), GA_OK);
    ASSERT_EQ(compressImage(in.data(), 12, packed.data(), twelve), GA_OK);
    EXPECT_LE(twelve.bytes, kPixelCount / 12);
    EXPECT_LT(twelve.quality, six.quality);
}

TEST(Compression, RefusesBadArguments) {
    const Buffer in = testing::rawBuffer(testing::ridgePattern());
    Buffer packed{};
    CompressionReport report;
    EXPECT_EQ(compressImage(nullptr, 6, packed.data(), report), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(compressImage(in.data(), 6, nullptr, report), GA_E_INVALID_PARAMETER);
    for (int ratio : {-6, 0, 1, kMaxRatio + 1}) {
        EXPECT_EQ(compressImage(in.data(), ratio, packed.data(), report), GA_E_INVALID_PARAMETER) << ratio;
    }
    Buffer broken = testing::bmpBuffer(testing::ridgePattern());
    broken[28] = 24;
    EXPECT_EQ(compressImage(broken.data(), 6, packed.data(), report), GA_E_FILEIILEGAL);
}

TEST(Compression, DamagedContainersAreIllegal) {
    const Buffer in = testing::bmpBuffer(testing::ridgePattern());
    Buffer good{}, out{};
    CompressionReport report;
    ASSERT_EQ(compressImage(in.data(), 6, good.data(), report), GA_OK);
    // A flipped byte anywhere in the header, the stored BMP headers or the stream.
    for (std::size_t at : {0UL, 4UL, 5UL, 8UL, 11UL, 12UL, 16UL, 30UL, 80UL, 500UL, report.bytes - 1}) {
        Buffer bad = good;
        bad[at] ^= 0x20;
        EXPECT_EQ(decompressImage(bad.data(), out.data()), GA_E_FILEIILEGAL) << "byte " << at;
    }
    Buffer huge = good;
    writeLe32(&huge[8], 0xFFFFFFF0U);  // stream length far past the buffer
    EXPECT_EQ(decompressImage(huge.data(), out.data()), GA_E_FILEIILEGAL);
    EXPECT_EQ(decompressImage(nullptr, out.data()), GA_E_INVALID_PARAMETER);
}

TEST(Compression, ResealedGarbageStreamIsStillIllegal) {
    // A container whose checksum is right but whose stream is not JPEG must be caught by the decoder.
    std::vector<std::uint8_t> garbage(4000);
    std::mt19937 rng(5);
    for (auto& v : garbage) v = static_cast<std::uint8_t>(rng());
    garbage[0] = 0xFF;
    garbage[1] = 0xD8;  // a JPEG start marker followed by garbage
    Buffer out{};
    EXPECT_EQ(decompressImage(sealedRaw(garbage).data(), out.data()), GA_E_FILEIILEGAL);
}

// Containers written before the stream became arithmetic-coded hold baseline Huffman streams.
TEST(Compression, HuffmanCodedContainersStillDecode) {
    const Pixels p = testing::ridgePattern();
    Buffer out{};
    ASSERT_EQ(decompressImage(sealedRaw(foreignJpeg(p, false)).data(), out.data()), GA_OK);
    EXPECT_GT(psnr(p, pixelsOf(out)), 25.0);
}

// A progressive stream is a valid JPEG the library could decode, but it is never written here and its
// scan count is up to the sender.
TEST(Compression, ProgressiveStreamsAreRefused) {
    Buffer out{};
    EXPECT_EQ(decompressImage(sealedRaw(foreignJpeg(testing::ridgePattern(), true)).data(), out.data()),
              GA_E_FILEIILEGAL);
}

// A container cut after a third of its JPEG stream, then resealed with a correct length and checksum:
// the decoder meets the end of data early, which must not pass for a good image.
TEST(Compression, ResealedTruncatedStreamIsIllegal) {
    const Buffer in = testing::rawBuffer(testing::ridgePattern());
    Buffer packed{}, out{};
    CompressionReport report;
    ASSERT_EQ(compressImage(in.data(), 6, packed.data(), report), GA_OK);
    constexpr std::size_t kFixedHeader = 20;
    const std::size_t kept = readLe32(&packed[8]) / 3;
    std::fill(packed.begin() + static_cast<std::ptrdiff_t>(kFixedHeader + kept), packed.end(), 0);
    writeLe32(&packed[8], static_cast<std::uint32_t>(kept));
    writeLe32(&packed[16], crc32(&packed[kFixedHeader], kept, crc32(packed.data(), 16)));
    EXPECT_EQ(decompressImage(packed.data(), out.data()), GA_E_FILEIILEGAL);
}

TEST(Compression, RandomBuffersNeverDecompress) {
    std::mt19937 rng(11);
    Buffer in{}, out{};
    for (int round = 0; round < 50; ++round) {
        for (auto& v : in) v = static_cast<std::uint8_t>(rng());
        if (round % 2 == 0) std::memcpy(in.data(), "TVJC\x01", 5);
        EXPECT_EQ(decompressImage(in.data(), out.data()), GA_E_FILEIILEGAL);
    }
}

Minutia minutiaAt(int x, int y, float angle, MinutiaType type = MinutiaType::Ending) {
    Minutia m;
    m.x = x;
    m.y = y;
    m.angle = angle;
    m.type = type;
    return m;
}

TEST(MinutiaRecovery, CountsMinutiaeFoundAgainLessNewOnes) {
    const std::vector<Minutia> original = {minutiaAt(50, 50, 1.0F), minutiaAt(100, 100, 2.0F),
                                           minutiaAt(150, 150, 3.0F)};
    EXPECT_EQ(minutiaRecovery(original, original), 3);
    EXPECT_EQ(minutiaRecovery(original, {}), 0);
    // Moved by 6 px (found), by 9 px (lost, and new where it landed), turned by 40 degrees (the same).
    const std::vector<Minutia> restored = {minutiaAt(56, 50, 1.0F), minutiaAt(100, 109, 2.0F),
                                           minutiaAt(150, 150, 3.7F)};
    EXPECT_EQ(minutiaRecovery(original, restored), 1 - 2);
    // One more, far from all of them.
    std::vector<Minutia> more = original;
    more.push_back(minutiaAt(200, 300, 0.0F));
    EXPECT_EQ(minutiaRecovery(original, more), 3 - 1);
}

TEST(MinutiaRecovery, DirectionsWrapAroundAndTypesMayTradePlaces) {
    const std::vector<Minutia> original = {minutiaAt(80, 80, 0.05F)};
    EXPECT_EQ(minutiaRecovery(original, {minutiaAt(80, 82, 6.25F, MinutiaType::Bifurcation)}), 1);
    EXPECT_EQ(minutiaRecovery(original, {minutiaAt(80, 80, 3.2F)}), -1) << "the opposite direction";
}

TEST(MinutiaRecovery, SharedMinutiaeCountTheShareOfExtractionsThatFoundThem) {
    const Minutia everywhere = minutiaAt(50, 50, 1.0F), once = minutiaAt(100, 100, 2.0F);
    const Minutia nowhere = minutiaAt(150, 150, 3.0F);
    const std::vector<std::vector<Minutia>> extractions = {
        {everywhere, once}, {minutiaAt(53, 48, 1.2F)}, {minutiaAt(50, 51, 0.9F)}, {minutiaAt(44, 50, 1.0F)}};
    EXPECT_FLOAT_EQ(minutiaeLikelyShared({everywhere, once, nowhere}, extractions), 1.0F + 0.25F + 0.0F);
    EXPECT_FLOAT_EQ(minutiaeLikelyShared({}, extractions), 0.0F);
    EXPECT_FLOAT_EQ(minutiaeLikelyShared({everywhere}, {}), 0.0F);
}

// The compressor chooses among table shapes and the smoothing of block edges by the judge's merit;
// whatever it chooses must never judge worse than the library's standard table at the same budget,
// decoded either way.
TEST(Compression, ChosenEncodingJudgesAtLeastAsWellAsTheStandardTable) {
    testing::Damage light;
    light.noiseSigma = 12.0;
    Pixels print = testing::printWithMinutiae(light, 3);
    Buffer fvc{};
    if (testing::loadFvc(1, 102, 3, fvc)) print = pixelsOf(fvc);  // the table shapes differ most here
    const EncodingJudge judge(print);
    ASSERT_FALSE(judge.printless());

    Buffer packed{}, out{};
    CompressionReport report;
    ASSERT_EQ(compressImage(testing::rawBuffer(print).data(), 6, packed.data(), report), GA_OK);
    ASSERT_EQ(decompressImage(packed.data(), out.data()), GA_OK);
    const Verdict chosen = judge.judge(pixelsOf(out));

    const std::size_t budget = kPixelCount / 6 - 20;  // the raw form's fixed header
    std::vector<std::uint8_t> stream, best;
    for (int quality = 5; quality <= 95; ++quality) {
        ASSERT_TRUE(encodeJpeg(print, quality, QuantShape{}, stream));
        if (stream.size() <= budget) best = stream;
    }
    Pixels plain{};
    int step = 0;
    ASSERT_TRUE(decodeJpeg(best.data(), best.size(), plain, &step));
    Pixels smoothed = plain;
    smoothBlockEdges(smoothed, step);
    EXPECT_GE(chosen.merit(), judge.judge(plain).merit());
    EXPECT_GE(chosen.merit(), judge.judge(smoothed).merit());
    EXPECT_GT(chosen.recovery, static_cast<int>(extractFeatures(print, 0, 0).minutiae.size()) / 2);
}

// Rewrites the source form byte of a container, flags included, and seals it again.
Buffer withFormByte(const Buffer& container, std::uint8_t formByte) {
    Buffer c = container;
    c[5] = formByte;
    const std::size_t body = readLe32(&c[8]) + ((container[5] & 0x03) != 0 ? 54 : 0);  // BMP headers
    writeLe32(&c[16], crc32(&c[20], body, crc32(c.data(), 16)));
    return c;
}

// The flag beside the source form decides whether the decoder smooths block edges; only pixels on
// either side of a block edge may move, and a finely quantised stream has nothing to smooth.
TEST(Compression, SmoothingFlagMovesOnlyBlockEdgePixelsOfCoarseStreams) {
    const Buffer in = testing::rawBuffer(testing::printWithMinutiae());
    Buffer packed{}, plain{}, smoothed{};
    CompressionReport report;
    ASSERT_EQ(compressImage(in.data(), 30, packed.data(), report), GA_OK);  // coarse: low quality
    ASSERT_EQ(decompressImage(withFormByte(packed, 0x00).data(), plain.data()), GA_OK);
    ASSERT_EQ(decompressImage(withFormByte(packed, 0x80).data(), smoothed.data()), GA_OK);
    int moved = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * kWidth + x;
            if (plain[i] == smoothed[i]) continue;
            ++moved;
            EXPECT_TRUE(x % 8 == 0 || x % 8 == 7 || y % 8 == 0 || y % 8 == 7) << x << "," << y;
        }
    }
    EXPECT_GT(moved, 100);

    // The standard table at quality 95 has low-frequency steps of one gray level.
    std::vector<std::uint8_t> fine;
    ASSERT_TRUE(encodeJpeg(pixelsOf(in), 95, QuantShape{}, fine));
    ASSERT_EQ(decompressImage(withFormByte(sealedRaw(fine), 0x00).data(), plain.data()), GA_OK);
    ASSERT_EQ(decompressImage(withFormByte(sealedRaw(fine), 0x80).data(), smoothed.data()), GA_OK);
    EXPECT_EQ(plain, smoothed);
}

TEST(Compression, UnknownFlagsBesideTheSourceFormAreIllegal) {
    const Buffer in = testing::rawBuffer(testing::ridgePattern());
    Buffer packed{}, out{};
    CompressionReport report;
    ASSERT_EQ(compressImage(in.data(), 6, packed.data(), report), GA_OK);
    for (std::uint8_t formByte : {0x03, 0x40, 0x83, 0x04}) {
        EXPECT_EQ(decompressImage(withFormByte(packed, formByte).data(), out.data()), GA_E_FILEIILEGAL)
            << int(formByte);
    }
}

}  // namespace
}  // namespace tervo::fpr
