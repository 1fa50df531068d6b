#include "feature_template.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "angles.h"
#include "checksum.h"
#include "geometry.h"

namespace tervo::fpr {
namespace {

constexpr std::uint8_t kMagic[4] = {'T', 'V', 'F', 'T'};
constexpr std::uint8_t kVersion = 3;
constexpr std::uint8_t kFlagEmpty = 0x01;
constexpr std::size_t kMaskBytes = (kMaskBits + 7) / 8;
constexpr std::size_t kChecksumOffset = kTemplateSize - 4;

static_assert(kTemplateMaskOffset + kMaskBytes <= kTemplateMinutiaeOffset, "mask overflow");
static_assert(kTemplateMinutiaeOffset + kTemplateMinutiaSize * kMaxTemplateMinutiae <=
                  kTemplateOrientationOffset,
              "minutiae overflow");
constexpr std::size_t kPeriodEnd = kTemplatePeriodOffset + kPeriodBytes;
static_assert(kPeriodEnd <= kChecksumOffset, "template overflow");
static_assert(kMaskColumns * kOrientationBits % 8 == 0, "a mask row's orientations fill whole bytes");

// For each byte of mask bits, the 24-bit word whose 3-bit group i is all ones where bit i is set.
constexpr std::array<std::uint32_t, 256> kGroupsOfBits = [] {
    std::array<std::uint32_t, 256> table{};
    for (unsigned bits = 0; bits < 256; ++bits)
        for (unsigned i = 0; i < 8; ++i)
            if ((bits >> i) & 1U) table[bits] |= 0x7U << (kOrientationBits * i);
    return table;
}();

// Bit c of the result: some mask cell of period column c in the given mask rows holds print (the
// pairs of bits ORed, then the even bits gathered).
unsigned periodColumnsWithPrint(std::uint16_t rows) {
    unsigned x = (rows | rows >> 1) & 0x5555U;
    x = (x | x >> 1) & 0x3333U;
    x = (x | x >> 2) & 0x0F0FU;
    return (x | x >> 4) & 0x00FFU;
}

// For each byte of period-column bits, the 32-bit word whose nibble i is all ones where bit i is set.
constexpr std::array<std::uint32_t, 256> kNibblesOfBits = [] {
    std::array<std::uint32_t, 256> table{};
    for (unsigned bits = 0; bits < 256; ++bits)
        for (unsigned i = 0; i < 8; ++i)
            if ((bits >> i) & 1U) table[bits] |= 0xFU << (4 * i);
    return table;
}();

std::uint32_t quantiseAngle(float angle) {
    const long q = std::lround(angle / kTwoPiF * 256.0F);
    return static_cast<std::uint32_t>(((q % 256) + 256) % 256);
}

// Eight bytes at a time: the unused tail of a stored template is checked on every comparison.
bool allZero(const std::uint8_t* p, std::size_t n) {
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, p + i, sizeof word);
        any |= word;
    }
    for (; i < n; ++i) any |= p[i];
    return any == 0;
}

std::uint32_t packMinutia(const Minutia& m) {
    const std::uint32_t reliability =
        static_cast<std::uint32_t>(std::lround(std::min<int>(m.reliability, 100) * 0.63));
    return static_cast<std::uint32_t>(m.x & 0xFF) | static_cast<std::uint32_t>(m.y & 0x1FF) << 8 |
           quantiseAngle(m.angle) << 17 | (m.type == MinutiaType::Bifurcation ? 1U : 0U) << 25 |
           reliability << 26;
}

}  // namespace

std::uint8_t periodCode(float pixels) {
    // Range-checked as a float, so that no value beyond the long range is ever rounded.
    const float code = std::clamp(2.0F * (pixels - 4.5F), 1.0F, static_cast<float>(kPeriodCodes - 1));
    return static_cast<std::uint8_t>(std::lround(std::isnan(code) ? 1.0F : code));
}

void packRidgeFields(const FeatureTemplate& t, std::uint8_t* orientation, std::uint8_t* period) {
    std::array<bool, kPeriodCells> periodPrint{};
    for (int row = 0; row < kMaskRows; ++row) {
        std::uint64_t orientations = 0;
        for (int c = 0; c < kMaskColumns; ++c) {
            const int i = row * kMaskColumns + c;
            if (!t.mask[i]) continue;
            orientations |= static_cast<std::uint64_t>(t.orientation[i] % kOrientationSteps)
                            << (c * kOrientationBits);
            periodPrint[static_cast<std::size_t>(periodCellOf(i))] = true;
        }
        writeLe48(orientation + static_cast<std::size_t>(row) * kOrientationRowBytes, orientations);
    }
    std::memset(period, 0, kPeriodBytes);
    for (int g = 0; g < kPeriodCells; ++g) {
        if (periodPrint[static_cast<std::size_t>(g)])
            period[g / 2] |= static_cast<std::uint8_t>((t.period[static_cast<std::size_t>(g)] % kPeriodCodes)
                                                       << (g % 2 * 4));
    }
}

