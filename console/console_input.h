// Reading the operator's input: whitespace-delimited tokens from stdin, with
// over-long tokens, non-numbers and the end of input told apart so that no
// command ever runs on a truncated name or a stale number. At a terminal the
// lines are read through the line editor when it can be loaded.
#ifndef TERVO_CONSOLE_INPUT_H
#define TERVO_CONSOLE_INPUT_H

#include <cstddef>

enum class TokenRead { Ok, TooLong, End };

// Prints the prompt for the answer read next. At a terminal with line editing
// the editor shows it when the operator starts a new line; with an answer
// already on the line, or piped input, it is printed at once.
void showPrompt(const char* text);

// Reads one token into buf (size bytes, the last for the terminator). A token
// that does not fit is consumed whole and reported as TooLong; buf is then empty.
TokenRead readToken(char* buf, std::size_t size);

// The answer to a number prompt: one token that is a whole 32-bit decimal
// integer. Prints the prompt's line feed, and on failure one line saying why;
// value is changed only on success.
bool readNumber(int* value);

// The answer to a file-name prompt, echoed as the command loop echoes commands.
// On failure prints one line saying why and leaves buf empty.
bool readFileName(char* buf, std::size_t size);

#endif
