// Speed of the extraction stages one at a time, called on the core directly: ridge fields, Gabor
// enhancement and binarisation, thinning, minutia detection. Each stage gets the real output of the
// stages before it, prepared once per print outside the timed loop.
//
//   stage_bench --benchmark_min_time=0.3
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "enhancement.h"
#include "image_input.h"
#include "minutiae.h"
#include "result_codes.h"
#include "ridge_fields.h"
#include "thinning.h"
#include "verification.h"

namespace {

using tervo::fpr::Pixels;
using tervo::fpr::RidgeFields;

struct StageInputs {
    std::vector<Pixels> pixels;
    std::vector<RidgeFields> fields;
    std::vector<std::vector<std::uint8_t>> ridges;     // binarised, before thinning
    std::vector<std::vector<std::uint8_t>> skeletons;  // after thinning
};

const StageInputs& inputs() {
    static const StageInputs in = [] {
        StageInputs out;
        for (int db = 1; db <= 4; ++db) {
            const std::string folder = std::string(TERVO_FVC_DIR) + "/DB" + std::to_string(db) + "_B";
            for (const auto& impression : tervo::fpr::tools::listImpressions(folder)) {
                tervo::fpr::tools::ImageBuffer buffer;
                tervo::fpr::DecodedImage image;
                if (!tervo::fpr::tools::loadImageFile(impression.path, buffer)) continue;
                if (tervo::fpr::decodeImage(buffer.data(), image) != tervo::GA_OK) continue;
                out.pixels.push_back(image.pixels);
                out.fields.push_back(tervo::fpr::analyseRidges(image.pixels));
                out.ridges.push_back(tervo::fpr::enhanceAndBinarise(image.pixels, out.fields.back()));
                out.skeletons.push_back(out.ridges.back());
                tervo::fpr::thin(out.skeletons.back(), tervo::fpr::kWidth, tervo::fpr::kHeight);
            }
        }
        if (out.pixels.empty()) std::fprintf(stderr, "no prints under %s\n", TERVO_FVC_DIR);
        return out;
    }();
    return in;
}

// Runs one stage per iteration over the prints in turn; the stage gets the print's index.
template <typename Stage>
void runStage(benchmark::State& state, Stage stage) {
    const std::size_t prints = inputs().pixels.size();
    if (prints == 0) return state.SkipWithError("no data");
    std::size_t i = 0;
    for (auto _ : state) stage(i++ % prints);
    state.SetItemsProcessed(state.iterations());
}

void BM_StageRidgeFields(benchmark::State& state) {
    runStage(state, [](std::size_t i) {
        const RidgeFields f = tervo::fpr::analyseRidges(inputs().pixels[i]);
        benchmark::DoNotOptimize(f.foregroundBlocks);
    });
}
BENCHMARK(BM_StageRidgeFields)->Unit(benchmark::kMillisecond);

void BM_StageEnhancement(benchmark::State& state) {
    runStage(state, [](std::size_t i) {
        const auto ridges = tervo::fpr::enhanceAndBinarise(inputs().pixels[i], inputs().fields[i]);
        benchmark::DoNotOptimize(ridges.data());
    });
}
BENCHMARK(BM_StageEnhancement)->Unit(benchmark::kMillisecond);

void BM_StageThinning(benchmark::State& state) {
    std::vector<std::uint8_t> map;
    runStage(state, [&map](std::size_t i) {
        map = inputs().ridges[i];
        tervo::fpr::thin(map, tervo::fpr::kWidth, tervo::fpr::kHeight);
        benchmark::DoNotOptimize(map.data());
    });
}
BENCHMARK(BM_StageThinning)->Unit(benchmark::kMillisecond);

void BM_StageMinutiae(benchmark::State& state) {
    runStage(state, [](std::size_t i) {
        const auto minutiae = tervo::fpr::detectMinutiae(inputs().skeletons[i], inputs().fields[i]);
        benchmark::DoNotOptimize(minutiae.data());
    });
}
BENCHMARK(BM_StageMinutiae)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
