// Four-lane vectors of the compiler's vector extension: the same source becomes SSE on the build
// machine and NEON on the boards. Every lane goes through exactly the operations the scalar code
// would do, so vectorised stages give the same bits as a plain loop.
#ifndef TERVO_FPR_LANES_H
#define TERVO_FPR_LANES_H

#include <cstdint>

namespace tervo::fpr {

constexpr int kLanes = 4;
typedef float FloatLanes __attribute__((vector_size(16)));
typedef std::int32_t IntLanes __attribute__((vector_size(16)));

inline std::int32_t laneSum(IntLanes v) {
    return v[0] + v[1] + v[2] + v[3];
}

}  // namespace tervo::fpr

#endif