void encodeTemplate(const FeatureTemplate& t, std::uint8_t* out) {
    std::memset(out, 0, kTemplateSize);
    std::memcpy(out, kMagic, 4);
    out[4] = kVersion;
    out[5] = t.empty ? kFlagEmpty : 0;
    out[6] = t.fingerCode;
    out[7] = t.scannerType;
    out[8] = std::min<std::uint8_t>(t.quality, 100);
    const std::size_t count = t.empty ? 0 : std::min<std::size_t>(t.minutiae.size(), kMaxTemplateMinutiae);
    out[9] = static_cast<std::uint8_t>(count);
    out[10] = t.periodTenths;
    if (!t.empty) {
        for (int i = 0; i < kMaskBits; ++i)
            if (t.mask[i]) out[kTemplateMaskOffset + i / 8] |= static_cast<std::uint8_t>(1U << (i % 8));
        packRidgeFields(t, out + kTemplateOrientationOffset, out + kTemplatePeriodOffset);
    }
    for (std::size_t i = 0; i < count; ++i)
        writeLe32(out + kTemplateMinutiaeOffset + i * kTemplateMinutiaSize, packMinutia(t.minutiae[i]));
    writeLe32(out + kChecksumOffset, crc32(out, kChecksumOffset));
}

bool checkTemplate(const std::uint8_t* in, PackedTemplate& out) {
    if (std::memcmp(in, kMagic, 4) != 0 || in[4] != kVersion) return false;
    if (readLe32(in + kChecksumOffset) != crc32(in, kChecksumOffset)) return false;
    if ((in[5] & ~kFlagEmpty) != 0 || !allZero(in + 11, 5) ||
        !allZero(in + kTemplateMaskOffset + kMaskBytes, 2))
        return false;
    if constexpr (kMaskBits % 8 != 0) {
        if ((in[kTemplateMaskOffset + kMaskBytes - 1] >> (kMaskBits % 8)) != 0)
            return false;  // bits past the grid
    }
    const std::size_t count = in[9];
    out.empty = (in[5] & kFlagEmpty) != 0;
    if (count > kMaxTemplateMinutiae || (out.empty && count != 0) || in[8] > 100) return false;
    const std::size_t used = kTemplateMinutiaeOffset + count * kTemplateMinutiaSize;
    if (!allZero(in + used, kTemplateOrientationOffset - used) ||
        !allZero(in + kPeriodEnd, kChecksumOffset - kPeriodEnd))
        return false;
    out.bytes = in;
    out.count = static_cast<int>(count);
    // An orientation outside the print: one mask row at a time, its 16 cells' 3-bit groups a 48-bit word.
    static_assert(kMaskColumns == 16, "a mask row's orientations are one 48-bit word");
    for (int row = 0; row < kMaskRows; ++row) {
        const std::uint16_t print = out.maskRow(row);
        const std::uint64_t allowed =
            static_cast<std::uint64_t>(kGroupsOfBits[print >> 8]) << 24 | kGroupsOfBits[print & 0xFF];
        const std::uint64_t stored =
            readLe48(in + kTemplateOrientationOffset + static_cast<std::size_t>(row) * kOrientationRowBytes);
        if ((stored & ~allowed) != 0) return false;
    }
    // A period where no mask cell holds print: one period row at a time, its 8 cells a 32-bit word.
    static_assert(kPeriodColumns == 8, "a period row is one 32-bit word");
    for (int row = 0; row < kPeriodRows; ++row) {
        const int below = std::min(2 * row + 1, kMaskRows - 1);
        const unsigned print =
            periodColumnsWithPrint(static_cast<std::uint16_t>(out.maskRow(2 * row) | out.maskRow(below)));
        const std::uint32_t stored = readLe32(out.periodBytes() + static_cast<std::size_t>(row) * 4);
        if ((stored & ~kNibblesOfBits[print]) != 0) return false;
    }
    for (int i = 0; i < out.count; ++i) {
        if (packedY(out.minutia(i)) >= kHeight) return false;
    }
    return true;
}

bool decodeTemplate(const std::uint8_t* in, FeatureTemplate& out) {
    PackedTemplate packed;
    if (!checkTemplate(in, packed)) return false;
    out.empty = packed.empty;
    out.fingerCode = in[6];
    out.scannerType = in[7];
    out.quality = in[8];
    out.periodTenths = in[10];
    for (int i = 0; i < kMaskBits; ++i) {
        out.mask[i] = (in[kTemplateMaskOffset + i / 8] >> (i % 8)) & 1U;
        out.orientation[i] = packed.orientation(i);
    }
    for (int g = 0; g < kPeriodCells; ++g)
        out.period[static_cast<std::size_t>(g)] = periodOfCell(packed.periodBytes(), g);
    out.minutiae.resize(static_cast<std::size_t>(packed.count));
    for (int i = 0; i < packed.count; ++i) {
        const std::uint32_t w = packed.minutia(i);
        Minutia& m = out.minutiae[static_cast<std::size_t>(i)];
        m.x = packedX(w);
        m.y = packedY(w);
        m.angle = static_cast<float>(packedDirection(w)) * (kTwoPiF / 256.0F);
        m.type = packedBifurcation(w) ? MinutiaType::Bifurcation : MinutiaType::Ending;
        m.reliability =
            static_cast<std::uint8_t>(std::lround(static_cast<float>(w >> 26) * (100.0F / 63.0F)));
    }
    return true;
}

}  // namespace tervo::fpr
