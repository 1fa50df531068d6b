// Injected faults: "the next N calls of entry point E answer code C".
//
// Text form, entries separated by commas: NAME:CODE[:COUNT], where NAME is an
// entry point with or without its LIVESCAN_ prefix (GetFPRawData,
// LIVESCAN_Init, ...) and COUNT defaults to 1.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace scanner {

class FaultPlan {
  public:
    // Parses the text; returns a description of the first bad entry, or an
    // empty string. Entries before a bad one are kept.
    std::string parse(const std::string& text);

    // Consumes one pending fault of the entry point (plain name, no prefix).
    std::optional<int> take(const std::string& entryPoint);
    bool empty() const { return pending_.empty(); }

  private:
    struct Pending {
        int code;
        long remaining;
    };
    std::map<std::string, Pending> pending_;
};

// The entry point names a fault plan may use, without the LIVESCAN_ prefix.
bool isEntryPointName(const std::string& name);

}  // namespace scanner
