#include "guarded_buffer.h"

#include <cstring>
#include <cwchar>

namespace tervo::check {

std::optional<long> GuardedBuffer::strayWrite() const {
    const unsigned char* start = bytes_.data();
    for (std::size_t i = 0; i < kGuard; ++i)
        if (start[kGuard + size_ + i] != kPattern) return static_cast<long>(size_ + i);
    for (std::size_t i = kGuard; i-- > 0;)
        if (start[i] != kPattern) return static_cast<long>(i) - static_cast<long>(kGuard);
    return std::nullopt;
}

std::size_t GuardedBuffer::bytesWritten() const {
    std::size_t changed = 0;
    for (std::size_t i = 0; i < size_; ++i) changed += data()[i] != kPattern;
    return changed;
}

std::size_t GuardedBuffer::extentWritten() const {
    for (std::size_t end = size_; end > 0; --end)
        if (data()[end - 1] != kPattern) return end;
    return 0;
}

std::optional<std::size_t> GuardedBuffer::wideLength() const {
    // Read unit by unit: the buffer need not be aligned for wchar_t.
    for (std::size_t i = 0; (i + 1) * sizeof(wchar_t) <= size_; ++i) {
        wchar_t unit;
        std::memcpy(&unit, data() + i * sizeof(wchar_t), sizeof unit);
        if (unit == L'\0') return i;
    }
    return std::nullopt;
}

}  // namespace tervo::check
