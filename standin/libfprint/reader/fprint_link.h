// The link to one libfprint reader: finding it among the readers libfprint
// knows, opening it, capturing images with a time limit, closing it. Results
// are the capture library's result codes.
#ifndef TERVO_FPRINT_FPRINT_LINK_H
#define TERVO_FPRINT_FPRINT_LINK_H

#include <ostream>
#include <string>

#include "plane.h"
#include "reader_settings.h"

typedef struct _FpContext FpContext;
typedef struct _FpDevice FpDevice;

namespace tervo::fprint {

class FprintLink {
  public:
    FprintLink() = default;
    FprintLink(const FprintLink&) = delete;
    FprintLink& operator=(const FprintLink&) = delete;
    ~FprintLink() { close(); }

    // Finds the reader the settings name and opens it: 1, or
    // GA_E_DEVICE_NOFOUND when there is none or it cannot be opened (the
    // reason goes to `diagnostics`).
    int open(const ReaderSettings& settings, std::ostream& diagnostics);
    void close();
    bool isOpen() const { return device_ != nullptr; }

    // Waits up to `timeoutMs` for a finger and returns the reader's image as
    // libfprint delivers it. Frames libfprint asks to retry (a finger badly
    // placed, a blank frame) are waited through. GA_E_TIMEOUT when no image
    // came in time; -1 once the reader is gone (unplugged), until it is
    // closed and opened again; -2 for a broken exchange with the reader.
    int capture(int timeoutMs, tervo::synth::GrayImage& image);

    std::string driver() const;
    std::string deviceId() const;
    std::string name() const;

  private:
    FpContext* context_ = nullptr;
    FpDevice* device_ = nullptr;
    bool lost_ = false;
};

}  // namespace tervo::fprint

#endif
