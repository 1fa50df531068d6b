#include "impression.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "angles.h"
#include "coarse_field.h"
#include "exact_math.h"
#include "random_stream.h"
#include "sensor_geometry.h"

namespace tervo::synth {
namespace {

float smoothStep(float value) {
    const float t = std::clamp(value, 0.0F, 1.0F);
    return t * t * (3.0F - 2.0F * t);
}

PlacementPlan planPlacement(RandomStream& random, const CaptureConditions& conditions) {
    // Every master print has its pad centred on the canvas.
    const MasterPrint geometry;
    PlacementPlan placement;
    // Some placements are careless: the finger lands far off, turned, and slides
    // as it presses, as in unsupervised collections where a few captures lie far
    // from the rest (FVC2004 asked its volunteers for such captures on purpose).
    // The draw is made at every difficulty, so the stream stays aligned.
    const double spread = random.chance(conditions.carelessShare) ? 2.5 : 1.0;
    placement.shiftX = random.boundedNormal(0.0, spread * conditions.shiftDeviation, conditions.shiftLimit);
    // A finger goes onto the sensor more or less deep along its own axis: the
    // vertical spread is larger than the sideways one.
    placement.shiftY =
        random.boundedNormal(0.0, 1.4 * spread * conditions.shiftDeviation, conditions.shiftLimit);
    placement.rotation =
        random.boundedNormal(0.0, spread * conditions.rotationDeviation, conditions.rotationLimit) * kDegree;
    placement.contactX = geometry.centreX + random.normal(0.0, 25.0);
    placement.contactY = geometry.centreY + random.normal(0.0, 30.0);
    placement.firmRadius = random.uniform(30.0, 70.0);
    placement.transitionWidth = random.uniform(60.0, 120.0);
    const double slide = std::sqrt(spread);
    placement.slipRotation = random.boundedNormal(0.0, slide * conditions.slipRotationDeviation,
                                                  2.5 * conditions.slipRotationDeviation) *
                             kDegree;
    placement.slipX =
        random.boundedNormal(0.0, slide * conditions.slipDeviation, 2.5 * conditions.slipDeviation);
    placement.slipY =
        random.boundedNormal(0.0, slide * conditions.slipDeviation, 2.5 * conditions.slipDeviation);
    placement.stretchAmplitude = slide * conditions.stretchAmplitude * random.uniform(0.5, 1.0);
    placement.stretchKey = random.next();
    return placement;
}

ContactPlan planContact(RandomStream& random, const CaptureConditions& conditions) {
    ContactPlan contact;
    contact.pressure = random.uniform(conditions.lowestPressure, conditions.highestPressure);
    contact.moisture = random.boundedNormal(0.0, conditions.moistureDeviation, conditions.moistureLimit);
    contact.moisturePatchiness = conditions.moisturePatchiness;
    contact.tiltX = random.boundedNormal(0.0, conditions.tiltDeviation, 2.5 * conditions.tiltDeviation);
    contact.tiltY = random.boundedNormal(0.0, 0.8 * conditions.tiltDeviation, 2.0 * conditions.tiltDeviation);
    const double direction = random.uniform(0.0, kTwoPi);
    const double distance = random.uniform(40.0, 120.0);
    contact.textureOffsetX = distance * exact::cos(direction);
    contact.textureOffsetY = distance * exact::sin(direction);
    contact.noiseDeviation = random.uniform(conditions.lowestNoise, conditions.highestNoise);
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
        for (int x = 1; x + 1 < image.width; ++x) out[x] = 0.25F * (in[x - 1] + in[x + 1]) + 0.5F * in[x];
    }
    FloatPlane result = rows;
    for (int y = 1; y + 1 < image.height; ++y) {
        const float* above = rows.row(y - 1);
        const float* here = rows.row(y);
        const float* below = rows.row(y + 1);
        float* out = result.row(y);
        for (int x = 0; x < image.width; ++x) out[x] = 0.25F * (above[x] + below[x]) + 0.5F * here[x];
    }
    return result;
}

}  // namespace

ImpressionPlan planImpression(const FingerIdentity& identity, int impression, Difficulty difficulty) {
    // The difficulty is part of the key: each setting is its own series of captures.
    RandomStream random(streamKey({identity.seed, static_cast<std::uint64_t>(identity.finger),
                                   static_cast<std::uint64_t>(impression), 0x696d7072ULL,
                                   static_cast<std::uint64_t>(difficulty)}));
    const CaptureConditions& conditions = captureConditions(difficulty);
    ImpressionPlan plan;
    plan.identity = identity;
    plan.impression = impression;
    plan.difficulty = difficulty;
    plan.placement = planPlacement(random, conditions);
    plan.contact = planContact(random, conditions);
    return plan;
}

namespace {

// The placement as a ready-to-apply mapping: trigonometry done once per
// impression, the uneven stretch sampled on a coarse grid.
class SensorMapping {
  public:
    SensorMapping(const ImpressionPlan& plan, const MasterPrint& master)
        : p_(plan.placement),
          cos_(exact::cos(p_.rotation)),
          sin_(exact::sin(p_.rotation)),
          slipCos_(exact::cos(p_.slipRotation)),
          slipSin_(exact::sin(p_.slipRotation)),
          originX_(master.centreX + p_.shiftX),
          originY_(master.centreY + p_.shiftY),
          stretch_(makeStretch(p_.stretchKey)) {}

