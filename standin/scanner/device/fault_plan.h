// Injected faults: "the next N calls of entry point E answer code C".
//
// Text form, entries separated by commas: NAME:CODE[:COUNT], where NAME is an
// entry point with or without its LIVESCAN_ prefix (GetFPRawData,
// LIVESCAN_Init, ...) and COUNT defaults to 1.
//
// A random plan adds, for soak runs, a fault at a seeded random PERCENT of all
// calls, with a device error code drawn from kRandomFaultCodes.
#ifndef TERVO_SCANNER_FAULT_PLAN_H
#define TERVO_SCANNER_FAULT_PLAN_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace tervo::scanner {

class FaultPlan {
  public:
    // Parses the text; returns a description of the first bad entry, or an
    // empty string. Entries before a bad one are kept.
    std::string parse(const std::string& text);

    // Consumes one pending fault of the entry point (plain name, no prefix);
    // failing that, draws the random plan's next call.
    std::optional<int> take(const std::string& entryPoint);
    bool empty() const { return pending_.empty() && randomPercent_ == 0; }

    // Parses PERCENT[:SEED] (0..100, seed unsigned 64-bit, 0 when left out)
    // and restarts the random sequence; returns an error description or "".
    std::string parseRandom(const std::string& text);

  private:
    std::optional<int> drawRandom();

    int randomPercent_ = 0;
    std::uint64_t randomState_ = 0;
    struct Pending {
        int code;
        long remaining;
    };
    std::map<std::string, Pending> pending_;
};

// The entry point names a fault plan may use, without the LIVESCAN_ prefix.
bool isEntryPointName(const std::string& name);

}  // namespace tervo::scanner

#endif
