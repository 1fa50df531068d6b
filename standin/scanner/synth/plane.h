// A rectangular grid of values (gray image, ridge field, mask), row-major,
// top row first.
#ifndef TERVO_SYNTH_PLANE_H
#define TERVO_SYNTH_PLANE_H

#include <cstdint>
#include <vector>

namespace tervo::synth {

template <typename T>
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<T> values;

    Plane() = default;
    Plane(int w, int h, T fill = T{}) : width(w), height(h), values(static_cast<std::size_t>(w) * h, fill) {}

    T& at(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
    const T& at(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
    T* row(int y) { return values.data() + static_cast<std::size_t>(y) * width; }
    const T* row(int y) const { return values.data() + static_cast<std::size_t>(y) * width; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

using GrayImage = Plane<std::uint8_t>;
using FloatPlane = Plane<float>;

// Bilinear sample; positions outside the plane return `outside`.
inline float sampleBilinear(const FloatPlane& plane, float x, float y, float outside) {
    if (!(x >= 0.0F && y >= 0.0F && x <= plane.width - 1.001F && y <= plane.height - 1.001F)) return outside;
    const int x0 = static_cast<int>(x);
    const int y0 = static_cast<int>(y);
    const float fx = x - x0;
    const float fy = y - y0;
    const float* top = plane.row(y0) + x0;
    const float* bottom = top + plane.width;
    const float upper = top[0] + fx * (top[1] - top[0]);
    const float lower = bottom[0] + fx * (bottom[1] - bottom[0]);
    return upper + fy * (lower - upper);
}

// One bilinear sampling position, computed once and read from several planes
// of the same size (the master print's ridge, depth, moisture and texture).
class BilinearTap {
  public:
    BilinearTap(int width, int height, float x, float y)
        : inside_(x >= 0.0F && y >= 0.0F && x <= width - 1.001F && y <= height - 1.001F) {
        if (!inside_) return;
        const int x0 = static_cast<int>(x);
        const int y0 = static_cast<int>(y);
        fx_ = x - x0;
        fy_ = y - y0;
        offset_ = static_cast<std::size_t>(y0) * width + x0;
        stride_ = static_cast<std::size_t>(width);
    }
    bool inside() const { return inside_; }
    float read(const FloatPlane& plane, float outside) const {
        if (!inside_) return outside;
        const float* top = plane.values.data() + offset_;
        const float* bottom = top + stride_;
        const float upper = top[0] + fx_ * (top[1] - top[0]);
        const float lower = bottom[0] + fx_ * (bottom[1] - bottom[0]);
        return upper + fy_ * (lower - upper);
    }

  private:
    bool inside_;
    float fx_ = 0.0F;
    float fy_ = 0.0F;
    std::size_t offset_ = 0;
    std::size_t stride_ = 0;
};

}  // namespace tervo::synth

#endif
