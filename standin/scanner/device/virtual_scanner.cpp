#include "virtual_scanner.h"

#include <chrono>
#include <iostream>
#include <thread>

#include "device_texts.h"
#include "result_codes.h"

namespace tervo::scanner {

void VirtualScanner::applySettings() {
    settings_ = readScannerSettings(std::cerr);
    const tervo::synth::FingerIdentity wanted{settings_.seed, settings_.finger};
    // A different finger on the sensor starts again at its first impression.
    if (!identityChosen_ || wanted.seed != identity_.seed || wanted.finger != identity_.finger) {
        identity_ = wanted;
        nextImpression_ = 1;
        identityChosen_ = true;
    }
    replaying_ = false;
    if (!settings_.replayFolder.empty()) {
        if (settings_.replayFolder != replay_.folder() || replay_.size() == 0) {
            const std::string error = replay_.open(settings_.replayFolder);
            if (!error.empty())
                std::cerr << "virtual scanner: ignoring TERVO_SCANNER_REPLAY=\"" << settings_.replayFolder
                          << "\" (" << error << "); using synthetic fingers\n";
        }
        replaying_ = replay_.size() > 0;
    }
    if (armedFaultText_ != settings_.faultText || armedFaultRateText_ != settings_.faultRateText) {
        faults_.parse(settings_.faultText);
        faults_.parseRandom(settings_.faultRateText);
        armedFaultText_ = settings_.faultText;
        armedFaultRateText_ = settings_.faultRateText;
    }
    if (armedLinkLossText_ != settings_.linkLossText) {
        goodCapturesBeforeLoss_ = settings_.linkLoss.afterCaptures;
        lostCapturesLeft_ = settings_.linkLoss.failingCaptures;
        armedLinkLossText_ = settings_.linkLossText;
    }
    if (!log_.open(settings_.logPath))
        std::cerr << "virtual scanner: ignoring TERVO_SCANNER_LOG=\"" << settings_.logPath
                  << "\" (cannot open the file); no call log\n";
}

int VirtualScanner::init() {
    applySettings();
    if (const std::optional<int> fault = faults_.take("Init")) return *fault;
    powerOn();
    return GA_OK;
}

int VirtualScanner::close() {
    powerOff();
    return GA_OK;
}

int VirtualScanner::setup() {
    if (!isOpen()) return GA_E_DEVICE_NOINIT;
    // The virtual device's "setup dialog": take up changed settings now.
    applySettings();
    return GA_OK;
}

std::optional<int> VirtualScanner::linkLossResult() {
    if (lostCapturesLeft_ <= 0) return std::nullopt;
    if (goodCapturesBeforeLoss_ > 0) {
        --goodCapturesBeforeLoss_;
        return std::nullopt;
    }
    --lostCapturesLeft_;
    return settings_.linkLoss.code;
}

int VirtualScanner::acquire(int channel, tervo::synth::GrayImage& image) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (settings_.latencyMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(settings_.latencyMs));
    if (const std::optional<int> lost = linkLossResult()) return *lost;
    if (settings_.noFinger) return GA_E_TIMEOUT;
    if (replaying_) {
        std::optional<tervo::synth::GrayImage> replayed = replay_.next();
        if (!replayed) return GA_E_FILEIILEGAL;
        image = std::move(*replayed);
    } else {
        image = fingers_.impression(identity_, nextImpression_++, settings_.difficulty);
    }
    applyLevels(image);
    return GA_OK;
}

std::wstring VirtualScanner::description() const {
    return deviceDescription();
}

}  // namespace tervo::scanner
