// tervo-fpshow: draws an image with its foreground, skeleton and minutiae into a PNG, for inspecting
// the extractor.   tervo-fpshow IMAGE.bmp OUT.png
#include <chrono>
#include <cmath>
#include <cstdio>

#include "enhancement.h"
#include "extractor.h"
#include "minutiae.h"
#include "png_writer.h"
#include "program_info.h"
#include "result_codes.h"
#include "ridge_fields.h"
#include "thinning.h"
#include "verification.h"

using namespace tervo;
using namespace tervo::fpr;
using namespace tervo::fpr::tools;

int main(int argc, char** argv) {
    constexpr const char* kUsage = "usage: tervo-fpshow IMAGE.bmp OUT.png";
    if (answeredProgramInfo(argc, argv, "tervo-fpshow", kUsage,
                            "Draws the image with its foreground, skeleton and minutiae as the reference\n"
                            "extractor finds them into a PNG file.\n"
                            "\n"
                            "  --help     print this text\n"
                            "  --version  print the version\n"))
        return 0;
    if (argc != 3) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    ImageBuffer buffer;
    DecodedImage decoded;
    if (!loadImageFile(argv[1], buffer) || decodeImage(buffer.data(), decoded) != GA_OK) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    const RidgeFields fields = analyseRidges(decoded.pixels);
    const auto t1 = Clock::now();
    std::vector<std::uint8_t> ridges = enhanceAndBinarise(decoded.pixels, fields);
    const auto t2 = Clock::now();
    std::vector<std::uint8_t> skeleton = ridges;
    thin(skeleton, kWidth, kHeight);
    const auto t3 = Clock::now();
    const std::vector<Minutia> minutiae = detectMinutiae(skeleton, fields);
    const auto t4 = Clock::now();
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count() * 1e3;
    };
    std::printf("fields %.2f ms, enhancement %.2f ms, thinning %.2f ms, minutiae %.2f ms\n", ms(t0, t1),
                ms(t1, t2), ms(t2, t3), ms(t3, t4));
    RgbImage img(2 * kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t g = decoded.pixels[y * kWidth + x];
            const bool fg = fields.foreground[fields.index(x / kBlockSize, y / kBlockSize)];
            img.set(x, y, g, g, fg ? g : static_cast<std::uint8_t>(g / 2 + 64));
            const std::uint8_t r = ridges[y * kWidth + x] ? 90 : 255;
            img.set(kWidth + x, y, r, r, r);
            if (skeleton[y * kWidth + x]) img.set(kWidth + x, y, 0, 0, 0);
        }
    }
    for (const Minutia& m : minutiae) {
        const bool ending = m.type == MinutiaType::Ending;
        for (int side = 0; side < 2; ++side) {
            const int ox = side * kWidth;
            for (int d = -2; d <= 2; ++d) {
                img.set(ox + m.x + d, m.y - 2, ending ? 255 : 0, 0, ending ? 0 : 255);
                img.set(ox + m.x + d, m.y + 2, ending ? 255 : 0, 0, ending ? 0 : 255);
                img.set(ox + m.x - 2, m.y + d, ending ? 255 : 0, 0, ending ? 0 : 255);
                img.set(ox + m.x + 2, m.y + d, ending ? 255 : 0, 0, ending ? 0 : 255);
            }
            for (int t = 3; t < 10; ++t) {
                img.set(ox + m.x + static_cast<int>(std::lround(t * std::cos(m.angle))),
                        m.y + static_cast<int>(std::lround(t * std::sin(m.angle))), 0, 180, 0);
            }
        }
    }
    std::printf("%zu minutiae, quality %d, foreground blocks %d\n", minutiae.size(),
                qualityOfImage(decoded.pixels), fields.foregroundBlocks);
    return writePng(argv[2], img) ? 0 : 1;
}
