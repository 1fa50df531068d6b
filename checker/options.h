// The command line of tervo-check.
#ifndef TERVO_CHECKER_OPTIONS_H
#define TERVO_CHECKER_OPTIONS_H

#include <string>
#include <vector>

namespace tervo::check {

struct Options {
    bool help = false;
    bool version = false;
    std::string only;  // "", "capture" or "algorithm"
    std::vector<std::string> images;
    std::string report;
};

constexpr std::size_t kMaxImages = 3;

// False with a message for a command line that cannot be used.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);
const char* usageText();

}  // namespace tervo::check

#endif
