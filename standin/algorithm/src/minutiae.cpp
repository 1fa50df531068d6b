#include "minutiae.h"

#include <algorithm>
#include <cmath>

#include "angles.h"
#include "parameters.h"

namespace tervo::fpr {
namespace {

constexpr int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

struct Candidate {
    Minutia m;
    bool removed = false;
};

struct TraceEnd {
    int x = 0, y = 0, steps = 0;
    bool hitMinutia = false;
    int hitIndex = -1;  // pixel index of the minutia met
};

class SkeletonView {
  public:
    explicit SkeletonView(const std::vector<std::uint8_t>& skeleton) : s_(skeleton) {}
    bool on(int x, int y) const {
        return x >= 0 && y >= 0 && x < kWidth && y < kHeight && s_[y * kWidth + x];
    }
    // Number of 0->1 transitions around the 8-neighbour cycle: 1 ending, 2 ridge, 3+ branch point.
    int crossingNumber(int x, int y) const {
        int transitions = 0;
        for (int k = 0; k < 8; ++k) {
            transitions +=
                (!on(x + kDx[k], y + kDy[k]) && on(x + kDx[(k + 1) % 8], y + kDy[(k + 1) % 8])) ? 1 : 0;
        }
        return transitions;
    }
    // First skeleton pixel of each branch leaving (x, y): the pixel that ends each run of neighbours
    // preceded by a gap, so two touching neighbours count once.
    int branchStarts(int x, int y, int (*starts)[2]) const {
        int n = 0;
        for (int k = 0; k < 8; ++k) {
            const int next = (k + 1) % 8;
            if (!on(x + kDx[k], y + kDy[k]) && on(x + kDx[next], y + kDy[next]) && n < 8) {
                starts[n][0] = x + kDx[next];
                starts[n][1] = y + kDy[next];
                ++n;
            }
        }
        return n;
    }

