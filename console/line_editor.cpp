#include "line_editor.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tervo::console::line_editor {
namespace {

using ReadlineFn = char* (*)(const char*);
using AddHistoryFn = int (*)(const char*);

struct Editor {
    ReadlineFn readline = nullptr;
    AddHistoryFn addHistory = nullptr;
};

// The file names libedit goes by: Debian's, other distributions', the plain one.
constexpr const char* kLibraryNames[] = {"libedit.so.2", "libedit.so.0", "libedit.so"};

Editor load() {
    Editor e;
    if (!isatty(fileno(stdin)) || !isatty(fileno(stdout))) return e;
    for (const char* name : kLibraryNames) {
        void* handle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) continue;
        e.readline = reinterpret_cast<ReadlineFn>(dlsym(handle, "readline"));
        e.addHistory = reinterpret_cast<AddHistoryFn>(dlsym(handle, "add_history"));
        if (e.readline != nullptr && e.addHistory != nullptr) return e;
        e = Editor{};
        dlclose(handle);
    }
    return e;
}

// Loaded once and kept for the life of the process.
const Editor& editor() {
    static const Editor e = load();
    return e;
}

}  // namespace

bool active() {
    return editor().readline != nullptr;
}

bool readLine(const char* prompt, std::string& line) {
    const Editor& e = editor();
    if (e.readline == nullptr) return false;  // no editor: callers read stdin instead
    char* text = e.readline(prompt);
    if (text == nullptr) return false;
    line = text;
    if (line.find_first_not_of(" \t") != std::string::npos) e.addHistory(text);
    std::free(text);
    return true;
}

}  // namespace tervo::console::line_editor
