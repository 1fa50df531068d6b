// Which file answers for a fingerprint library, and whether it is one of the
// project's own (a stand-in or a test double, marked by an ELF note built into
// it) or somebody else's, such as the vendor's. The programs say so on standard
// error whenever they load a library, so that a run is never silently made
// against another pair than the one the operator means to test.
#ifndef TERVO_LOADER_LIBRARY_ORIGIN_H
#define TERVO_LOADER_LIBRARY_ORIGIN_H

#include <string>

namespace tervo::origin {

struct LibraryFile {
    std::string path;     // the loaded file, symbolic links resolved; empty when unknown
    std::string standIn;  // what the project's note calls it; empty for a library not built here
};

// The file behind a handle from dlopen.
LibraryFile fileOfHandle(void* handle);
// The file that defines symbol in the program's global scope, where the
// program's own calls to it are bound.
LibraryFile fileDefining(const char* symbol);

// "tervo stand-in: WHAT" or "not a tervo stand-in".
std::string originText(const LibraryFile& file);
// "PATH (tervo stand-in: WHAT)" or "PATH (not a tervo stand-in)".
std::string describe(const LibraryFile& file);
// "NAME: " and the description, as one line on standard error.
void announce(const char* name, const LibraryFile& file);

}  // namespace tervo::origin

#endif