    MasterPoint operator()(double x, double y) const {
        const double u = x - (kSensorWidth - 1) / 2.0;
        const double v = y - (kSensorHeight - 1) / 2.0;
        const double qx = originX_ + u * cos_ - v * sin_;
        const double qy = originY_ + u * sin_ + v * cos_;
        // Skin beyond the firm contact region follows the slip and stretches, braked smoothly.
        const double dx = qx - p_.contactX;
        const double dy = qy - p_.contactY;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance <= p_.firmRadius) return {qx, qy};
        const double brake = smoothStep(static_cast<float>((distance - p_.firmRadius) / p_.transitionWidth));
        const double slidX = p_.contactX + dx * slipCos_ - dy * slipSin_ + p_.slipX +
                             p_.stretchAmplitude * stretch_[0].at(x, y);
        const double slidY = p_.contactY + dx * slipSin_ + dy * slipCos_ + p_.slipY +
                             p_.stretchAmplitude * stretch_[1].at(x, y);
        return {qx + brake * (slidX - qx), qy + brake * (slidY - qy)};
    }

  private:
    static std::array<CoarseField, 2> makeStretch(std::uint64_t key) {
        RandomStream random(key);
        // Wavelengths of a few ridge-count tens: the skin bulges between the bones' support.
        const SmoothField alongX(random, 90.0, 240.0);
        const SmoothField alongY(random, 90.0, 240.0);
        return {CoarseField(alongX, kSensorWidth, kSensorHeight),
                CoarseField(alongY, kSensorWidth, kSensorHeight)};
    }

    PlacementPlan p_;
    double cos_, sin_, slipCos_, slipSin_, originX_, originY_;
    std::array<CoarseField, 2> stretch_;
};

}  // namespace

MasterPoint sensorToMaster(const ImpressionPlan& plan, const MasterPrint& master, double x, double y) {
    return SensorMapping(plan, master)(x, y);
}

GrayImage renderImpression(const MasterPrint& master, const ImpressionPlan& plan) {
    const ContactPlan& contact = plan.contact;
    RandomStream random(streamKey({plan.identity.seed, static_cast<std::uint64_t>(plan.identity.finger),
                                   static_cast<std::uint64_t>(plan.impression), 0x6e6f697365ULL,
                                   static_cast<std::uint64_t>(plan.difficulty)}));
    const CoarseField contactEdge(SmoothField(random, 40.0, 120.0), kSensorWidth, kSensorHeight);
    const CoarseField illumination(SmoothField(random, 300.0, 700.0), kSensorWidth, kSensorHeight);
    const CoarseField moisturePatches(SmoothField(random, 50.0, 150.0), kSensorWidth, kSensorHeight);
    const float patchiness = static_cast<float>(contact.moisturePatchiness);
    const float textureOffsetX = static_cast<float>(contact.textureOffsetX);
    const float textureOffsetY = static_cast<float>(contact.textureOffsetY);

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
            const float depth = tap.read(master.padDepth, -1.0F);
            const float level = baseLevel +
                                static_cast<float>(contact.tiltX * (q.x - master.centreX) / 100.0 +
                                                   contact.tiltY * (q.y - master.centreY) / 100.0) +
                                0.05F * contactEdge.at(x, y);
            const float touching = smoothStep((depth - level) / 0.04F);
            float ink = 0.0F;
            if (touching > 0.0F) {
                const float ridge = tap.read(master.ridges, 0.0F);
                const float wetness = std::clamp(0.5F * tap.read(master.skinMoisture, 0.0F) +
                                                     static_cast<float>(contact.moisture) +
                                                     patchiness * moisturePatches.at(x, y),
                                                 -1.0F, 1.0F);
                // Hard presses and wet skin flatten ridges into wider dark lines.
                const float threshold =
                    0.25F * (0.5F - static_cast<float>(contact.pressure)) - 0.45F * wetness;
                // A smooth step from valley to ridge, built from exactly rounded operations only.
                const float z = 4.0F * (ridge - threshold);
                ink = 0.5F + 0.5F * z / std::sqrt(1.0F + z * z);
                const float dryness = std::max(0.0F, -wetness);
                // Half of the texture is the finger's own, half is read elsewhere on the
                // finger: dry breaks recur in part, as pores and worn ridges do.
                const BilinearTap elsewhere(master.skinTexture.width, master.skinTexture.height,
                                            static_cast<float>(q.x) + textureOffsetX,
                                            static_cast<float>(q.y) + textureOffsetY);
                const float texture =
                    std::clamp(0.5F + 1.2F * (tap.read(master.skinTexture, 0.5F) +
                                              elsewhere.read(master.skinTexture, 0.5F) - 1.0F),
                               0.0F, 1.0F);
                ink *= 1.0F - 0.85F * std::clamp((0.5F * dryness - texture) * 8.0F, 0.0F, 1.0F);
                ink *= touching;
            }
            light.at(x, y) = background + 6.0F * illumination.at(x, y) - ink * ridgeContrast;
        }
    }

    const FloatPlane optics = blurred(light);
    GrayImage image(kSensorWidth, kSensorHeight);
    const float deviation = static_cast<float>(contact.noiseDeviation);
    for (std::size_t i = 0; i < image.values.size(); ++i) {
        const float value = optics.values[i] + deviation * random.fastNormal();
        image.values[i] = static_cast<std::uint8_t>(std::clamp(value, 0.0F, 255.0F) + 0.5F);
    }
    return image;
}

}  // namespace tervo::synth
