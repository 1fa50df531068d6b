#include "fpgen_options.h"

#include "number_text.h"

namespace tervo::fpgen {
namespace {

std::string parseFingerRange(const std::string& text, Options& options) {
    const std::size_t dash = text.find('-');
    const std::string first = dash == std::string::npos ? text : text.substr(0, dash);
    const std::string last = dash == std::string::npos ? text : text.substr(dash + 1);
    const auto a = tervo::scanner::parseInteger(first, 1, kMaxFinger);
    const auto b = tervo::scanner::parseInteger(last, 1, kMaxFinger);
    if (!a || !b || *b < *a) return "--fingers wants A-B with 1 <= A <= B <= 9999, not '" + text + "'";
    options.firstFinger = static_cast<int>(*a);
    options.lastFinger = static_cast<int>(*b);
    return {};
}

}  // namespace

const char* usageText() {
    return "usage: tervo-fpgen --out DIR [--fingers A-B] [--impressions N] [--seed S]\n"
           "                   [--difficulty easy|typical|hard] [--png FILE] [--jobs J]\n"
           "       tervo-fpgen --help | --version\n"
           "  writes DIR/FFFF_I.bmp: impressions 1..N of fingers A..B (default 1-1, 8, seed 0)\n"
           "  under the given capture conditions (default typical), with J worker threads\n"
           "  (default one per core); --png FILE also writes the first image as a PNG\n";
}

const char* versionText() {
    return "tervo-fpgen " TERVO_VERSION "\n";
}

std::string parseOptions(const std::vector<std::string>& arguments, Options& options) {
    options = Options{};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "--version") {
            (name == "--help" ? options.help : options.version) = true;
            continue;
        }
        if (i + 1 >= arguments.size()) return "'" + name + "' needs a value";
        const std::string& value = arguments[++i];
        if (name == "--out") {
            options.outFolder = value;
        } else if (name == "--fingers") {
            const std::string error = parseFingerRange(value, options);
            if (!error.empty()) return error;
        } else if (name == "--impressions") {
            const auto count = tervo::scanner::parseInteger(value, 1, kMaxImpressions);
            if (!count) return "--impressions wants a number from 1 to 1000, not '" + value + "'";
            options.impressions = static_cast<int>(*count);
        } else if (name == "--seed") {
            const auto seed = tervo::scanner::parseUnsigned(value);
            if (!seed) return "--seed wants an unsigned 64-bit number, not '" + value + "'";
            options.seed = *seed;
        } else if (name == "--jobs") {
            const auto jobs = tervo::scanner::parseInteger(value, 1, kMaxJobs);
            if (!jobs) return "--jobs wants a number from 1 to 256, not '" + value + "'";
            options.jobs = static_cast<int>(*jobs);
        } else if (name == "--difficulty") {
            const auto difficulty = tervo::synth::parseDifficulty(value);
            if (!difficulty) return "--difficulty wants easy, typical or hard, not '" + value + "'";
            options.difficulty = *difficulty;
        } else if (name == "--png") {
            options.pngPath = value;
        } else {
            return "unknown option '" + name + "'";
        }
    }
    if (options.outFolder.empty() && !options.help && !options.version) return "--out DIR is required";
    return {};
}

}  // namespace tervo::fpgen
