// Any bytes as an image file: extraction and quality must answer a code.
#include <cstdint>
#include <cstring>
#include <vector>

#include "ID_Fpr.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FP_Begin();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The console reads at most 93238 bytes into a 95160-byte buffer.
    std::vector<unsigned char> image(95160, 0);
    std::memcpy(image.data(), data, size < 93238 ? size : 93238);
    unsigned char feature[512];
    unsigned char quality = 0;
    FP_FeatureExtract(0, 0, image.data(), feature);
    FP_GetQualityScore(image.data(), &quality);
    return 0;
}
