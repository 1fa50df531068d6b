#include "impression.h"

#include <algorithm>
#include <cmath>

#include "coarse_field.h"
#include "random_stream.h"
#include "sensor_geometry.h"

namespace fpsynth {
namespace {

constexpr double kDegree = 3.141592653589793 / 180.0;

float smoothStep(float value) {
    const float t = std::clamp(value, 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

PlacementPlan planPlacement(RandomStream& random) {
    // Every master print has its pad centred on the canvas.
    const MasterPrint geometry;
    PlacementPlan placement;
    placement.shiftX = random.boundedNormal(0.0, 8.0, 20.0);
    placement.shiftY = random.boundedNormal(0.0, 8.0, 20.0);
    placement.rotation = random.boundedNormal(0.0, 6.0, 15.0) * kDegree;
    placement.contactX = geometry.centreX + random.normal(0.0, 25.0);
    placement.contactY = geometry.centreY + random.normal(0.0, 30.0);
    placement.firmRadius = random.uniform(40.0, 80.0);
    placement.transitionWidth = random.uniform(70.0, 130.0);
    placement.slipRotation = random.boundedNormal(0.0, 1.5, 4.0) * kDegree;
    placement.slipX = random.boundedNormal(0.0, 2.5, 6.0);
    placement.slipY = random.boundedNormal(0.0, 2.5, 6.0);
    return placement;
}

ContactPlan planContact(RandomStream& random) {
    ContactPlan contact;
    contact.pressure = random.uniform(0.2, 0.95);
    contact.moisture = random.boundedNormal(0.0, 0.3, 0.7);
    contact.tiltX = random.boundedNormal(0.0, 0.05, 0.12);
    contact.tiltY = random.boundedNormal(0.0, 0.04, 0.10);
    contact.noiseDeviation = random.uniform(3.5, 8.0);
    contact.background = random.uniform(226.0, 244.0);
    contact.ridgeGray = random.uniform(35.0, 80.0);
    return contact;
}

// Binomial 3 x 3 blur: the optics and the skin never give perfectly sharp edges.
FloatPlane blurred(const FloatPlane& image) {
    FloatPlane rows(image.width, image.height);
    for (int y = 0; y < image.height; ++y) {
        const float* in = image.row(y);
        float* out = rows.row(y);
        out[0] = in[0];
        out[image.width - 1] = in[image.width - 1];
        for (int x = 1; x + 1 < image.width; ++x) out[x] = 0.25f * (in[x - 1] + in[x + 1]) + 0.5f * in[x];
    }
    FloatPlane result = rows;
    for (int y = 1; y + 1 < image.height; ++y) {
        const float* above = rows.row(y - 1);
        const float* here = rows.row(y);
        const float* below = rows.row(y + 1);
        float* out = result.row(y);
        for (int x = 0; x < image.width; ++x) out[x] = 0.25f * (above[x] + below[x]) + 0.5f * here[x];
    }
    return result;
}

}  // namespace

ImpressionPlan planImpression(const FingerIdentity& identity, int impression) {
    RandomStream random(streamKey({identity.seed, static_cast<std::uint64_t>(identity.finger),
                                   static_cast<std::uint64_t>(impression), 0x696d7072ULL}));
    ImpressionPlan plan;
    plan.identity = identity;
    plan.impression = impression;
    plan.placement = planPlacement(random);
    plan.contact = planContact(random);
    return plan;
}

namespace {

// The placement as a ready-to-apply mapping: trigonometry done once per impression.
class SensorMapping {
  public:
    SensorMapping(const ImpressionPlan& plan, const MasterPrint& master)
        : p_(plan.placement),
          cos_(std::cos(p_.rotation)),
          sin_(std::sin(p_.rotation)),
          slipCos_(std::cos(p_.slipRotation)),
          slipSin_(std::sin(p_.slipRotation)),
          originX_(master.centreX + p_.shiftX),
          originY_(master.centreY + p_.shiftY) {}

    MasterPoint operator()(double x, double y) const {
        const double u = x - (kSensorWidth - 1) / 2.0;
        const double v = y - (kSensorHeight - 1) / 2.0;
        const double qx = originX_ + u * cos_ - v * sin_;
        const double qy = originY_ + u * sin_ + v * cos_;
        // Skin beyond the firm contact region follows the slip, braked smoothly.
        const double dx = qx - p_.contactX;
        const double dy = qy - p_.contactY;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance <= p_.firmRadius) return {qx, qy};
        const double brake = smoothStep(static_cast<float>((distance - p_.firmRadius) / p_.transitionWidth));
        const double slidX = p_.contactX + dx * slipCos_ - dy * slipSin_ + p_.slipX;
        const double slidY = p_.contactY + dx * slipSin_ + dy * slipCos_ + p_.slipY;
        return {qx + brake * (slidX - qx), qy + brake * (slidY - qy)};
    }

  private:
    PlacementPlan p_;
    double cos_, sin_, slipCos_, slipSin_, originX_, originY_;
};

}  // namespace

MasterPoint sensorToMaster(const ImpressionPlan& plan, const MasterPrint& master, double x, double y) {
    return SensorMapping(plan, master)(x, y);
}

GrayImage renderImpression(const MasterPrint& master, const ImpressionPlan& plan) {
    const ContactPlan& contact = plan.contact;
    RandomStream random(streamKey({plan.identity.seed, static_cast<std::uint64_t>(plan.identity.finger),
                                   static_cast<std::uint64_t>(plan.impression), 0x6e6f697365ULL}));
    const CoarseField contactEdge(SmoothField(random, 40.0, 120.0), kSensorWidth, kSensorHeight);
    const CoarseField illumination(SmoothField(random, 300.0, 700.0), kSensorWidth, kSensorHeight);

    // Contact where the pad is deeper than this level: a hard press reaches the outline.
    const float baseLevel = static_cast<float>(0.32 - 0.34 * contact.pressure);
    const float background = static_cast<float>(contact.background);
    const float ridgeContrast = static_cast<float>(contact.background - contact.ridgeGray);

    const SensorMapping mapping(plan, master);
    FloatPlane light(kSensorWidth, kSensorHeight);
    for (int y = 0; y < kSensorHeight; ++y) {
        for (int x = 0; x < kSensorWidth; ++x) {
            const MasterPoint q = mapping(x, y);
            const BilinearTap tap(master.padDepth.width, master.padDepth.height, static_cast<float>(q.x),
                                  static_cast<float>(q.y));
            const float depth = tap.read(master.padDepth, -1.0f);
            const float level = baseLevel +
                                static_cast<float>(contact.tiltX * (q.x - master.centreX) / 100.0 +
                                                   contact.tiltY * (q.y - master.centreY) / 100.0) +
                                0.05f * contactEdge.at(x, y);
            const float touching = smoothStep((depth - level) / 0.04f);
            float ink = 0.0f;
            if (touching > 0.0f) {
                const float ridge = tap.read(master.ridges, 0.0f);
                const float wetness = std::clamp(
                    0.5f * tap.read(master.skinMoisture, 0.0f) + static_cast<float>(contact.moisture), -1.0f,
                    1.0f);
                // Hard presses and wet skin flatten ridges into wider dark lines.
                const float threshold =
                    0.25f * (0.5f - static_cast<float>(contact.pressure)) - 0.3f * wetness;
                ink = 1.0f / (1.0f + std::exp(-6.0f * (ridge - threshold)));
                const float dryness = std::max(0.0f, -wetness);
                const float texture = tap.read(master.skinTexture, 0.5f);
                ink *= 1.0f - 0.85f * std::clamp((0.5f * dryness - texture) * 8.0f, 0.0f, 1.0f);
                ink *= touching;
            }
            light.at(x, y) = background + 6.0f * illumination.at(x, y) - ink * ridgeContrast;
        }
    }

    const FloatPlane optics = blurred(light);
    GrayImage image(kSensorWidth, kSensorHeight);
    const float deviation = static_cast<float>(contact.noiseDeviation);
    for (std::size_t i = 0; i < image.values.size(); ++i) {
        const float value = optics.values[i] + deviation * random.fastNormal();
        image.values[i] = static_cast<std::uint8_t>(std::clamp(value, 0.0f, 255.0f) + 0.5f);
    }
    return image;
}

}  // namespace fpsynth
