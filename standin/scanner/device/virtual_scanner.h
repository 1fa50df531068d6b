// The virtual scanner's state machine: one channel, opened by Init and closed
// by Close, serving synthetic impressions of the finger "on the sensor" or
// replayed image files. Entry points map one to one onto its methods; the
// exported C functions add fault injection and the call log (see
// livescan_exports.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "call_log.h"
#include "fault_plan.h"
#include "replay_source.h"
#include "scanner_settings.h"
#include "synthetic_fingers.h"

namespace tervo::scanner {

struct CaptureWindow {
    int originX = 0;
    int originY = 0;
    int width = 256;
    int height = 360;
};

class VirtualScanner {
  public:
    static constexpr int kLevelMin = 0;
    static constexpr int kLevelMax = 255;
    static constexpr int kLevelDefault = 128;
    static constexpr int kGainMax = 15;
    static constexpr int kGainDefault = 4;
    static constexpr long kMaxClearBytes = 16L << 20;
    static constexpr int kMaxSoundCode = 255;

    int init();
    int close();
    int setup();
    bool isOpen() const { return open_; }

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
    // 1 while open, GA_E_DEVICE_NOINIT while closed: the answer of calls with nothing else to report.
    int openResult() const;

    // Consumes an injected fault of the entry point, if one is pending.
    std::optional<int> injectedFault(const std::string& entryPoint) { return faults_.take(entryPoint); }
    CallLog& log() { return log_; }

  private:
    void applySettings();
    int acquire(int channel, tervo::synth::GrayImage& image);
    std::optional<int> linkLossResult();
    void applyLevels(tervo::synth::GrayImage& image) const;
    int checkOpenChannel(int channel) const;

    bool open_ = false;
    bool capturing_ = false;
    int bright_ = kLevelDefault;
    int contrast_ = kLevelDefault;
    int gain_ = kGainDefault;
    CaptureWindow window_;

    ScannerSettings settings_;
    bool replaying_ = false;
    ReplaySource replay_;
    tervo::synth::SyntheticFingers fingers_;
    tervo::synth::FingerIdentity identity_;
    int nextImpression_ = 1;
    bool identityChosen_ = false;

    // One-shot plans are re-armed only when their text changes, so that a
    // console reopening the device (reconnect loops, cycle tests) sees the
    // faults and the link loss it was given once, not again at every open.
    FaultPlan faults_;
    std::optional<std::string> armedFaultText_;
    std::optional<std::string> armedFaultRateText_;
    std::optional<std::string> armedLinkLossText_;
    int goodCapturesBeforeLoss_ = 0;
    int lostCapturesLeft_ = 0;
    CallLog log_;
};

}  // namespace tervo::scanner
