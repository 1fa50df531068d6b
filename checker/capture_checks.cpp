// The capture contract: what the console relies on from libID_FprCap.so.
#include <cstdio>
#include <cstring>

#include "ID_FprCap.h"
#include "checks.h"

namespace tervo::check {
namespace {

constexpr std::size_t kDescBytes = 1024;
constexpr std::size_t kErrorTextBytes = 256;  // the smallest buffer the console hands in
constexpr int kFirstErrorCode = -1;
constexpr int kLastErrorCode = -9;
constexpr int kUnwritten = -7777;

// The scanner, open for the length of a check.
class OpenScanner {
  public:
    explicit OpenScanner(Session& s) : s_(s) { requireOk(CHECK_CALL(s, LIVESCAN_Init), "LIVESCAN_Init"); }
    ~OpenScanner() {
        try {
            CHECK_CALL(s_, LIVESCAN_Close);
        } catch (...) {
        }
    }
    OpenScanner(const OpenScanner&) = delete;
    OpenScanner& operator=(const OpenScanner&) = delete;

  private:
    Session& s_;
};

Outcome initTwice(Session& s) {
    const int first = CHECK_CALL(s, LIVESCAN_Init);
    const int second = CHECK_CALL(s, LIVESCAN_Init);
    CHECK_CALL(s, LIVESCAN_Close);
    if (first != 1) return failed("answered " + std::to_string(first));
    if (second != 1) return failed("answered 1, then " + std::to_string(second) + " while open");
    return passed();
}

Outcome closeAndReopen(Session& s) {
    requireOk(CHECK_CALL(s, LIVESCAN_Init), "LIVESCAN_Init");
    const int closed = CHECK_CALL(s, LIVESCAN_Close);
    if (closed != 1) return failed("answered " + std::to_string(closed));
    const int reopened = CHECK_CALL(s, LIVESCAN_Init);
    const int closedAgain = CHECK_CALL(s, LIVESCAN_Close);
    if (reopened != 1) return failed("LIVESCAN_Init after it answered " + std::to_string(reopened));
    if (closedAgain != 1) return failed("answered " + std::to_string(closedAgain) + " after reopening");
    return passed();
}

std::string answeredOne(const char* entryPoint) {
    return std::string(entryPoint) + " answered 1";
}

Outcome afterClose(Session& s) {
    requireOk(CHECK_CALL(s, LIVESCAN_Init), "LIVESCAN_Init");
    requireOk(CHECK_CALL(s, LIVESCAN_Close), "LIVESCAN_Close");
    GuardedBuffer image(kRawImageBytes);
    if (CHECK_CALL(s, LIVESCAN_GetFPRawData, 0, image.data()) == 1)
        return failed(answeredOne("LIVESCAN_GetFPRawData"));
    if (image.bytesWritten() > 0 || image.strayWrite())
        return failed("LIVESCAN_GetFPRawData wrote " + std::to_string(image.bytesWritten()) + " bytes");
    int v[4] = {kUnwritten, kUnwritten, kUnwritten, kUnwritten};
    if (CHECK_CALL(s, LIVESCAN_GetMaxImageSize, 0, &v[0], &v[1]) == 1)
        return failed(answeredOne("LIVESCAN_GetMaxImageSize"));
    if (CHECK_CALL(s, LIVESCAN_GetCaptWindow, 0, &v[0], &v[1], &v[2], &v[3]) == 1)
        return failed(answeredOne("LIVESCAN_GetCaptWindow"));
    if (CHECK_CALL(s, LIVESCAN_GetBright, 0, &v[0]) == 1) return failed(answeredOne("LIVESCAN_GetBright"));
    for (int value : v)
        if (value != kUnwritten) return failed("a size, window or level was written");
    return passed();
}

Outcome captureAnswers(Session& s) {
    OpenScanner open(s);
    GuardedBuffer image(kRawImageBytes);
    double ms = 0;
    const int result = CHECK_TIMED_CALL(s, ms, LIVESCAN_GetFPRawData, 0, image.data());
    if (result != 1) return failed("answered " + std::to_string(result));
    return passed("capture took " + number(ms, 0) + " ms");
}

Outcome captureInBounds(Session& s) {
    OpenScanner open(s);
    GuardedBuffer image(kRawImageBytes);
    requireOk(CHECK_CALL(s, LIVESCAN_GetFPRawData, 0, image.data()), "LIVESCAN_GetFPRawData");
    requireInBounds(image, "the image");
    return passed();
}

Outcome captureShowsPrint(Session& s) {
    OpenScanner open(s);
    GuardedBuffer buffer(kRawImageBytes);
    requireOk(CHECK_CALL(s, LIVESCAN_GetFPRawData, 0, buffer.data()), "LIVESCAN_GetFPRawData");
    const ImageContent content = measureContent(Image(buffer.data(), buffer.data() + kRawImageBytes));
    if (!showsSomething(content))
        return failed("blank image: " + describe(content) + ", wanted at least " + number(kMinSpread, 0) +
                      " and " + number(kMinForegroundShare));
    return passed(describe(content));
}

Outcome captureTime(Session& s) {
    OpenScanner open(s);
    GuardedBuffer image(kRawImageBytes);
    // The first capture of a process may set the device up; the later ones are timed.
    CHECK_CALL(s, LIVESCAN_GetFPRawData, 0, image.data());
    return fastestWithin(kCaptureLimitMs, "LIVESCAN_GetFPRawData",
                         [&] { return CHECK_CALL(s, LIVESCAN_GetFPRawData, 0, image.data()); });
}

Outcome geometry(Session& s) {
    OpenScanner open(s);
    int width = kUnwritten, height = kUnwritten;
    requireOk(CHECK_CALL(s, LIVESCAN_GetMaxImageSize, 0, &width, &height), "LIVESCAN_GetMaxImageSize");
    if (width != kWidth || height != kHeight)
        return failed("size " + std::to_string(width) + " x " + std::to_string(height));
    int x = kUnwritten, y = kUnwritten, w = kUnwritten, h = kUnwritten;
    requireOk(CHECK_CALL(s, LIVESCAN_GetCaptWindow, 0, &x, &y, &w, &h), "LIVESCAN_GetCaptWindow");
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > kWidth || y + h > kHeight)
        return failed("LIVESCAN_GetCaptWindow gave origin " + std::to_string(x) + ", " + std::to_string(y) +
                      " size " + std::to_string(w) + " x " + std::to_string(h));
    return passed();
}

Outcome setWindow(Session& s) {
    OpenScanner open(s);
    const int result = CHECK_CALL(s, LIVESCAN_SetCaptWindow, 0, 0, 0, kWidth, kHeight);
    if (result != 1) return failed("answered " + std::to_string(result));
    int x = kUnwritten, y = kUnwritten, w = kUnwritten, h = kUnwritten;
    requireOk(CHECK_CALL(s, LIVESCAN_GetCaptWindow, 0, &x, &y, &w, &h), "LIVESCAN_GetCaptWindow");
    if (x != 0 || y != 0 || w != kWidth || h != kHeight)
        return failed("LIVESCAN_GetCaptWindow read back origin " + std::to_string(x) + ", " +
                      std::to_string(y) + " size " + std::to_string(w) + " x " + std::to_string(h));
    return passed();
}

// The description, or the text of every error code the console asks for,
// each into a fresh guarded buffer; judge says what is wrong with one text.
using TextJudge = std::string (*)(const GuardedBuffer&);

Outcome judgeDescription(Session& s, TextJudge judge) {
    OpenScanner open(s);
    GuardedBuffer text(kDescBytes);
    requireOk(CHECK_CALL(s, LIVESCAN_GetDesc, reinterpret_cast<char*>(text.data())), "LIVESCAN_GetDesc");
    const std::string wrong = judge(text);
    return wrong.empty() ? passed() : failed(wrong);
}

Outcome judgeErrorTexts(Session& s, TextJudge judge) {
    OpenScanner open(s);
    for (int code = kFirstErrorCode; code >= kLastErrorCode; --code) {
        GuardedBuffer text(kErrorTextBytes);
        CHECK_CALL(s, LIVESCAN_GetErrorInfo, code, reinterpret_cast<char*>(text.data()));
        const std::string wrong = judge(text);
        if (!wrong.empty()) return failed("for " + std::to_string(code) + ": " + wrong);
    }
    return passed();
}

std::string strayWriteOf(const GuardedBuffer& text) {
    try {
        requireInBounds(text, "the text buffer");
    } catch (const CheckFailed& failure) {
        return failure.observed;
    }
    return {};
}

std::string unterminated(const GuardedBuffer& text) {
    if (text.wideLength()) return {};
    return "no wide zero within " + std::to_string(text.size()) + " bytes";
}

std::string empty(const GuardedBuffer& text) {
    const bool written = text.bytesWritten() > 0;
    return written && text.wideLength().value_or(1) > 0 ? std::string() : "empty text";
}

}  // namespace

