#include "thinning.h"

#include <algorithm>
#include <cstddef>

namespace tervo::fpr {
namespace {

// The map is held as bits, 64 pixels to a word (pixel x of a row at bit x % 64 of word x / 64), so
// that one pass of word-wide logic judges 64 pixels at once.
using Word = std::uint64_t;
constexpr int kWordBits = 64;

struct BitMap {
    int wordsPerRow = 0;
    std::vector<Word> words;

    const Word* row(int y) const { return words.data() + static_cast<std::size_t>(y) * wordsPerRow; }
};

BitMap pack(const std::vector<std::uint8_t>& map, int width, int height) {
    BitMap bits;
    bits.wordsPerRow = (width + kWordBits - 1) / kWordBits;
    bits.words.assign(static_cast<std::size_t>(bits.wordsPerRow) * height, 0);
    for (int y = 0; y < height; ++y) {
        Word* out = bits.words.data() + static_cast<std::size_t>(y) * bits.wordsPerRow;
        const std::uint8_t* in = map.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            out[x / kWordBits] |= static_cast<Word>(in[x] != 0) << (x % kWordBits);
    }
    return bits;
}

void unpack(const BitMap& bits, std::vector<std::uint8_t>& map, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const Word* in = bits.row(y);
        std::uint8_t* out = map.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            out[x] = static_cast<std::uint8_t>((in[x / kWordBits] >> (x % kWordBits)) & 1);
    }
}

// The row's pixels seen from their left neighbour (each bit holds the pixel at x + 1) and from their
// right neighbour (the pixel at x - 1).
Word eastOf(const Word* row, int w, int words) {
    return (row[w] >> 1) | (w + 1 < words ? row[w + 1] << (kWordBits - 1) : 0);
}
Word westOf(const Word* row, int w) {
    return (row[w] << 1) | (w > 0 ? row[w - 1] >> (kWordBits - 1) : 0);
}

void fullAdd(Word a, Word b, Word c, Word& sum, Word& carry) {
    const Word half = a ^ b;
    sum = half ^ c;
    carry = (a & b) | (half & c);
}

// The pixels of word w of row y that the sub-iteration removes. With the neighbours P2..P9 of the
// classic formulation (N, NE, E, SE, S, SW, W, NW): 2 to 6 of them set, exactly one 0-to-1 step going
// round, and for the first sub-iteration not all of N.E.S and E.S.W, for the second not all of N.E.W
// and N.S.W. The neighbour count is added up in bit slices.
Word removable(const BitMap& bits, int y, int w, int pass) {
    const int words = bits.wordsPerRow;
    const Word* up = bits.row(y - 1);
    const Word* mid = bits.row(y);
    const Word* down = bits.row(y + 1);
    const Word p[8] = {up[w],   eastOf(up, w, words), eastOf(mid, w, words), eastOf(down, w, words),
                       down[w], westOf(down, w),      westOf(mid, w),        westOf(up, w)};
    Word s1, c1, s2, c2, ones, c3;
    fullAdd(p[0], p[1], p[2], s1, c1);
    fullAdd(p[3], p[4], p[5], s2, c2);
    const Word s3 = p[6] ^ p[7], c4 = p[6] & p[7];
    fullAdd(s1, s2, s3, ones, c3);
    Word twosLow, fours1;
    fullAdd(c1, c2, c4, twosLow, fours1);
    const Word twos = twosLow ^ c3, fours2 = twosLow & c3;
    const Word fours = fours1 ^ fours2, eights = fours1 & fours2;
    const Word atLeastTwo = twos | fours | eights;
    const Word atMostSix = ~eights & ~(fours & twos & ones);
    Word steps = 0, manySteps = 0;
    for (int k = 0; k < 8; ++k) {
        const Word step = ~p[k] & p[(k + 1) % 8];
        manySteps |= steps & step;
        steps |= step;
    }
    const Word n = p[0], e = p[2], s = p[4], west = p[6];
    const Word keep = pass == 0 ? e & s & (n | west) : n & west & (e | s);
    return mid[w] & atLeastTwo & atMostSix & steps & ~manySteps & ~keep;
}

}  // namespace

void thin(std::vector<std::uint8_t>& map, int width, int height) {
    for (int x = 0; x < width; ++x) map[x] = map[(height - 1) * width + x] = 0;
    for (int y = 0; y < height; ++y) map[y * width] = map[y * width + width - 1] = 0;
    BitMap bits = pack(map, width, height);
    const int words = bits.wordsPerRow;
    // A word judged in a sub-iteration with the same neighbourhood as two sub-iterations before is
    // judged the same, and what that judgement removed is gone: only words next to a word that lost
    // pixels in one of the two sub-iterations before need looking at again.
    constexpr int kNever = -3;
    std::vector<int> lastRemoval(bits.words.size(), kNever);
    std::vector<Word> doomed(bits.words.size(), 0);
    auto recentlyTouched = [&](int y, int w, int now) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dw = std::max(w - 1, 0); dw <= std::min(w + 1, words - 1); ++dw) {
                if (lastRemoval[static_cast<std::size_t>(y + dy) * words + dw] >= now - 2) return true;
            }
        }
        return false;
    };
    // Both rules are applied in turn until two sub-iterations in a row remove nothing: then the map
    // is a fixed point of both.
    int quietSubIterations = 0;
    for (int now = 0; quietSubIterations < 2; ++now) {
        const int pass = now % 2;
        bool removed = false;
        for (int y = 1; y < height - 1; ++y) {
            for (int w = 0; w < words; ++w) {
                const std::size_t i = static_cast<std::size_t>(y) * words + w;
                doomed[i] = now < 2 || recentlyTouched(y, w, now) ? removable(bits, y, w, pass) : 0;
            }
        }
        for (std::size_t i = 0; i < bits.words.size(); ++i) {
            if (!doomed[i]) continue;
            bits.words[i] &= ~doomed[i];
            lastRemoval[i] = now;
            removed = true;
        }
        quietSubIterations = removed ? 0 : quietSubIterations + 1;
    }
    unpack(bits, map, width, height);
}

}  // namespace tervo::fpr
