// tervo-fpeval: runs the verification protocol over image folders and prints the error rates, the
// extraction and comparison speed, and optionally the compression round trip and a score plot.
//
//   tervo-fpeval [--compress] [--plot FILE.png] [--dump FILE.txt] [--shift N] FOLDER...
//
// --shift N moves every image N pixels right and down as it is read (edges repeated), before extraction
// and before compression alike. The block grid then falls elsewhere on each print: a result that holds
// only at one shift is luck, so compare settings by their mean over shifts 0 to 3. The compressor sees
// the moved image too, as it would a print captured a few pixels off: moving only what the extractor
// sees after the round trip would judge the compressor's choice of encoding on a grid it never saw.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "compression.h"
#include "extractor.h"
#include "feature_template.h"
#include "image_input.h"
#include "matcher.h"
#include "png_writer.h"
#include "program_info.h"
#include "result_codes.h"
#include "verification.h"

using namespace tervo;
using namespace tervo::fpr;
using namespace tervo::fpr::tools;
using Clock = std::chrono::steady_clock;

namespace {

constexpr float kThreshold = 0.6F;

struct SetResult {
    std::string name;
    std::vector<float> genuine, impostor, rawImpostor;
    ErrorRates rates;
    double extractMs = 0, comparisonsPerSecond = 0, meanQuality = 0, meanMinutiae = 0;
    double psnr = 0, compressedBytes = 0, keptShare = -1;
};

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Rewrites a loaded image moved by `shift` pixels, in its own form (a BMP keeps its headers and row
// order and gets the gray palette its decoded levels now stand for).
void shiftInPlace(ImageBuffer& image, int shift) {
    DecodedImage decoded;
    if (shift == 0 || decodeImage(image.data(), decoded) != GA_OK) return;
    writePixels(movedImage(decoded.pixels, shift), decoded.form, image.data());
}

std::vector<FeatureTemplate> extractAll(const std::vector<ImageBuffer>& images, double& msPerImage) {
    std::vector<FeatureTemplate> out;
    const auto start = Clock::now();
    for (const ImageBuffer& img : images) {
        DecodedImage decoded;
        FeatureTemplate t;
        if (decodeImage(img.data(), decoded) == GA_OK) t = extractFeatures(decoded.pixels, 0, 0);
        // Through the stored form, as the console would see it.
        std::uint8_t bytes[kTemplateSize];
        encodeTemplate(t, bytes);
        decodeTemplate(bytes, t);
        out.push_back(t);
    }
    msPerImage = 1000.0 * seconds(start, Clock::now()) / std::max<std::size_t>(1, images.size());
    return out;
}

double psnrOf(const ImageBuffer& a, const ImageBuffer& b) {
    DecodedImage da, db;
    if (decodeImage(a.data(), da) != GA_OK || decodeImage(b.data(), db) != GA_OK) return 0;
    double se = 0;
    for (std::size_t i = 0; i < kPixelCount; ++i) {
        const double d = static_cast<double>(da.pixels[i]) - db.pixels[i];
        se += d * d;
    }
    const double mse = se / kPixelCount;
    return mse <= 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

void compressionRoundTrip(const std::vector<ImageBuffer>& images,
                          const std::vector<FeatureTemplate>& templates, const std::vector<PairIndex>& pairs,
                          SetResult& r) {
    std::vector<ImageBuffer> restored(images.size());
    std::vector<std::uint8_t> container(kImageBufferSize);
    for (std::size_t i = 0; i < images.size(); ++i) {
        CompressionReport report;
        restored[i].fill(0);
        if (compressImage(images[i].data(), 6, container.data(), report) != GA_OK ||
            decompressImage(container.data(), restored[i].data()) != GA_OK) {
            std::fprintf(stderr, "round trip failed for image %zu\n", i);
            continue;
        }
        r.psnr += psnrOf(images[i], restored[i]) / images.size();
        r.compressedBytes += static_cast<double>(report.bytes) / images.size();
    }
    double unused = 0;
    const std::vector<FeatureTemplate> after = extractAll(restored, unused);
    int before = 0, kept = 0;
    for (const PairIndex& p : pairs) {
        if (!p.genuine || matchTemplates(templates[p.first], templates[p.second]).similarity <= kThreshold)
            continue;
        ++before;
        kept += matchTemplates(after[p.first], after[p.second]).similarity > kThreshold ? 1 : 0;
    }
    r.keptShare = before > 0 ? 100.0 * kept / before : 0;
}

SetResult evaluate(const std::string& folder, bool withCompression, int shift, std::FILE* dump) {
    SetResult r;
    r.name = folder.substr(folder.find_last_of('/') + 1);
    const std::vector<Impression> set = listImpressions(folder);
    std::vector<ImageBuffer> images(set.size());
    for (std::size_t i = 0; i < set.size(); ++i) {
        if (!loadImageFile(set[i].path, images[i]))
            std::fprintf(stderr, "cannot read %s\n", set[i].path.c_str());
        shiftInPlace(images[i], shift);
    }
    const std::vector<FeatureTemplate> templates = extractAll(images, r.extractMs);
    for (const FeatureTemplate& t : templates) {
        r.meanQuality += t.quality / static_cast<double>(templates.size());
        r.meanMinutiae += static_cast<double>(t.minutiae.size()) / templates.size();
    }
    const std::vector<PairIndex> pairs = protocolPairs(set);
    const auto start = Clock::now();
    for (const PairIndex& p : pairs) {
        const MatchDetail d = matchTemplates(templates[p.first], templates[p.second]);
        (p.genuine ? r.genuine : r.impostor).push_back(d.similarity);
        if (!p.genuine) r.rawImpostor.push_back(d.raw);
        if (dump != nullptr) {
            std::fprintf(dump, "%s %d %d %d %d %.3f %.5f %zu %zu %s %s %.4f %d %.4f %d %.4f\n",
                         r.name.c_str(), p.genuine ? 1 : 0, d.paired, d.overlapA, d.overlapB, d.support,
                         d.raw, templates[p.first].minutiae.size(), templates[p.second].minutiae.size(),
                         set[p.first].path.c_str(), set[p.second].path.c_str(), d.orientationAgreement,
                         d.orientationCells, d.weight, d.votes, d.periodAgreement);
        }
    }
    r.comparisonsPerSecond = pairs.size() / std::max(1e-9, seconds(start, Clock::now()));
    r.rates = errorRates(r.genuine, r.impostor, kThreshold);
    if (withCompression) compressionRoundTrip(images, templates, pairs, r);
    return r;
}

// One panel per set: genuine (green) and impostor (red) similarity histograms on a log count scale,
// the verification threshold as a blue line.
void plotDistributions(const std::vector<SetResult>& results, const std::string& path) {
    constexpr int kPanelW = 400, kPanelH = 160, kBins = 100;
    RgbImage img(kPanelW, kPanelH * static_cast<int>(results.size()));
    for (std::size_t p = 0; p < results.size(); ++p) {
        const int top = static_cast<int>(p) * kPanelH;
        auto histogram = [&](const std::vector<float>& scores, std::uint8_t r, std::uint8_t g,
                             std::uint8_t b) {
            std::vector<int> bins(kBins, 0);
            for (float s : scores) ++bins[std::clamp(static_cast<int>(s * kBins), 0, kBins - 1)];
            for (int i = 0; i < kBins; ++i) {
                if (bins[i] == 0) continue;
                const int h =
                    static_cast<int>(std::log10(1.0 + bins[i]) / std::log10(1.0 + 1e5) * (kPanelH - 10));
                for (int y = 0; y < h; ++y) {
                    for (int x = i * 4; x < i * 4 + 3; ++x) img.set(x, top + kPanelH - 1 - y, r, g, b);
                }
            }
        };
        histogram(results[p].impostor, 220, 40, 40);
        histogram(results[p].genuine, 30, 160, 30);
        for (int y = top; y < top + kPanelH; ++y)
            img.set(static_cast<int>(kThreshold * kPanelW), y, 0, 0, 255);
        for (int x = 0; x < kPanelW; ++x) img.set(x, top + kPanelH - 1, 0, 0, 0);
    }
    if (!writePng(path, img)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

// Raw score the pooled impostors stay below for a false-match rate of 1 in 10,000.
void printCalibration(const std::vector<SetResult>& results) {
    std::vector<float> raw;
    for (const SetResult& r : results) raw.insert(raw.end(), r.rawImpostor.begin(), r.rawImpostor.end());
    if (raw.empty()) return;
    std::sort(raw.begin(), raw.end());
    const std::size_t at = raw.size() - std::max<std::size_t>(1, raw.size() / 10000);
    std::printf("pooled impostors %zu: raw score at FMR 1e-4 %.4f, largest %.4f; largest per set:",
                raw.size(), raw[at], raw.back());
    for (const SetResult& r : results) {
        const auto largest = std::max_element(r.rawImpostor.begin(), r.rawImpostor.end());
        std::printf(" %s %.4f", r.name.c_str(), largest == r.rawImpostor.end() ? 0.0F : *largest);
    }
    std::printf("\n");
}

}  // namespace

namespace {

constexpr const char* kUsage =
    "usage: tervo-fpeval [--compress] [--plot FILE.png] [--dump FILE] [--shift N] FOLDER...";

}  // namespace

int main(int argc, char** argv) {
    if (tervo::fpr::tools::answeredProgramInfo(
            argc, argv, "tervo-fpeval", kUsage,
            "Runs the verification protocol (all genuine pairs of each finger's impressions, all\n"
            "cross-finger impostor pairs) over folders of BMP images named FFFF_I.bmp and prints\n"
            "the error rates, extraction and comparison speed for each folder.\n"
            "\n"
            "  --compress     also the compression round trip at ratio 6: PSNR, size, matches kept\n"
            "  --plot FILE    draw the similarity histograms into a PNG\n"
            "  --dump FILE    one line per comparison\n"
            "  --shift N      move every image N pixels right and down before extraction\n"
            "  --help         print this text\n"
            "  --version      print the version\n"))
        return 0;
    bool compression = false;
    std::string plot;
    std::FILE* dump = nullptr;  // one line per comparison, for studying the score
    int shift = 0;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--compress") == 0) {
            compression = true;
        } else if (std::strcmp(argv[i], "--dump") == 0 && i + 1 < argc) {
            dump = std::fopen(argv[++i], "w");
        } else if (std::strcmp(argv[i], "--shift") == 0 && i + 1 < argc) {
            shift = std::clamp(std::atoi(argv[++i]), 0, 64);
        } else if (std::strcmp(argv[i], "--plot") == 0 && i + 1 < argc) {
            plot = argv[++i];
        } else {
            folders.emplace_back(argv[i]);
        }
    }
    if (folders.empty()) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    std::vector<SetResult> results;
    std::printf("%-8s %6s %6s %7s %7s %7s %7s %7s %8s %9s %5s %5s", "set", "gen", "imp", "EER%", "FMR100",
                "FMR1000", "FNMR.6", "FMR.6", "ext_ms", "cmp/s", "qual", "minu");
    std::printf(compression ? " %6s %7s %6s\n" : "\n", "PSNR", "bytes", "kept%");
    for (const std::string& folder : folders) {
        results.push_back(evaluate(folder, compression, shift, dump));
        const SetResult& r = results.back();
        std::printf("%-8s %6zu %6zu %7.2f %7.2f %7.2f %7.2f %7.3f %8.2f %9.0f %5.1f %5.1f", r.name.c_str(),
                    r.genuine.size(), r.impostor.size(), r.rates.eer, r.rates.fmr100, r.rates.fmr1000,
                    r.rates.fnmrAtThreshold, r.rates.fmrAtThreshold, r.extractMs, r.comparisonsPerSecond,
                    r.meanQuality, r.meanMinutiae);
        if (compression) std::printf(" %6.2f %7.0f %6.1f", r.psnr, r.compressedBytes, r.keptShare);
        std::printf("\n");
        std::fflush(stdout);
    }
    if (dump != nullptr) std::fclose(dump);
    printCalibration(results);
    if (!plot.empty()) plotDistributions(results, plot);
    return 0;
}
