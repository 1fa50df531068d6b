#include "virtual_scanner.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <thread>

#include "device_texts.h"
#include "image_files.h"
#include "result_codes.h"
#include "sensor_geometry.h"

namespace scanner {

using fpsynth::kSensorHeight;
using fpsynth::kSensorWidth;
using namespace tervo;  // the result codes

void VirtualScanner::applySettings() {
    settings_ = readScannerSettings(std::cerr);
    const fpsynth::FingerIdentity wanted{settings_.seed, settings_.finger};
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
    if (!open_) {
        // Opening powers the sensor up with its factory levels and full window.
        bright_ = contrast_ = kLevelDefault;
        gain_ = kGainDefault;
        window_ = CaptureWindow{};
        capturing_ = false;
    }
    open_ = true;
    return GA_OK;
}

int VirtualScanner::close() {
    open_ = false;
    capturing_ = false;
    return GA_OK;
}

int VirtualScanner::setup() {
    if (!open_) return GA_E_DEVICE_NOINIT;
    // The virtual device's "setup dialog": take up changed settings now.
    applySettings();
    return GA_OK;
}

int VirtualScanner::openResult() const {
    return open_ ? GA_OK : GA_E_DEVICE_NOINIT;
}

int VirtualScanner::checkOpenChannel(int channel) const {
    if (!open_) return GA_E_DEVICE_NOINIT;
    return channel == 0 ? GA_OK : GA_E_INVALID_PARAMETER;
}

int VirtualScanner::setBright(int channel, int value) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (value < kLevelMin || value > kLevelMax) return GA_E_INVALID_PARAMETER;
    bright_ = value;
    return GA_OK;
}

int VirtualScanner::setContrast(int channel, int value) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (value < kLevelMin || value > kLevelMax) return GA_E_INVALID_PARAMETER;
    contrast_ = value;
    return GA_OK;
}

int VirtualScanner::setGain(int value) {
    if (!open_) return GA_E_DEVICE_NOINIT;
    if (value < 0 || value > kGainMax) return GA_E_INVALID_PARAMETER;
    gain_ = value;
    return GA_OK;
}

int VirtualScanner::getBright(int channel, int* value) const {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (value == nullptr) return GA_E_INVALID_PARAMETER;
    *value = bright_;
    return GA_OK;
}

int VirtualScanner::getContrast(int channel, int* value) const {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (value == nullptr) return GA_E_INVALID_PARAMETER;
    *value = contrast_;
    return GA_OK;
}

int VirtualScanner::getMaxImageSize(int channel, int* width, int* height) const {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (width == nullptr || height == nullptr) return GA_E_INVALID_PARAMETER;
    *width = kSensorWidth;
    *height = kSensorHeight;
    return GA_OK;
}

int VirtualScanner::getCaptWindow(int channel, int* originX, int* originY, int* width, int* height) const {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (originX == nullptr || originY == nullptr || width == nullptr || height == nullptr)
        return GA_E_INVALID_PARAMETER;
    *originX = window_.originX;
    *originY = window_.originY;
    *width = window_.width;
    *height = window_.height;
    return GA_OK;
}

int VirtualScanner::setCaptWindow(int channel, const CaptureWindow& window) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    // Compared as differences so that huge values cannot overflow the sums.
    const bool fits = window.originX >= 0 && window.originY >= 0 && window.width >= 1 && window.height >= 1 &&
                      window.width <= kSensorWidth - window.originX &&
                      window.height <= kSensorHeight - window.originY;
    if (!fits) return GA_E_INVALID_PARAMETER;
    window_ = window;
    return GA_OK;
}

int VirtualScanner::beginCapture(int channel) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    capturing_ = true;
    return GA_OK;
}

int VirtualScanner::endCapture(int channel) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (!capturing_) return GA_E_NOBEGINCAPTURE;
    capturing_ = false;
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

void VirtualScanner::applyLevels(fpsynth::GrayImage& image) const {
    if (bright_ == kLevelDefault && contrast_ == kLevelDefault && gain_ == kGainDefault) return;
    const double slope = contrast_ / 128.0 * (0.75 + gain_ / 16.0);
    std::uint8_t table[256];
    for (int level = 0; level < 256; ++level) {
        const double mapped = (level - 128) * slope + 128 + (bright_ - kLevelDefault);
        table[level] = static_cast<std::uint8_t>(std::clamp(mapped + 0.5, 0.0, 255.0));
    }
    for (std::uint8_t& value : image.values) value = table[value];
}

int VirtualScanner::acquire(int channel, fpsynth::GrayImage& image) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (settings_.latencyMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(settings_.latencyMs));
    if (const std::optional<int> lost = linkLossResult()) return *lost;
    if (settings_.noFinger) return GA_E_TIMEOUT;
    if (replaying_) {
        std::optional<fpsynth::GrayImage> replayed = replay_.next();
        if (!replayed) return GA_E_FILEIILEGAL;
        image = std::move(*replayed);
    } else {
        image = fingers_.impression(identity_, nextImpression_++, settings_.difficulty);
    }
    applyLevels(image);
    return GA_OK;
}

int VirtualScanner::getRawData(int channel, unsigned char* destination) {
    if (destination == nullptr) return open_ ? GA_E_INVALID_PARAMETER : GA_E_DEVICE_NOINIT;
    fpsynth::GrayImage image;
    const int result = acquire(channel, image);
    if (result != GA_OK) return result;
    // The device sends only the capture window, rows packed one after another.
    for (int y = 0; y < window_.height; ++y)
        std::memcpy(destination + static_cast<std::size_t>(y) * window_.width,
                    image.row(window_.originY + y) + window_.originX,
                    static_cast<std::size_t>(window_.width));
    return GA_OK;
}

int VirtualScanner::getBmpData(int channel, unsigned char* destination) {
    if (destination == nullptr) return open_ ? GA_E_INVALID_PARAMETER : GA_E_DEVICE_NOINIT;
    fpsynth::GrayImage image;
    const int result = acquire(channel, image);
    if (result != GA_OK) return result;
    fpsynth::GrayImage windowed(window_.width, window_.height);
    for (int y = 0; y < window_.height; ++y)
        std::memcpy(windowed.row(y), image.row(window_.originY + y) + window_.originX,
                    static_cast<std::size_t>(window_.width));
    const std::vector<std::uint8_t> bmp = fpsynth::encodeGrayBmp(windowed);
    std::memcpy(destination, bmp.data(), bmp.size());
    return GA_OK;
}

int VirtualScanner::getDesc(char* destination) const {
    if (destination == nullptr) return GA_E_INVALID_PARAMETER;
    if (!open_) {
        writeWideText(destination, kDescriptionBytes, L"");
        return GA_E_DEVICE_NOINIT;
    }
    writeWideText(destination, kDescriptionBytes, deviceDescription());
    return GA_OK;
}

int VirtualScanner::setBufferEmpty(unsigned char* buffer, long length) const {
    if (!open_) return GA_E_DEVICE_NOINIT;
    if (buffer == nullptr || length <= 0 || length > kMaxClearBytes) return GA_E_INVALID_PARAMETER;
    std::memset(buffer, 0, static_cast<std::size_t>(length));
    return GA_OK;
}

int VirtualScanner::playSound(int channel, int code, int secondCode) const {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (code < 0 || code > kMaxSoundCode || secondCode < 0 || secondCode > kMaxSoundCode)
        return GA_E_INVALID_PARAMETER;
    return GA_OK;
}

}  // namespace scanner
