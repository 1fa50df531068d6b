// The checks of the two contracts, in the order they run.
#ifndef TERVO_CHECKER_CHECKS_H
#define TERVO_CHECKER_CHECKS_H

#include <chrono>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "outcome.h"
#include "session.h"

namespace tervo::check {

enum class Family { capture, algorithm };
enum class Needs { nothing, image, twoImpressions };

struct Check {
    const char* entryPoint;          // named on the check's line
    const char* title;               // what is promised; no ": " and no " (" in it
    std::vector<const char*> calls;  // entry points it calls: skipped when one is missing
    Needs images;
    Outcome (*run)(Session&);
};

struct Contract {
    Family family;
    const char* name;  // "capture", "algorithm"
    const char* library;
    std::vector<const char*> entryPoints;
    std::vector<Check> checks;
};

const Contract& captureContract();
const Contract& algorithmContract();

// Every entry point of a contract, from its table (LIVESCAN_SetGain is no part
// of the capture contract's).
inline std::vector<const char*> captureEntryPoints() {
    return {
#define TERVO_LIVESCAN_LIFECYCLE(name, type, parameters, arguments) #name,
#define TERVO_LIVESCAN_ENTRY TERVO_LIVESCAN_LIFECYCLE
#include "livescan_entries.def"
#undef TERVO_LIVESCAN_ENTRY
#undef TERVO_LIVESCAN_LIFECYCLE
    };
}
inline std::vector<const char*> algorithmEntryPoints() {
    return {
#define TERVO_FP_ENTRY(name, parameters, arguments) #name,
#define TERVO_FP_LIFECYCLE TERVO_FP_ENTRY
#include "fp_entries.def"
#undef TERVO_FP_LIFECYCLE
#undef TERVO_FP_ENTRY
    };
}

// Limits the checks hold the libraries to.
constexpr double kCaptureLimitMs = 1000;
constexpr double kExtractLimitMs = 1000;
constexpr double kMatchLimitMs = 50;
constexpr double kVerifiedSimilarity = 0.6;  // the console's verification threshold
constexpr double kSymmetryTolerance = 0.01;
constexpr int kCompressRatio = 6;
// Room for a header in a compressed image: a BMP file's headers and palette.
constexpr std::size_t kCompressedHeaderAllowance = 1078;

// Shared by the checks of both contracts.
std::string number(double value, int decimals = 2);
// Fails the check unless the library left the guard bytes alone.
void requireInBounds(const GuardedBuffer& buffer, const std::string& what);
void requireOk(int result, const char* entryPoint);

// Makes the call (which answers the entry point's result) kTimedCalls times and
// judges the fastest against the limit: what the call costs, not a hiccup of
// the scheduler or of an emulator.
constexpr int kTimedCalls = 3;
template <class Call>
Outcome fastestWithin(double limitMs, const char* entryPoint, Call&& call) {
    double fastest = 0;
    for (int i = 0; i < kTimedCalls; ++i) {
        const auto start = std::chrono::steady_clock::now();
        requireOk(call(), entryPoint);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (i == 0 || ms < fastest) fastest = ms;
    }
    const std::string observed = number(fastest, 2) + " ms, the fastest of " + std::to_string(kTimedCalls);
    return fastest > limitMs ? failed("took " + observed) : passed(observed);
}

}  // namespace tervo::check

#endif
