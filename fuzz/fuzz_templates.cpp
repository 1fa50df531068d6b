// Any template pair, and any image with any template: a code or a score in
// [0, 1], never a crash.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ID_Fpr.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FP_Begin();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> bytes(data, data + size);
    bytes.resize(1024 + 92160, 0);
    float similarity = 0;
    if (FP_FeatureMatch(bytes.data(), bytes.data() + 512, &similarity) == 1 &&
        !(similarity >= 0.0F && similarity <= 1.0F))
        std::abort();
    std::vector<unsigned char> image(95160, 0);
    std::memcpy(image.data(), bytes.data() + 1024, 92160);
    if (FP_ImageMatch(image.data(), bytes.data(), &similarity) == 1 &&
        !(similarity >= 0.0F && similarity <= 1.0F))
        std::abort();
    return 0;
}
