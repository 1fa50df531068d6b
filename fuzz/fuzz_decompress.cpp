// Any bytes in the compressed buffer: decompression answers a code and
// writes only within the image buffer.
#include <cstdint>
#include <cstring>
#include <vector>

#include "ID_Fpr.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FP_Begin();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> compressed(95160, 0);
    std::memcpy(compressed.data(), data, size < compressed.size() ? size : compressed.size());
    std::vector<unsigned char> image(95160, 0);
    unsigned char work[256] = {};
    FP_Decompress(compressed.data(), image.data(), work);
    return 0;
}
