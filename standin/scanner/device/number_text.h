// Strict conversion of setting texts to numbers: the whole text must be a
// number within the range, or there is no value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tervo::scanner {

std::optional<long> parseInteger(const std::string& text, long minimum, long maximum);
std::optional<std::uint64_t> parseUnsigned(const std::string& text);

}  // namespace tervo::scanner
