// The cycle test: open, capture twice, extract, match and close, repeated.
#include <cstdio>

#include "modulapi.h"

int cycTest(int cycTimes) {
    std::printf("start %d times cycle test\n", cycTimes);
    int correctTimes = 0;
    int errTimes = 0;
    int Retval = GA_NO_ERROR;
    float score = 0;
    // A 64-bit counter: a negative count runs no cycle, and INT_MAX cycles
    // end without the counter overflowing.
    for (long long n = 1; n <= cycTimes; ++n) {
        std::printf("\ntotal %d times cycle test\n the %lldth time cycle test\n", cycTimes, n);
        // Each step runs only if every step before it returned 1; a cycle
        // that stops early leaves the libraries open for the next one.
        const bool passed = (Retval = LIVESCAN_Init()) == 1 && (Retval = FP_Begin()) == 1 &&
                            (Retval = capAndExtraFea(pFingerBmp1, pFea1)) == 1 &&
                            (Retval = capAndExtraFea(pFingerBmp2, pFea2)) == 1 &&
                            (Retval = matchFea(pFea1, pFea2, &score)) == 1 &&
                            (Retval = matchImg(pFingerBmp2, pFea1, &score)) == 1 &&
                            (Retval = FP_End()) == 1 && (Retval = LIVESCAN_Close()) == 1;
        ++(passed ? correctTimes : errTimes);
    }
    std::printf("correctTimes is %d,errTimes is %d", correctTimes, errTimes);
    return Retval;
}
