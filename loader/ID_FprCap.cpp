// The LIVESCAN_ entry points for the run-time loading build. LIVESCAN_Init
// opens libID_FprCap.so once and LIVESCAN_Close releases it; in between every
// entry point forwards through that handle. While the library is not open, or
// lacks an entry point, the answer is 0.
#include "ID_FprCap.h"

#include "forward.h"

// Not part of the contract header; decorated as an ordinary C++ function.
int LIVESCAN_SetGain(char gain);

namespace {

constexpr int kLibraryMissing = -9;
constexpr int kInitMissing = -1;
constexpr int kNotOpen = 0;

void* hDll = nullptr;
std::string openFailure;

template <class Fn, class... Args>
int forwardOpen(const char* name, Args... args) {
    if (hDll == nullptr) return kNotOpen;
    return loader::callOr<Fn>(kNotOpen, hDll, name, args...);
}

}  // namespace

// Declares the entry point's pointer type under the given name and forwards
// to the symbol of the entry point's own name.
#define TERVO_FORWARD(entry, type, ...) \
    using type = decltype(&entry);      \
    return forwardOpen<type>(#entry __VA_OPT__(, ) __VA_ARGS__)

int LIVESCAN_Init() {
    using LPInitfun = decltype(&LIVESCAN_Init);
    if (hDll == nullptr) hDll = loader::openLibrary("libID_FprCap.so", openFailure);
    if (hDll == nullptr) return kLibraryMissing;
    // A failing library LIVESCAN_Init leaves the handle open for the next try.
    return loader::callOr<LPInitfun>(kInitMissing, hDll, "LIVESCAN_Init");
}

int LIVESCAN_Close() {
    using LPClose = decltype(&LIVESCAN_Close);
    if (hDll == nullptr) return kLibraryMissing;
    const LPClose close = loader::lookup<LPClose>(hDll, "LIVESCAN_Close");
    if (close == nullptr) return kNotOpen;
    const int ret = close();
    dlclose(hDll);
    hDll = nullptr;
    return ret;
}

int LIVESCAN_GetChannelCount() {
    TERVO_FORWARD(LIVESCAN_GetChannelCount, LPGetChannelCount);
}

int LIVESCAN_SetBright(int nChannel, int nBright) {
    TERVO_FORWARD(LIVESCAN_SetBright, LPSetBright, nChannel, nBright);
}

int LIVESCAN_SetContrast(int nChannel, int nContrast) {
    TERVO_FORWARD(LIVESCAN_SetContrast, LPSetContrast, nChannel, nContrast);
}

int LIVESCAN_GetBright(int nChannel, int* pnBright) {
    TERVO_FORWARD(LIVESCAN_GetBright, LPGetBright, nChannel, pnBright);
}

int LIVESCAN_GetContrast(int nChannel, int* pnContrast) {
    TERVO_FORWARD(LIVESCAN_GetContrast, LPGetContrast, nChannel, pnContrast);
}

int LIVESCAN_GetMaxImageSize(int nChannel, int* pnWidth, int* pnHeight) {
    TERVO_FORWARD(LIVESCAN_GetMaxImageSize, LPGetMaxImageSize, nChannel, pnWidth, pnHeight);
}

int LIVESCAN_GetCaptWindow(int nChannel, int* pnOriginX, int* pnOriginY, int* pnWidth, int* pnHeight) {
    TERVO_FORWARD(LIVESCAN_GetCaptWindow, LPGetCaptWindow, nChannel, pnOriginX, pnOriginY, pnWidth, pnHeight);
}

int LIVESCAN_SetCaptWindow(int nChannel, int nOriginX, int nOriginY, int nWidth, int nHeight) {
    TERVO_FORWARD(LIVESCAN_SetCaptWindow, LPSetCaptWindow, nChannel, nOriginX, nOriginY, nWidth, nHeight);
}

int LIVESCAN_Setup() {
    TERVO_FORWARD(LIVESCAN_Setup, LPSetup);
}

int LIVESCAN_BeginCapture(int nChannel) {
    TERVO_FORWARD(LIVESCAN_BeginCapture, LPBeginCapture, nChannel);
}

int LIVESCAN_GetFPRawData(int nChannel, unsigned char* pRawData) {
    TERVO_FORWARD(LIVESCAN_GetFPRawData, LPGetFPRawData, nChannel, pRawData);
}

int LIVESCAN_GetFPBmpData(int nChannel, unsigned char* pBmpData) {
    TERVO_FORWARD(LIVESCAN_GetFPBmpData, LPGetFPBmpData, nChannel, pBmpData);
}

int LIVESCAN_EndCapture(int nChannel) {
    TERVO_FORWARD(LIVESCAN_EndCapture, LPEndCapture, nChannel);
}

int LIVESCAN_IsSupportSetup() {
    TERVO_FORWARD(LIVESCAN_IsSupportSetup, LPIsSupportSetup);
}

int LIVESCAN_GetVersion() {
    TERVO_FORWARD(LIVESCAN_GetVersion, LPGetVersion);
}

int LIVESCAN_GetDesc(char* pszDesc) {
    TERVO_FORWARD(LIVESCAN_GetDesc, LPGetDesc, pszDesc);
}

int LIVESCAN_GetErrorInfo(int nErrorNo, char* pszErrorInfo) {
    TERVO_FORWARD(LIVESCAN_GetErrorInfo, LPGetErrorInfo, nErrorNo, pszErrorInfo);
}

int LIVESCAN_SetBufferEmpty(unsigned char* pImageData, long imageLength) {
    TERVO_FORWARD(LIVESCAN_SetBufferEmpty, LPSetBufferEmpty, pImageData, imageLength);
}

int LIVESCAN_PlaySound(int nChannel, int cSoundCode1, int cSoundCode2) {
    TERVO_FORWARD(LIVESCAN_PlaySound, LPPlaySound, nChannel, cSoundCode1, cSoundCode2);
}

// The library's LIVESCAN_SetGain takes the gain as an unsigned byte.
int LIVESCAN_SetGain(char gain) {
    using LPSetGain = int (*)(unsigned char);
    return forwardOpen<LPSetGain>("LIVESCAN_SetGain", static_cast<unsigned char>(gain));
}
