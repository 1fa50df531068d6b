// The exported entry points of the libfprint-backed libID_FprCap.so. Each one
// takes the device lock and asks the reader device; everything else in the
// library has hidden visibility.
#include <mutex>

#include "device_texts.h"
#include "reader_device.h"
#include "result_codes.h"

#pragma GCC visibility push(default)
#include "ID_FprCap.h"
// Not in the contract header; looked up by its plain name and given the gain
// as an unsigned byte.
extern "C" int LIVESCAN_SetGain(unsigned char gain);
#pragma GCC visibility pop

namespace {

using Device = tervo::fprint::ReaderDevice;

std::mutex& deviceLock() {
    static std::mutex lock;
    return lock;
}

Device& device() {
    static Device instance;
    return instance;
}

// Runs one entry point on the one device, under its lock.
template <typename Body>
int answer(Body body) {
    const std::lock_guard<std::mutex> guard(deviceLock());
    return body(device());
}

}  // namespace

int LIVESCAN_Init(void) {
    return answer([](Device& d) { return d.init(); });
}

int LIVESCAN_Close(void) {
    return answer([](Device& d) { return d.close(); });
}

int LIVESCAN_GetChannelCount(void) {
    return answer([](Device& d) { return d.openResult(); });
}

int LIVESCAN_SetBright(int nChannel, int nBright) {
    return answer([&](Device& d) { return d.setBright(nChannel, nBright); });
}

int LIVESCAN_SetContrast(int nChannel, int nContrast) {
    return answer([&](Device& d) { return d.setContrast(nChannel, nContrast); });
}

int LIVESCAN_GetBright(int nChannel, int* pnBright) {
    return answer([&](Device& d) { return d.getBright(nChannel, pnBright); });
}

int LIVESCAN_GetContrast(int nChannel, int* pnContrast) {
    return answer([&](Device& d) { return d.getContrast(nChannel, pnContrast); });
}

int LIVESCAN_GetMaxImageSize(int nChannel, int* pnWidth, int* pnHeight) {
    return answer([&](Device& d) { return d.getMaxImageSize(nChannel, pnWidth, pnHeight); });
}

int LIVESCAN_GetCaptWindow(int nChannel, int* pnOriginX, int* pnOriginY, int* pnWidth, int* pnHeight) {
    return answer(
        [&](Device& d) { return d.getCaptWindow(nChannel, pnOriginX, pnOriginY, pnWidth, pnHeight); });
}

int LIVESCAN_SetCaptWindow(int nChannel, int nOriginX, int nOriginY, int nWidth, int nHeight) {
    return answer([&](Device& d) {
        return d.setCaptWindow(nChannel, tervo::fprint::CaptureWindow{nOriginX, nOriginY, nWidth, nHeight});
    });
}

int LIVESCAN_Setup(void) {
    return answer([](Device& d) { return d.setup(); });
}

int LIVESCAN_BeginCapture(int nChannel) {
    return answer([&](Device& d) { return d.beginCapture(nChannel); });
}

int LIVESCAN_GetFPRawData(int nChannel, unsigned char* pRawData) {
    return answer([&](Device& d) { return d.getRawData(nChannel, pRawData); });
}

int LIVESCAN_GetFPBmpData(int nChannel, unsigned char* pBmpData) {
    return answer([&](Device& d) { return d.getBmpData(nChannel, pBmpData); });
}

int LIVESCAN_EndCapture(int nChannel) {
    return answer([&](Device& d) { return d.endCapture(nChannel); });
}

int LIVESCAN_IsSupportSetup(void) {
    return answer([](Device& d) { return d.openResult(); });
}

int LIVESCAN_GetVersion(void) {
    return answer([](Device& d) { return d.openResult(); });
}

int LIVESCAN_GetDesc(char* pszDesc) {
    return answer([&](Device& d) { return d.getDesc(pszDesc); });
}

int LIVESCAN_GetErrorInfo(int nErrorNo, char* pszErrorInfo) {
    // Error texts need no open device: they explain why opening failed.
    if (pszErrorInfo == nullptr) return tervo::GA_E_INVALID_PARAMETER;
    tervo::scanner::writeWideText(pszErrorInfo, tervo::scanner::kErrorTextBytes,
                                  tervo::scanner::errorText(nErrorNo));
    return tervo::GA_OK;
}

int LIVESCAN_SetBufferEmpty(unsigned char* pImageData, long imageLength) {
    return answer([&](Device& d) { return d.setBufferEmpty(pImageData, imageLength); });
}

int LIVESCAN_PlaySound(int nChannel, int cSoundCode1, int cSoundCode2) {
    return answer([&](Device& d) { return d.playSound(nChannel, cSoundCode1, cSoundCode2); });
}

int LIVESCAN_SetGain(unsigned char gain) {
    return answer([&](Device& d) { return d.setGain(gain); });
}
