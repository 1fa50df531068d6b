#include "minutia_recovery.h"

#include <cmath>

#include "angles.h"

namespace tervo::fpr {
namespace {

constexpr int kReachSquared = 8 * 8;
constexpr float kAngleReach = kPiF / 6;

bool sameMinutia(const Minutia& a, const Minutia& b) {
    const int dx = a.x - b.x, dy = a.y - b.y;
    if (dx * dx + dy * dy > kReachSquared) return false;
    const float turn = std::fabs(a.angle - b.angle);
    return std::fmin(turn, 2 * kPiF - turn) <= kAngleReach;
}

bool presentIn(const Minutia& wanted, const std::vector<Minutia>& among) {
    for (const Minutia& m : among) {
        if (sameMinutia(wanted, m)) return true;
    }
    return false;
}

int countPresentIn(const std::vector<Minutia>& wanted, const std::vector<Minutia>& among) {
    int present = 0;
    for (const Minutia& w : wanted) present += presentIn(w, among) ? 1 : 0;
    return present;
}

}  // namespace

int minutiaRecovery(const std::vector<Minutia>& original, const std::vector<Minutia>& restored) {
    const int found = countPresentIn(original, restored);
    const int spurious = static_cast<int>(restored.size()) - countPresentIn(restored, original);
    return found - spurious;
}

float minutiaeLikelyShared(const std::vector<Minutia>& restored,
                           const std::vector<std::vector<Minutia>>& extractions) {
    if (extractions.empty()) return 0.0F;
    int found = 0;
    for (const Minutia& r : restored) {
        for (const std::vector<Minutia>& e : extractions) found += presentIn(r, e) ? 1 : 0;
    }
    return static_cast<float>(found) / static_cast<float>(extractions.size());
}

}  // namespace tervo::fpr
