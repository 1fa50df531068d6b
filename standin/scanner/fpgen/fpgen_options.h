// Command line of tervo-fpgen:
//   tervo-fpgen --out DIR [--fingers A-B] [--impressions N] [--seed S]
//               [--difficulty easy|typical|hard] [--png FILE] [--jobs J]
//   tervo-fpgen --help | --version
#ifndef TERVO_FPGEN_FPGEN_OPTIONS_H
#define TERVO_FPGEN_FPGEN_OPTIONS_H

#include <cstdint>
#include <string>
#include <vector>

#include "capture_conditions.h"

namespace tervo::fpgen {

struct Options {
    std::string outFolder;
    int firstFinger = 1;
    int lastFinger = 1;
    int impressions = 8;
    std::uint64_t seed = 0;
    std::string pngPath;  // empty: no PNG
    int jobs = 0;         // worker threads; 0: one per core
    tervo::synth::Difficulty difficulty = tervo::synth::Difficulty::Typical;
    bool help = false;     // --help: print the usage and stop
    bool version = false;  // --version: print the version and stop
};

constexpr int kMaxFinger = 9999;  // finger numbers are written with four digits
constexpr int kMaxImpressions = 1000;
constexpr int kMaxJobs = 256;

// Returns an error description, or an empty string when `options` is filled.
std::string parseOptions(const std::vector<std::string>& arguments, Options& options);

const char* usageText();
const char* versionText();

}  // namespace tervo::fpgen

#endif
