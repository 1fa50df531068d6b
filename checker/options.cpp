#include "options.h"

#include <cstring>

namespace tervo::check {

const char* usageText() {
    return "usage: tervo-check [--only capture|algorithm] [--image FILE.bmp]... [--report FILE]\n"
           "\n"
           "Loads libID_FprCap.so and libID_Fpr.so by name (LD_LIBRARY_PATH chooses the pair),\n"
           "checks that they honour the contracts tervo relies on, and prints one line per\n"
           "check: ok, FAIL with the entry point and what was observed, or skip with the reason,\n"
           "then the totals. Each check runs in a process of its own, so a library that\n"
           "crashes or hangs fails that check and the run goes on.\n"
           "\n"
           "  --only capture|algorithm  check one of the two libraries only\n"
           "  --image FILE.bmp          a 256 x 360 8-bit BMP instead of a capture; up to three:\n"
           "                            two impressions of one finger, then another finger\n"
           "  --report FILE             also write the results as JUnit XML\n"
           "  --help                    print this text\n"
           "  --version                 print the version\n"
           "\n"
           "Exit status: 0 when no check failed, 1 when one did, 2 for a usage error.\n";
}

bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasValue = false;
        if (arg.compare(0, 2, "--") == 0 && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
            hasValue = true;
        }
        const bool takesValue = arg == "--only" || arg == "--image" || arg == "--report";
        if (!takesValue && hasValue) {
            error = "'" + arg + "' takes no value";
            return false;
        }
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) {
                error = "'" + arg + "' needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--only") {
            if (value != "capture" && value != "algorithm") {
                error = "--only takes capture or algorithm, not '" + value + "'";
                return false;
            }
            options.only = value;
        } else if (arg == "--image") {
            if (options.images.size() == kMaxImages) {
                error = "at most three --image files";
                return false;
            }
            options.images.push_back(value);
        } else if (arg == "--report") {
            options.report = value;
        } else {
            error = "unknown argument '" + arg + "'";
            return false;
        }
    }
    return true;
}

}  // namespace tervo::check