const Contract& captureContract() {
    static const Contract contract{
        Family::capture,
        "capture",
        kCaptureLibrary,
        captureEntryPoints(),
        {
            {"LIVESCAN_Init",
             "answers 1, and 1 again while open",
             {"LIVESCAN_Init", "LIVESCAN_Close"},
             Needs::nothing,
             initTwice},
            {"LIVESCAN_Close",
             "answers 1, and the scanner opens again after it",
             {"LIVESCAN_Init", "LIVESCAN_Close"},
             Needs::nothing,
             closeAndReopen},
            {"LIVESCAN_Close",
             "calls after it answer other than 1 and write nothing",
             {"LIVESCAN_Init", "LIVESCAN_Close", "LIVESCAN_GetFPRawData", "LIVESCAN_GetMaxImageSize",
              "LIVESCAN_GetCaptWindow", "LIVESCAN_GetBright"},
             Needs::nothing,
             afterClose},
            {"LIVESCAN_GetFPRawData",
             "answers 1",
             {"LIVESCAN_Init", "LIVESCAN_GetFPRawData"},
             Needs::nothing,
             captureAnswers},
            {"LIVESCAN_GetFPRawData",
             "writes nothing past 92160 bytes",
             {"LIVESCAN_Init", "LIVESCAN_GetFPRawData"},
             Needs::nothing,
             captureInBounds},
            {"LIVESCAN_GetFPRawData",
             "the image is not blank",
             {"LIVESCAN_Init", "LIVESCAN_GetFPRawData"},
             Needs::nothing,
             captureShowsPrint},
            {"LIVESCAN_GetFPRawData",
             "a capture within 1000 ms",
             {"LIVESCAN_Init", "LIVESCAN_GetFPRawData"},
             Needs::nothing,
             captureTime},
            {"LIVESCAN_GetMaxImageSize",
             "256 x 360, and a capture window within it",
             {"LIVESCAN_Init", "LIVESCAN_GetMaxImageSize", "LIVESCAN_GetCaptWindow"},
             Needs::nothing,
             geometry},
            {"LIVESCAN_SetCaptWindow",
             "0, 0, 0, 256, 360 answers 1 and reads back",
             {"LIVESCAN_Init", "LIVESCAN_SetCaptWindow", "LIVESCAN_GetCaptWindow"},
             Needs::nothing,
             setWindow},
            {"LIVESCAN_GetDesc",
             "answers 1 and writes nothing past 1024 bytes",
             {"LIVESCAN_Init", "LIVESCAN_GetDesc"},
             Needs::nothing,
             [](Session& s) { return judgeDescription(s, strayWriteOf); }},
            {"LIVESCAN_GetDesc",
             "a wide text ended by a wide zero within 1024 bytes",
             {"LIVESCAN_Init", "LIVESCAN_GetDesc"},
             Needs::nothing,
             [](Session& s) { return judgeDescription(s, unterminated); }},
            {"LIVESCAN_GetErrorInfo",
             "writes nothing past 256 bytes for -1 to -9",
             {"LIVESCAN_Init", "LIVESCAN_GetErrorInfo"},
             Needs::nothing,
             [](Session& s) { return judgeErrorTexts(s, strayWriteOf); }},
            {"LIVESCAN_GetErrorInfo",
             "wide texts for -1 to -9 ended by a wide zero within 256 bytes",
             {"LIVESCAN_Init", "LIVESCAN_GetErrorInfo"},
             Needs::nothing,
             [](Session& s) { return judgeErrorTexts(s, unterminated); }},
            {"LIVESCAN_GetErrorInfo",
             "a text for each of -1 to -9",
             {"LIVESCAN_Init", "LIVESCAN_GetErrorInfo"},
             Needs::nothing,
             [](Session& s) { return judgeErrorTexts(s, empty); }},
        }};
    return contract;
}

}  // namespace tervo::check
