// Runs the checks of the chosen contracts, one child process each, printing
// each result as it comes.
#ifndef TERVO_CHECKER_RUNNER_H
#define TERVO_CHECKER_RUNNER_H

#include <string>
#include <vector>

#include "report.h"
#include "session.h"

namespace tervo::check {

// The images for the algorithm checks from files: two impressions of one
// finger, then another finger (the first one mirrored when not given).
Inputs inputsFromFiles(const std::vector<Image>& images);

// only: "", "capture" or "algorithm". files: the --image images, if any.
// libraries: the file each contract's library was loaded from.
std::vector<Result> runChecks(const std::string& only, const std::vector<Image>& files,
                              std::vector<SuiteLibrary>& libraries);

}  // namespace tervo::check

#endif
