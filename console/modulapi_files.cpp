// Image and file utilities: the "./Fp.bmp" writer, the two file readers, the
// millisecond clock and the hex dump.
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "modulapi.h"

namespace {

constexpr int kBmpHeaderLen = 1078;  // file header, information header and palette

void put16(unsigned char* at, unsigned value) {
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void put32(unsigned char* at, unsigned long value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

// An 8-bit grayscale BMP header: bottom-up rows, identity gray palette.
void buildBmpHeader(unsigned char* h, int width, int height) {
    std::memset(h, 0, kBmpHeaderLen);
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 10, kBmpHeaderLen);
    put32(h + 14, 40);
    put32(h + 18, static_cast<unsigned long>(width));
    put32(h + 22, static_cast<unsigned long>(height));
    put16(h + 26, 1);
    put16(h + 28, 8);
    for (int i = 0; i < 256; ++i) {
        unsigned char* entry = h + 54 + static_cast<std::size_t>(4 * i);
        entry[0] = entry[1] = entry[2] = static_cast<unsigned char>(i);
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int WriteBMP(char* file, unsigned char* Input, int BMP_X,
                                                               int BMP_Y) {
    // The work area holds one 256 x 360 image; anything that does not fit, or
    // has no pixels, is refused rather than written half-formed.
    static unsigned char work[ImageLen];
    if (BMP_X <= 0 || BMP_Y <= 0 || BMP_X > ImageLen / BMP_Y) {
        errno = EINVAL;
        return 0;
    }
    const std::size_t rowLen = static_cast<std::size_t>(BMP_X);
    const std::size_t pixels = rowLen * static_cast<std::size_t>(BMP_Y);

    unsigned char header[kBmpHeaderLen];
    buildBmpHeader(header, BMP_X, BMP_Y);
    std::memcpy(work, Input, pixels);

    // The BMP stores the bottom row first.
    unsigned char row[ImageLen];
    for (int j = 0; j < BMP_Y / 2; ++j) {
        unsigned char* top = work + rowLen * j;
        unsigned char* bottom = work + rowLen * (BMP_Y - 1 - j);
        std::memcpy(row, top, rowLen);
        std::memcpy(top, bottom, rowLen);
        std::memcpy(bottom, row, rowLen);
    }

    // Written beside the target and renamed into place once complete, so that
    // a crash or a full disk never leaves a torn image where the last good
    // capture was. On failure errno tells the caller why.
    std::string temporary = std::string(file) + ".XXXXXX";
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) return 0;
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* out = fdopen(fd, "wb");
    if (out == nullptr) {
        const int reason = errno;
        close(fd);
        unlink(temporary.c_str());
        errno = reason;
        return 0;
    }
    errno = 0;
    bool written = std::fwrite(header, 1, sizeof header, out) == sizeof header;
    written = written && std::fwrite(work, 1, pixels, out) == pixels;
    written = (std::fclose(out) == 0) && written;
    if (!written || std::rename(temporary.c_str(), file) != 0) {
        const int reason = errno != 0 ? errno : EIO;
        unlink(temporary.c_str());
        errno = reason;
        return 0;
    }
    return 1;
}

int readFileData(char* file, unsigned char* p, int data_len) {
    if (data_len <= 0) {
        std::printf("read length %d for %s is not positive!\n", data_len, file);
        return -2;
    }
    std::FILE* in = std::fopen(file, "rb");
    if (in == nullptr) {
        std::printf("fopen %s fail!\n", file);
        return -1;
    }
    if (p == nullptr) {
        std::printf("null data buffer!\n");
        std::fclose(in);
        return -2;
    }
    // Read aside and copied in whole, so that a short file leaves the buffer as
    // it was: an operator's image or template is never half overwritten.
    const std::size_t len = static_cast<std::size_t>(data_len);
    std::unique_ptr<unsigned char[]> scratch(new (std::nothrow) unsigned char[len]);
    if (scratch == nullptr) {
        std::printf("unable to malloc %d bytes memory!\n", data_len);
        std::fclose(in);
        return -2;
    }
    const std::size_t got = std::fread(scratch.get(), 1, len, in);
    std::fclose(in);
    if (got != len) {
        std::printf("fread %s fail!\n", file);
        return -3;
    }
    std::memcpy(p, scratch.get(), len);
    std::printf("read %s success!\n", file);
    return 1;
}

WholeFileRead readWholeFile(std::FILE* in, unsigned char** data, int* size) {
    const off_t length = std::fseek(in, 0, SEEK_END) == 0 ? ftello(in) : -1;
    if (length < 0 || length > INT_MAX) return WholeFileRead::TooLarge;
    *size = static_cast<int>(length);
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(length > 0 ? length : 1));
    if (buffer == nullptr) return WholeFileRead::NoMemory;
    std::rewind(in);
    if (std::fread(buffer, 1, static_cast<std::size_t>(length), in) != static_cast<std::size_t>(length)) {
        std::free(buffer);
        return WholeFileRead::ShortRead;
    }
    *data = buffer;
    return WholeFileRead::Read;
}

int readFileData(char* file, unsigned char** p) {
    std::FILE* in = std::fopen(file, "rb");
    if (in == nullptr) {
        std::printf("fopen %s fail!\n", file);
        return -1;
    }
    *p = nullptr;
    int size = 0;
    unsigned char* data = nullptr;
    const WholeFileRead outcome = readWholeFile(in, &data, &size);
    std::fclose(in);
    if (outcome == WholeFileRead::TooLarge) {
        std::printf("%s is too large to read!\n", file);
        return -2;
    }
    std::printf("%s size is %d bytes!\n", file, size);
    if (outcome == WholeFileRead::NoMemory) {
        std::printf("unable to malloc %d bytes memory!\n", size);
        return -2;
    }
    if (outcome == WholeFileRead::ShortRead) {
        std::printf("fread %s fail!\n", file);
        return -3;
    }
    std::printf("read %s success!\n", file);
    *p = data;
    return 1;
}

int64_t get_current_timestamp() {
    timeval now{};
    gettimeofday(&now, nullptr);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_usec / 1000;
}

void printHex(unsigned char* hex, int count, int lenCount) {
    for (int i = 0; i < count; ++i) {
        std::printf("0X%x ", static_cast<unsigned>(hex[i]));
        // Without a positive line length everything stays on one line.
        if (lenCount > 0 && i > 0 && i % lenCount == 0) std::printf("\n");
    }
}
