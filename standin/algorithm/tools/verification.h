// The verification-competition protocol over a folder of FFF_I.bmp images: every pair of impressions
// of one finger is genuine, every pair of impressions of two different fingers is an impostor pair.
#ifndef TERVO_FPR_TOOLS_VERIFICATION_H
#define TERVO_FPR_TOOLS_VERIFICATION_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry.h"

namespace tervo::fpr::tools {

struct Impression {
    int finger = 0;
    int impression = 0;
    std::string path;
};

using ImageBuffer = std::array<std::uint8_t, kImageBufferSize>;

// Images named <finger>_<impression>.bmp in the folder, sorted by finger then impression.
std::vector<Impression> listImpressions(const std::string& folder);

// Reads the first kBmpFileSize bytes of a file into a zeroed buffer.
bool loadImageFile(const std::string& path, ImageBuffer& buffer);

struct PairIndex {
    int first, second;
    bool genuine;
};
std::vector<PairIndex> protocolPairs(const std::vector<Impression>& set);

struct ErrorRates {
    double eer = 0, fmr100 = 0, fmr1000 = 0, fmr10000 = 0, fnmrAtThreshold = 0, fmrAtThreshold = 0;
};

// Rates in percent. FMRn is the lowest FNMR with FMR at most 1/n; the threshold rates count a
// score above the threshold as a match.
ErrorRates errorRates(std::vector<float> genuine, std::vector<float> impostor, float threshold);

}  // namespace tervo::fpr::tools

#endif
