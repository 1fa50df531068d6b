// Fixed image geometry and buffer sizes of the capture module.
#ifndef TERVO_FPR_GEOMETRY_H
#define TERVO_FPR_GEOMETRY_H

#include <cstddef>

namespace tervo::fpr {

constexpr int kWidth = 256;
constexpr int kHeight = 360;
constexpr std::size_t kPixelCount = static_cast<std::size_t>(kWidth) * kHeight;  // 92160
constexpr std::size_t kBmpHeaderSize = 1078;                        // headers + 256-entry palette
constexpr std::size_t kBmpFileSize = kBmpHeaderSize + kPixelCount;  // 93238
constexpr std::size_t kImageBufferSize = 95160;
constexpr std::size_t kTemplateSize = 512;

}  // namespace tervo::fpr

#endif
