#include "checks.h"

#include <cstdio>

namespace tervo::check {

std::string number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void requireInBounds(const GuardedBuffer& buffer, const std::string& what) {
    const std::optional<long> stray = buffer.strayWrite();
    if (!stray) return;
    const std::string size = std::to_string(buffer.size());
    if (*stray < 0)
        throw CheckFailed{"changed the byte at offset " + std::to_string(*stray) + ", before " + what};
    throw CheckFailed{"changed the byte at offset " + std::to_string(*stray) + ", past the " + size +
                      " bytes of " + what};
}

void requireOk(int result, const char* entryPoint) {
    if (result != 1) throw CheckFailed{std::string(entryPoint) + " answered " + std::to_string(result)};
}

}  // namespace tervo::check
