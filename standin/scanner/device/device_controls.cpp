#include "device_controls.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "device_texts.h"
#include "image_files.h"
#include "result_codes.h"
#include "sensor_geometry.h"

namespace tervo::scanner {
namespace {

using tervo::synth::GrayImage;
using tervo::synth::kSensorHeight;
using tervo::synth::kSensorWidth;

GrayImage windowOf(const GrayImage& image, const CaptureWindow& window) {
    GrayImage windowed(window.width, window.height);
    for (int y = 0; y < window.height; ++y)
        std::memcpy(windowed.row(y), image.row(window.originY + y) + window.originX,
                    static_cast<std::size_t>(window.width));
    return windowed;
}

}  // namespace

void DeviceControls::powerOn() {
    if (!open_) {
        bright_ = contrast_ = kLevelDefault;
        gain_ = kGainDefault;
        window_ = CaptureWindow{};
        capturing_ = false;
    }
    open_ = true;
}

void DeviceControls::powerOff() {
    open_ = false;
    capturing_ = false;
}

int DeviceControls::openResult() const {
    return open_ ? GA_OK : GA_E_DEVICE_NOINIT;
}

int DeviceControls::checkOpenChannel(int channel) const {
    if (!open_) return GA_E_DEVICE_NOINIT;
    return channel == 0 ? GA_OK : GA_E_INVALID_PARAMETER;
}

int DeviceControls::setLevel(int channel, int value, int& level) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (value < kLevelMin || value > kLevelMax) return GA_E_INVALID_PARAMETER;
    level = value;
    return GA_OK;
}

int DeviceControls::getLevel(int channel, int* value, int level) const {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (value == nullptr) return GA_E_INVALID_PARAMETER;
    *value = level;
    return GA_OK;
}

int DeviceControls::setBright(int channel, int value) {
    return setLevel(channel, value, bright_);
}

int DeviceControls::setContrast(int channel, int value) {
    return setLevel(channel, value, contrast_);
}

int DeviceControls::getBright(int channel, int* value) const {
    return getLevel(channel, value, bright_);
}

int DeviceControls::getContrast(int channel, int* value) const {
    return getLevel(channel, value, contrast_);
}

int DeviceControls::setGain(int value) {
    if (!open_) return GA_E_DEVICE_NOINIT;
    if (value < 0 || value > kGainMax) return GA_E_INVALID_PARAMETER;
    gain_ = value;
    return GA_OK;
}

int DeviceControls::getMaxImageSize(int channel, int* width, int* height) const {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (width == nullptr || height == nullptr) return GA_E_INVALID_PARAMETER;
    *width = kSensorWidth;
    *height = kSensorHeight;
    return GA_OK;
}

int DeviceControls::getCaptWindow(int channel, int* originX, int* originY, int* width, int* height) const {
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

int DeviceControls::setCaptWindow(int channel, const CaptureWindow& window) {
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

int DeviceControls::beginCapture(int channel) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    capturing_ = true;
    return GA_OK;
}

int DeviceControls::endCapture(int channel) {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (!capturing_) return GA_E_NOBEGINCAPTURE;
    capturing_ = false;
    return GA_OK;
}

int DeviceControls::setBufferEmpty(unsigned char* buffer, long length) const {
    if (!open_) return GA_E_DEVICE_NOINIT;
    if (buffer == nullptr || length <= 0 || length > kMaxClearBytes) return GA_E_INVALID_PARAMETER;
    std::memset(buffer, 0, static_cast<std::size_t>(length));
    return GA_OK;
}

int DeviceControls::playSound(int channel, int code, int secondCode) const {
    const int state = checkOpenChannel(channel);
    if (state != GA_OK) return state;
    if (code < 0 || code > kMaxSoundCode || secondCode < 0 || secondCode > kMaxSoundCode)
        return GA_E_INVALID_PARAMETER;
    return GA_OK;
}

// (v - 128) * contrast/128 * gain factor + 128 + (bright - 128).
void DeviceControls::applyLevels(GrayImage& image) const {
    if (bright_ == kLevelDefault && contrast_ == kLevelDefault && gain_ == kGainDefault) return;
    const double slope = contrast_ / 128.0 * (0.75 + gain_ / 16.0);
    std::uint8_t table[256];
    for (int level = 0; level < 256; ++level) {
        const double mapped = (level - 128) * slope + 128 + (bright_ - kLevelDefault);
        table[level] = static_cast<std::uint8_t>(std::clamp(mapped + 0.5, 0.0, 255.0));
    }
    for (std::uint8_t& value : image.values) value = table[value];
}

int DeviceControls::getRawData(int channel, unsigned char* destination) {
    if (destination == nullptr) return open_ ? GA_E_INVALID_PARAMETER : GA_E_DEVICE_NOINIT;
    GrayImage image;
    const int result = acquire(channel, image);
    if (result != GA_OK) return result;
    // At most 256 x 360 = 92160 bytes.
    const GrayImage windowed = windowOf(image, window_);
    std::memcpy(destination, windowed.values.data(), windowed.values.size());
    return GA_OK;
}

int DeviceControls::getBmpData(int channel, unsigned char* destination) {
    if (destination == nullptr) return open_ ? GA_E_INVALID_PARAMETER : GA_E_DEVICE_NOINIT;
    GrayImage image;
    const int result = acquire(channel, image);
    if (result != GA_OK) return result;
    const std::vector<std::uint8_t> bmp = tervo::synth::encodeGrayBmp(windowOf(image, window_));
    std::memcpy(destination, bmp.data(), bmp.size());
    return GA_OK;
}

int DeviceControls::getDesc(char* destination) const {
    if (destination == nullptr) return GA_E_INVALID_PARAMETER;
    writeWideText(destination, kDescriptionBytes, open_ ? description() : std::wstring());
    return openResult();
}

}  // namespace tervo::scanner
