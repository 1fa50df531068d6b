#include "console_input.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "line_editor.h"
#include "modulapi.h"

namespace {

constexpr const char* kSkipped = ", command skipped\n";

// With line editing, the characters come from the line the operator last
// entered; a prompt waits here until a new line is needed, so that the editor
// shows it and knows where the line starts.
struct EditedLine {
    std::string text;
    std::size_t next = 0;
    bool ended = false;
    std::string prompt;
} edited;

int nextChar() {
    if (!tervo::console::line_editor::active()) return std::getchar();
    while (edited.next >= edited.text.size()) {
        if (edited.ended || !tervo::console::line_editor::readLine(edited.prompt.c_str(), edited.text)) {
            edited.ended = true;
            edited.text.clear();
            edited.next = 0;
            return EOF;
        }
        edited.text += '\n';
        edited.next = 0;
        edited.prompt.clear();
    }
    return static_cast<unsigned char>(edited.text[edited.next++]);
}

void putBack(int c) {
    if (!tervo::console::line_editor::active())
        std::ungetc(c, stdin);
    else
        --edited.next;
}

bool lineHoldsAnswer() {
    for (std::size_t i = edited.next; i < edited.text.size(); ++i)
        if (!std::isspace(static_cast<unsigned char>(edited.text[i]))) return true;
    return false;
}

}  // namespace

void showPrompt(const char* text) {
    // An answer already typed on the line is read at once: the prompt is
    // printed before it, as with piped input.
    if (tervo::console::line_editor::active() && !edited.ended && !lineHoldsAnswer()) {
        edited.prompt = text;
        return;
    }
    std::printf("%s", text);
}

TokenRead readToken(char* buf, std::size_t size) {
    // Whatever was printed must reach a pipe before we wait for input.
    std::fflush(stdout);
    int c = nextChar();
    while (c != EOF && std::isspace(c)) c = nextChar();
    if (c == EOF) {
        buf[0] = '\0';
        return TokenRead::End;
    }
    std::size_t len = 0;
    bool tooLong = false;
    for (; c != EOF && !std::isspace(c); c = nextChar()) {
        if (len + 1 < size)
            buf[len++] = static_cast<char>(c);
        else
            tooLong = true;
    }
    if (c != EOF) putBack(c);
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
