// The one forwarding routine of the run-time loader: look an entry point up
// by name in an open library and call it with the caller's arguments.
#ifndef TERVO_LOADER_FORWARD_H
#define TERVO_LOADER_FORWARD_H

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "library_origin.h"

namespace tervo::loader {

// Opens a library by file name. When the dynamic loader cannot, its reason
// goes to standard error (standard output is the console's own), once until
// the library opens or the reason changes: the algorithm family tries again
// on every call. lastFailure is the caller's memory of the reason last told.
// A library opened while the caller held no handle to it is named there too,
// with the file it came from and whether it is one of the project's own.
inline void* openLibrary(const char* file, std::string& lastFailure, bool heldBefore) {
    void* handle = dlopen(file, RTLD_LAZY);
    if (handle != nullptr) {
        lastFailure.clear();
        if (!heldBefore) tervo::origin::announce(file, tervo::origin::fileOfHandle(handle));
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

// What an entry point that cannot be called answers: the given code, whatever
// the arguments.
template <class Fn, int code>
struct Absent;
template <class... Args, int code>
struct Absent<int (*)(Args...), code> {
    static int answer(Args...) { return code; }
};

// The entry point name in the library handle, or, when there is no handle or
// the library lacks it, a function of the same type that answers missing.
template <class Fn, int missing>
Fn resolve(void* handle, const char* name) {
    const Fn fn = handle != nullptr ? lookup<Fn>(handle, name) : nullptr;
    return fn != nullptr ? fn : &Absent<Fn, missing>::answer;
}

}  // namespace tervo::loader

#endif
