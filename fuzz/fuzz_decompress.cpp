// Any bytes in the compressed buffer: decompression answers a code and
// writes only within the image buffer.
//
// Most mutations break the container's checksum, which the decoder checks
// before it reads a single byte of the JPEG stream. So every input is also
// tried once more with its checksum made right for whatever its header
// claims, as a sender with a faulty encoder would write it: that way the
// fuzzer's mutations of the stream reach the JPEG decoder itself.
#include <cstdint>
#include <cstring>
#include <vector>

#include "ID_Fpr.h"
#include "checksum.h"
#include "compression.h"

namespace {

constexpr std::size_t kBufferSize = 95160;  // the caller's image buffer
constexpr std::size_t kFixedHeader = 20;
constexpr std::size_t kBmpHeaders = 54;

// Writes the checksum the header's own form and stream length call for; leaves
// the buffer as it is when that length does not fit the buffer.
void reseal(std::vector<unsigned char>& c) {
    const unsigned form = c[5] & 0x7FU;
    const std::size_t prefix = kFixedHeader + (form == 1 || form == 2 ? kBmpHeaders : 0);
    const std::size_t stream = tervo::fpr::readLe32(c.data() + 8);
    if (stream > kBufferSize - prefix) return;
    tervo::fpr::writeLe32(c.data() + 16,
                          tervo::fpr::containerChecksum(c.data(), prefix - kFixedHeader + stream));
}

void decompress(std::vector<unsigned char>& compressed) {
    std::vector<unsigned char> image(kBufferSize, 0);
    unsigned char work[256] = {};
    FP_Decompress(compressed.data(), image.data(), work);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FP_Begin();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> compressed(kBufferSize, 0);
    std::memcpy(compressed.data(), data, size < compressed.size() ? size : compressed.size());
    decompress(compressed);
    reseal(compressed);
    decompress(compressed);
    return 0;
}
