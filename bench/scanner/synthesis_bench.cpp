// Cost of the two halves of synthesis: a new master print (once per finger)
// and an impression of a master already in hand (every capture).
#include <benchmark/benchmark.h>

#include "impression.h"
#include "master_print.h"

namespace {

void BM_NewMasterPrint(benchmark::State& state) {
    int finger = 1;
    for (auto _ : state) {
        fpsynth::MasterPrint master = fpsynth::generateMasterPrint({0, finger++});
        benchmark::DoNotOptimize(master.ridges.values.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NewMasterPrint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RenderImpression(benchmark::State& state) {
    const fpsynth::MasterPrint master = fpsynth::generateMasterPrint({0, 1});
    int impression = 1;
    for (auto _ : state) {
        fpsynth::GrayImage image =
            fpsynth::renderImpression(master, fpsynth::planImpression({0, 1}, impression++));
        benchmark::DoNotOptimize(image.values.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderImpression)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
