// The capture library's device model on a libfprint reader: one channel,
// opened by Init and closed by Close, with the virtual scanner's levels, gain
// and capture window, serving the reader's images brought to the 256 x 360
// window at 500 ppi. Entry points map one to one onto its methods.
#pragma once

#include <string>

#include "fprint_link.h"
#include "plane.h"
#include "reader_settings.h"

namespace fprint_reader {

struct CaptureWindow {
    int originX = 0;
    int originY = 0;
    int width = 256;
    int height = 360;
};

class ReaderDevice {
  public:
    static constexpr int kLevelMax = 255;
    static constexpr int kLevelDefault = 128;
    static constexpr int kGainMax = 15;
    static constexpr int kGainDefault = 4;
    static constexpr long kMaxClearBytes = 16L << 20;
    static constexpr int kMaxSoundCode = 255;

    int init();
    int close();
    int setup();
    // 1 while open, GA_E_DEVICE_NOINIT while closed.
    int openResult() const;

    int setBright(int channel, int value);
    int setContrast(int channel, int value);
    int setGain(int value);
    int getBright(int channel, int* value) const;
    int getContrast(int channel, int* value) const;
    int getMaxImageSize(int channel, int* width, int* height) const;
    int getCaptWindow(int channel, int* originX, int* originY, int* width, int* height) const;
    int setCaptWindow(int channel, const CaptureWindow& window);
    int beginCapture(int channel);
    int endCapture(int channel);
    int getRawData(int channel, unsigned char* destination);
    int getBmpData(int channel, unsigned char* destination);
    int getDesc(char* destination) const;
    int setBufferEmpty(unsigned char* buffer, long length) const;
    int playSound(int channel, int code, int secondCode) const;

  private:
    int checkOpenChannel(int channel) const;
    // One image of the capture window, or the capture's failure.
    int acquireWindow(int channel, tervo::synth::GrayImage& windowed);
    double sourcePpi() const;
    std::wstring description() const;

    FprintLink link_;
    ReaderSettings settings_;
    bool capturing_ = false;
    int bright_ = kLevelDefault;
    int contrast_ = kLevelDefault;
    int gain_ = kGainDefault;
    CaptureWindow window_;
};

}  // namespace fprint_reader
