#include "png_file.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace tervo::fpgen {
namespace {

// libpng reports errors by longjmp; keeping the setjmp frame in a function
// with no C++ objects of its own avoids skipping any destructor.
bool encode(std::FILE* file, const tervo::synth::GrayImage& image, std::vector<png_bytep>& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writeGrayPng(const std::string& path, const tervo::synth::GrayImage& image) {
    if (image.width <= 0 || image.height <= 0) return false;
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(image.row(y));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool encoded = encode(file, image, rows);
    const bool closed = std::fclose(file) == 0;
    if (!(encoded && closed)) std::remove(path.c_str());
    return encoded && closed;
}

}  // namespace tervo::fpgen
