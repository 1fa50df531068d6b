// The device self-test: every read-back and housekeeping entry point of the
// scanner once, reporting each call that does not return 1.
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "modulapi.h"

namespace {

// Text buffers as wide-character arrays so that "%ls" reads aligned wide
// characters; their byte sizes are what the library is told to expect.
wchar_t errdescription[256 / sizeof(wchar_t)];
wchar_t pszDesc[1024 / sizeof(wchar_t)];

template <std::size_t N>
char* cleared(wchar_t (&text)[N]) {
    std::memset(text, 0, sizeof text);
    return reinterpret_cast<char*>(text);
}

// A library that fills the whole buffer must still leave a printable text.
template <std::size_t N>
const wchar_t* terminated(wchar_t (&text)[N]) {
    text[N - 1] = L'\0';
    return text;
}

void report(int r, const char* message) {
    if (r == 1) return;
    LIVESCAN_GetErrorInfo(r, cleared(errdescription));
    std::printf(message, r);
}

}  // namespace

int testFuncs() {
    int m_nBright = 0, m_nMaxWidth = 0, m_nMaxHeight = 0, m_nContrast = 0;
    int m_nPositionX = 0, m_nPositionY = 0, m_nWidth = 0, m_nHeight = 0;

    report(LIVESCAN_GetBright(0, &m_nBright), "LIVESCAN_GetBright error no is %d \n");
    report(LIVESCAN_GetMaxImageSize(0, &m_nMaxWidth, &m_nMaxHeight),
           "LIVESCAN_GetMaxImageSize error no is %d  \n");
    const int window = LIVESCAN_GetCaptWindow(0, &m_nPositionX, &m_nPositionY, &m_nWidth, &m_nHeight);
    if (window != 1) std::printf("LIVESCAN_GetCaptWindow error no is %d  \n", window);
    report(LIVESCAN_GetContrast(0, &m_nContrast), "LIVESCAN_GetContrast error no is %d \n");

    report(LIVESCAN_GetDesc(cleared(pszDesc)), "LIVESCAN_GetDesc error no is %d \n");
    std::printf("LIVESCAN_GetDesc  is %ls \n", terminated(pszDesc));
    for (int e = -1; e >= -9; --e) {
        LIVESCAN_GetErrorInfo(e, cleared(pszDesc));
        std::printf("ErrorInfo %d is %ls \n", e, terminated(pszDesc));
    }

    report(LIVESCAN_GetChannelCount(), "LIVESCAN_GetChannelCount error no is %d \n");
    report(LIVESCAN_IsSupportSetup(), "LIVESCAN_IsSupportSetup error no is %d  \n");
    report(LIVESCAN_Setup(), "LIVESCAN_Setup error no is %d  \n");
    report(LIVESCAN_GetVersion(), "LIVESCAN_GetVersion error no is %d \n");
    report(LIVESCAN_SetBufferEmpty(pFingerBmp1, ImageLen), "LIVESCAN_SetBufferEmpty error no is %d \n");
    report(LIVESCAN_SetCaptWindow(0, 0, 0, kImageWidth, kImageHeight),
           "LIVESCAN_SetCaptWindow error no is %d  \n");
    report(LIVESCAN_PlaySound(0, 111, 0), "LIVESCAN_PlaySound error no is %d \n");
    return 1;
}
