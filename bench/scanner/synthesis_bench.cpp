// Cost of the two halves of synthesis: a new master print (once per finger)
// and an impression of a master already in hand (every capture).
#include <benchmark/benchmark.h>

#include "impression.h"
#include "master_print.h"

namespace {

void BM_NewMasterPrint(benchmark::State& state) {
    int finger = 1;
    for (auto _ : state) {
        tervo::synth::MasterPrint master = tervo::synth::generateMasterPrint({0, finger++});
        benchmark::DoNotOptimize(master.ridges.values.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NewMasterPrint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The argument is the difficulty: 0 easy, 1 typical, 2 hard.
void BM_RenderImpression(benchmark::State& state) {
    const tervo::synth::MasterPrint master = tervo::synth::generateMasterPrint({0, 1});
    const auto difficulty = static_cast<tervo::synth::Difficulty>(state.range(0));
    state.SetLabel(tervo::synth::difficultyName(difficulty));
    int impression = 1;
    for (auto _ : state) {
        tervo::synth::GrayImage image = tervo::synth::renderImpression(
            master, tervo::synth::planImpression({0, 1}, impression++, difficulty));
        benchmark::DoNotOptimize(image.values.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderImpression)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
