// --help and --version for the algorithm tools.
#ifndef TERVO_FPR_TOOLS_PROGRAM_INFO_H
#define TERVO_FPR_TOOLS_PROGRAM_INFO_H

namespace tervo::fpr::tools {

// When an argument is --help (the usage and what the tool does, on standard
// output) or --version, prints the answer and returns true.
bool answeredProgramInfo(int argc, char** argv, const char* name, const char* usage, const char* description);

}  // namespace tervo::fpr::tools

#endif
