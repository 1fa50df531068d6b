// The FP_ entry points as the console reaches them, through libID_Fpr.so. Buffers are heap blocks of
// exactly the documented sizes so that the sanitizer build catches any access beyond them.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <random>
#include <vector>

#include "ID_Fpr.h"
#include "result_codes.h"
#include "test_images.h"

namespace tervo::fpr {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes imageBuffer(const testing::Buffer& b) {
    return Bytes(b.begin(), b.end());
}
Bytes templateBuffer() {
    return Bytes(kTemplateSize, 0);
}

class EntryPoints : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(FP_Begin(), GA_OK);
        testing::Buffer b, second;
        haveRealPrints = testing::loadFvc(3, 101, 1, b) && testing::loadFvc(3, 101, 2, second);
        // Without the shared data folder, two synthetic prints whose minutiae lie differently.
        if (!haveRealPrints) {
            b = testing::bmpBuffer(testing::printWithMinutiae({}, 1));
            second = testing::bmpBuffer(testing::printWithMinutiae({}, 2));
        }
        print = imageBuffer(b);
        secondPrint = imageBuffer(second);
    }
    void TearDown() override { FP_End(); }

    Bytes extract(Bytes& image) {
        Bytes t = templateBuffer();
        EXPECT_EQ(FP_FeatureExtract(0, 0, image.data(), t.data()), GA_OK);
        return t;
    }

    bool haveRealPrints = false;
    Bytes print, secondPrint;
};

TEST_F(EntryPoints, BeginIsIdempotentAndEndReleases) {
    EXPECT_EQ(FP_Begin(), GA_OK);
    EXPECT_EQ(FP_End(), GA_OK);
    Bytes t = templateBuffer();
    EXPECT_EQ(FP_GenFeatureFromEmpty2(0, t.data()), GA_E_DEVICE_NOINIT);
    EXPECT_EQ(FP_Begin(), GA_OK);
    EXPECT_EQ(FP_GenFeatureFromEmpty2(0, t.data()), GA_OK);
}

TEST_F(EntryPoints, EveryWorkingEntryPointAnswersNotReadyBeforeBegin) {
    ASSERT_EQ(FP_End(), GA_OK);
    Bytes t1 = templateBuffer(), t2 = templateBuffer(), out(kImageBufferSize), work(256);
    float similarity = -1.0F;
    unsigned char score = 0;
    EXPECT_EQ(FP_FeatureExtract(0, 0, print.data(), t1.data()), GA_E_DEVICE_NOINIT);
    EXPECT_EQ(FP_FeatureMatch(t1.data(), t2.data(), &similarity), GA_E_DEVICE_NOINIT);
    EXPECT_EQ(FP_ImageMatch(print.data(), t1.data(), &similarity), GA_E_DEVICE_NOINIT);
    EXPECT_EQ(FP_Compress(0, 0, 0, print.data(), 6, out.data(), work.data()), GA_E_DEVICE_NOINIT);
    EXPECT_EQ(FP_Decompress(out.data(), print.data(), work.data()), GA_E_DEVICE_NOINIT);
    EXPECT_EQ(FP_GetQualityScore(print.data(), &score), GA_E_DEVICE_NOINIT);
    EXPECT_EQ(FP_GenFeatureFromEmpty1(0, 0, t1.data()), GA_E_DEVICE_NOINIT);
    EXPECT_EQ(FP_GenFeatureFromEmpty2(0, t1.data()), GA_E_DEVICE_NOINIT);
    EXPECT_EQ(similarity, -1.0F);
}

TEST_F(EntryPoints, VersionIsTenBytesWithAPrintableName) {
    Bytes code(12, 0xEE);
    ASSERT_EQ(FP_GetVersion(code.data() + 1), GA_OK);
    EXPECT_EQ(code[0], 0xEE);
    EXPECT_EQ(code[11], 0xEE);
    for (int i = 1; i <= 4; ++i) EXPECT_TRUE(std::isprint(code[i])) << i;
    EXPECT_EQ(FP_GetVersion(nullptr), GA_E_INVALID_PARAMETER);
}

