// The virtual scanner's own settings, read from TERVO_SCANNER_* environment
// variables each time the device is opened. A bad value is reported on
// stderr in one line and replaced by its default.
#ifndef TERVO_SCANNER_SCANNER_SETTINGS_H
#define TERVO_SCANNER_SCANNER_SETTINGS_H

#include <cstdint>
#include <ostream>
#include <string>

#include "capture_conditions.h"

namespace tervo::scanner {

struct LinkLossPlan {
    int failingCaptures = 0;  // 0: the link never drops
    int code = -1;            // -1 or -2, as a real device reports a lost link
    int afterCaptures = 0;    // good captures before the link drops
};

struct ScannerSettings {
    int finger = 1;
    std::uint64_t seed = 0;
    tervo::synth::Difficulty difficulty = tervo::synth::Difficulty::Typical;
    std::string replayFolder;  // empty: synthetic fingers
    bool noFinger = false;
    int latencyMs = 0;
    std::string faultText;      // parsed by FaultPlan
    std::string faultRateText;  // parsed by FaultPlan::parseRandom
    std::string linkLossText;   // kept to notice a changed plan
    LinkLossPlan linkLoss;
    std::string logPath;  // empty: no call log; "stderr" for the error stream
};

// Reads the environment; `diagnostics` receives one line per bad setting.
ScannerSettings readScannerSettings(std::ostream& diagnostics);

// Parses K[:CODE[:AFTER]]; returns an error description or an empty string.
std::string parseLinkLoss(const std::string& text, LinkLossPlan& plan);

}  // namespace tervo::scanner

#endif
