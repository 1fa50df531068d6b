// The 512-byte feature template.
//
//   offset size  field
//        0    4  magic "TVFT"
//        4    1  layout version (3; templates of versions 1 and 2 are refused as corrupt)
//        5    1  flags: bit 0 = empty template (made without an image); other bits 0
//        6    1  finger code as given to the extractor
//        7    1  scanner type as given to the extractor
//        8    1  image quality 0..100
//        9    1  minutia count n, at most kMaxTemplateMinutiae
//       10    1  mean ridge period in tenths of a pixel (0 when unknown)
//       11    5  zero
//       16   46  foreground mask on a 16x16-pixel grid, 16 columns by 23 rows, row-major, bit i of the
//                grid in byte i / 8 at bit i % 8
//       62    2  zero
//       64  4*n  minutiae, most reliable first, each a little-endian 32-bit word:
//                bits 0..7 x, bits 8..16 y, bits 17..24 direction (256 steps per turn),
//                bit 25 type (1 = bifurcation), bits 26..31 reliability in 64 steps
//        .    .  zero up to offset 320
//      320  138  ridge orientation of each mask cell, 8 steps per half turn, 3 bits a cell: mask row r in
//                the 6 bytes from 320 + 6 r, read as a little-endian 48-bit word, cell c of the row in
//                its bits 3c..3c+2; 0 in cells outside the mask
//      458   48  ridge period of each 32x32-pixel cell (8 columns by 12 rows, row-major), 4 bits a cell:
//                cell i in byte 458 + i / 2, the low nibble for even i; code q in 1..15 stands for
//                4.5 + q / 2 pixels (5 to 12); 0 where the period is unknown, always so where none of
//                the cell's mask cells holds print
//      506    2  zero
//      508    4  CRC-32 of bytes 0..507, little-endian
#ifndef TERVO_FPR_FEATURE_TEMPLATE_H
#define TERVO_FPR_FEATURE_TEMPLATE_H

#include <array>
#include <cstdint>
#include <vector>

#include "checksum.h"
#include "minutiae.h"

namespace tervo::fpr {

// The matcher reads the 64 most reliable minutiae; the space past them holds the orientation field.
constexpr int kMaxTemplateMinutiae = 64;
constexpr int kMaskCell = 16;
constexpr int kMaskColumns = 16;
constexpr int kMaskRows = 23;
constexpr int kMaskBits = kMaskColumns * kMaskRows;
// Where the mask and the minutiae start in the stored bytes (see the layout above).
constexpr std::size_t kTemplateMaskOffset = 16;
constexpr std::size_t kTemplateMinutiaeOffset = 64;
constexpr std::size_t kTemplateMinutiaSize = 4;
constexpr std::size_t kTemplateOrientationOffset = 320;
constexpr int kOrientationSteps = 8;  // per half turn
constexpr int kOrientationBits = 3;
constexpr std::size_t kOrientationRowBytes = kMaskColumns * kOrientationBits / 8;
constexpr std::size_t kOrientationBytes = kMaskRows * kOrientationRowBytes;
// The ridge period on a coarser grid: it changes slowly over a print.
constexpr int kPeriodCell = 32;
constexpr int kPeriodColumns = kMaskColumns / 2;
constexpr int kPeriodRows = (kMaskRows + 1) / 2;
constexpr int kPeriodCells = kPeriodColumns * kPeriodRows;
constexpr std::size_t kTemplatePeriodOffset = kTemplateOrientationOffset + kOrientationBytes;
constexpr std::size_t kPeriodBytes = kPeriodCells / 2;  // two cells a byte
constexpr int kPeriodCodes = 16;                        // code 0: unknown

// The period code of a period in pixels, and back.
std::uint8_t periodCode(float pixels);
inline float periodOfCode(int code) {
    return 4.5F + 0.5F * static_cast<float>(code);
}

struct FeatureTemplate {
    bool empty = false;
    std::uint8_t fingerCode = 0;
    std::uint8_t scannerType = 0;
    std::uint8_t quality = 0;
    std::uint8_t periodTenths = 0;
    std::vector<Minutia> minutiae;               // at most kMaxTemplateMinutiae are written
    std::array<std::uint8_t, kMaskBits> mask{};  // 1 where the cell holds print
    // Ridge orientation of each cell in kOrientationSteps per half turn; 0 outside the mask.
    std::array<std::uint8_t, kMaskBits> orientation{};
    // Ridge period code of each 32x32-pixel cell (periodCode); 0 unknown, and where no mask cell of it
    // holds print.
    std::array<std::uint8_t, kPeriodCells> period{};

