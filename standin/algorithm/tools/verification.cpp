#include "verification.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tervo::fpr::tools {

std::vector<Impression> listImpressions(const std::string& folder) {
    std::vector<Impression> out;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return out;
    while (const dirent* entry = readdir(dir)) {
        int finger = 0, impression = 0;
        char tail[8] = {0};
        if (std::sscanf(entry->d_name, "%d_%d.%7s", &finger, &impression, tail) == 3 &&
            std::string(tail) == "bmp") {
            out.push_back({finger, impression, folder + "/" + entry->d_name});
        }
    }
    closedir(dir);
    std::sort(out.begin(), out.end(), [](const Impression& a, const Impression& b) {
        return a.finger != b.finger ? a.finger < b.finger : a.impression < b.impression;
    });
    return out;
}

bool loadImageFile(const std::string& path, ImageBuffer& buffer) {
    buffer.fill(0);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    const std::size_t n = std::fread(buffer.data(), 1, kBmpFileSize, f);
    std::fclose(f);
    return n == kBmpFileSize;
}

std::vector<PairIndex> protocolPairs(const std::vector<Impression>& set) {
    std::vector<PairIndex> pairs;
    for (std::size_t i = 0; i < set.size(); ++i) {
        for (std::size_t j = i + 1; j < set.size(); ++j) {
            pairs.push_back({static_cast<int>(i), static_cast<int>(j), set[i].finger == set[j].finger});
        }
    }
    return pairs;
}

ErrorRates errorRates(std::vector<float> genuine, std::vector<float> impostor, float threshold) {
    ErrorRates r;
    if (genuine.empty() || impostor.empty()) return r;
    std::sort(genuine.begin(), genuine.end());
    std::sort(impostor.begin(), impostor.end());
    const double ng = static_cast<double>(genuine.size()), ni = static_cast<double>(impostor.size());
    // Rates at threshold t (match when score > t).
    auto fnmr = [&](float t) {
        return static_cast<double>(std::upper_bound(genuine.begin(), genuine.end(), t) - genuine.begin()) /
               ng;
    };
    auto fmr = [&](float t) {
        return static_cast<double>(impostor.end() - std::upper_bound(impostor.begin(), impostor.end(), t)) /
               ni;
    };
    std::vector<float> thresholds = impostor;
    thresholds.insert(thresholds.end(), genuine.begin(), genuine.end());
    thresholds.push_back(-1.0F);
    std::sort(thresholds.begin(), thresholds.end());
    thresholds.erase(std::unique(thresholds.begin(), thresholds.end()), thresholds.end());
    double bestGap = 2.0;
    r.fmr100 = r.fmr1000 = r.fmr10000 = 1.0;
    for (float t : thresholds) {
        const double a = fmr(t), b = fnmr(t);
        if (std::abs(a - b) < bestGap) {
            bestGap = std::abs(a - b);
            r.eer = (a + b) / 2;
        }
        if (a <= 0.01) r.fmr100 = std::min(r.fmr100, b);
        if (a <= 0.001) r.fmr1000 = std::min(r.fmr1000, b);
        if (a <= 0.0001) r.fmr10000 = std::min(r.fmr10000, b);
    }
    r.fnmrAtThreshold = fnmr(threshold);
    r.fmrAtThreshold = fmr(threshold);
    for (double* v : {&r.eer, &r.fmr100, &r.fmr1000, &r.fmr10000, &r.fnmrAtThreshold, &r.fmrAtThreshold})
        *v *= 100;
    return r;
}

}  // namespace tervo::fpr::tools
