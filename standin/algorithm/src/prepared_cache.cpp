#include "prepared_cache.h"

#include <array>
#include <cstring>
#include <memory>

#include "geometry.h"

namespace tervo::fpr {
namespace {

// A probe is used on every call of a search, so it stays the most recently used entry and is never
// the one replaced; four entries leave room for a probe pair and the gallery templates passing through.
constexpr int kEntries = 4;

struct Entry {
    bool valid = false;
    bool secondPlaceReady = false;  // see prepareSecondPlace
    std::uint64_t lastUse = 0;
    std::array<std::uint8_t, kTemplateSize> bytes{};
    PreparedTemplate prepared;
};

struct Cache {
    std::uint64_t clock = 0;
    std::array<Entry, kEntries> entries;

    // Slot of the template, prepared if it was not there; -1 for a corrupt template. The slot `keep`
    // is not replaced.
    int find(const std::uint8_t* bytes, int keep) {
        for (int e = 0; e < kEntries; ++e) {
            if (entries[e].valid && std::memcmp(entries[e].bytes.data(), bytes, kTemplateSize) == 0) {
                entries[e].lastUse = ++clock;
                return e;
            }
        }
        PackedTemplate checked;
        if (!checkTemplate(bytes, checked)) return -1;
        int victim = keep == 0 ? 1 : 0;
        for (int e = 0; e < kEntries; ++e) {
            if (e != keep && entries[e].lastUse < entries[victim].lastUse) victim = e;
        }
        Entry& slot = entries[victim];
        slot.valid = false;  // stays invalid if preparing throws
        prepareFirstPlace(checked, slot.prepared);
        slot.secondPlaceReady = false;
        std::memcpy(slot.bytes.data(), bytes, kTemplateSize);
        slot.valid = true;
        slot.lastUse = ++clock;
        return victim;
    }
};

thread_local std::unique_ptr<Cache> cache;

}  // namespace

bool preparePair(const std::uint8_t* first, const std::uint8_t* second, const PreparedTemplate*& a,
                 const PreparedTemplate*& b) {
    if (!cache) cache = std::make_unique<Cache>();
    const int slotA = cache->find(first, -1);
    if (slotA < 0) return false;
    const int slotB = cache->find(second, slotA);
    if (slotB < 0) return false;
    Entry& entryA = cache->entries[slotA];
    Entry& entryB = cache->entries[slotB];
    // Only the template the comparison puts second needs the rest of its preparation.
    Entry& placedSecond = goesFirst(entryA.prepared, entryB.prepared) ? entryB : entryA;
    if (!placedSecond.secondPlaceReady) {
        prepareSecondPlace(placedSecond.prepared);
        placedSecond.secondPlaceReady = true;
    }
    a = &entryA.prepared;
    b = &entryB.prepared;
    return true;
}

void clearPreparedCache() {
    cache.reset();
}

}  // namespace tervo::fpr
