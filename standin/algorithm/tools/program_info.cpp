#include "program_info.h"

#include <cstdio>
#include <cstring>

#ifndef TERVO_VERSION
#define TERVO_VERSION "unknown"
#endif

namespace tervo::fpr::tools {

bool answeredProgramInfo(int argc, char** argv, const char* name, const char* usage,
                         const char* description) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("%s\n\n%s", usage, description);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", name, TERVO_VERSION);
            return true;
        }
    }
    return false;
}

}  // namespace tervo::fpr::tools