TEST_F(EntryPoints, NullPointersAreInvalidParameters) {
    Bytes t = templateBuffer(), out(kImageBufferSize), work(256);
    float similarity = 0;
    unsigned char score = 0;
    EXPECT_EQ(FP_FeatureExtract(0, 0, nullptr, t.data()), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_FeatureExtract(0, 0, print.data(), nullptr), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_FeatureMatch(nullptr, t.data(), &similarity), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_FeatureMatch(t.data(), t.data(), nullptr), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_ImageMatch(nullptr, t.data(), &similarity), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_ImageMatch(print.data(), nullptr, &similarity), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_Compress(0, 0, 0, nullptr, 6, out.data(), work.data()), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_Compress(0, 0, 0, print.data(), 6, nullptr, work.data()), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_Decompress(nullptr, out.data(), work.data()), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_GetQualityScore(nullptr, &score), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_GetQualityScore(print.data(), nullptr), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_GenFeatureFromEmpty1(0, 0, nullptr), GA_E_INVALID_PARAMETER);
    EXPECT_EQ(FP_GenFeatureFromEmpty2(0, nullptr), GA_E_INVALID_PARAMETER);
}

TEST_F(EntryPoints, BrokenBmpHeaderIsIllegalForEveryImageEntryPoint) {
    print[28] = 24;  // 24 bits per pixel
    Bytes t = templateBuffer(), out(kImageBufferSize), work(256);
    float similarity = 0;
    unsigned char score = 0;
    EXPECT_EQ(FP_FeatureExtract(0, 0, print.data(), t.data()), GA_E_FILEIILEGAL);
    EXPECT_EQ(FP_GetQualityScore(print.data(), &score), GA_E_FILEIILEGAL);
    EXPECT_EQ(FP_Compress(0, 0, 0, print.data(), 6, out.data(), work.data()), GA_E_FILEIILEGAL);
    ASSERT_EQ(FP_GenFeatureFromEmpty2(0, t.data()), GA_OK);
    EXPECT_EQ(FP_ImageMatch(print.data(), t.data(), &similarity), GA_E_FILEIILEGAL);
}

TEST_F(EntryPoints, CorruptTemplatesAnswerAnErrorAndNoScore) {
    Bytes good = extract(print), bad = good;
    bad[100] ^= 0x01;
    float similarity = -1.0F;
    EXPECT_EQ(FP_FeatureMatch(good.data(), bad.data(), &similarity), GA_E_FILEIILEGAL);
    EXPECT_EQ(FP_FeatureMatch(bad.data(), good.data(), &similarity), GA_E_FILEIILEGAL);
    EXPECT_EQ(FP_ImageMatch(print.data(), bad.data(), &similarity), GA_E_FILEIILEGAL);
    EXPECT_EQ(similarity, -1.0F);
}

