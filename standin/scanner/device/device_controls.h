// The controls every capture device of the contract has, whatever delivers
// its images: opened and closed, one channel, brightness and contrast levels,
// a gain, a capture window on the 256 x 360 sensor and the bracket of a
// capture. The virtual scanner and the libfprint reader both are one, so that
// they answer the same calls with the same codes and the same images.
#ifndef TERVO_SCANNER_DEVICE_CONTROLS_H
#define TERVO_SCANNER_DEVICE_CONTROLS_H

#include <string>

#include "plane.h"

namespace tervo::scanner {

struct CaptureWindow {
    int originX = 0;
    int originY = 0;
    int width = 256;
    int height = 360;
};

class DeviceControls {
  public:
    static constexpr int kLevelMin = 0;
    static constexpr int kLevelMax = 255;
    static constexpr int kLevelDefault = 128;
    static constexpr int kGainMax = 15;
    static constexpr int kGainDefault = 4;
    static constexpr long kMaxClearBytes = 16L << 20;
    static constexpr int kMaxSoundCode = 255;

    bool isOpen() const { return open_; }
    // 1 while open, GA_E_DEVICE_NOINIT while closed: the answer of calls with nothing else to report.
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
    int setBufferEmpty(unsigned char* buffer, long length) const;
    int playSound(int channel, int code, int secondCode) const;
    // One capture's window: its rows packed one after another, or as an
    // 8-bit BMP file.
    int getRawData(int channel, unsigned char* destination);
    int getBmpData(int channel, unsigned char* destination);
    // The device's description as a wide text in the caller's buffer; empty while closed.
    int getDesc(char* destination) const;

  protected:
    ~DeviceControls() = default;
    // One whole 256 x 360 sensor image of an open device's channel, the
    // levels applied, or the capture's failure.
    virtual int acquire(int channel, tervo::synth::GrayImage& image) = 0;
    virtual std::wstring description() const = 0;

    // Opening powers the sensor up with its factory levels and full window;
    // opening an open device keeps them.
    void powerOn();
    void powerOff();
    int checkOpenChannel(int channel) const;
    // The levels and gain applied to a sensor image; nothing changes at the defaults.
    void applyLevels(tervo::synth::GrayImage& image) const;

  private:
    // Brightness and contrast: a level of 0..255 on channel 0.
    int setLevel(int channel, int value, int& level);
    int getLevel(int channel, int* value, int level) const;

    bool open_ = false;
    bool capturing_ = false;
    int bright_ = kLevelDefault;
    int contrast_ = kLevelDefault;
    int gain_ = kGainDefault;
    CaptureWindow window_;
};

}  // namespace tervo::scanner

#endif
