#include "replay_source.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "image_files.h"

namespace tervo::scanner {
namespace {

bool isImageName(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".bmp" || extension == ".pgm";
}

}  // namespace

std::string ReplaySource::open(const std::string& folder) {
    folder_ = folder;
    files_.clear();
    position_ = 0;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return "cannot read the folder: " + error.message();
    for (const auto& entry : entries) {
        std::error_code kindError;
        if (entry.is_regular_file(kindError) && isImageName(entry.path()))
            files_.push_back(entry.path().string());
    }
    std::sort(files_.begin(), files_.end());
    if (files_.empty()) return "the folder holds no .bmp or .pgm file";
    return {};
}

std::optional<tervo::synth::GrayImage> ReplaySource::next() {
    if (files_.empty()) return std::nullopt;
    const std::string& path = files_[position_];
    position_ = (position_ + 1) % files_.size();
    const std::optional<tervo::synth::GrayImage> image = tervo::synth::readGrayImageFile(path);
    if (!image) return std::nullopt;
    return tervo::synth::fitToSensor(*image);
}

}  // namespace tervo::scanner
