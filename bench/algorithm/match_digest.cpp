// Every comparison of every pair of prints in the folders, to the bit: a change meant to make matching
// faster must leave this output unchanged, on every kernel. One line per pair (both orders of a print
// with itself included): set, the two indexes, then as hexadecimal float bits the similarity, raw score
// and support of the decoded route, the paired and overlap counts, and the similarity of the search
// route (stored bytes through the prepared cache) in both orders.
//
//   match_digest [--kernel portable|avx2|avx512|neon] FOLDER... > digest.txt
//   diff old.txt new.txt
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "anchor_counts.h"
#include "extractor.h"
#include "feature_template.h"
#include "image_input.h"
#include "matcher.h"
#include "prepared_cache.h"
#include "verification.h"

namespace {

using namespace tervo;
using namespace tervo::fpr;

unsigned bitsOf(float v) {
    unsigned u = 0;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

std::vector<std::vector<std::uint8_t>> templatesOf(const std::string& folder) {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& impression : tools::listImpressions(folder)) {
        tools::ImageBuffer image;
        DecodedImage decoded;
        if (!tools::loadImageFile(impression.path, image) || decodeImage(image.data(), decoded) != 1)
            continue;
        out.emplace_back(kTemplateSize);
        encodeTemplate(extractFeatures(decoded.pixels, 0, 0), out.back().data());
    }
    return out;
}

float searchRoute(const std::vector<std::uint8_t>& first, const std::vector<std::uint8_t>& second) {
    const PreparedTemplate *a = nullptr, *b = nullptr;
    if (!preparePair(first.data(), second.data(), a, b)) return -1.0F;
    return matchPrepared(*a, *b).similarity;
}

void digestSet(const std::string& folder) {
    const std::vector<std::vector<std::uint8_t>> bytes = templatesOf(folder);
    std::vector<FeatureTemplate> decoded(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) decodeTemplate(bytes[i].data(), decoded[i]);
    const std::string name = folder.substr(folder.find_last_of('/') + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        for (std::size_t j = i; j < bytes.size(); ++j) {
            const MatchDetail d = matchTemplates(decoded[i], decoded[j]);
            std::printf("%s %zu %zu %08x %08x %08x %d %d %d %08x %08x\n", name.c_str(), i, j,
                        bitsOf(d.similarity), bitsOf(d.raw), bitsOf(d.support), d.paired, d.overlapA,
                        d.overlapB, bitsOf(searchRoute(bytes[i], bytes[j])),
                        bitsOf(searchRoute(bytes[j], bytes[i])));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--kernel") == 0) {
        const std::string k = argv[2];
        const CountKernel kernel = k == "avx2"     ? CountKernel::Avx2
                                   : k == "avx512" ? CountKernel::Avx512
                                   : k == "neon"   ? CountKernel::Neon
                                                   : CountKernel::Portable;
        if ((k != "portable" && kernel == CountKernel::Portable) || !useCountKernel(kernel)) {
            std::fprintf(stderr, "kernel %s is unknown or this processor lacks it\n", k.c_str());
            return 2;
        }
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: match_digest [--kernel portable|avx2|avx512|neon] FOLDER...\n");
        return 2;
    }
    for (int a = first; a < argc; ++a) digestSet(argv[a]);
    return 0;
}
