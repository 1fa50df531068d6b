#include "minutiae_overlap.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "sensor_geometry.h"

namespace tervo::test::printcheck {
namespace {

using tervo::synth::MasterPoint;

// Inverts the sensor-to-master mapping by fixed-point iteration; the
// distortion is small and smooth, so a few rounds converge to well under a pixel.
std::optional<MasterPoint> masterToSensor(const AnalysedImpression& impression, MasterPoint target) {
    const double rotation = impression.plan.placement.rotation;
    const double c = std::cos(rotation), s = std::sin(rotation);
    MasterPoint sensor{tervo::synth::kSensorWidth / 2.0, tervo::synth::kSensorHeight / 2.0};
    for (int round = 0; round < 12; ++round) {
        const MasterPoint seen =
            tervo::synth::sensorToMaster(impression.plan, *impression.master, sensor.x, sensor.y);
        const double ex = target.x - seen.x, ey = target.y - seen.y;
        sensor.x += c * ex + s * ey;
        sensor.y += -s * ex + c * ey;
    }
    return sensor;
}

bool covers(const AnalysedImpression& impression, MasterPoint point) {
    const std::optional<MasterPoint> sensor = masterToSensor(impression, point);
    if (!sensor) return false;
    const int x = static_cast<int>(std::lround(sensor->x));
    const int y = static_cast<int>(std::lround(sensor->y));
    // Stay clear of the foreground's edge, where extraction is unreliable.
    for (int v = -12; v <= 12; v += 12)
        for (int u = -12; u <= 12; u += 12)
            if (!impression.foreground.contains(x + u, y + v) || !impression.foreground.at(x + u, y + v))
                return false;
    return true;
}

std::vector<MasterPoint> commonMinutiae(const AnalysedImpression& self, const AnalysedImpression& other) {
    std::vector<MasterPoint> points;
    for (const Minutia& minutia : self.minutiae) {
        const MasterPoint point = tervo::synth::sensorToMaster(self.plan, *self.master, minutia.x, minutia.y);
        if (covers(other, point)) points.push_back(point);
    }
    return points;
}

}  // namespace

AnalysedImpression analyse(const tervo::synth::MasterPrint& master,
                           const tervo::synth::ImpressionPlan& plan) {
    AnalysedImpression result{plan, &master, tervo::synth::renderImpression(master, plan), {}, {}};
    result.foreground = foregroundMask(result.image);
    result.minutiae = extractMinutiae(result.image);
    return result;
}

double minutiaeOverlap(const AnalysedImpression& a, const AnalysedImpression& b, double tolerance) {
    const std::vector<MasterPoint> first = commonMinutiae(a, b);
    const std::vector<MasterPoint> second = commonMinutiae(b, a);
    if (first.size() < 5 || second.size() < 5) return -1.0;
    struct Pair {
        double distance;
        std::size_t i, j;
    };
    std::vector<Pair> pairs;
    for (std::size_t i = 0; i < first.size(); ++i)
        for (std::size_t j = 0; j < second.size(); ++j) {
            const double d = std::hypot(first[i].x - second[j].x, first[i].y - second[j].y);
            if (d <= tolerance) pairs.push_back({d, i, j});
        }
    std::sort(pairs.begin(), pairs.end(),
              [](const Pair& l, const Pair& r) { return l.distance < r.distance; });
    std::vector<bool> usedFirst(first.size()), usedSecond(second.size());
    int matched = 0;
    for (const Pair& pair : pairs) {
        if (usedFirst[pair.i] || usedSecond[pair.j]) continue;
        usedFirst[pair.i] = usedSecond[pair.j] = true;
        ++matched;
    }
    return static_cast<double>(matched) / static_cast<double>(std::min(first.size(), second.size()));
}

}  // namespace tervo::test::printcheck
