// Writes seed inputs for the fuzz targets from the project's own tools: the
// BMP files given (made by tervo-fpgen) become image seeds, their templates
// template-pair seeds and their compressed forms decompression seeds.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ID_Fpr.h"

namespace {

void save(const std::string& path, const unsigned char* data, std::size_t size) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTDIR IMAGE.bmp...\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    FP_Begin();
    std::vector<unsigned char> previous(512, 0);
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::vector<unsigned char> image((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        image.resize(95160, 0);
        const std::string n = std::to_string(i - 2);
        save(out + "/image/" + n, image.data(), 93238);

        std::vector<unsigned char> pair(1024 + 92160, 0);
        FP_FeatureExtract(0, 0, image.data(), pair.data());
        std::copy(previous.begin(), previous.end(), pair.begin() + 512);
        std::copy(image.begin() + 1078, image.begin() + 1078 + 92160, pair.begin() + 1024);
        save(out + "/templates/" + n, pair.data(), pair.size());
        std::copy(pair.begin(), pair.begin() + 512, previous.begin());

        std::vector<unsigned char> compressed(95160, 0);
        unsigned char work[256] = {};
        if (FP_Compress(0, 0, 0, image.data(), 6, compressed.data(), work) == 1)
            save(out + "/decompress/" + n, compressed.data(), compressed.size());
    }
    FP_End();
    return 0;
}
