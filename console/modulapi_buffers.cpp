// The console buffers: allocated by start-up, borrowed by every routine.
#include "modulapi.h"

unsigned char* pFea1 = nullptr;
unsigned char* pFea2 = nullptr;
unsigned char* pFingerBmp1 = nullptr;
unsigned char* pFingerBmp2 = nullptr;
unsigned char* pCompressBmp = nullptr;
