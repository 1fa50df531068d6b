// Texts the device hands out: its description and the meaning of each result
// code, in Chinese and English, as wide-character strings.
#ifndef TERVO_SCANNER_DEVICE_TEXTS_H
#define TERVO_SCANNER_DEVICE_TEXTS_H

#include <cstddef>
#include <string>

namespace tervo::scanner {

// The smallest buffer callers give for an error text, in bytes.
constexpr std::size_t kErrorTextBytes = 256;
// The buffer callers give for the description, in bytes.
constexpr std::size_t kDescriptionBytes = 1024;

std::wstring errorText(int code);
std::wstring deviceDescription();

// Copies `text` into a caller's byte buffer as wchar_t values ended by a wide
// zero, cut short if needed so that nothing is written beyond `capacityBytes`.
// The buffer need not be aligned for wchar_t.
void writeWideText(char* destination, std::size_t capacityBytes, const std::wstring& text);

}  // namespace tervo::scanner

#endif
