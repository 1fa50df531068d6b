// The one forwarding routine of the run-time loader: look an entry point up
// by name in an open library and call it with the caller's arguments.
#ifndef TERVO_LOADER_FORWARD_H
#define TERVO_LOADER_FORWARD_H

#include <dlfcn.h>

namespace loader {

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
