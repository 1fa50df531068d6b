#include "console_input.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "modulapi.h"

namespace {

constexpr const char* kSkipped = ", command skipped\n";

}  // namespace

TokenRead readToken(char* buf, std::size_t size) {
    // Whatever was printed must reach a pipe before we wait for input.
    std::fflush(stdout);
    int c = std::getchar();
    while (c != EOF && std::isspace(c)) c = std::getchar();
    if (c == EOF) {
        buf[0] = '\0';
        return TokenRead::End;
    }
    std::size_t len = 0;
    bool tooLong = false;
    for (; c != EOF && !std::isspace(c); c = std::getchar()) {
        if (len + 1 < size)
            buf[len++] = static_cast<char>(c);
        else
            tooLong = true;
    }
    if (c != EOF) std::ungetc(c, stdin);
    if (tooLong) {
        buf[0] = '\0';
        return TokenRead::TooLong;
    }
    buf[len] = '\0';
    return TokenRead::Ok;
}

bool readNumber(int* value) {
    char token[kMaxToken + 1];
    const TokenRead got = readToken(token, sizeof token);
    std::printf("\n");
    if (got == TokenRead::End) {
        std::printf("end of input%s", kSkipped);
        return false;
    }
    if (got == TokenRead::TooLong) {
        std::printf("input longer than %d characters ignored%s", kMaxToken, kSkipped);
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(token, &end, 10);
    if (end == token || *end != '\0') {
        std::printf("not a number: %s%s", token, kSkipped);
        return false;
    }
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
        std::printf("number out of range: %s%s", token, kSkipped);
        return false;
    }
    *value = static_cast<int>(parsed);
    return true;
}

bool readFileName(char* buf, std::size_t size) {
    switch (readToken(buf, size)) {
        case TokenRead::Ok:
            std::printf("you input :\n%s\n", buf);
            return true;
        case TokenRead::TooLong:
            std::printf("input longer than %d characters ignored%s", kMaxToken, kSkipped);
            return false;
        case TokenRead::End:
            break;
    }
    std::printf("end of input%s", kSkipped);
    return false;
}
