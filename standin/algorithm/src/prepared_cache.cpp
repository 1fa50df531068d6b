#include "prepared_cache.h"

#include <array>
#include <cstring>
#include <memory>

#include "geometry.h"

namespace tervo::fpr {
namespace {

// Four entries leave room for a probe pair and the gallery templates passing through.
constexpr int kEntries = 4;

struct Entry {
    bool valid = false;
    bool reused = false;  // found again after it was prepared
    std::uint64_t lastUse = 0;
    std::array<std::uint8_t, kTemplateSize> bytes{};
    PreparedTemplate prepared;
};

struct Cache {
    std::uint64_t clock = 0;
    std::array<Entry, kEntries> entries;

    // Slot of a template seen recently, or -1.
    int lookUp(const std::uint8_t* bytes) {
        for (int e = 0; e < kEntries; ++e) {
            if (entries[e].valid && std::memcmp(entries[e].bytes.data(), bytes, kTemplateSize) == 0) {
                entries[e].lastUse = ++clock;
                entries[e].reused = true;
                return e;
            }
        }
        return -1;
    }

    // The slot a new template goes into, never `keep`. A template that passed through once and was
    // not seen again, the latest such, is the one given up: in a search that is the previous gallery
    // template, so every gallery template is prepared into the same entry, whose 10 KB are still in
    // the first-level cache from the call before (taking turns over three entries, as least recently
    // used replacement does, they never were). Without one, the least recently used goes.
    int victim(int keep) const {
        int passing = -1, oldest = -1;
        for (int e = 0; e < kEntries; ++e) {
            if (e == keep) continue;
            if (!entries[e].valid) return e;
            if (!entries[e].reused && (passing < 0 || entries[e].lastUse > entries[passing].lastUse))
                passing = e;
            if (oldest < 0 || entries[e].lastUse < entries[oldest].lastUse) oldest = e;
        }
        return passing >= 0 ? passing : oldest;
    }

    // Slot of a template not seen recently, checked and prepared into any slot but `keep`; -1 for a
    // corrupt template.
    int prepare(const std::uint8_t* bytes, int keep) {
        PackedTemplate checked;
        if (!checkTemplate(bytes, checked)) return -1;
        const int e = victim(keep);
        Entry& slot = entries[e];
        slot.valid = false;  // stays invalid if preparing throws
        prepareTemplate(checked, slot.prepared);
        std::memcpy(slot.bytes.data(), bytes, kTemplateSize);
        slot.valid = true;
        slot.reused = false;
        slot.lastUse = ++clock;
        return e;
    }
};

thread_local std::unique_ptr<Cache> cache;

}  // namespace

bool preparePair(const std::uint8_t* first, const std::uint8_t* second, const PreparedTemplate*& a,
                 const PreparedTemplate*& b) {
    if (!cache) cache = std::make_unique<Cache>();
    // Both looked up before either is prepared, so that a template this call uses is never the one
    // given up for the other.
    const int seenA = cache->lookUp(first), seenB = cache->lookUp(second);
    const int slotA = seenA >= 0 ? seenA : cache->prepare(first, seenB);
    if (slotA < 0) return false;
    int slotB = seenB;
    // The second may be the first again, prepared just now.
    if (slotB < 0 && seenA < 0) slotB = cache->lookUp(second);
    if (slotB < 0) slotB = cache->prepare(second, slotA);
    if (slotB < 0) return false;
    a = &cache->entries[slotA].prepared;
    b = &cache->entries[slotB].prepared;
    return true;
}

void clearPreparedCache() {
    cache.reset();
}

}  // namespace tervo::fpr
