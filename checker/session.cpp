#include "session.h"

#include <dlfcn.h>

#include <cstring>

namespace tervo::check {

void* openLibrary(const char* file, std::string& error) {
    void* handle = dlopen(file, RTLD_LAZY);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : std::string("cannot open ") + file;
    }
    return handle;
}

void* Session::library(const char* entryPoint) {
    const bool capture = std::strncmp(entryPoint, "LIVESCAN_", 9) == 0;
    void*& handle = capture ? capture_ : algorithm_;
    if (handle == nullptr) {
        std::string error;
        handle = openLibrary(capture ? kCaptureLibrary : kAlgorithmLibrary, error);
        if (handle == nullptr) throw CheckFailed{error};
    }
    return handle;
}

}  // namespace tervo::check
