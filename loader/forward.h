// The one forwarding routine of the run-time loader: look an entry point up
// by name in an open library and call it with the caller's arguments.
#ifndef TERVO_LOADER_FORWARD_H
#define TERVO_LOADER_FORWARD_H

#include <dlfcn.h>

#include <cstdio>
#include <string>

namespace loader {

// Opens a library by file name. When the dynamic loader cannot, its reason
// goes to standard error (standard output is the console's own), once until
// the library opens or the reason changes: the algorithm family tries again
// on every call. lastFailure is the caller's memory of the reason last told.
inline void* openLibrary(const char* file, std::string& lastFailure) {
    void* handle = dlopen(file, RTLD_LAZY);
    if (handle != nullptr) {
        lastFailure.clear();
        return handle;
    }
    const char* reason = dlerror();
    const std::string text = reason != nullptr ? reason : std::string(file) + ": cannot be opened";
    if (text != lastFailure) std::fprintf(stderr, "%s\n", text.c_str());
    lastFailure = text;
    return nullptr;
}

// The entry point name, in the library handle, as a pointer of the given type;
// null when the library lacks it. Looked up anew on every call: a library
// replaced between calls is used as it is now.
template <class Fn>
Fn lookup(void* handle, const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

// Calls the entry point, or answers missing when the library lacks it.
template <class Fn, class... Args>
int callOr(int missing, void* handle, const char* name, Args... args) {
    const Fn fn = lookup<Fn>(handle, name);
    return fn != nullptr ? fn(args...) : missing;
}

}  // namespace loader

#endif
