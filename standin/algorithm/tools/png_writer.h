// Minimal PNG writer for RGB plots: stored (uncompressed) deflate blocks, so no zlib is needed.
#ifndef TERVO_FPR_TOOLS_PNG_WRITER_H
#define TERVO_FPR_TOOLS_PNG_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace tervo::fpr::tools {

struct RgbImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // 3 bytes per pixel, top row first
    RgbImage(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3, 255) {}
    void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
    }
};

bool writePng(const std::string& path, const RgbImage& image);

}  // namespace tervo::fpr::tools

#endif
