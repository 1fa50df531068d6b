#include "scanner_settings.h"

#include <cstdlib>
#include <optional>
#include <sstream>

#include "fault_plan.h"
#include "number_text.h"

namespace tervo::scanner {
namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

void complain(std::ostream& diagnostics, const char* name, const std::string& value, const std::string& why,
              const std::string& fallback) {
    diagnostics << "virtual scanner: ignoring " << name << "=\"" << value << "\" (" << why << "); using "
                << fallback << "\n";
}

template <typename Apply>
void readInteger(std::ostream& diagnostics, const char* name, long minimum, long maximum,
                 const std::string& fallback, Apply apply) {
    const std::optional<std::string> text = environment(name);
    if (!text) return;
    const std::optional<long> value = parseInteger(*text, minimum, maximum);
    if (value) {
        apply(*value);
        return;
    }
    std::ostringstream why;
    why << "expected a whole number from " << minimum << " to " << maximum;
    complain(diagnostics, name, *text, why.str(), fallback);
}

// A plan given as text: kept in `destination` when `parse` finds no error in
// it, otherwise reported and left at its default.
template <typename Parse>
void readPlan(std::ostream& diagnostics, const char* name, const std::string& fallback,
              std::string& destination, Parse parse) {
    const std::optional<std::string> text = environment(name);
    if (!text) return;
    const std::string error = parse(*text);
    if (error.empty())
        destination = *text;
    else
        complain(diagnostics, name, *text, error, fallback);
}

}  // namespace

std::string parseLinkLoss(const std::string& text, LinkLossPlan& plan) {
    plan = LinkLossPlan{};
    if (text.empty()) return {};
    std::istringstream stream(text);
    std::string field;
    std::string fields[3];
    int count = 0;
    while (std::getline(stream, field, ':')) {
        if (count == 3) return "expected K[:CODE[:AFTER]]";
        fields[count++] = field;
    }
    const std::optional<long> failing = parseInteger(fields[0], 0, 1000000000);
    if (!failing) return "K must be a capture count of 0 or more";
    const std::optional<long> code = count > 1 ? parseInteger(fields[1], -2, -1) : -1L;
    if (!code) return "CODE must be -1 or -2";
    const std::optional<long> after = count > 2 ? parseInteger(fields[2], 0, 1000000000) : 0L;
    if (!after) return "AFTER must be a capture count of 0 or more";
    plan.failingCaptures = static_cast<int>(*failing);
    plan.code = static_cast<int>(*code);
    plan.afterCaptures = static_cast<int>(*after);
    return {};
}

ScannerSettings readScannerSettings(std::ostream& diagnostics) {
    ScannerSettings settings;
    readInteger(diagnostics, "TERVO_SCANNER_FINGER", 1, 1000000, "finger 1",
                [&](long value) { settings.finger = static_cast<int>(value); });
    if (const std::optional<std::string> text = environment("TERVO_SCANNER_SEED")) {
        if (const std::optional<std::uint64_t> seed = parseUnsigned(*text))
            settings.seed = *seed;
        else
            complain(diagnostics, "TERVO_SCANNER_SEED", *text, "expected an unsigned 64-bit number",
                     "seed 0");
    }
    if (const std::optional<std::string> text = environment("TERVO_SCANNER_DIFFICULTY")) {
        if (const std::optional<tervo::synth::Difficulty> difficulty = tervo::synth::parseDifficulty(*text))
            settings.difficulty = *difficulty;
        else
            complain(diagnostics, "TERVO_SCANNER_DIFFICULTY", *text, "expected easy, typical or hard",
                     "typical");
    }
    if (const std::optional<std::string> folder = environment("TERVO_SCANNER_REPLAY"))
        settings.replayFolder = *folder;
    readInteger(diagnostics, "TERVO_SCANNER_NO_FINGER", 0, 1, "0 (a finger is on the sensor)",
                [&](long value) { settings.noFinger = value == 1; });
    readInteger(diagnostics, "TERVO_SCANNER_LATENCY_MS", 0, 60000, "no latency",
                [&](long value) { settings.latencyMs = static_cast<int>(value); });
    readPlan(diagnostics, "TERVO_SCANNER_FAULTS", "no faults", settings.faultText,
             [](const std::string& text) { return FaultPlan().parse(text); });
    readPlan(diagnostics, "TERVO_SCANNER_FAULT_RATE", "no random faults", settings.faultRateText,
             [](const std::string& text) { return FaultPlan().parseRandom(text); });
    readPlan(diagnostics, "TERVO_SCANNER_LINK_LOSS", "a steady link", settings.linkLossText,
             [&](const std::string& text) { return parseLinkLoss(text, settings.linkLoss); });
    if (const std::optional<std::string> path = environment("TERVO_SCANNER_LOG")) settings.logPath = *path;
    return settings;
}

}  // namespace tervo::scanner
