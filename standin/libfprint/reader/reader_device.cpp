#include "reader_device.h"

#include <glib.h>

#include <iostream>
#include <sstream>

#include "driver_resolutions.h"
#include "result_codes.h"
#include "window_fit.h"

namespace tervo::fprint {
namespace {

// libfprint's names are UTF-8; wchar_t holds UCS-4 on Linux.
std::wstring wide(const std::string& text) {
    glong length = 0;
    gunichar* characters = g_utf8_to_ucs4_fast(text.c_str(), -1, &length);
    std::wstring converted(characters, characters + length);
    g_free(characters);
    return converted;
}

}  // namespace

using tervo::synth::GrayImage;

int ReaderDevice::init() {
    settings_ = readReaderSettings(std::cerr);
    if (link_.isOpen()) return tervo::GA_OK;
    const int opened = link_.open(settings_, std::cerr);
    if (opened != tervo::GA_OK) return opened;
    powerOn();
    return tervo::GA_OK;
}

int ReaderDevice::close() {
    link_.close();
    powerOff();
    return tervo::GA_OK;
}

int ReaderDevice::setup() {
    if (!isOpen()) return tervo::GA_E_DEVICE_NOINIT;
    settings_ = readReaderSettings(std::cerr);
    return tervo::GA_OK;
}

double ReaderDevice::sourcePpi() const {
    return settings_.ppi ? *settings_.ppi : resolutionOf(link_.driver()).ppi;
}

int ReaderDevice::acquire(int channel, GrayImage& image) {
    const int state = checkOpenChannel(channel);
    if (state != tervo::GA_OK) return state;
    GrayImage delivered;
    const int result = link_.capture(settings_.timeoutMs, delivered);
    if (result != tervo::GA_OK) return result;
    image = fitToWindow(delivered, scaleToWindow(sourcePpi()));
    applyLevels(image);
    return tervo::GA_OK;
}

std::wstring ReaderDevice::description() const {
    std::wostringstream text;
    text << L"libfprint 指纹采集仪 / libfprint fingerprint reader: " << wide(link_.name()) << L" (driver "
         << wide(link_.driver()) << L", device " << wide(link_.deviceId()) << L"), "
         << static_cast<int>(sourcePpi() + 0.5) << L" ppi images brought to 256 x 360 at 500 ppi, 8-bit gray";
    return text.str();
}

}  // namespace tervo::fprint