  private:
    const std::vector<std::uint8_t>& s_;
};

// Walks along the skeleton from a minutia through one of its branch pixels for at most maxSteps,
// stopping at the next ending or branch point.
TraceEnd trace(const SkeletonView& view, int mx, int my, int sx, int sy, int maxSteps) {
    int visited[64][2];
    int visitedCount = 0;
    auto isVisited = [&](int x, int y) {
        if (x == mx && y == my) return true;
        for (int i = 0; i < visitedCount; ++i) {
            if (visited[i][0] == x && visited[i][1] == y) return true;
        }
        return false;
    };
    TraceEnd end;
    int x = sx, y = sy;
    for (int step = 1; step <= maxSteps && visitedCount < 64; ++step) {
        visited[visitedCount][0] = x;
        visited[visitedCount][1] = y;
        ++visitedCount;
        end.x = x;
        end.y = y;
        end.steps = step;
        if (view.crossingNumber(x, y) != 2) {
            end.hitMinutia = true;
            end.hitIndex = y * kWidth + x;
            return end;
        }
        int nextX = -1, nextY = -1;
        for (int k = 0; k < 8; ++k) {
            const int nx = x + kDx[k], ny = y + kDy[k];
            if (view.on(nx, ny) && !isVisited(nx, ny)) {
                // Edge neighbours first: on a staircase the diagonal would skip a pixel and leave it to
                // be walked back into later.
                const bool edge = kDx[k] == 0 || kDy[k] == 0;
                if (nextX < 0 || edge) {
                    nextX = nx;
                    nextY = ny;
                    if (edge) break;
                }
            }
        }
        if (nextX < 0) break;
        x = nextX;
        y = nextY;
    }
    return end;
}

float wrapAngle(float a) {
    while (a < 0) a += 2 * kPiF;
    while (a >= 2 * kPiF) a -= 2 * kPiF;
    return a;
}

float angularDistance(float a, float b) {
    const float d = std::fabs(wrapAngle(a - b));
    return std::min(d, 2 * kPiF - d);
}

// The traced direction is coarse; the orientation field is smooth but ambiguous by pi. Take the field
// direction nearest to the traced one unless the two disagree badly (then the field is wrong here).
float refineAngle(float traced, float ridgeOrientation) {
    const float a = wrapAngle(ridgeOrientation), b = wrapAngle(ridgeOrientation + kPiF);
    const float best = angularDistance(traced, a) < angularDistance(traced, b) ? a : b;
    return angularDistance(traced, best) < kPiF / 6 ? best : traced;
}

// Ridge orientation at a pixel, blended between the four nearest block centres as doubled-angle
// vectors, so that a minutia near a block edge does not snap to the neighbouring block's direction.
float orientationAt(const RidgeFields& f, int x, int y) {
    const float gx = std::clamp((x + 0.5F) / kBlockSize - 0.5F, 0.0F, kBlocksX - 1.0F);
    const float gy = std::clamp((y + 0.5F) / kBlockSize - 0.5F, 0.0F, kBlocksY - 1.0F);
    const int x0 = static_cast<int>(gx), y0 = static_cast<int>(gy);
    const int x1 = std::min(x0 + 1, kBlocksX - 1), y1 = std::min(y0 + 1, kBlocksY - 1);
    const float fx = gx - x0, fy = gy - y0;
    float c = 0.0F, s = 0.0F;
    auto add = [&](int bx, int by, float w) {
        const float theta = f.orientation[f.index(bx, by)];
        c += w * std::cos(2.0F * theta);
        s += w * std::sin(2.0F * theta);
    };
    add(x0, y0, (1 - fx) * (1 - fy));
    add(x1, y0, fx * (1 - fy));
    add(x0, y1, (1 - fx) * fy);
    add(x1, y1, fx * fy);
    return 0.5F * std::atan2(s, c);
}

std::vector<std::uint8_t> interiorMask(const RidgeFields& f) {
    // Integral image of background pixels: a pixel is interior when no background lies within the margin.
    std::vector<int> sums((kWidth + 1) * (kHeight + 1), 0);
    for (int y = 0; y < kHeight; ++y) {
        int row = 0;
        for (int x = 0; x < kWidth; ++x) {
            row += f.foreground[f.index(x / kBlockSize, y / kBlockSize)] ? 0 : 1;
            sums[(y + 1) * (kWidth + 1) + x + 1] = sums[y * (kWidth + 1) + x + 1] + row;
        }
    }
    std::vector<std::uint8_t> interior(kPixelCount, 0);
    const int r = kBorderMargin;
    for (int y = r; y < kHeight - r; ++y) {
        for (int x = r; x < kWidth - r; ++x) {
            const int x0 = x - r, y0 = y - r, x1 = x + r + 1, y1 = y + r + 1;
            const int background = sums[y1 * (kWidth + 1) + x1] - sums[y0 * (kWidth + 1) + x1] -
                                   sums[y1 * (kWidth + 1) + x0] + sums[y0 * (kWidth + 1) + x0];
            interior[y * kWidth + x] = background == 0 ? 1 : 0;
        }
    }
    return interior;
}

int findCandidate(const std::vector<Candidate>& c, int pixelIndex) {
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (c[i].m.y * kWidth + c[i].m.x == pixelIndex) return static_cast<int>(i);
    }
    return -1;
}

void removeWithPartner(std::vector<Candidate>& c, std::size_t i, int partnerPixel) {
    c[i].removed = true;
    const int j = findCandidate(c, partnerPixel);
    if (j >= 0) c[j].removed = true;
}

float distance(const Minutia& a, const Minutia& b) {
    return std::hypot(float(a.x - b.x), float(a.y - b.y));
}

// Endings point into their ridge, so the gap of a broken ridge lies behind each of them: b must be
// behind a, a behind b, and both close to the other's line.
bool brokenRidge(const Minutia& a, const Minutia& b, float period) {
    if (a.type != MinutiaType::Ending || b.type != MinutiaType::Ending) return false;
    if (distance(a, b) > kBrokenRidgeGap * period) return false;
    if (angularDistance(a.angle, b.angle) <= kFacingAngle) return false;
    const float ax = -std::cos(a.angle), ay = -std::sin(a.angle);
    const float bx = -std::cos(b.angle), by = -std::sin(b.angle);
    const float dx = float(b.x - a.x), dy = float(b.y - a.y);
    const bool behindBoth = dx * ax + dy * ay > 0 && dx * bx + dy * by < 0;
    const float offset = std::max(std::fabs(dx * ay - dy * ax), std::fabs(dx * by - dy * bx));
    return behindBoth && offset <= kBrokenRidgeOffset * period;
}

// Survivors of the removal rules within kCrowdRadius of candidate i.
int neighboursOf(const std::vector<Candidate>& c, std::size_t i) {
    int n = 0;
    for (std::size_t j = 0; j < c.size(); ++j) {
        const float dx = float(c[i].m.x - c[j].m.x), dy = float(c[i].m.y - c[j].m.y);
        n += j != i && !c[j].removed && dx * dx + dy * dy < kCrowdRadius * kCrowdRadius ? 1 : 0;
    }
    return n;
}

// Stage 1: every skeleton pixel with one or three branches is a candidate.
std::vector<Candidate> findCandidates(const std::vector<std::uint8_t>& skeleton, const SkeletonView& view) {
    std::vector<Candidate> candidates;
    for (int y = 1; y < kHeight - 1; ++y) {
        for (int x = 1; x < kWidth - 1; ++x) {
            if (!skeleton[y * kWidth + x]) continue;
            const int cn = view.crossingNumber(x, y);
            if (cn != 1 && cn != 3) continue;
            Candidate c;
            c.m.x = x;
            c.m.y = y;
            c.m.type = cn == 1 ? MinutiaType::Ending : MinutiaType::Bifurcation;
            candidates.push_back(c);
        }
    }
    return candidates;
}

// Stage 2 for one candidate: traces its branches for its direction, and removes it with its partner
// when a branch reaches another minutia within a short ridge, or alone outside the interior or where
// the flow is incoherent.
void directAndScreen(std::vector<Candidate>& candidates, std::size_t i, const SkeletonView& view,
                     const RidgeFields& f, const std::vector<std::uint8_t>& interior) {
    Candidate& c = candidates[i];
    const int block = f.index(c.m.x / kBlockSize, c.m.y / kBlockSize);
    const float period = f.period[block];
    const int shortRidge =
        static_cast<int>(std::lround(std::max(kShortRidgeMin, kShortRidgePeriods * period)));
    int starts[8][2];
    const int branches = view.branchStarts(c.m.x, c.m.y, starts);
    if (c.m.type == MinutiaType::Ending) {
        const TraceEnd end = trace(view, c.m.x, c.m.y, starts[0][0], starts[0][1], kDirectionSteps);
        if (end.hitMinutia && end.steps <= shortRidge) removeWithPartner(candidates, i, end.hitIndex);
        const float traced = std::atan2(float(end.y - c.m.y), float(end.x - c.m.x));
        c.m.angle = refineAngle(wrapAngle(traced), orientationAt(f, c.m.x, c.m.y));
    } else {
        float angles[3];
        for (int b = 0; b < std::min(branches, 3); ++b) {
            const TraceEnd end = trace(view, c.m.x, c.m.y, starts[b][0], starts[b][1], kDirectionSteps);
            if (end.hitMinutia && end.steps <= shortRidge / 2 + 2)
                removeWithPartner(candidates, i, end.hitIndex);
            angles[b] = wrapAngle(std::atan2(float(end.y - c.m.y), float(end.x - c.m.x)));
        }
        if (branches != 3) {
            c.removed = true;
            return;
        }
        // The two branches closest in angle are the forks; the direction runs between them.
        int stem = 0;
        float widest = -1.0F;
        for (int b = 0; b < 3; ++b) {
            const float gap = angularDistance(angles[(b + 1) % 3], angles[(b + 2) % 3]);
            if (widest < 0 || gap < widest) {
                widest = gap;
                stem = b;
            }
        }
        const float fa = angles[(stem + 1) % 3], fb = angles[(stem + 2) % 3];
        const float between = std::atan2(std::sin(fa) + std::sin(fb), std::cos(fa) + std::cos(fb));
        c.m.angle = refineAngle(wrapAngle(between), orientationAt(f, c.m.x, c.m.y));
    }
    if (!interior[c.m.y * kWidth + c.m.x] || f.coherence[block] < kMinMinutiaCoherence ||
        !f.recoverable[block])
        c.removed = true;
}

// Stage 3: both endings of a broken ridge go.
void removeBrokenRidges(std::vector<Candidate>& candidates, const RidgeFields& f) {
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            Candidate &a = candidates[i], &b = candidates[j];
            const float period = f.period[f.index(a.m.x / kBlockSize, a.m.y / kBlockSize)];
            if (brokenRidge(a.m, b.m, period)) a.removed = b.removed = true;
        }
    }
}

