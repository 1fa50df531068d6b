// Test double of libID_FprCap.so: every entry point answers what the script says.
//
// Faults for the compliance checker: `closed=N` makes every call but
// LIVESCAN_Init, LIVESCAN_Close and LIVESCAN_GetErrorInfo answer N and write
// nothing while the device is not open (without it the double has no state);
// `Entry.overrun=N` writes N bytes past the image (GetFPRawData) or past the
// text's buffer (GetDesc, GetErrorInfo);
// `LIVESCAN_GetDesc.unterminated=1` (or GetErrorInfo's) leaves the wide text
// without its wide zero.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "double_core.h"

#pragma GCC visibility push(default)
#include "ID_FprCap.h"
extern "C" int LIVESCAN_SetGain(unsigned char gain);
extern "C" void tervo_double_cap_configure(const char* script);
#pragma GCC visibility pop

namespace {

namespace dbl = tervo::test::dbl;

constexpr int kWidth = 256;
constexpr int kHeight = 360;
constexpr std::size_t kErrorTextBytes = 256;  // the smallest buffer callers hand in
constexpr std::size_t kDescBytes = 1024;

struct LoadLogger {
    LoadLogger() { dbl::configureFromEnvironment("libID_FprCap.so"); }
    ~LoadLogger() { dbl::logLine("unload libID_FprCap.so"); }
} loadLogger;

bool deviceOpen = false;

// One call of an entry point that needs an open device.
dbl::Call call(const char* name, const std::vector<long long>& args) {
    dbl::Call c(name, args);
    const std::string closed = dbl::setting("closed", "");
    if (!deviceOpen && !closed.empty()) c.refuse(std::atoi(closed.c_str()));
    return c;
}

int plain(const char* name, const std::vector<long long>& args) {
    return call(name, args).result();
}

void writeText(const dbl::Call& c, char* out, std::size_t bytes, const std::string& text) {
    if (out == nullptr || !c.writes()) return;
    dbl::writeWide(out, bytes, text, c.integer("unterminated", 0) == 0);
    std::memset(out + bytes, 0xEE, static_cast<std::size_t>(c.integer("overrun", 0)));
}

void put(const dbl::Call& c, int* out, const char* field, long long fallback) {
    if (out != nullptr && c.writes()) *out = static_cast<int>(c.integer(field, fallback));
}

// The default image is a diagonal gradient, so that row order and geometry
// of a saved file can be checked pixel by pixel.
void writeImage(const dbl::Call& c, unsigned char* out) {
    if (out == nullptr || !c.writes()) return;
    const std::string kind = c.text("image", "gradient");
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            out[y * kWidth + x] = kind == "gradient" ? static_cast<unsigned char>(x + 2 * y)
                                                     : static_cast<unsigned char>(std::atoi(kind.c_str()));
    std::memset(out + kWidth * kHeight, 0xEE, static_cast<std::size_t>(c.integer("overrun", 0)));
}

// Each entry point of the table as a type, to pick its behaviour by.
namespace entry {
#define TERVO_LIVESCAN_LIFECYCLE(name, type, parameters, arguments)
#define TERVO_LIVESCAN_ENTRY(name, type, parameters, arguments) \
    struct name {                                               \
        static constexpr const char* text = #name;              \
    };
#include "livescan_entries.def"
#undef TERVO_LIVESCAN_ENTRY
#undef TERVO_LIVESCAN_LIFECYCLE
}  // namespace entry

// What an entry point does: by default it answers the scripted result and
// writes nothing. The entry points that write something specialise it.
template <class Entry, class... Args>
int answer(Args... args) {
    return plain(Entry::text, dbl::numbersOf(args...));
}

template <>
int answer<entry::LIVESCAN_GetBright>(int nChannel, int* pnBright) {
    const dbl::Call c = call("LIVESCAN_GetBright", {nChannel});
    put(c, pnBright, "value", 128);
    return c.result();
}

template <>
int answer<entry::LIVESCAN_GetContrast>(int nChannel, int* pnContrast) {
    const dbl::Call c = call("LIVESCAN_GetContrast", {nChannel});
    put(c, pnContrast, "value", 64);
    return c.result();
}

template <>
int answer<entry::LIVESCAN_GetMaxImageSize>(int nChannel, int* pnWidth, int* pnHeight) {
    const dbl::Call c = call("LIVESCAN_GetMaxImageSize", {nChannel});
    put(c, pnWidth, "width", kWidth);
    put(c, pnHeight, "height", kHeight);
    return c.result();
}

template <>
int answer<entry::LIVESCAN_GetCaptWindow>(int nChannel, int* pnOriginX, int* pnOriginY, int* pnWidth,
                                          int* pnHeight) {
    const dbl::Call c = call("LIVESCAN_GetCaptWindow", {nChannel});
    put(c, pnOriginX, "x", 0);
    put(c, pnOriginY, "y", 0);
    put(c, pnWidth, "width", kWidth);
    put(c, pnHeight, "height", kHeight);
    return c.result();
}

template <>
int answer<entry::LIVESCAN_GetFPRawData>(int nChannel, unsigned char* pRawData) {
    const dbl::Call c = call("LIVESCAN_GetFPRawData", {nChannel});
    writeImage(c, pRawData);
    return c.result();
}

template <>
int answer<entry::LIVESCAN_GetDesc>(char* pszDesc) {
    const dbl::Call c = call("LIVESCAN_GetDesc", {});
    writeText(c, pszDesc, kDescBytes, c.text("text", "测试扫描仪 test scanner"));
    return c.result();
}

// Answers whether or not the device is open.
template <>
int answer<entry::LIVESCAN_GetErrorInfo>(int nErrorNo, char* pszErrorInfo) {
    const dbl::Call c("LIVESCAN_GetErrorInfo", {nErrorNo});
    std::string text = c.text("text", "error {n} 错误");
    const std::size_t at = text.find("{n}");
    if (at != std::string::npos) text.replace(at, 3, std::to_string(nErrorNo));
    writeText(c, pszErrorInfo, kErrorTextBytes, text);
    return c.result();
}

template <>
int answer<entry::LIVESCAN_SetBufferEmpty>(unsigned char* pImageData, long imageLength) {
    const dbl::Call c = call("LIVESCAN_SetBufferEmpty", {imageLength});
    if (pImageData != nullptr && c.writes() && imageLength > 0) std::memset(pImageData, 0, imageLength);
    return c.result();
}

}  // namespace

void tervo_double_cap_configure(const char* script) {
    dbl::configure(script);
}

// Opening and closing answer whether or not the device is open, and change it.
int LIVESCAN_Init() {
    const int result = dbl::Call("LIVESCAN_Init", {}).result();
    if (result == 1) deviceOpen = true;
    return result;
}
int LIVESCAN_Close() {
    const int result = dbl::Call("LIVESCAN_Close", {}).result();
    if (result == 1) deviceOpen = false;
    return result;
}

// NOLINTBEGIN(bugprone-macro-parentheses)
#define TERVO_LIVESCAN_LIFECYCLE(name, type, parameters, arguments)
#define TERVO_LIVESCAN_ENTRY(name, type, parameters, arguments) \
    int name parameters {                                       \
        return answer<entry::name> arguments;                   \
    }
// NOLINTEND(bugprone-macro-parentheses)
#include "livescan_entries.def"
#undef TERVO_LIVESCAN_ENTRY
#undef TERVO_LIVESCAN_LIFECYCLE

int LIVESCAN_SetGain(unsigned char gain) {
    return plain("LIVESCAN_SetGain", {gain});
}
