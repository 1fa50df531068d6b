// The console's one-to-many search over a 100,000-template library file, on
// the project's own libraries: PC_Serch as the operator runs it (capture,
// quality, extraction, search) and FingerMatch1vN alone. The library holds the
// real prints' templates over and over, with a second impression of the live
// finger planted at one position, which the search must find.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "modulapi.h"

namespace {

constexpr int kLibrarySize = 100000;
constexpr int kPlanted = 77777;

using Template = std::vector<unsigned char>;

Template extractFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    image.resize(imgLen);
    Template feature(kFeatureLen);
    if (FP_FeatureExtract(0, 0, image.data(), feature.data()) != 1) return {};
    return feature;
}

Template captureAndExtract() {
    std::vector<unsigned char> image(imgLen);
    Template feature(kFeatureLen);
    if (LIVESCAN_GetFPRawData(0, image.data()) != 1 ||
        FP_FeatureExtract(11, 2, image.data(), feature.data()) != 1)
        throw std::runtime_error("the virtual scanner gave no print");
    return feature;
}

// The templates of every real print, for the impostors of the library.
std::vector<Template> realTemplates() {
    std::vector<Template> found;
    for (const char* db : {"DB1_B", "DB2_B", "DB3_B", "DB4_B"}) {
        const std::string folder = std::string(TERVO_FVC_DIR) + "/" + db;
        DIR* dir = opendir(folder.c_str());
        if (dir == nullptr) continue;
        std::vector<std::string> names;
        while (const dirent* entry = readdir(dir))
            if (std::strstr(entry->d_name, ".bmp") != nullptr) names.emplace_back(entry->d_name);
        closedir(dir);
        for (const std::string& name : names) {
            Template t = extractFile(folder + "/" + name);
            if (!t.empty()) found.push_back(std::move(t));
        }
    }
    if (found.empty()) throw std::runtime_error("no real prints in " TERVO_FVC_DIR);
    return found;
}

// lib.dat in a folder of its own, the library in memory, and the opened
// libraries; the live finger is impression 1 after setup's impression.
struct Library {
    std::string folder;
    std::vector<unsigned char> bytes;

    Library() {
        if (LIVESCAN_Init() != 1 || FP_Begin() != 1) throw std::runtime_error("libraries did not open");
        const std::vector<Template> impostors = realTemplates();
        const Template mate = captureAndExtract();
        bytes.resize(static_cast<std::size_t>(kLibrarySize) * kFeatureLen);
        for (int i = 0; i < kLibrarySize; ++i) {
            const Template& t = i == kPlanted ? mate : impostors[i % impostors.size()];
            std::memcpy(&bytes[static_cast<std::size_t>(i) * kFeatureLen], t.data(), kFeatureLen);
        }
        char name[] = "/tmp/tervo-search-XXXXXX";
        if (mkdtemp(name) == nullptr) throw std::runtime_error("no temporary folder");
        folder = name;
        std::ofstream(folder + "/lib.dat", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ~Library() {
        std::remove((folder + "/lib.dat").c_str());
        rmdir(folder.c_str());
    }
};

Library& library() {
    static Library instance;
    return instance;
}

// Keeps the routines' report lines out of the benchmark's table.
struct QuietStdout {
    int saved = dup(STDOUT_FILENO);
    QuietStdout() {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
};

void BM_FingerMatch1vN(benchmark::State& state) {
    Library& lib = library();
    Template probe = captureAndExtract();
    int id = -1;
    int score = 0;
    for (auto _ : state) {
        QuietStdout quiet;
        FingerMatch1vN(probe.data(), lib.bytes.data(), kLibrarySize, &id, &score);
    }
    state.counters["found"] = id == kPlanted ? 1 : 0;
    state.counters["score"] = score;
    state.counters["comparisons/s"] =
        benchmark::Counter(static_cast<double>(kLibrarySize), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FingerMatch1vN)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PC_Serch(benchmark::State& state) {
    Library& lib = library();
    char previous[4096];
    if (getcwd(previous, sizeof previous) == nullptr || chdir(lib.folder.c_str()) != 0) {
        state.SkipWithError("cannot enter the library's folder");
        return;
    }
    for (auto _ : state) {
        QuietStdout quiet;
        PC_Serch(nullptr);
    }
    if (chdir(previous) != 0) state.SkipWithError("cannot go back");
}
BENCHMARK(BM_PC_Serch)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