// Stage 4: candidates within kClusterRadius of each candidate, removed ones included.
std::vector<int> clusterCounts(const std::vector<Candidate>& candidates) {
    std::vector<int> crowd(candidates.size(), 0);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            if (distance(candidates[i].m, candidates[j].m) < kClusterRadius) {
                ++crowd[i];
                ++crowd[j];
            }
        }
    }
    return crowd;
}

// Stage 5: survivors outside clusters, scored by the clearness of their block and how alone they are,
// the most reliable first.
std::vector<Minutia> scoreSurvivors(std::vector<Candidate>& candidates, const std::vector<int>& crowd,
                                    const RidgeFields& f) {
    std::vector<Minutia> result;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        Candidate& c = candidates[i];
        if (c.removed || crowd[i] >= kMaxClusterNeighbours) continue;
        const int block = f.index(c.m.x / kBlockSize, c.m.y / kBlockSize);
        const float clearness = std::sqrt(f.coherence[block]) * (0.5F + 0.5F * std::sqrt(f.clarity[block]));
        const float score =
            clearness / (1.0F + kCrowdPenalty * static_cast<float>(neighboursOf(candidates, i)));
        c.m.reliability = static_cast<std::uint8_t>(std::clamp(std::lround(100.0F * score), 1L, 100L));
        result.push_back(c.m);
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const Minutia& a, const Minutia& b) { return a.reliability > b.reliability; });
    return result;
}

}  // namespace

std::vector<Minutia> detectMinutiae(const std::vector<std::uint8_t>& skeleton, const RidgeFields& f) {
    const SkeletonView view(skeleton);
    const std::vector<std::uint8_t> interior = interiorMask(f);
    std::vector<Candidate> candidates = findCandidates(skeleton, view);
    // Every candidate is judged on the full list before any is dropped, so that both members of a
    // false pair are found.
    for (std::size_t i = 0; i < candidates.size(); ++i) directAndScreen(candidates, i, view, f, interior);
    removeBrokenRidges(candidates, f);
    const std::vector<int> crowd = clusterCounts(candidates);
    return scoreSurvivors(candidates, crowd, f);
}

}  // namespace tervo::fpr
