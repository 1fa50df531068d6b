// tervo-fpgen: writes synthetic impressions as BMP files, exactly the images
// the virtual scanner serves for the same finger and seed.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "fpgen_options.h"
#include "image_files.h"
#include "png_file.h"
#include "synthetic_fingers.h"

namespace {

std::string impressionPath(const tervo::fpgen::Options& options, int finger, int impression) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d_%d.bmp", finger, impression);
    return (std::filesystem::path(options.outFolder) / name).string();
}

// Writes every impression of one finger; returns false on the first failed file.
bool writeFinger(const tervo::fpgen::Options& options, int finger, tervo::synth::SyntheticFingers& fingers) {
    const tervo::synth::FingerIdentity identity{options.seed, finger};
    for (int impression = 1; impression <= options.impressions; ++impression) {
        const tervo::synth::GrayImage image = fingers.impression(identity, impression, options.difficulty);
        const std::string path = impressionPath(options, finger, impression);
        if (!tervo::synth::writeGrayBmp(path, image)) {
            std::fprintf(stderr, "tervo-fpgen: cannot write %s\n", path.c_str());
            return false;
        }
        if (!options.pngPath.empty() && finger == options.firstFinger && impression == 1 &&
            !tervo::fpgen::writeGrayPng(options.pngPath, image)) {
            std::fprintf(stderr, "tervo-fpgen: cannot write %s\n", options.pngPath.c_str());
            return false;
        }
    }
    return true;
}

// Fingers are independent, so they are shared out between the cores.
bool writeAllFingers(const tervo::fpgen::Options& options) {
    const int fingerCount = options.lastFinger - options.firstFinger + 1;
    const unsigned cores = std::thread::hardware_concurrency();
    const int wanted = options.jobs > 0 ? options.jobs : static_cast<int>(cores == 0 ? 1 : cores);
    const int workers = std::max(1, std::min(fingerCount, wanted));
    std::atomic<int> nextFinger{options.firstFinger};
    std::atomic<bool> failed{false};
    auto work = [&]() {
        tervo::synth::SyntheticFingers fingers;
        for (int finger = nextFinger++; finger <= options.lastFinger && !failed; finger = nextFinger++)
            if (!writeFinger(options, finger, fingers)) failed = true;
    };
    std::vector<std::thread> threads;
    for (int i = 1; i < workers; ++i) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
    return !failed;
}

}  // namespace

int main(int argc, char** argv) {
    tervo::fpgen::Options options;
    const std::string error =
        tervo::fpgen::parseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (!error.empty()) {
        std::fprintf(stderr, "tervo-fpgen: %s\n%s", error.c_str(), tervo::fpgen::usageText());
        return 2;
    }
    if (options.help || options.version) {
        std::fputs(options.help ? tervo::fpgen::usageText() : tervo::fpgen::versionText(), stdout);
        return 0;
    }
    std::error_code folderError;
    std::filesystem::create_directories(options.outFolder, folderError);
    if (folderError) {
        std::fprintf(stderr, "tervo-fpgen: cannot create %s: %s\n", options.outFolder.c_str(),
                     folderError.message().c_str());
        return 1;
    }
    return writeAllFingers(options) ? 0 : 1;
}
