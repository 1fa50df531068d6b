// Command line of tervo-fpgen:
//   tervo-fpgen --out DIR [--fingers A-B] [--impressions N] [--seed S] [--png FILE] [--jobs J]
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fpgen {

struct Options {
    std::string outFolder;
    int firstFinger = 1;
    int lastFinger = 1;
    int impressions = 8;
    std::uint64_t seed = 0;
    std::string pngPath;  // empty: no PNG
    int jobs = 0;         // worker threads; 0: one per core
};

constexpr int kMaxFinger = 9999;  // finger numbers are written with four digits
constexpr int kMaxImpressions = 1000;
constexpr int kMaxJobs = 256;

// Returns an error description, or an empty string when `options` is filled.
std::string parseOptions(const std::vector<std::string>& arguments, Options& options);

const char* usageText();

}  // namespace fpgen
