// How finely each libfprint driver's images sample the finger: the sensor's
// own resolution times the enlargement the driver applies before handing the
// image over. libfprint itself reports no resolution for any of them.
#ifndef TERVO_FPRINT_DRIVER_RESOLUTIONS_H
#define TERVO_FPRINT_DRIVER_RESOLUTIONS_H

#include <string>

namespace tervo::fprint {

// The console's images are taken at this resolution.
constexpr double kWindowPpi = 500.0;

struct DriverResolution {
    const char* driver;  // libfprint's driver id
    double ppi;          // pixels per inch of the images the driver delivers
    bool documented;     // false: the sensor's resolution is assumed
};

// The entry for a driver, or a 500 ppi assumption for one the table lacks.
DriverResolution resolutionOf(const std::string& driver);

// Scale from the driver's images to the window: source pixels per window
// pixel. Resolutions within 3 % of 500 ppi count as 500 ppi, so that those
// images are cropped or padded without being resampled.
double scaleToWindow(double ppi);

}  // namespace tervo::fprint

#endif
