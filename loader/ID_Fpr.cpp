// The FP_ entry points for the run-time loading build: every call opens
// libID_Fpr.so by name and forwards to the library's own entry point. A missing
// library answers -9, a missing entry point -10.
#include "ID_Fpr.h"

#include <type_traits>

#include "forward.h"

namespace {

constexpr int kLibraryMissing = -9;
constexpr int kEntryPointMissing = -10;

void* dllHandle = nullptr;
std::string openFailure;

// One function-pointer type per entry point, its name with a p prefix.
// The rows pass types and parameter lists, which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define TERVO_FP_ENTRY(name, parameters, arguments)                                                      \
    static_assert(std::is_same_v<decltype(&name), int(*) parameters>, #name " differs from its header"); \
    using p##name = decltype(&name);
#define TERVO_FP_LIFECYCLE TERVO_FP_ENTRY
// NOLINTEND(bugprone-macro-parentheses)
#include "fp_entries.def"
#undef TERVO_FP_LIFECYCLE
#undef TERVO_FP_ENTRY

// Each call adds a reference to the library; start-up's FP_Begin keeps it
// loaded for the life of the process, so reopening is cheap. The file is named
// on standard error at the first open and at the first after FP_End.
bool openLibrary() {
    dllHandle = tervo::loader::openLibrary("libID_Fpr.so", openFailure, dllHandle != nullptr);
    return dllHandle != nullptr;
}

}  // namespace

// Every entry point but FP_End: open, look the symbol of its own name up and
// call it with the caller's arguments.
// The rows pass types and parameter lists, which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define TERVO_FP_ENTRY(name, parameters, arguments)                                             \
    int name parameters {                                                                       \
        if (!openLibrary()) return kLibraryMissing;                                             \
        return tervo::loader::resolve<p##name, kEntryPointMissing>(dllHandle, #name) arguments; \
    }
#define TERVO_FP_LIFECYCLE(name, parameters, arguments)
// NOLINTEND(bugprone-macro-parentheses)
#include "fp_entries.def"
#undef TERVO_FP_LIFECYCLE
#undef TERVO_FP_ENTRY

int FP_End() {
    if (!openLibrary()) return kLibraryMissing;
    const pFP_End end = tervo::loader::lookup<pFP_End>(dllHandle, "FP_End");
    if (end == nullptr) return kEntryPointMissing;
    const int ret = end();
    // One reference for this call's own open; the library's state after its
    // FP_End is the library's business.
    dlclose(dllHandle);
    dllHandle = nullptr;
    return ret;
}
