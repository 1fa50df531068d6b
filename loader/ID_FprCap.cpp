// The LIVESCAN_ entry points for the run-time loading build. LIVESCAN_Init
// opens libID_FprCap.so once and LIVESCAN_Close releases it; in between every
// entry point forwards through that handle. While the library is not open, or
// lacks an entry point, the answer is 0.
#include "ID_FprCap.h"

#include <type_traits>

#include "forward.h"

// Not part of the contract header; decorated as an ordinary C++ function.
int LIVESCAN_SetGain(char gain);

namespace {

constexpr int kLibraryMissing = -9;
constexpr int kInitMissing = -1;
constexpr int kNotOpen = 0;

void* hDll = nullptr;
std::string openFailure;

}  // namespace

int LIVESCAN_Init() {
    using LPInitfun = decltype(&LIVESCAN_Init);
    if (hDll == nullptr) hDll = tervo::loader::openLibrary("libID_FprCap.so", openFailure, false);
    if (hDll == nullptr) return kLibraryMissing;
    // A failing library LIVESCAN_Init leaves the handle open for the next try.
    return tervo::loader::resolve<LPInitfun, kInitMissing>(hDll, "LIVESCAN_Init")();
}

int LIVESCAN_Close() {
    using LPClose = decltype(&LIVESCAN_Close);
    if (hDll == nullptr) return kLibraryMissing;
    const LPClose close = tervo::loader::lookup<LPClose>(hDll, "LIVESCAN_Close");
    if (close == nullptr) return kNotOpen;
    const int ret = close();
    dlclose(hDll);
    hDll = nullptr;
    return ret;
}

// Every other entry point: its pointer type declared inside it, the symbol of
// its own name looked up on every call.
// The rows pass types and parameter lists, which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define TERVO_LIVESCAN_LIFECYCLE(name, type, parameters, arguments) \
    static_assert(std::is_same_v<decltype(&name), int(*) parameters>, #name " differs from its header");
#define TERVO_LIVESCAN_ENTRY(name, type, parameters, arguments)               \
    TERVO_LIVESCAN_LIFECYCLE(name, type, parameters, arguments)               \
    int name parameters {                                                     \
        using type = decltype(&name);                                         \
        return tervo::loader::resolve<type, kNotOpen>(hDll, #name) arguments; \
    }
// NOLINTEND(bugprone-macro-parentheses)
#include "livescan_entries.def"
#undef TERVO_LIVESCAN_ENTRY
#undef TERVO_LIVESCAN_LIFECYCLE

// The library's LIVESCAN_SetGain takes the gain as an unsigned byte.
int LIVESCAN_SetGain(char gain) {
    using LPSetGain = int (*)(unsigned char);
    return tervo::loader::resolve<LPSetGain, kNotOpen>(hDll,
                                                       "LIVESCAN_SetGain")(static_cast<unsigned char>(gain));
}
