#include "reader_settings.h"

#include <cstdlib>

#include "number_text.h"

namespace tervo::fprint {
namespace {

constexpr long kMaxTimeoutMs = 3600000;
constexpr long kMinPpi = 250;
constexpr long kMaxPpi = 2000;

// Reads a whole number setting within its range; otherwise says why on one
// line and leaves the default.
std::optional<long> readNumber(std::ostream& diagnostics, const char* name, long minimum, long maximum,
                               long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr) return std::nullopt;
    const std::optional<long> value = tervo::scanner::parseInteger(text, minimum, maximum);
    if (!value)
        diagnostics << "libfprint reader: ignoring " << name << "=\"" << text
                    << "\" (expected a whole number from " << minimum << " to " << maximum << "); using "
                    << fallback << "\n";
    return value;
}

}  // namespace

std::optional<int> deviceIndex(const std::string& device) {
    const std::optional<long> index = tervo::scanner::parseInteger(device, 0, 1000);
    if (!index) return std::nullopt;
    return static_cast<int>(*index);
}

ReaderSettings readReaderSettings(std::ostream& diagnostics) {
    ReaderSettings settings;
    if (const char* device = std::getenv("TERVO_FPRINT_DEVICE")) settings.device = device;
    if (const std::optional<long> timeout =
            readNumber(diagnostics, "TERVO_FPRINT_TIMEOUT_MS", 1, kMaxTimeoutMs, settings.timeoutMs))
        settings.timeoutMs = static_cast<int>(*timeout);
    if (const std::optional<long> ppi = readNumber(diagnostics, "TERVO_FPRINT_PPI", kMinPpi, kMaxPpi, 0))
        settings.ppi = static_cast<double>(*ppi);
    return settings;
}

}  // namespace tervo::fprint
