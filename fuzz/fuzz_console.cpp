// Any bytes on stdin: the command loop against the test doubles must end
// without a crash, whatever it reads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "modulapi.h"

extern "C" void tervo_double_fpr_configure(const char* script);
extern "C" void tervo_double_cap_configure(const char* script);

namespace {

unsigned char fea1[kFeatureLen], fea2[kFeatureLen];
unsigned char bmp1[imgLen], bmp2[imgLen], compressed[imgLen];

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The console's own output is not what is under test here.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    pFea1 = fea1;
    pFea2 = fea2;
    pFingerBmp1 = bmp1;
    pFingerBmp2 = bmp2;
    pCompressBmp = compressed;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // A cycle count is the operator's to choose; a fuzzer asking for two
    // billion cycles finds nothing but time.
    if (input.find("cyc") != std::string::npos) return 0;
    // Library answers are part of the input: "!" toggles failing doubles.
    const char* script =
        input.find('!') != std::string::npos
            ? "LIVESCAN_GetFPRawData=-1,1,throw;FP_FeatureMatch=-3,throw:x,1;FP_GetQualityScore=0"
            : "";
    tervo_double_fpr_configure(script);
    tervo_double_cap_configure(script);
    std::FILE* in = fmemopen(const_cast<char*>(input.data()), input.size(), "r");
    if (in == nullptr) return 0;
    std::FILE* saved = stdin;
    stdin = in;
    menu();
    stdin = saved;
    std::fclose(in);
    return 0;
}
