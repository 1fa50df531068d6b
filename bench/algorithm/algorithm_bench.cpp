// Speed of extraction, quality, comparison, a 100,000-template search and the compression round trip,
// all through the FP_ entry points, on the four shared databases of real prints.
//
//   algorithm_bench --benchmark_min_time=0.5
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ID_Fpr.h"
#include "anchor_counts.h"
#include "feature_template.h"
#include "local_structures.h"
#include "matcher.h"
#include "verification.h"

namespace {

using tervo::fpr::kImageBufferSize;
using tervo::fpr::kTemplateSize;
using tervo::fpr::tools::ImageBuffer;

struct Corpus {
    std::vector<ImageBuffer> images;
    std::vector<std::vector<unsigned char>> templates;
    std::vector<int> finger;  // database * 1000 + finger, to tell genuine from impostor pairs
};

const Corpus& corpus() {
    static const Corpus c = [] {
        Corpus out;
        FP_Begin();
        for (int db = 1; db <= 4; ++db) {
            const std::string folder = std::string(TERVO_FVC_DIR) + "/DB" + std::to_string(db) + "_B";
            for (const auto& impression : tervo::fpr::tools::listImpressions(folder)) {
                ImageBuffer image;
                if (!tervo::fpr::tools::loadImageFile(impression.path, image)) continue;
                std::vector<unsigned char> t(kTemplateSize);
                if (FP_FeatureExtract(0, 0, image.data(), t.data()) != 1) continue;
                out.images.push_back(image);
                out.templates.push_back(t);
                out.finger.push_back(db * 1000 + impression.finger);
            }
        }
        if (out.images.empty()) std::fprintf(stderr, "no prints under %s\n", TERVO_FVC_DIR);
        return out;
    }();
    return c;
}

void BM_FeatureExtract(benchmark::State& state) {
    const Corpus& c = corpus();
    if (c.images.empty()) return state.SkipWithError("no data");
    std::vector<ImageBuffer> images = c.images;
    std::vector<unsigned char> t(kTemplateSize);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FP_FeatureExtract(0, 0, images[i++ % images.size()].data(), t.data()));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FeatureExtract)->Unit(benchmark::kMillisecond);

void BM_QualityScore(benchmark::State& state) {
    const Corpus& c = corpus();
    if (c.images.empty()) return state.SkipWithError("no data");
    std::vector<ImageBuffer> images = c.images;
    unsigned char q = 0;
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(FP_GetQualityScore(images[i++ % images.size()].data(), &q));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QualityScore)->Unit(benchmark::kMillisecond);

// Comparisons of every template with the next ones in turn: mostly impostor pairs, as in a search.
void BM_FeatureMatch(benchmark::State& state) {
    const Corpus& c = corpus();
    if (c.templates.empty()) return state.SkipWithError("no data");
    std::vector<std::vector<unsigned char>> t = c.templates;
    float s = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        const std::size_t a = i % t.size(), b = (i / t.size() + a + 1) % t.size();
        benchmark::DoNotOptimize(FP_FeatureMatch(t[a].data(), t[b].data(), &s));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FeatureMatch)->Unit(benchmark::kMicrosecond);

// One probe against 100,000 stored templates (the real ones repeated), best score kept.
void BM_Search100k(benchmark::State& state) {
    const Corpus& c = corpus();
    if (c.templates.empty()) return state.SkipWithError("no data");
    constexpr std::size_t kGallery = 100000;
    std::vector<unsigned char> gallery(kGallery * kTemplateSize);
    for (std::size_t i = 0; i < kGallery; ++i) {
        const auto& t = c.templates[i % c.templates.size()];
        std::copy(t.begin(), t.end(), gallery.begin() + static_cast<std::ptrdiff_t>(i * kTemplateSize));
    }
    std::vector<unsigned char> probe = c.templates[1];
    for (auto _ : state) {
        float best = 0, s = 0;
        for (std::size_t i = 0; i < kGallery; ++i) {
            if (FP_FeatureMatch(probe.data(), gallery.data() + i * kTemplateSize, &s) == 1 && s > best)
                best = s;
        }
        benchmark::DoNotOptimize(best);
    }
    state.SetItemsProcessed(state.iterations() * kGallery);
}
BENCHMARK(BM_Search100k)->Unit(benchmark::kMillisecond)->Iterations(1);

