// Deterministic pseudo-random numbers for fingerprint synthesis.
//
// The standard library's distributions are implementation-defined, so a
// finger generated from one seed could differ between toolchains. This small
// generator (splitmix64 seeding a xoshiro256** state) and its own uniform and
// normal draws keep every finger reproducible from its identity alone.
#ifndef TERVO_SYNTH_RANDOM_STREAM_H
#define TERVO_SYNTH_RANDOM_STREAM_H

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "angles.h"
#include "exact_math.h"

namespace tervo::synth {

// Mixes a 64-bit value into a well-distributed one (splitmix64 finaliser).
inline std::uint64_t mix64(std::uint64_t value) {
    value += 0x9e3779b97f4a7c15ULL;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

// Derives one stream key from several identity parts (seed, finger, impression...).
inline std::uint64_t streamKey(std::initializer_list<std::uint64_t> parts) {
    std::uint64_t key = 0x5eed5eed5eed5eedULL;
    for (std::uint64_t part : parts) key = mix64(key ^ mix64(part));
    return key;
}

class RandomStream {
  public:
    explicit RandomStream(std::uint64_t key) {
        for (auto& word : state_) {
            key = mix64(key);
            word = key;
        }
    }

    std::uint64_t next() {
        const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t shifted = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= shifted;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double low, double high) { return low + (high - low) * uniform(); }
    // Uniform integer in [low, high].
    int uniformInt(int low, int high) {
        const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low + 1);
        return low + static_cast<int>(next() % span);
    }
    bool chance(double probability) { return uniform() < probability; }

    // Standard normal by the Box-Muller transform.
    double normal() {
        const double u1 = 1.0 - uniform();  // (0, 1], keeps the logarithm finite
        const double u2 = uniform();
        return std::sqrt(-2.0 * exact::log(u1)) * exact::cos(tervo::kTwoPi * u2);
    }
    double normal(double mean, double deviation) { return mean + deviation * normal(); }
    // Normal draw limited to mean +- limit: placement ranges of real captures are bounded.
    double boundedNormal(double mean, double deviation, double limit) {
        const double value = normal(mean, deviation);
        return value < mean - limit ? mean - limit : (value > mean + limit ? mean + limit : value);
    }

    // Cheap approximately normal draw (sum of four uniforms, variance scaled to
    // one) for per-pixel sensor noise, where Box-Muller would dominate the cost.
    float fastNormal() {
        const std::uint64_t bits = next();
        const int sum = static_cast<int>(bits & 0xffff) + static_cast<int>((bits >> 16) & 0xffff) +
                        static_cast<int>((bits >> 32) & 0xffff) + static_cast<int>(bits >> 48);
        // Four uniforms on [0, 65535]: mean 131070, deviation 65536 * sqrt(4/12).
        return static_cast<float>(sum - 131070) * (1.0F / 37837.2F);
    }

  private:
    static std::uint64_t rotl(std::uint64_t value, int shift) {
        return (value << shift) | (value >> (64 - shift));
    }
    std::uint64_t state_[4];
};

}  // namespace tervo::synth

#endif
