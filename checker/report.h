// The results: one line each on standard output as the checks run, a totals
// line, and the same results as a JUnit XML file for CI systems.
#ifndef TERVO_CHECKER_REPORT_H
#define TERVO_CHECKER_REPORT_H

#include <ostream>
#include <string>
#include <vector>

#include "library_origin.h"
#include "outcome.h"

namespace tervo::check {

struct Result {
    std::string suite;  // "capture", "algorithm"
    std::string name;   // "<entry point>: <what is promised>"
    Outcome outcome;
    double seconds = 0;
};

// The library file a suite's checks ran on.
struct SuiteLibrary {
    std::string suite;
    tervo::origin::LibraryFile file;
};

struct Totals {
    int passed = 0, failed = 0, skipped = 0;
};

// "ok    NAME (observed)", "FAIL  NAME: observed", "skip  NAME: reason".
std::string resultLine(const Result& result);
Totals totalsOf(const std::vector<Result>& results);
// "N passed, N failed, N skipped".
std::string totalsLine(const Totals& totals);
// The libraries' files go into each suite's properties "library" and "origin".
void writeJUnit(std::ostream& out, const std::vector<Result>& results,
                const std::vector<SuiteLibrary>& libraries);

}  // namespace tervo::check

#endif
