#include "fault_plan.h"

#include <sstream>
#include <vector>

#include "number_text.h"

namespace scanner {
namespace {

const char* const kEntryPoints[] = {
    "Init",         "Close",           "GetChannelCount", "SetBright",      "SetContrast", "GetBright",
    "GetContrast",  "GetMaxImageSize", "GetCaptWindow",   "SetCaptWindow",  "Setup",       "BeginCapture",
    "GetFPRawData", "GetFPBmpData",    "EndCapture",      "IsSupportSetup", "GetVersion",  "GetDesc",
    "GetErrorInfo", "SetBufferEmpty",  "PlaySound",       "SetGain"};

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

std::optional<int> FaultPlan::take(const std::string& entryPoint) {
    const auto found = pending_.find(entryPoint);
    if (found == pending_.end()) return std::nullopt;
    const int code = found->second.code;
    if (--found->second.remaining == 0) pending_.erase(found);
    return code;
}

}  // namespace scanner
