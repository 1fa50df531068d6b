#include "number_text.h"

#include <cerrno>
#include <cstdlib>

namespace tervo::scanner {

std::optional<long> parseInteger(const std::string& text, long minimum, long maximum) {
    // strtol would also skip leading blanks and accept a plus sign; a setting does not.
    if (text.empty() || text.size() > 20 || !(text[0] == '-' || (text[0] >= '0' && text[0] <= '9')))
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> parseUnsigned(const std::string& text) {
    if (text.empty() || text.size() > 20 || text[0] < '0' || text[0] > '9') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return static_cast<std::uint64_t>(value);
}

}  // namespace tervo::scanner
