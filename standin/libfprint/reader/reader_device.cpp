#include "reader_device.h"

#include <glib.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <sstream>

#include "device_texts.h"
#include "driver_resolutions.h"
#include "image_files.h"
#include "result_codes.h"
#include "sensor_geometry.h"
#include "window_fit.h"

namespace fprint_reader {
namespace {

using fpsynth::GrayImage;
using fpsynth::kSensorHeight;
using fpsynth::kSensorWidth;

// The virtual scanner's level mapping, so that both libraries answer the
// same settings with the same images: (v - 128) * contrast/128 * gain factor
// + 128 + (bright - 128), nothing changed at the defaults.
void applyLevels(GrayImage& image, int bright, int contrast, int gain) {
    const double slope = contrast / 128.0 * (0.75 + gain / 16.0);
    std::uint8_t table[256];
    for (int level = 0; level < 256; ++level) {
        const double mapped = (level - 128) * slope + 128 + (bright - ReaderDevice::kLevelDefault);
        table[level] = static_cast<std::uint8_t>(std::clamp(mapped + 0.5, 0.0, 255.0));
    }
    for (std::uint8_t& value : image.values) value = table[value];
}

// libfprint's names are UTF-8; wchar_t holds UCS-4 on Linux.
std::wstring wide(const std::string& text) {
    glong length = 0;
    gunichar* characters = g_utf8_to_ucs4_fast(text.c_str(), -1, &length);
    std::wstring converted(characters, characters + length);
    g_free(characters);
    return converted;
}

}  // namespace

int ReaderDevice::init() {
    settings_ = readReaderSettings(std::cerr);
    if (link_.isOpen()) return tervo::GA_OK;
    const int opened = link_.open(settings_, std::cerr);
    if (opened != tervo::GA_OK) return opened;
    // Opening powers the reader up with its factory levels and full window.
    bright_ = contrast_ = kLevelDefault;
    gain_ = kGainDefault;
    window_ = CaptureWindow{};
    capturing_ = false;
    return tervo::GA_OK;
}

int ReaderDevice::close() {
    link_.close();
    capturing_ = false;
    return tervo::GA_OK;
}

int ReaderDevice::setup() {
    if (!link_.isOpen()) return tervo::GA_E_DEVICE_NOINIT;
    settings_ = readReaderSettings(std::cerr);
    return tervo::GA_OK;
}

int ReaderDevice::openResult() const {
    return link_.isOpen() ? tervo::GA_OK : tervo::GA_E_DEVICE_NOINIT;
}

int ReaderDevice::checkOpenChannel(int channel) const {
    if (!link_.isOpen()) return tervo::GA_E_DEVICE_NOINIT;
    return channel == 0 ? tervo::GA_OK : tervo::GA_E_INVALID_PARAMETER;
}

int ReaderDevice::setBright(int channel, int value) {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    if (value < 0 || value > kLevelMax) return tervo::GA_E_INVALID_PARAMETER;
    bright_ = value;
    return tervo::GA_OK;
}

int ReaderDevice::setContrast(int channel, int value) {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    if (value < 0 || value > kLevelMax) return tervo::GA_E_INVALID_PARAMETER;
    contrast_ = value;
    return tervo::GA_OK;
}

int ReaderDevice::setGain(int value) {
    if (!link_.isOpen()) return tervo::GA_E_DEVICE_NOINIT;
    if (value < 0 || value > kGainMax) return tervo::GA_E_INVALID_PARAMETER;
    gain_ = value;
    return tervo::GA_OK;
}

int ReaderDevice::getBright(int channel, int* value) const {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    if (value == nullptr) return tervo::GA_E_INVALID_PARAMETER;
    *value = bright_;
    return tervo::GA_OK;
}

int ReaderDevice::getContrast(int channel, int* value) const {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    if (value == nullptr) return tervo::GA_E_INVALID_PARAMETER;
    *value = contrast_;
    return tervo::GA_OK;
}

int ReaderDevice::getMaxImageSize(int channel, int* width, int* height) const {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    if (width == nullptr || height == nullptr) return tervo::GA_E_INVALID_PARAMETER;
    *width = kSensorWidth;
    *height = kSensorHeight;
    return tervo::GA_OK;
}

int ReaderDevice::getCaptWindow(int channel, int* originX, int* originY, int* width, int* height) const {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    if (originX == nullptr || originY == nullptr || width == nullptr || height == nullptr)
        return tervo::GA_E_INVALID_PARAMETER;
    *originX = window_.originX;
    *originY = window_.originY;
    *width = window_.width;
    *height = window_.height;
    return tervo::GA_OK;
}

int ReaderDevice::setCaptWindow(int channel, const CaptureWindow& window) {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    // Compared as differences so that huge values cannot overflow the sums.
    const bool fits = window.originX >= 0 && window.originY >= 0 && window.width >= 1 && window.height >= 1 &&
                      window.width <= kSensorWidth - window.originX &&
                      window.height <= kSensorHeight - window.originY;
    if (!fits) return tervo::GA_E_INVALID_PARAMETER;
    window_ = window;
    return tervo::GA_OK;
}

int ReaderDevice::beginCapture(int channel) {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    capturing_ = true;
    return tervo::GA_OK;
}

int ReaderDevice::endCapture(int channel) {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    if (!capturing_) return tervo::GA_E_NOBEGINCAPTURE;
    capturing_ = false;
    return tervo::GA_OK;
}

double ReaderDevice::sourcePpi() const {
    return settings_.ppi ? *settings_.ppi : resolutionOf(link_.driver()).ppi;
}

int ReaderDevice::acquireWindow(int channel, GrayImage& windowed) {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    GrayImage delivered;
    const int result = link_.capture(settings_.timeoutMs, delivered);
    if (result != tervo::GA_OK) return result;
    GrayImage image = fitToWindow(delivered, scaleToWindow(sourcePpi()));
    if (bright_ != kLevelDefault || contrast_ != kLevelDefault || gain_ != kGainDefault)
        applyLevels(image, bright_, contrast_, gain_);
    windowed = GrayImage(window_.width, window_.height);
    for (int y = 0; y < window_.height; ++y)
        std::memcpy(windowed.row(y), image.row(window_.originY + y) + window_.originX,
                    static_cast<std::size_t>(window_.width));
    return tervo::GA_OK;
}

int ReaderDevice::getRawData(int channel, unsigned char* destination) {
    if (destination == nullptr)
        return link_.isOpen() ? tervo::GA_E_INVALID_PARAMETER : tervo::GA_E_DEVICE_NOINIT;
    GrayImage windowed;
    const int result = acquireWindow(channel, windowed);
    if (result != tervo::GA_OK) return result;
    // The window's rows, packed: at most 256 x 360 = 92160 bytes.
    std::memcpy(destination, windowed.values.data(), windowed.values.size());
    return tervo::GA_OK;
}

int ReaderDevice::getBmpData(int channel, unsigned char* destination) {
    if (destination == nullptr)
        return link_.isOpen() ? tervo::GA_E_INVALID_PARAMETER : tervo::GA_E_DEVICE_NOINIT;
    GrayImage windowed;
    const int result = acquireWindow(channel, windowed);
    if (result != tervo::GA_OK) return result;
    const std::vector<std::uint8_t> bmp = fpsynth::encodeGrayBmp(windowed);
    std::memcpy(destination, bmp.data(), bmp.size());
    return tervo::GA_OK;
}

std::wstring ReaderDevice::description() const {
    std::wostringstream text;
    text << L"libfprint 指纹采集仪 / libfprint fingerprint reader: " << wide(link_.name()) << L" (driver "
         << wide(link_.driver()) << L", device " << wide(link_.deviceId()) << L"), "
         << static_cast<int>(sourcePpi() + 0.5) << L" ppi images brought to 256 x 360 at 500 ppi, 8-bit gray";
    return text.str();
}

int ReaderDevice::getDesc(char* destination) const {
    if (destination == nullptr) return tervo::GA_E_INVALID_PARAMETER;
    if (!link_.isOpen()) {
        scanner::writeWideText(destination, scanner::kDescriptionBytes, L"");
        return tervo::GA_E_DEVICE_NOINIT;
    }
    scanner::writeWideText(destination, scanner::kDescriptionBytes, description());
    return tervo::GA_OK;
}

int ReaderDevice::setBufferEmpty(unsigned char* buffer, long length) const {
    if (!link_.isOpen()) return tervo::GA_E_DEVICE_NOINIT;
    if (buffer == nullptr || length <= 0 || length > kMaxClearBytes) return tervo::GA_E_INVALID_PARAMETER;
    std::memset(buffer, 0, static_cast<std::size_t>(length));
    return tervo::GA_OK;
}

int ReaderDevice::playSound(int channel, int code, int secondCode) const {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    if (code < 0 || code > kMaxSoundCode || secondCode < 0 || secondCode > kMaxSoundCode)
        return tervo::GA_E_INVALID_PARAMETER;
    return tervo::GA_OK;
}

}  // namespace fprint_reader