// The library keeps the prepared form of recently seen templates; what it answers must depend only on
// the bytes passed in now, whatever was passed before and wherever it lives.
TEST_F(EntryPoints, RecentlySeenTemplatesGiveTheSameAnswers) {
    Bytes a = extract(print), b = extract(secondPrint), empty = templateBuffer();
    ASSERT_EQ(FP_GenFeatureFromEmpty2(0, empty.data()), GA_OK);
    float first = -1, again = -1, moved = -1, s = -1;
    ASSERT_EQ(FP_FeatureMatch(a.data(), b.data(), &first), GA_OK);
    ASSERT_EQ(FP_FeatureMatch(a.data(), b.data(), &again), GA_OK);
    Bytes copyOfB = b;
    ASSERT_EQ(FP_FeatureMatch(a.data(), copyOfB.data(), &moved), GA_OK);
    EXPECT_EQ(first, again);
    EXPECT_EQ(first, moved);
    // A buffer changed in place is judged anew: corrupt, then replaced by another template.
    b[100] ^= 0x01;
    EXPECT_EQ(FP_FeatureMatch(a.data(), b.data(), &s), GA_E_FILEIILEGAL);
    b = empty;
    ASSERT_EQ(FP_FeatureMatch(a.data(), b.data(), &s), GA_OK);
    EXPECT_EQ(s, 0.0F);
    // Many templates passing through do not disturb the answer for a probe seen at the start.
    for (int k = 0; k < 10; ++k) {
        Bytes other = templateBuffer();
        ASSERT_EQ(FP_GenFeatureFromEmpty1(0, static_cast<unsigned char>(k), other.data()), GA_OK);
        ASSERT_EQ(FP_FeatureMatch(other.data(), a.data(), &s), GA_OK);
        EXPECT_EQ(s, 0.0F);
    }
    ASSERT_EQ(FP_FeatureMatch(a.data(), copyOfB.data(), &again), GA_OK);
    EXPECT_EQ(first, again);
    // A probe on either side of a search, the gallery passing through on the other; and a template
    // never seen before given as both arguments.
    for (int k = 0; k < 6; ++k) {
        Bytes other = templateBuffer();
        ASSERT_EQ(FP_GenFeatureFromEmpty1(0, static_cast<unsigned char>(k), other.data()), GA_OK);
        ASSERT_EQ(k % 2 == 0 ? FP_FeatureMatch(other.data(), copyOfB.data(), &s)
                             : FP_FeatureMatch(copyOfB.data(), other.data(), &s),
                  GA_OK);
        EXPECT_EQ(s, 0.0F);
        ASSERT_EQ(FP_FeatureMatch(copyOfB.data(), a.data(), &again), GA_OK);
        EXPECT_EQ(first, again);
    }
    ASSERT_EQ(FP_End(), GA_OK);
    ASSERT_EQ(FP_Begin(), GA_OK);
    Bytes twin = a;
    ASSERT_EQ(FP_FeatureMatch(a.data(), twin.data(), &s), GA_OK);
    EXPECT_EQ(s, 1.0F);
    // After the library is ended and begun again, it still answers the same.
    ASSERT_EQ(FP_End(), GA_OK);
    ASSERT_EQ(FP_Begin(), GA_OK);
    ASSERT_EQ(FP_FeatureMatch(copyOfB.data(), a.data(), &again), GA_OK);
    EXPECT_EQ(first, again);
}

TEST_F(EntryPoints, ExtractionWritesExactlyOneTemplate) {
    Bytes guarded(kTemplateSize + 8, 0xAB);
    ASSERT_EQ(FP_FeatureExtract(11, 2, print.data(), guarded.data()), GA_OK);
    for (std::size_t i = kTemplateSize; i < guarded.size(); ++i) EXPECT_EQ(guarded[i], 0xAB);
}

TEST_F(EntryPoints, TemplateMatchIsSymmetricAndImageMatchAgrees) {
    Bytes a = extract(print), b = extract(secondPrint);
    float ab = 0, ba = 0, viaImage = 0, self = 0;
    ASSERT_EQ(FP_FeatureMatch(a.data(), b.data(), &ab), GA_OK);
    ASSERT_EQ(FP_FeatureMatch(b.data(), a.data(), &ba), GA_OK);
    ASSERT_EQ(FP_ImageMatch(print.data(), b.data(), &viaImage), GA_OK);
    ASSERT_EQ(FP_FeatureMatch(a.data(), a.data(), &self), GA_OK);
    EXPECT_EQ(ab, ba);
    EXPECT_EQ(viaImage, ab);
    EXPECT_GT(self, 0.95F);
    if (haveRealPrints) {
        EXPECT_GT(ab, 0.6F) << "two impressions of one finger";
    }
}

TEST_F(EntryPoints, EmptyTemplatesAreValidAndMatchNothing) {
    Bytes e1 = templateBuffer(), e2 = templateBuffer(), real = extract(print);
    ASSERT_EQ(FP_GenFeatureFromEmpty1(0, 0, e1.data()), GA_OK);
    ASSERT_EQ(FP_GenFeatureFromEmpty2(0, e2.data()), GA_OK);
    float s = -1.0F;
    ASSERT_EQ(FP_FeatureMatch(e1.data(), real.data(), &s), GA_OK);
    EXPECT_EQ(s, 0.0F);
    ASSERT_EQ(FP_FeatureMatch(e1.data(), e2.data(), &s), GA_OK);
    EXPECT_EQ(s, 0.0F);
    ASSERT_EQ(FP_ImageMatch(print.data(), e2.data(), &s), GA_OK);
    EXPECT_EQ(s, 0.0F);
}

