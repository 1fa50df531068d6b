// Strict conversion of setting texts to numbers: the whole text must be a
// number within the range, or there is no value.
#ifndef TERVO_SCANNER_NUMBER_TEXT_H
#define TERVO_SCANNER_NUMBER_TEXT_H

#include <cstdint>
#include <optional>
#include <string>

namespace tervo::scanner {

std::optional<long> parseInteger(const std::string& text, long minimum, long maximum);
std::optional<std::uint64_t> parseUnsigned(const std::string& text);

}  // namespace tervo::scanner

#endif
