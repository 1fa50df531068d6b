#include "window_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "driver_resolutions.h"

namespace {

using tervo::fprint::fitToWindow;
using tervo::synth::GrayImage;

// value = a + bx * x + by * y at every pixel, rounded: a ramp that any
// symmetric interpolation or averaging filter must keep.
GrayImage ramp(int width, int height, double a, double bx, double by) {
    GrayImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.at(x, y) = static_cast<std::uint8_t>(std::lround(a + bx * x + by * y));
    return image;
}

int rowsOfWhite(const GrayImage& image, bool fromTop) {
    int count = 0;
    for (int i = 0; i < image.height; ++i) {
        const int y = fromTop ? i : image.height - 1 - i;
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y) != 255) return count;
        ++count;
    }
    return count;
}

TEST(WindowFit, AtScaleOneCentresCropsAndPadsWithoutResampling) {
    const GrayImage same = ramp(256, 360, 10, 0.3, 0.4);
    EXPECT_EQ(fitToWindow(same, 1.0).values, same.values);

    const GrayImage large = ramp(300, 400, 0, 0.5, 0.25);
    const GrayImage cropped = fitToWindow(large, 1.0);
    EXPECT_EQ(cropped.at(0, 0), large.at(22, 20));
    EXPECT_EQ(cropped.at(255, 359), large.at(277, 379));

    const GrayImage small = ramp(101, 51, 0, 1, 1);
    const GrayImage padded = fitToWindow(small, 1.0);
    EXPECT_EQ(rowsOfWhite(padded, true), 154);
    EXPECT_EQ(rowsOfWhite(padded, false), 155);
    EXPECT_EQ(padded.at(77, 154), small.at(0, 0));
}

TEST(WindowFit, ReducesAFinerImageAndKeepsARampItsSlopeTimesTheScale) {
    // 1000 ppi, 512 x 720: exactly the window once halved.
    const GrayImage fine = ramp(512, 720, 10, 0.1, 0.15);
    const GrayImage window = fitToWindow(fine, 2.0);
    ASSERT_EQ(window.width, 256);
    ASSERT_EQ(window.height, 360);
    EXPECT_EQ(rowsOfWhite(window, true), 0);
    for (int y = 2; y < 358; y += 7)
        for (int x = 2; x < 254; x += 5)
            EXPECT_NEAR(window.at(x, y), 10 + 0.1 * (2 * x + 0.5) + 0.15 * (2 * y + 0.5), 1.0)
                << x << "," << y;
}

TEST(WindowFit, EnlargesACoarserImageAndPadsAroundIt) {
    // nb1010: 256 x 180 at 385 ppi, 332 x 234 at 500 ppi.
    const double scale = tervo::fprint::scaleToWindow(385);
    const GrayImage coarse = ramp(256, 180, 30, 0.4, 0.5);
    const GrayImage window = fitToWindow(coarse, scale);
    EXPECT_EQ(rowsOfWhite(window, true), 63);
    EXPECT_EQ(rowsOfWhite(window, false), 63);
    const double step = 256.0 / 332.0;
    for (int y = 70; y < 290; y += 9)
        for (int x = 1; x < 255; x += 11) {
            const double sourceX = (x + 38 + 0.5) * step - 0.5;
            const double sourceY = (y - 63 + 0.5) * (180.0 / 234.0) - 0.5;
            EXPECT_NEAR(window.at(x, y), 30 + 0.4 * sourceX + 0.5 * sourceY, 1.0) << x << "," << y;
        }
}

TEST(WindowFit, KeepsAnEvenGrayAtAnyScaleAndAnySize) {
    for (const double scale : {0.5, 0.77, 1.37, 2.0, 3.0})
        for (const int size : {1, 7, 96, 384, 1500}) {
            const GrayImage window = fitToWindow(GrayImage(size, size * 2 / 3 + 1, 90), scale);
            ASSERT_EQ(window.values.size(), 256U * 360U);
            for (const std::uint8_t value : window.values) ASSERT_TRUE(value == 90 || value == 255) << scale;
        }
}

TEST(DriverResolutions, TakeNearly500PpiAsItAndKnowTheEnlargingDrivers) {
    EXPECT_EQ(tervo::fprint::scaleToWindow(512), 1.0) << "uru4000 images are cropped, not resampled";
    EXPECT_EQ(tervo::fprint::scaleToWindow(508), 1.0);
    EXPECT_DOUBLE_EQ(tervo::fprint::scaleToWindow(750), 1.5);
    EXPECT_EQ(tervo::fprint::resolutionOf("uru4000").ppi, 512);
    EXPECT_EQ(tervo::fprint::resolutionOf("aes4000").ppi, 750);
    EXPECT_EQ(tervo::fprint::resolutionOf("nb1010").ppi, 385);
    EXPECT_EQ(tervo::fprint::resolutionOf("a-driver-of-next-year").ppi, 500);
    EXPECT_FALSE(tervo::fprint::resolutionOf("a-driver-of-next-year").documented);
}

}  // namespace
