#include "skin_marks.h"

#include <algorithm>
#include <cmath>

#include "angles.h"
#include "exact_math.h"

namespace tervo::synth {
namespace {

constexpr float kValley = -1.0F;

struct Mark {
    double x, y;          // middle of the line
    double cosine, sine;  // direction along the line
    double halfLength;
    double bow;        // the line is the parabola n = bow * s^2 in its own frame
    double halfWidth;  // pixels of skin with no ridges either side of the line
};

void paint(const Mark& mark, FloatPlane& ridges) {
    const double reach =
        mark.halfLength + mark.halfWidth + 2.0 + std::fabs(mark.bow) * mark.halfLength * mark.halfLength;
    const int x0 = std::max(0, static_cast<int>(mark.x - reach));
    const int x1 = std::min(ridges.width - 1, static_cast<int>(mark.x + reach));
    const int y0 = std::max(0, static_cast<int>(mark.y - reach));
    const int y1 = std::min(ridges.height - 1, static_cast<int>(mark.y + reach));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const double dx = x - mark.x;
            const double dy = y - mark.y;
            const double s = dx * mark.cosine + dy * mark.sine;
            const double n = -dx * mark.sine + dy * mark.cosine - mark.bow * s * s;
            // Beyond the ends the mark narrows to a point over a few pixels.
            const double past = std::max(0.0, std::fabs(s) - mark.halfLength);
            const double width = mark.halfWidth - 0.5 * past;
            if (width <= 0.0) continue;
            const double inside = std::clamp((width + 1.0 - std::fabs(n)) / 2.0, 0.0, 1.0);
            float& ridge = ridges.at(x, y);
            ridge += static_cast<float>(inside) * (std::min(ridge, kValley) - ridge);
        }
    }
}

Mark drawMark(RandomStream& random, double centreX, double centreY, double angle, double length,
              double halfWidth) {
    Mark mark;
    mark.x = centreX + random.normal(0.0, 70.0);
    mark.y = centreY + random.normal(20.0, 90.0);
    mark.cosine = exact::cos(angle);
    mark.sine = exact::sin(angle);
    mark.halfLength = 0.5 * length;
    mark.bow = random.normal(0.0, 0.002);
    mark.halfWidth = halfWidth;
    return mark;
}

}  // namespace

void paintSkinMarks(RandomStream& random, FloatPlane& ridges, double centreX, double centreY) {
    // Many fingers show none or a few creases, some (older skin) many.
    const double spread = random.uniform();
    const int creases = static_cast<int>(9.0 * spread * spread);
    for (int i = 0; i < creases; ++i) {
        const double angle = random.boundedNormal(0.0, 25.0, 80.0) * kDegree;
        // One draw per statement: argument evaluation order differs between targets.
        const double length = random.uniform(25.0, 150.0);
        paint(drawMark(random, centreX, centreY, angle, length, random.uniform(0.6, 2.2)), ridges);
    }
    if (random.chance(0.1)) {
        const double angle = random.uniform(0.0, 180.0) * kDegree;
        const double length = random.uniform(40.0, 140.0);
        paint(drawMark(random, centreX, centreY, angle, length, random.uniform(2.5, 5.0)), ridges);
    }
}

}  // namespace tervo::synth