    bool maskAt(float x, float y) const {
        // Range-checked as floats, so that no coordinate beyond the int range is ever converted.
        if (!(x >= 0.0F && y >= 0.0F && x < kMaskColumns * kMaskCell && y < kMaskRows * kMaskCell))
            return false;
        const int cx = static_cast<int>(x) / kMaskCell, cy = static_cast<int>(y) / kMaskCell;
        return cx < kMaskColumns && cy < kMaskRows && mask[cy * kMaskColumns + cx];
    }
};

// Writes exactly kTemplateSize bytes.
void encodeTemplate(const FeatureTemplate& t, std::uint8_t* out);

// Reads exactly kTemplateSize bytes. Returns false for a wrong magic, version or checksum, or any field
// out of its range; then out is unspecified.
bool decodeTemplate(const std::uint8_t* in, FeatureTemplate& out);
// The orientation field (kOrientationBytes) and period grid (kPeriodBytes) of `t`, packed as the
// template stores them: orientations of mask cells only, periods of cells some mask cell of which
// holds print.
void packRidgeFields(const FeatureTemplate& t, std::uint8_t* orientation, std::uint8_t* period);

// A template checked like decodeTemplate but read in place: matching needs only the minutiae's
// positions, directions and types and the mask, and a search reads one template per comparison, so it
// skips the unpacking into a FeatureTemplate (and its allocation). The readers are inline: a gallery
// template's preparation calls them once per minutia and mask row.
// Cell `cell` of an orientation field packed as the template stores it. It reads two bytes from the
// cell's first bit on, so one readable byte must follow the field.
inline std::uint8_t orientationOfCell(const std::uint8_t* packed, int cell) {
    const int bit = cell % kMaskColumns * kOrientationBits;
    const std::uint8_t* at =
        packed + static_cast<std::size_t>(cell / kMaskColumns) * kOrientationRowBytes + bit / 8;
    return static_cast<std::uint8_t>(((at[0] | at[1] << 8) >> (bit % 8)) & ((1 << kOrientationBits) - 1));
}

// Cell `cell` of a period grid stored two cells a byte, the even cell in the low nibble.
inline std::uint8_t periodOfCell(const std::uint8_t* packed, int cell) {
    return static_cast<std::uint8_t>((packed[cell / 2] >> (cell % 2 * 4)) & 0x0F);
}

// The period cell holding mask cell `cell`.
inline int periodCellOf(int cell) {
    return cell / kMaskColumns / 2 * kPeriodColumns + cell % kMaskColumns / 2;
}

struct PackedTemplate {
    bool empty = false;
    int count = 0;
    const std::uint8_t* bytes = nullptr;

    // The packed word, fields below.
    std::uint32_t minutia(int i) const {
        return readLe32(bytes + kTemplateMinutiaeOffset + static_cast<std::size_t>(i) * kTemplateMinutiaSize);
    }
    // Bit c for column c.
    std::uint16_t maskRow(int row) const {
        static_assert(kMaskColumns == 16, "a mask row is two bytes");
        return readLe16(bytes + kTemplateMaskOffset + static_cast<std::size_t>(row) * 2);
    }
    // Three bits a cell, a mask row in six bytes, as stored (orientationOfCell).
    const std::uint8_t* orientationBytes() const { return bytes + kTemplateOrientationOffset; }
    std::uint8_t orientation(int cell) const { return orientationOfCell(orientationBytes(), cell); }
    const std::uint8_t* periodBytes() const { return bytes + kTemplatePeriodOffset; }
};
bool checkTemplate(const std::uint8_t* in, PackedTemplate& out);

inline int packedX(std::uint32_t w) {
    return static_cast<int>(w & 0xFF);
}
inline int packedY(std::uint32_t w) {
    return static_cast<int>((w >> 8) & 0x1FF);
}
inline std::uint8_t packedDirection(std::uint32_t w) {
    return static_cast<std::uint8_t>(w >> 17);
}  // 256 steps
inline bool packedBifurcation(std::uint32_t w) {
    return ((w >> 25) & 1U) != 0;
}

}  // namespace tervo::fpr

#endif
