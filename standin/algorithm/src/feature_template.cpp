#include "feature_template.h"

#include <array>
#include <cmath>
#include <cstring>

#include "angles.h"
#include "checksum.h"
#include "geometry.h"

namespace tervo::fpr {
namespace {

constexpr std::uint8_t kMagic[4] = {'T', 'V', 'F', 'T'};
constexpr std::uint8_t kVersion = 2;
constexpr std::uint8_t kFlagEmpty = 0x01;
constexpr std::size_t kMaskBytes = (kMaskBits + 7) / 8;
constexpr std::size_t kChecksumOffset = kTemplateSize - 4;

static_assert(kTemplateMaskOffset + kMaskBytes <= kTemplateMinutiaeOffset, "mask overflow");
static_assert(kTemplateMinutiaeOffset + kTemplateMinutiaSize * kMaxTemplateMinutiae <=
                  kTemplateOrientationOffset,
              "minutiae overflow");
constexpr std::size_t kOrientationEnd = kTemplateOrientationOffset + kOrientationBytes;
static_assert(kOrientationEnd <= kChecksumOffset, "template overflow");

// For each byte of mask bits, the 32-bit word whose nibble i is all ones where bit i is set.
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
        for (int i = 0; i < kMaskBits; ++i) {
            if (!t.mask[i]) continue;
            out[kTemplateMaskOffset + i / 8] |= static_cast<std::uint8_t>(1U << (i % 8));
            const unsigned step = t.orientation[i] % kOrientationSteps;
            out[kTemplateOrientationOffset + i / 2] |=
                static_cast<std::uint8_t>(step << (i % 2 == 0 ? 0 : 4));
        }
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
        !allZero(in + kOrientationEnd, kChecksumOffset - kOrientationEnd))
        return false;
    out.bytes = in;
    out.count = static_cast<int>(count);
    // An orientation outside the print: one mask row at a time, its 16 cells' nibbles a 64-bit word.
    static_assert(kMaskColumns == 16, "a mask row's orientations are one 64-bit word");
    for (int row = 0; row < kMaskRows; ++row) {
        const std::uint16_t print = out.maskRow(row);
        const std::uint64_t allowed =
            static_cast<std::uint64_t>(kNibblesOfBits[print >> 8]) << 32 | kNibblesOfBits[print & 0xFF];
        const std::uint8_t* cells = in + kTemplateOrientationOffset + static_cast<std::size_t>(row) * 8;
        const std::uint64_t stored = static_cast<std::uint64_t>(readLe32(cells + 4)) << 32 | readLe32(cells);
        if ((stored & ~allowed) != 0) return false;
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
