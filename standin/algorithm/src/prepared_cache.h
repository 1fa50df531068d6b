// The prepared form of the last few templates this thread compared, so that a one-to-many search
// prepares its probe once. Each thread has its own few entries: no locks, and nothing one thread does
// can change what another one reads.
#ifndef TERVO_FPR_PREPARED_CACHE_H
#define TERVO_FPR_PREPARED_CACHE_H

#include <cstdint>

#include "local_structures.h"

namespace tervo::fpr {

// Checks both 512-byte templates (layout and checksum) and returns their prepared forms, ready for
// matchPrepared on the two of them (the one it puts first lacks what is read of the second only),
// which stay valid until this thread's next call. A template equal byte for byte to one seen recently is not
// checked or prepared again. False when either template is corrupt.
bool preparePair(const std::uint8_t* first, const std::uint8_t* second, const PreparedTemplate*& a,
                 const PreparedTemplate*& b);

// Forgets this thread's entries.
void clearPreparedCache();

}  // namespace tervo::fpr

#endif
