// The virtual scanner's state machine: one channel, opened by Init and closed
// by Close, serving synthetic impressions of the finger "on the sensor" or
// replayed image files. Entry points map one to one onto its methods, most of
// them the device controls it shares with the libfprint reader; the exported
// C functions add fault injection and the call log (see livescan_exports.cpp).
#ifndef TERVO_SCANNER_VIRTUAL_SCANNER_H
#define TERVO_SCANNER_VIRTUAL_SCANNER_H

#include <cstdint>
#include <optional>
#include <string>

#include "call_log.h"
#include "device_controls.h"
#include "fault_plan.h"
#include "replay_source.h"
#include "scanner_settings.h"
#include "synthetic_fingers.h"

namespace tervo::scanner {

class VirtualScanner final : public DeviceControls {
  public:
    int init();
    int close();
    int setup();

    // Consumes an injected fault of the entry point, if one is pending.
    std::optional<int> injectedFault(const std::string& entryPoint) { return faults_.take(entryPoint); }
    CallLog& log() { return log_; }

  private:
    int acquire(int channel, tervo::synth::GrayImage& image) override;
    std::wstring description() const override;
    void applySettings();
    std::optional<int> linkLossResult();

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

#endif