// The two halves of a comparison inside the library: making a template ready (done once for a
// search's probe, once per call for each gallery template) and matching two ready templates.
std::vector<tervo::fpr::PreparedTemplate> preparedCorpus() {
    std::vector<tervo::fpr::PreparedTemplate> out(corpus().templates.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        tervo::fpr::FeatureTemplate t;
        tervo::fpr::decodeTemplate(corpus().templates[i].data(), t);
        tervo::fpr::prepareTemplate(t, out[i]);
    }
    return out;
}

void BM_PrepareTemplate(benchmark::State& state) {
    const Corpus& c = corpus();
    if (c.templates.empty()) return state.SkipWithError("no data");
    std::vector<tervo::fpr::FeatureTemplate> decoded(c.templates.size());
    for (std::size_t i = 0; i < decoded.size(); ++i)
        tervo::fpr::decodeTemplate(c.templates[i].data(), decoded[i]);
    tervo::fpr::PreparedTemplate prepared;
    std::size_t i = 0;
    for (auto _ : state) {
        tervo::fpr::prepareTemplate(decoded[i++ % decoded.size()], prepared);
        benchmark::DoNotOptimize(prepared.count);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PrepareTemplate)->Unit(benchmark::kMicrosecond);

// What a search does for each gallery template before matching it: check the stored bytes (layout and
// checksum) and prepare what a comparison reads of the template it puts first.
void BM_PrepareStoredTemplate(benchmark::State& state) {
    const Corpus& c = corpus();
    if (c.templates.empty()) return state.SkipWithError("no data");
    tervo::fpr::PreparedTemplate prepared;
    std::size_t i = 0;
    for (auto _ : state) {
        tervo::fpr::PackedTemplate packed;
        if (tervo::fpr::checkTemplate(c.templates[i++ % c.templates.size()].data(), packed))
            tervo::fpr::prepareFirstPlace(packed, prepared);
        benchmark::DoNotOptimize(prepared.count);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PrepareStoredTemplate)->Unit(benchmark::kMicrosecond);

void BM_MatchPrepared(benchmark::State& state) {
    if (corpus().templates.empty()) return state.SkipWithError("no data");
    const std::vector<tervo::fpr::PreparedTemplate> p = preparedCorpus();
    std::size_t i = 0;
    for (auto _ : state) {
        const std::size_t a = i % p.size(), b = (i / p.size() + a + 1) % p.size();
        benchmark::DoNotOptimize(tervo::fpr::matchPrepared(p[a], p[b]).similarity);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MatchPrepared)->Unit(benchmark::kMicrosecond);

// The same on the portable descriptor kernel, for the ratio to the vector one chosen on this machine
// (the library's own copy inside libID_Fpr.so is not affected).
void BM_MatchPreparedPortable(benchmark::State& state) {
    const tervo::fpr::CountKernel chosen = tervo::fpr::activeCountKernel();
    tervo::fpr::useCountKernel(tervo::fpr::CountKernel::Portable);
    BM_MatchPrepared(state);
    tervo::fpr::useCountKernel(chosen);
}
BENCHMARK(BM_MatchPreparedPortable)->Unit(benchmark::kMicrosecond);

void BM_CompressRoundTrip(benchmark::State& state) {
    const Corpus& c = corpus();
    if (c.images.empty()) return state.SkipWithError("no data");
    ImageBuffer image = c.images[0];
    std::vector<unsigned char> packed(kImageBufferSize), restored(kImageBufferSize), work(256);
    for (auto _ : state) {
        benchmark::DoNotOptimize(FP_Compress(0, 0, 0, image.data(), 6, packed.data(), work.data()));
        benchmark::DoNotOptimize(FP_Decompress(packed.data(), restored.data(), work.data()));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CompressRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
