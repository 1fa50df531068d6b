// The exported entry points of libID_FprCap.so. Each one takes the device
// lock, answers an injected fault if one is pending for it, otherwise asks
// the virtual scanner, and records the call in the optional call log.
// Everything else in the library has hidden visibility.
#include <mutex>
#include <sstream>
#include <string>

#include "device_texts.h"
#include "result_codes.h"
#include "virtual_scanner.h"

#pragma GCC visibility push(default)
#include "ID_FprCap.h"
// Not in the contract header; looked up by its plain name and given the gain
// as an unsigned byte.
extern "C" int LIVESCAN_SetGain(unsigned char gain);
#pragma GCC visibility pop

namespace {

std::mutex& deviceLock() {
    static std::mutex lock;
    return lock;
}

tervo::scanner::VirtualScanner& device() {
    static tervo::scanner::VirtualScanner instance;
    return instance;
}

template <typename... Arguments>
std::string describe(const Arguments&... arguments) {
    std::ostringstream text;
    const char* separator = "";
    ((text << separator << arguments, separator = ", "), ...);
    return text.str();
}

// Runs one entry point under the lock, with fault injection and logging.
template <typename Body>
int answer(const char* entryPoint, const std::string& arguments, Body body) {
    const std::lock_guard<std::mutex> guard(deviceLock());
    tervo::scanner::VirtualScanner& scanner = device();
    const std::optional<int> fault = scanner.injectedFault(entryPoint);
    const int result = fault ? *fault : body(scanner);
    scanner.log().record(entryPoint, arguments, result);
    return result;
}

}  // namespace

int LIVESCAN_Init(void) {
    // Init re-reads the settings, including the fault plan, before it looks
    // for an injected fault of its own; so it is not routed through answer().
    const std::lock_guard<std::mutex> guard(deviceLock());
    const int result = device().init();
    device().log().record("Init", "", result);
    return result;
}

int LIVESCAN_Close(void) {
    return answer("Close", "", [](tervo::scanner::VirtualScanner& s) { return s.close(); });
}

int LIVESCAN_GetChannelCount(void) {
    return answer("GetChannelCount", "", [](tervo::scanner::VirtualScanner& s) { return s.openResult(); });
}

int LIVESCAN_SetBright(int nChannel, int nBright) {
    return answer("SetBright", describe(nChannel, nBright),
                  [&](tervo::scanner::VirtualScanner& s) { return s.setBright(nChannel, nBright); });
}

int LIVESCAN_SetContrast(int nChannel, int nContrast) {
    return answer("SetContrast", describe(nChannel, nContrast),
                  [&](tervo::scanner::VirtualScanner& s) { return s.setContrast(nChannel, nContrast); });
}

int LIVESCAN_GetBright(int nChannel, int* pnBright) {
    return answer("GetBright", describe(nChannel),
                  [&](tervo::scanner::VirtualScanner& s) { return s.getBright(nChannel, pnBright); });
}

int LIVESCAN_GetContrast(int nChannel, int* pnContrast) {
    return answer("GetContrast", describe(nChannel),
                  [&](tervo::scanner::VirtualScanner& s) { return s.getContrast(nChannel, pnContrast); });
}

int LIVESCAN_GetMaxImageSize(int nChannel, int* pnWidth, int* pnHeight) {
    return answer("GetMaxImageSize", describe(nChannel), [&](tervo::scanner::VirtualScanner& s) {
        return s.getMaxImageSize(nChannel, pnWidth, pnHeight);
    });
}

int LIVESCAN_GetCaptWindow(int nChannel, int* pnOriginX, int* pnOriginY, int* pnWidth, int* pnHeight) {
    return answer("GetCaptWindow", describe(nChannel), [&](tervo::scanner::VirtualScanner& s) {
        return s.getCaptWindow(nChannel, pnOriginX, pnOriginY, pnWidth, pnHeight);
    });
}

int LIVESCAN_SetCaptWindow(int nChannel, int nOriginX, int nOriginY, int nWidth, int nHeight) {
    return answer("SetCaptWindow", describe(nChannel, nOriginX, nOriginY, nWidth, nHeight),
                  [&](tervo::scanner::VirtualScanner& s) {
                      return s.setCaptWindow(
                          nChannel, tervo::scanner::CaptureWindow{nOriginX, nOriginY, nWidth, nHeight});
                  });
}

int LIVESCAN_Setup(void) {
    return answer("Setup", "", [](tervo::scanner::VirtualScanner& s) { return s.setup(); });
}

int LIVESCAN_BeginCapture(int nChannel) {
    return answer("BeginCapture", describe(nChannel),
                  [&](tervo::scanner::VirtualScanner& s) { return s.beginCapture(nChannel); });
}

int LIVESCAN_GetFPRawData(int nChannel, unsigned char* pRawData) {
    return answer("GetFPRawData", describe(nChannel),
                  [&](tervo::scanner::VirtualScanner& s) { return s.getRawData(nChannel, pRawData); });
}

int LIVESCAN_GetFPBmpData(int nChannel, unsigned char* pBmpData) {
    return answer("GetFPBmpData", describe(nChannel),
                  [&](tervo::scanner::VirtualScanner& s) { return s.getBmpData(nChannel, pBmpData); });
}

int LIVESCAN_EndCapture(int nChannel) {
    return answer("EndCapture", describe(nChannel),
                  [&](tervo::scanner::VirtualScanner& s) { return s.endCapture(nChannel); });
}

int LIVESCAN_IsSupportSetup(void) {
    return answer("IsSupportSetup", "", [](tervo::scanner::VirtualScanner& s) { return s.openResult(); });
}

int LIVESCAN_GetVersion(void) {
    return answer("GetVersion", "", [](tervo::scanner::VirtualScanner& s) { return s.openResult(); });
}

int LIVESCAN_GetDesc(char* pszDesc) {
    return answer("GetDesc", "", [&](tervo::scanner::VirtualScanner& s) { return s.getDesc(pszDesc); });
}

int LIVESCAN_GetErrorInfo(int nErrorNo, char* pszErrorInfo) {
    // Error texts need no open device: they explain why opening failed.
    return answer("GetErrorInfo", describe(nErrorNo), [&](tervo::scanner::VirtualScanner&) {
        if (pszErrorInfo == nullptr) return tervo::GA_E_INVALID_PARAMETER;
        tervo::scanner::writeWideText(pszErrorInfo, tervo::scanner::kErrorTextBytes,
                                      tervo::scanner::errorText(nErrorNo));
        return tervo::GA_OK;
    });
}

int LIVESCAN_SetBufferEmpty(unsigned char* pImageData, long imageLength) {
    return answer("SetBufferEmpty", describe(imageLength), [&](tervo::scanner::VirtualScanner& s) {
        return s.setBufferEmpty(pImageData, imageLength);
    });
}

int LIVESCAN_PlaySound(int nChannel, int cSoundCode1, int cSoundCode2) {
    return answer(
        "PlaySound", describe(nChannel, cSoundCode1, cSoundCode2),
        [&](tervo::scanner::VirtualScanner& s) { return s.playSound(nChannel, cSoundCode1, cSoundCode2); });
}

int LIVESCAN_SetGain(unsigned char gain) {
    return answer("SetGain", describe(static_cast<int>(gain)),
                  [&](tervo::scanner::VirtualScanner& s) { return s.setGain(gain); });
}
