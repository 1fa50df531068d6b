// Realism figures over many fingers, for the README: minutiae found per
// impression and the share of minutiae two impressions have in common, for
// impressions of one finger (genuine) and of different fingers (impostor).
// Run with --benchmark_counters_tabular=true; one iteration is the survey.
#include <benchmark/benchmark.h>

#include "minutiae_overlap.h"

namespace {

namespace printcheck = tervo::test::printcheck;

void BM_RealismSurvey(benchmark::State& state) {
    const int fingers = static_cast<int>(state.range(0));
    constexpr int kImpressions = 4;
    double genuine = 0, impostor = 0, minutiae = 0, period = 0, foreground = 0;
    int genuinePairs = 0, impostorPairs = 0, images = 0;
    for (auto _ : state) {
        std::vector<tervo::synth::MasterPrint> masters;
        masters.reserve(fingers);
        std::vector<std::vector<printcheck::AnalysedImpression>> analysed(fingers);
        for (int f = 0; f < fingers; ++f) {
            masters.push_back(tervo::synth::generateMasterPrint({0, f + 1}));
            for (int i = 1; i <= kImpressions; ++i) {
                analysed[f].push_back(
                    printcheck::analyse(masters.back(), tervo::synth::planImpression({0, f + 1}, i)));
                minutiae += analysed[f].back().minutiae.size();
                period += printcheck::medianRidgePeriod(analysed[f].back().image);
                foreground += printcheck::foregroundShare(analysed[f].back().image);
                ++images;
            }
        }
        for (int f = 0; f < fingers; ++f) {
            for (int i = 0; i < kImpressions; ++i)
                for (int j = i + 1; j < kImpressions; ++j) {
                    const double overlap = printcheck::minutiaeOverlap(analysed[f][i], analysed[f][j]);
                    if (overlap >= 0) genuine += overlap, ++genuinePairs;
                }
            for (int g = f + 1; g < fingers; ++g) {
                const double overlap = printcheck::minutiaeOverlap(analysed[f][0], analysed[g][0]);
                if (overlap >= 0) impostor += overlap, ++impostorPairs;
            }
        }
    }
    state.counters["minutiae"] = minutiae / images;
    state.counters["period_px"] = period / images;
    state.counters["foreground"] = foreground / images;
    state.counters["genuine_overlap"] = genuine / genuinePairs;
    state.counters["impostor_overlap"] = impostor / impostorPairs;
    state.counters["genuine_pairs"] = genuinePairs;
    state.counters["impostor_pairs"] = impostorPairs;
}
BENCHMARK(BM_RealismSurvey)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
