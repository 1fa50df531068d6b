// tervo-check: does a pair of fingerprint libraries honour the contracts the
// console relies on? Loads them by name at run time, as tervo-dlopen does.
#include <cstdio>
#include <fstream>

#include "options.h"
#include "runner.h"

#ifndef TERVO_VERSION
#define TERVO_VERSION "unknown"
#endif

namespace {

constexpr int kUsageError = 2;

int usageError(const std::string& message) {
    std::fprintf(stderr, "tervo-check: %s\nTry 'tervo-check --help'.\n", message.c_str());
    return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tervo::check;
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) return usageError(error);
    if (options.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tervo-check %s\n", TERVO_VERSION);
        return 0;
    }
    std::vector<Image> files;
    for (const std::string& path : options.images) {
        files.emplace_back();
        if (!readBmpFile(path, files.back(), error)) return usageError(error);
    }

    std::vector<SuiteLibrary> libraries;
    const std::vector<Result> results = runChecks(options.only, files, libraries);
    const Totals totals = totalsOf(results);
    std::printf("%s\n", totalsLine(totals).c_str());
    if (!options.report.empty()) {
        std::ofstream report(options.report);
        writeJUnit(report, results, libraries);
        report.close();
        if (!report) {
            std::fprintf(stderr, "tervo-check: cannot write %s\n", options.report.c_str());
            return 1;
        }
    }
    return totals.failed == 0 ? 0 : 1;
}
