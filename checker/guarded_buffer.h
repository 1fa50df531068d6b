// An output buffer handed to a library, surrounded by guard bytes, so that a
// write beyond the size the contract gives the call is seen afterwards.
#ifndef TERVO_CHECKER_GUARDED_BUFFER_H
#define TERVO_CHECKER_GUARDED_BUFFER_H

#include <cstddef>
#include <optional>
#include <vector>

namespace tervo::check {

class GuardedBuffer {
  public:
    static constexpr unsigned char kPattern = 0xA5;
    // Large enough that a modest overrun lands in the guard, not in the heap.
    static constexpr std::size_t kGuard = 4096;

    explicit GuardedBuffer(std::size_t size) : bytes_(size + 2 * kGuard, kPattern), size_(size) {}

    unsigned char* data() { return bytes_.data() + kGuard; }
    const unsigned char* data() const { return bytes_.data() + kGuard; }
    std::size_t size() const { return size_; }

    // Offset, from the start of the buffer, of the first guard byte the
    // library changed after the buffer (or, as a negative number, before it).
    std::optional<long> strayWrite() const;
    // How many bytes of the buffer itself differ from the fill pattern.
    std::size_t bytesWritten() const;
    // One past the last byte of the buffer that differs from the fill pattern.
    std::size_t extentWritten() const;
    // Length in wide characters of the text in the buffer, when a wide zero
    // ends it within the buffer.
    std::optional<std::size_t> wideLength() const;

  private:
    std::vector<unsigned char> bytes_;
    std::size_t size_;
};

}  // namespace tervo::check

#endif
