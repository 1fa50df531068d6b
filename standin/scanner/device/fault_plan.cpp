#include "fault_plan.h"

#include <sstream>
#include <vector>

#include "number_text.h"

namespace tervo::scanner {
namespace {

const char* const kEntryPoints[] = {
    "Init",         "Close",           "GetChannelCount", "SetBright",      "SetContrast", "GetBright",
    "GetContrast",  "GetMaxImageSize", "GetCaptWindow",   "SetCaptWindow",  "Setup",       "BeginCapture",
    "GetFPRawData", "GetFPBmpData",    "EndCapture",      "IsSupportSetup", "GetVersion",  "GetDesc",
    "GetErrorInfo", "SetBufferEmpty",  "PlaySound",       "SetGain"};

// A lost link (-1, -2), a device gone or not set up (-4, -5), no finger in
// time (-101): what a failing module answers in the field.
constexpr int kRandomFaultCodes[] = {-1, -2, -4, -5, -101};

// splitmix64: a fixed sequence for a seed on every platform and library.
std::uint64_t nextRandom(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

std::string withoutPrefix(const std::string& name) {
    const std::string prefix = "LIVESCAN_";
    return name.compare(0, prefix.size(), prefix) == 0 ? name.substr(prefix.size()) : name;
}

}  // namespace

bool isEntryPointName(const std::string& name) {
    for (const char* entry : kEntryPoints)
        if (name == entry) return true;
    return false;
}

std::string FaultPlan::parse(const std::string& text) {
    pending_.clear();
    if (text.empty()) return {};
    for (const std::string& entry : split(text, ',')) {
        const std::vector<std::string> fields = split(entry, ':');
        if (fields.size() < 2 || fields.size() > 3) return "'" + entry + "' is not NAME:CODE[:COUNT]";
        const std::string name = withoutPrefix(fields[0]);
        if (!isEntryPointName(name)) return "'" + fields[0] + "' is not an entry point";
        const std::optional<long> code = parseInteger(fields[1], -1000000, 1000000);
        if (!code) return "'" + fields[1] + "' is not a result code";
        const std::optional<long> count = fields.size() == 3 ? parseInteger(fields[2], 1, 1000000000) : 1L;
        if (!count) return "'" + fields[2] + "' is not a call count of 1 or more";
        pending_[name] = Pending{static_cast<int>(*code), *count};
    }
    return {};
}

std::string FaultPlan::parseRandom(const std::string& text) {
    randomPercent_ = 0;
    randomState_ = 0;
    if (text.empty()) return {};
    const std::vector<std::string> fields = split(text, ':');
    if (fields.size() > 2) return "expected PERCENT[:SEED]";
    const std::optional<long> percent = parseInteger(fields[0], 0, 100);
    if (!percent) return "PERCENT must be a whole number from 0 to 100";
    const std::optional<std::uint64_t> seed = fields.size() == 2 ? parseUnsigned(fields[1]) : 0ULL;
    if (!seed) return "SEED must be an unsigned 64-bit number";
    randomPercent_ = static_cast<int>(*percent);
    randomState_ = *seed;
    return {};
}

std::optional<int> FaultPlan::drawRandom() {
    if (randomPercent_ == 0) return std::nullopt;
    const std::uint64_t draw = nextRandom(randomState_);
    if (static_cast<int>(draw % 100) >= randomPercent_) return std::nullopt;
    constexpr std::size_t kCodes = sizeof kRandomFaultCodes / sizeof kRandomFaultCodes[0];
    return kRandomFaultCodes[(draw / 100) % kCodes];
}

std::optional<int> FaultPlan::take(const std::string& entryPoint) {
    const auto found = pending_.find(entryPoint);
    if (found == pending_.end()) return drawRandom();
    const int code = found->second.code;
    if (--found->second.remaining == 0) pending_.erase(found);
    return code;
}

}  // namespace tervo::scanner
