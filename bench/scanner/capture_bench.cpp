// Captures through the exported entry point, as the console makes them:
// impressions of the finger already on the sensor.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "ID_FprCap.h"

namespace {

void BM_GetFPRawData(benchmark::State& state) {
    for (const char* name : {"TERVO_SCANNER_FINGER", "TERVO_SCANNER_NO_FINGER", "TERVO_SCANNER_REPLAY",
                             "TERVO_SCANNER_LATENCY_MS", "TERVO_SCANNER_FAULTS", "TERVO_SCANNER_LINK_LOSS",
                             "TERVO_SCANNER_DIFFICULTY"})
        unsetenv(name);
    if (LIVESCAN_Init() != 1) {
        state.SkipWithError("LIVESCAN_Init failed");
        return;
    }
    std::vector<unsigned char> image(95160);
    LIVESCAN_GetFPRawData(0, image.data());  // the master print is made here, outside the timing
    for (auto _ : state) {
        if (LIVESCAN_GetFPRawData(0, image.data()) != 1) state.SkipWithError("capture failed");
        benchmark::DoNotOptimize(image.data());
    }
    state.SetItemsProcessed(state.iterations());
    LIVESCAN_Close();
}
BENCHMARK(BM_GetFPRawData)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