TEST_F(EntryPoints, CompressThenDecompressGivesAUsableImage) {
    Bytes packed(kImageBufferSize), restored(kImageBufferSize), work(256, 0xCC);
    ASSERT_EQ(FP_Compress(0, 0, 0, print.data(), 6, packed.data(), work.data()), GA_OK);
    EXPECT_NE(std::memchr(work.data(), 0, work.size()), nullptr)
        << "note is terminated inside the work buffer";
    ASSERT_EQ(FP_Decompress(packed.data(), restored.data(), work.data()), GA_OK);
    EXPECT_EQ(std::memcmp(restored.data(), print.data(), 54), 0) << "BMP form restored";
    unsigned char q = 0;
    ASSERT_EQ(FP_GetQualityScore(restored.data(), &q), GA_OK);
    EXPECT_GT(q, 30);
    float s = 0;
    Bytes original = extract(print);
    ASSERT_EQ(FP_ImageMatch(restored.data(), original.data(), &s), GA_OK);
    EXPECT_GT(s, 0.6F);
    std::memset(packed.data(), 0x5A, 64);
    EXPECT_EQ(FP_Decompress(packed.data(), restored.data(), work.data()), GA_E_FILEIILEGAL);
}

TEST_F(EntryPoints, AnImageFileMustBeABmpWhileALiveImageIsRawPixels) {
    // The print's pixel rows without their headers: a raw image, as a capture gives one.
    Bytes raw(kImageBufferSize, 0);
    std::memcpy(raw.data(), print.data() + kBmpHeaderSize, kPixelCount);
    Bytes zeros(kImageBufferSize, 0);
    Bytes before = extract(print);
    Bytes t = before;
    for (Bytes* image : {&raw, &zeros}) {
        EXPECT_EQ(FP_FeatureExtract(0, 0, image->data(), t.data()), GA_E_FILEIILEGAL);
        EXPECT_EQ(t, before) << "a refused file must leave the template as it was";
    }
    EXPECT_EQ(FP_FeatureExtract(11, 2, raw.data(), t.data()), GA_OK);
    EXPECT_EQ(FP_FeatureExtract(11, 2, zeros.data(), t.data()), GA_OK);
    // Matching an image buffer still takes either form.
    float similarity = 0;
    EXPECT_EQ(FP_ImageMatch(raw.data(), before.data(), &similarity), GA_OK);
}

TEST_F(EntryPoints, RandomBytesEverywhereGiveResultCodesNotCrashes) {
    std::mt19937 rng(2024);
    Bytes image(kImageBufferSize), t1 = templateBuffer(), t2 = templateBuffer(), out(kImageBufferSize),
                                   work(256);
    for (int round = 0; round < 12; ++round) {
        for (auto& v : image) v = static_cast<unsigned char>(rng());
        for (auto& v : t1) v = static_cast<unsigned char>(rng());
        if (round % 3 == 0) image[0] = 'B', image[1] = 'M';
        if (round % 2 == 0) std::memcpy(t1.data(), "TVFT\x01", 5);
        float s = 0;
        unsigned char q = 0;
        const int extracted = FP_FeatureExtract(0, 0, image.data(), t2.data());
        EXPECT_TRUE(extracted == GA_OK || extracted == GA_E_FILEIILEGAL);
        const int quality = FP_GetQualityScore(image.data(), &q);
        EXPECT_TRUE(quality == GA_OK || quality == GA_E_FILEIILEGAL);
        if (quality == GA_OK) {
            EXPECT_LT(q, 20);
        }
        EXPECT_EQ(FP_FeatureMatch(t1.data(), t2.data(), &s), GA_E_FILEIILEGAL);
        EXPECT_EQ(FP_ImageMatch(image.data(), t1.data(), &s), GA_E_FILEIILEGAL);
        EXPECT_EQ(FP_Decompress(image.data(), out.data(), work.data()), GA_E_FILEIILEGAL);
    }
}

}  // namespace
}  // namespace tervo::fpr
