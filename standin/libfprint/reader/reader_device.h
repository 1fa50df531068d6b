// The capture library's device model on a libfprint reader: one channel,
// opened by Init and closed by Close, with the virtual scanner's device
// controls (levels, gain, capture window), serving the reader's images
// brought to the 256 x 360 window at 500 ppi. Entry points map one to one
// onto its methods.
#ifndef TERVO_FPRINT_READER_DEVICE_H
#define TERVO_FPRINT_READER_DEVICE_H

#include <string>

#include "device_controls.h"
#include "fprint_link.h"
#include "plane.h"
#include "reader_settings.h"

namespace tervo::fprint {

using tervo::scanner::CaptureWindow;

class ReaderDevice final : public tervo::scanner::DeviceControls {
  public:
    int init();
    int close();
    int setup();

  private:
    // One image of the reader brought to the 256 x 360 window at 500 ppi.
    int acquire(int channel, tervo::synth::GrayImage& image) override;
    std::wstring description() const override;
    double sourcePpi() const;

    FprintLink link_;
    ReaderSettings settings_;
};

}  // namespace tervo::fprint

#endif
