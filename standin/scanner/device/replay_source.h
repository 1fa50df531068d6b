// Serves the images of a folder, in name order, instead of synthetic fingers.
#ifndef TERVO_SCANNER_REPLAY_SOURCE_H
#define TERVO_SCANNER_REPLAY_SOURCE_H

#include <optional>
#include <string>
#include <vector>

#include "plane.h"

namespace tervo::scanner {

class ReplaySource {
  public:
    // Lists the .bmp and .pgm files (any letter case) of the folder; returns
    // an error description, or an empty string when at least one file is there.
    std::string open(const std::string& folder);
    const std::string& folder() const { return folder_; }
    std::size_t size() const { return files_.size(); }

    // The next image fitted to the sensor window, wrapping around after the
    // last file; no value when that file cannot be read as an image.
    std::optional<tervo::synth::GrayImage> next();

  private:
    std::string folder_;
    std::vector<std::string> files_;
    std::size_t position_ = 0;
};

}  // namespace tervo::scanner

#endif
