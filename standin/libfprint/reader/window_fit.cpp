#include "window_fit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "image_files.h"
#include "sensor_geometry.h"

namespace tervo::fprint {
namespace {

using tervo::synth::GrayImage;
using tervo::synth::kSensorHeight;
using tervo::synth::kSensorWidth;

struct Tap {
    int index;
    float weight;
};

// For each window position along one axis, the source samples and weights
// that make it; an empty list for positions outside the resampled image.
std::vector<std::vector<Tap>> axisTaps(int sourceLength, double scale, int windowLength) {
    const int resampledLength = std::max(1, static_cast<int>(std::lround(sourceLength / scale)));
    const double step = static_cast<double>(sourceLength) / resampledLength;
    const double radius = std::max(step, 1.0);
    const int offset = (windowLength - resampledLength) / 2;
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(windowLength));
    for (int position = 0; position < windowLength; ++position) {
        const int resampled = position - offset;
        if (resampled < 0 || resampled >= resampledLength) continue;
        const double centre = (resampled + 0.5) * step - 0.5;
        std::vector<Tap>& list = taps[static_cast<std::size_t>(position)];
        double total = 0.0;
        for (int index = static_cast<int>(std::ceil(centre - radius));
             index <= static_cast<int>(std::floor(centre + radius)); ++index) {
            const double weight = 1.0 - std::fabs(index - centre) / radius;
            if (weight <= 0.0) continue;
            list.push_back(Tap{std::clamp(index, 0, sourceLength - 1), static_cast<float>(weight)});
            total += weight;
        }
        for (Tap& tap : list) tap.weight = static_cast<float>(tap.weight / total);
    }
    return taps;
}

}  // namespace

GrayImage fitToWindow(const GrayImage& image, double scale) {
    if (scale == 1.0 || image.width <= 0 || image.height <= 0) return tervo::synth::fitToSensor(image);
    const std::vector<std::vector<Tap>> columns = axisTaps(image.width, scale, kSensorWidth);
    const std::vector<std::vector<Tap>> rows = axisTaps(image.height, scale, kSensorHeight);
    GrayImage window(kSensorWidth, kSensorHeight, 255);
    std::vector<float> line(static_cast<std::size_t>(kSensorWidth));
    for (int y = 0; y < kSensorHeight; ++y) {
        const std::vector<Tap>& vertical = rows[static_cast<std::size_t>(y)];
        if (vertical.empty()) continue;
        std::fill(line.begin(), line.end(), 0.0F);
        for (const Tap& rowTap : vertical) {
            const std::uint8_t* source = image.row(rowTap.index);
            for (int x = 0; x < kSensorWidth; ++x) {
                float sum = 0.0F;
                for (const Tap& columnTap : columns[static_cast<std::size_t>(x)])
                    sum += columnTap.weight * source[columnTap.index];
                line[static_cast<std::size_t>(x)] += rowTap.weight * sum;
            }
        }
        for (int x = 0; x < kSensorWidth; ++x)
            if (!columns[static_cast<std::size_t>(x)].empty())
                window.at(x, y) = static_cast<std::uint8_t>(std::clamp(std::lround(line[x]), 0L, 255L));
    }
    return window;
}

}  // namespace tervo::fprint
