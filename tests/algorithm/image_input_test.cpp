#include "image_input.h"

#include <gtest/gtest.h>

#include "checksum.h"
#include "result_codes.h"
#include "test_images.h"

namespace tervo::fpr {
namespace {

using testing::bmpBuffer;
using testing::rawBuffer;
using testing::ridgePattern;

TEST(ImageInput, RawAndBothBmpRowOrdersGiveTheSamePixels) {
    const Pixels p = ridgePattern();
    DecodedImage raw, bottomUp, topDown;
    ASSERT_EQ(decodeImage(rawBuffer(p).data(), raw), GA_OK);
    ASSERT_EQ(decodeImage(bmpBuffer(p, true).data(), bottomUp), GA_OK);
    ASSERT_EQ(decodeImage(bmpBuffer(p, false).data(), topDown), GA_OK);
    EXPECT_EQ(raw.form, ImageForm::Raw);
    EXPECT_EQ(bottomUp.form, ImageForm::BmpBottomUp);
    EXPECT_EQ(topDown.form, ImageForm::BmpTopDown);
    EXPECT_EQ(raw.pixels, p);
    EXPECT_EQ(bottomUp.pixels, p);
    EXPECT_EQ(topDown.pixels, p);
}

TEST(ImageInput, RawImageWhoseFirstPixelIsTheLetterBIsStillRaw) {
    Pixels p = ridgePattern();
    p[0] = 'B';
    p[1] = 'N';
    DecodedImage out;
    ASSERT_EQ(decodeImage(rawBuffer(p).data(), out), GA_OK);
    EXPECT_EQ(out.form, ImageForm::Raw);
}

TEST(ImageInput, BmpPixelsGoThroughThePaletteLuminance) {
    Pixels p = testing::uniformImage(10);
    testing::Buffer b = bmpBuffer(p);
    b[54 + 4 * 10] = 0;  // entry 10 becomes pure red 255: luminance 76
    b[55 + 4 * 10] = 0;
    b[56 + 4 * 10] = 255;
    DecodedImage out;
    ASSERT_EQ(decodeImage(b.data(), out), GA_OK);
    EXPECT_EQ(out.pixels[0], 76);
}

TEST(ImageInput, NullBufferIsAnInvalidParameter) {
    DecodedImage out;
    EXPECT_EQ(decodeImage(nullptr, out), GA_E_INVALID_PARAMETER);
}

TEST(ImageInput, FileSizeFieldMayBeZeroOrExact) {
    testing::Buffer b = bmpBuffer(ridgePattern());
    DecodedImage out;
    writeLe32(&b[2], kBmpFileSize);
    EXPECT_EQ(decodeImage(b.data(), out), GA_OK);
    writeLe32(&b[2], kBmpFileSize + 1);
    EXPECT_EQ(decodeImage(b.data(), out), GA_E_FILEIILEGAL);
}

struct HeaderDamage {
    const char* name;
    std::size_t offset;
    std::uint32_t value;
    int width;  // 2 or 4 bytes
};

class BrokenBmpHeader : public ::testing::TestWithParam<HeaderDamage> {};

TEST_P(BrokenBmpHeader, IsRefusedAsIllegal) {
    testing::Buffer b = bmpBuffer(ridgePattern());
    const HeaderDamage& d = GetParam();
    if (d.width == 2) {
        writeLe16(&b[d.offset], static_cast<std::uint16_t>(d.value));
    } else {
        writeLe32(&b[d.offset], d.value);
    }
    DecodedImage out;
    EXPECT_EQ(decodeImage(b.data(), out), GA_E_FILEIILEGAL) << d.name;
}

INSTANTIATE_TEST_SUITE_P(
    EveryCheckedField, BrokenBmpHeader,
    ::testing::Values(HeaderDamage{"file size", 2, 54, 4}, HeaderDamage{"pixel offset", 10, 54, 4},
                      HeaderDamage{"info header size", 14, 108, 4}, HeaderDamage{"width", 18, 255, 4},
                      HeaderDamage{"height", 22, 359, 4}, HeaderDamage{"zero height", 22, 0, 4},
                      HeaderDamage{"planes", 26, 2, 2}, HeaderDamage{"24 bits per pixel", 28, 24, 2},
                      HeaderDamage{"run-length coded", 30, 1, 4}, HeaderDamage{"image size", 34, 1000, 4},
                      HeaderDamage{"colours used", 46, 16, 4}, HeaderDamage{"important colours", 50, 300, 4}),
    [](const ::testing::TestParamInfo<HeaderDamage>& info) {
        std::string n = info.param.name;
        for (char& c : n) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return n;
    });

TEST(ImageInput, WithoutTheSignatureAHeaderIsReadAsRawPixels) {
    testing::Buffer b = bmpBuffer(ridgePattern());
    b[1] = 'A';
    DecodedImage out;
    ASSERT_EQ(decodeImage(b.data(), out), GA_OK);
    EXPECT_EQ(out.form, ImageForm::Raw);
    EXPECT_EQ(out.pixels[0], 'B');
}

TEST(ImageInput, GarbageAfterTheSignatureIsIllegal) {
    testing::Buffer b = rawBuffer(testing::noiseImage(7));
    b[0] = 'B';
    b[1] = 'M';
    DecodedImage out;
    EXPECT_EQ(decodeImage(b.data(), out), GA_E_FILEIILEGAL);
}

TEST(ImageInput, MovedImageShiftsRightAndDownRepeatingTheFirstRowsAndColumns) {
    const Pixels in = testing::noiseImage(3);
    EXPECT_EQ(movedImage(in, 0), in);
    const Pixels out = movedImage(in, 3);
    EXPECT_EQ(out[100 * kWidth + 50], in[97 * kWidth + 47]);
    EXPECT_EQ(out[(kHeight - 1) * kWidth + kWidth - 1], in[(kHeight - 4) * kWidth + kWidth - 4]);
    for (int k = 0; k <= 3; ++k) {
        EXPECT_EQ(out[k * kWidth + 10], in[7]) << "row " << k << " repeats the first row";
        EXPECT_EQ(out[200 * kWidth + k], in[197 * kWidth]) << "column " << k << " repeats the first column";
    }
}

TEST(ImageInput, MovedImageMovesEachAxisByItsOwnOffset) {
    const Pixels in = testing::noiseImage(4);
    EXPECT_EQ(movedImage(in, 0, 0), in);
    EXPECT_EQ(movedImage(in, 2, 2), movedImage(in, 2));
    const Pixels out = movedImage(in, 5, 1);
    EXPECT_EQ(out[100 * kWidth + 50], in[99 * kWidth + 45]);
    EXPECT_EQ(out[0 * kWidth + 50], in[45]) << "the first row repeated once";
    EXPECT_EQ(out[100 * kWidth + 4], in[99 * kWidth]) << "the first column repeated five times";
}

}  // namespace
}  // namespace tervo::fpr
