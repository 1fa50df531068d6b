#include "device_texts.h"

#include <cstring>

#include "result_codes.h"

namespace scanner {

using namespace tervo;  // the result codes

std::wstring errorText(int code) {
    switch (code) {
        case GA_OK:
            return L"操作成功 / Success";
        case GA_NO_ERROR:
            return L"没有错误 / No error";
        case GA_E_INVALID_PARAMETER:
            return L"参数错误 / Invalid parameter";
        case GA_E_INSERFICIENT_MEMORY:
            return L"内存不足 / Insufficient memory";
        case GA_E_NOT_IMPLEMENT:
            return L"功能未实现 / Function not implemented";
        case GA_E_DEVICE_NOFOUND:
            return L"设备不存在 / Device not found";
        case GA_E_DEVICE_NOINIT:
            return L"设备未初始化 / Device not initialised";
        case GA_E_RESERVED:
            return L"保留错误号 / Reserved error code";
        case GA_E_NO_PERMISSION:
            return L"没有授权 / No permission";
        case GA_E_TIMEOUT:
            return L"采集超时，未检测到手指 / Capture timed out, no finger";
        case GA_E_FILEIILEGAL:
            return L"文件非法或未开始采集 / Illegal file or capture not begun";
        default:
            return L"未定义的错误号 " + std::to_wstring(code) + L" / Undefined error code " +
                   std::to_wstring(code);
    }
}

std::wstring deviceDescription() {
    return L"Tervo 虚拟指纹采集仪 / Tervo virtual fingerprint scanner: 500 dpi, 256 x 360, "
           L"8-bit gray, one channel, synthetic or replayed fingers";
}

void writeWideText(char* destination, std::size_t capacityBytes, const std::wstring& text) {
    const std::size_t slots = capacityBytes / sizeof(wchar_t);
    if (destination == nullptr || slots == 0) return;
    const std::size_t length = text.size() < slots - 1 ? text.size() : slots - 1;
    std::memcpy(destination, text.data(), length * sizeof(wchar_t));
    const wchar_t end = L'\0';
    std::memcpy(destination + length * sizeof(wchar_t), &end, sizeof end);
}

}  // namespace scanner
