#include "minutiae.h"

#include <algorithm>
#include <cmath>

#include <cstdlib>
namespace tervo::fpr {
namespace {
float knob(const char* name, float fallback) {
    const char* v = std::getenv(name);
    return v ? static_cast<float>(std::atof(v)) : fallback;
}

constexpr float kPi = 3.14159265358979F;
constexpr int kBorderMargin = 12;  // pixels kept clear of the foreground edge
constexpr float kMinMinutiaCoherence = 0.2F;
constexpr int kDirectionSteps = 10;  // skeleton steps traced to read a minutia's direction
constexpr int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

struct Candidate {
    Minutia m;
    bool removed = false;
};

struct TraceEnd {
    int x = 0, y = 0, steps = 0;
    int headX = 0, headY = 0;  // where the trace was after kDirectionSteps (or where it stopped)
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
        if (step <= kDirectionSteps) {
            end.headX = x;
            end.headY = y;
        }
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
    while (a < 0) a += 2 * kPi;
    while (a >= 2 * kPi) a -= 2 * kPi;
    return a;
}

float angularDistance(float a, float b) {
    const float d = std::fabs(wrapAngle(a - b));
    return std::min(d, 2 * kPi - d);
}

// The traced direction is coarse; the orientation field is smooth but ambiguous by pi. Take the field
// direction nearest to the traced one unless the two disagree badly (then the field is wrong here).
float refineAngle(float traced, float ridgeOrientation) {
    const float a = wrapAngle(ridgeOrientation), b = wrapAngle(ridgeOrientation + kPi);
    const float best = angularDistance(traced, a) < angularDistance(traced, b) ? a : b;
    return angularDistance(traced, best) < kPi / 6 ? best : traced;
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

}  // namespace

std::vector<Minutia> detectMinutiae(const std::vector<std::uint8_t>& skeleton, const RidgeFields& f) {
    static const float kSpur = knob("K_SPUR", 1.3F);
    static const float kSpurCap = knob("K_SPURCAP", 10);
    static const float kBifSpur = knob("K_BIFSPUR", 0.5F);
    static const float kFaceGap = knob("K_FACEGAP", 1.6F);
    static const float kFaceAngle = knob("K_FACEANGLE", 0.6F);
    static const float kFaceLong = knob("K_FACELONG", 0.0F);      // aligned facing gap, periods
    static const float kFaceLateral = knob("K_FACELAT", 0.5F);    // lateral offset, periods
    static const float kBridge = knob("K_BRIDGE", 0.0F);          // bridge length, periods
    static const float kBridgeAngle = knob("K_BRIDGEANGLE", 0.25F);  // min |sin| chord vs orientation... in turns of pi
    static const float kLake = knob("K_LAKE", 0.0F);
    static const int kRelMode = static_cast<int>(knob("K_REL", 0));
    const SkeletonView view(skeleton);
    const std::vector<std::uint8_t> interior = interiorMask(f);
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
    const int traceSteps = static_cast<int>(std::max({kSpurCap, 2.0F * kBridge * 18.0F, kLake * 18.0F, 10.0F}));
    std::vector<int> ridgeLength(candidates.size(), 0);
    // Everything is judged on the full candidate list before anything is dropped, so that both members
    // of a false pair are found.
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        Candidate& c = candidates[i];
        const int block = f.index(c.m.x / kBlockSize, c.m.y / kBlockSize);
        const float period = f.period[block];
        const int spanRidge = static_cast<int>(std::lround(std::max(8.0F, kSpur * period)));
        const int shortRidge = std::min(static_cast<int>(kSpurCap), spanRidge);
        int starts[8][2];
        const int branches = view.branchStarts(c.m.x, c.m.y, starts);
        if (c.m.type == MinutiaType::Ending) {
            const TraceEnd end = trace(view, c.m.x, c.m.y, starts[0][0], starts[0][1], traceSteps);
            if (end.hitMinutia && end.steps <= shortRidge) removeWithPartner(candidates, i, end.hitIndex);
            ridgeLength[i] = end.steps;
            const float traced = std::atan2(float(end.headY - c.m.y), float(end.headX - c.m.x));
            c.m.angle = refineAngle(wrapAngle(traced), f.orientation[block]);
        } else {
            float angles[3];
            int hits[3] = {-1, -1, -1}, hitSteps[3] = {0, 0, 0};
            int shortest = 1000;
            for (int b = 0; b < std::min(branches, 3); ++b) {
                const TraceEnd end = trace(view, c.m.x, c.m.y, starts[b][0], starts[b][1], traceSteps);
                if (end.hitMinutia && end.steps <= static_cast<int>(spanRidge * kBifSpur) + 2)
                    removeWithPartner(candidates, i, end.hitIndex);
                if (end.hitMinutia) {
                    hits[b] = end.hitIndex;
                    hitSteps[b] = end.steps;
                }
                shortest = std::min(shortest, end.steps);
                angles[b] = wrapAngle(std::atan2(float(end.headY - c.m.y), float(end.headX - c.m.x)));
            }
            ridgeLength[i] = shortest;
            if (branches != 3) {
                c.removed = true;
                continue;
            }
            for (int b = 0; b < 3; ++b) {
                if (hits[b] < 0) continue;
                const int hx = hits[b] % kWidth, hy = hits[b] / kWidth;
                // A bridge: a short branch across the ridge flow into another branch point.
                if (kBridge > 0 && hitSteps[b] <= kBridge * period && view.crossingNumber(hx, hy) >= 3) {
                    const float chord = std::atan2(float(hy - c.m.y), float(hx - c.m.x));
                    const float across = std::fabs(std::sin(chord - f.orientation[block]));
                    if (across >= std::sin(kBridgeAngle * kPi)) removeWithPartner(candidates, i, hits[b]);
                }
                // A lake: two branches meet again at the same branch point.
                for (int o = b + 1; o < 3; ++o) {
                    if (kLake > 0 && hits[o] == hits[b] && hitSteps[b] + hitSteps[o] <= 2 * kLake * period)
                        removeWithPartner(candidates, i, hits[b]);
                }
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
            c.m.angle = refineAngle(wrapAngle(between), f.orientation[block]);
        }
        if (!interior[c.m.y * kWidth + c.m.x] || f.coherence[block] < kMinMinutiaCoherence) c.removed = true;
        static const float kEndClarity = knob("K_ENDCLAR", 0.0F);
        if (c.m.type == MinutiaType::Ending && f.clarity[block] < kEndClarity) c.removed = true;
    }
    // Two endings facing each other across a short gap are one broken ridge.
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            Candidate &a = candidates[i], &b = candidates[j];
            if (a.m.type != MinutiaType::Ending || b.m.type != MinutiaType::Ending) continue;
            const float period = f.period[f.index(a.m.x / kBlockSize, a.m.y / kBlockSize)];
            const float d = distance(a.m, b.m);
            if (d > std::max(kFaceGap, kFaceLong) * period) continue;
            if (angularDistance(a.m.angle, b.m.angle) <= kPi * kFaceAngle) continue;
            static const bool kAlignAll = knob("K_ALIGNALL", 0) > 0;
            if (!kAlignAll && d <= kFaceGap * period) {
                a.removed = b.removed = true;
                continue;
            }
            // Longer gaps only along the ridge: b lies ahead of a, little to the side.
            const float ux = -std::cos(a.m.angle), uy = -std::sin(a.m.angle);
            const float vx = -std::cos(b.m.angle), vy = -std::sin(b.m.angle);
            const float dx = float(b.m.x - a.m.x), dy = float(b.m.y - a.m.y);
            const float lateralA = std::fabs(dx * uy - dy * ux), lateralB = std::fabs(dx * vy - dy * vx);
            const bool ahead = dx * ux + dy * uy > 0 && -(dx * vx + dy * vy) > 0;
            if (ahead && std::max(lateralA, lateralB) <= kFaceLateral * period) a.removed = b.removed = true;
        }
    }
    // Dense clusters are noise: no real print packs four minutiae within a short radius.
    std::vector<int> crowd(candidates.size(), 0);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            static const float kCrowdR = knob("K_CROWDR", 10.0F);
            if (distance(candidates[i].m, candidates[j].m) < kCrowdR) {
                ++crowd[i];
                ++crowd[j];
            }
        }
    }
    std::vector<Minutia> result;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        Candidate& c = candidates[i];
        static const int kCrowdN = static_cast<int>(knob("K_CROWDN", 3));
        if (c.removed || crowd[i] >= kCrowdN) continue;
        const int block = f.index(c.m.x / kBlockSize, c.m.y / kBlockSize);
        float score = std::sqrt(f.coherence[block]) * (0.5F + 0.5F * std::sqrt(f.clarity[block]));
        if (kRelMode & 1) score *= std::min(1.0F, 0.5F + 0.5F * ridgeLength[i] / (2.0F * f.period[block]));
        if (kRelMode & 2) score *= 1.0F / (1.0F + 0.3F * crowd[i]);
        if (kRelMode & 4) {
            static const int r = static_cast<int>(knob("K_DEPTHR", 4));
            const int bx = c.m.x / kBlockSize, by = c.m.y / kBlockSize;
            int inside = 0, all = 0;
            for (int yy = by - r; yy <= by + r; ++yy)
                for (int xx = bx - r; xx <= bx + r; ++xx) {
                    ++all;
                    if (xx >= 0 && yy >= 0 && xx < kBlocksX && yy < kBlocksY) inside += f.foreground[f.index(xx, yy)];
                }
            static const float w = knob("K_DEPTHW", 0.5F);
            score *= (1.0F - w) + w * float(inside) / float(all);
        }
        if (kRelMode & 8) {
            static const float rad = knob("K_DENSR", 16.0F);
            static const float w = knob("K_DENSW", 0.15F);
            int n = 0;
            for (std::size_t j = 0; j < candidates.size(); ++j)
                if (j != i && !candidates[j].removed && distance(c.m, candidates[j].m) < rad) ++n;
            score /= 1.0F + w * n;
        }
        c.m.reliability = static_cast<std::uint8_t>(std::clamp(std::lround(100.0F * score), 1L, 100L));
        result.push_back(c.m);
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const Minutia& a, const Minutia& b) { return a.reliability > b.reliability; });
    return result;
}

}  // namespace tervo::fpr
