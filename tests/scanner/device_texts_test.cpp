#include <climits>
#include <cstring>
#include <cwchar>

#include "device_fixture.h"

namespace tervo::test {
namespace {

using TextTest = DeviceTest;

constexpr std::size_t kErrorBytes = 256;
constexpr std::size_t kGuardBytes = 64;

struct TextBuffer {
    // One extra byte in front makes the text start at an address that is not
    // aligned for wchar_t, as a caller's char buffer may well be.
    std::vector<char> bytes;
    std::size_t offset;
    explicit TextBuffer(std::size_t size, bool misaligned = false)
        : bytes(size + kGuardBytes + 1, '\x5a'), offset(misaligned ? 1 : 0) {}
    char* data() { return bytes.data() + offset; }

    // The text up to its wide zero; fails the test when there is none within `size` bytes.
    std::wstring text(std::size_t size) const {
        std::wstring result;
        for (std::size_t at = offset; at + sizeof(wchar_t) <= offset + size; at += sizeof(wchar_t)) {
            wchar_t c;
            std::memcpy(&c, bytes.data() + at, sizeof c);
            if (c == L'\0') return result;
            result.push_back(c);
        }
        ADD_FAILURE() << "no wide zero within " << size << " bytes";
        return result;
    }
    bool guardIntact(std::size_t size) const {
        for (std::size_t i = offset + size; i < bytes.size(); ++i)
            if (bytes[i] != '\x5a') return false;
        return true;
    }
};

bool hasChinese(const std::wstring& text) {
    for (wchar_t c : text)
        if (c >= 0x4e00 && c <= 0x9fff) return true;
    return false;
}

bool hasEnglishWord(const std::wstring& text) {
    int run = 0;
    for (wchar_t c : text) {
        run = ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z')) ? run + 1 : 0;
        if (run >= 4) return true;
    }
    return false;
}

std::wstring errorText(int code, bool misaligned = false) {
    TextBuffer buffer(kErrorBytes, misaligned);
    LIVESCAN_GetErrorInfo(code, buffer.data());
    EXPECT_TRUE(buffer.guardIntact(kErrorBytes)) << "wrote past 256 bytes for " << code;
    return buffer.text(kErrorBytes);
}

const int kNamedCodes[] = {1, 0, -1, -2, -3, -4, -5, -6, -7, -101, -102};

TEST_F(TextTest, EveryNamedCodeHasAChineseAndEnglishText) {
    std::vector<std::wstring> seen;
    for (int code : kNamedCodes) {
        const std::wstring text = errorText(code);
        EXPECT_TRUE(hasChinese(text)) << code;
        EXPECT_TRUE(hasEnglishWord(text)) << code;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0) << "texts tell codes apart: " << code;
        seen.push_back(text);
    }
}

TEST_F(TextTest, OtherNumbersGetAGenericTextNamingThem) {
    for (int code : {-8, -9, 2, 12345, INT_MIN, INT_MAX}) {
        const std::wstring text = errorText(code);
        EXPECT_TRUE(hasChinese(text));
        EXPECT_NE(text.find(std::to_wstring(code)), std::wstring::npos) << code;
    }
}

TEST_F(TextTest, TextsNeedNoOpenDeviceNorAlignedBuffers) {
    EXPECT_EQ(errorText(-4, true), errorText(-4));
    TextBuffer buffer(kErrorBytes);
    EXPECT_EQ(LIVESCAN_GetErrorInfo(-5, buffer.data()), 1) << "the text explains why the device is closed";
    EXPECT_EQ(LIVESCAN_GetErrorInfo(-5, nullptr), -1);
}

TEST_F(TextTest, DescriptionFitsItsBufferWhenOpenAndIsEmptyWhenClosed) {
    TextBuffer closed(1024);
    EXPECT_EQ(LIVESCAN_GetDesc(closed.data()), -5);
    EXPECT_EQ(closed.text(1024), L"");

    ASSERT_EQ(LIVESCAN_Init(), 1);
    TextBuffer open(1024, true);
    EXPECT_EQ(LIVESCAN_GetDesc(open.data()), 1);
    const std::wstring text = open.text(1024);
    EXPECT_TRUE(hasChinese(text));
    EXPECT_NE(text.find(L"256"), std::wstring::npos);
    EXPECT_TRUE(open.guardIntact(1024));
    EXPECT_EQ(LIVESCAN_GetDesc(nullptr), -1);
}

}  // namespace
}  // namespace tervo::test
