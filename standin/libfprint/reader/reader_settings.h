// The reader's settings, read from TERVO_FPRINT_* environment variables at
// every LIVESCAN_Init and LIVESCAN_Setup. A bad value is reported on stderr in
// one line and replaced by its default.
#ifndef TERVO_FPRINT_READER_SETTINGS_H
#define TERVO_FPRINT_READER_SETTINGS_H

#include <optional>
#include <ostream>
#include <string>

namespace tervo::fprint {

struct ReaderSettings {
    // Empty: the first reader that delivers images. A number picks that
    // reader (from 0) among those; anything else names a libfprint driver.
    std::string device;
    int timeoutMs = 10000;  // how long a capture waits for a finger
    // Resolution of the reader's images; unset: the driver table's figure.
    std::optional<double> ppi;
};

ReaderSettings readReaderSettings(std::ostream& diagnostics);

// The reader index named by a TERVO_FPRINT_DEVICE text, if it is a number.
std::optional<int> deviceIndex(const std::string& device);

}  // namespace tervo::fprint

#endif
