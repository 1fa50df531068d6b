// Line editing for an operator at a terminal: libedit's readline interface,
// loaded at run time, so that the console keeps no link-time dependency and
// runs unchanged on a board without the library.
#ifndef TERVO_LINE_EDITOR_H
#define TERVO_LINE_EDITOR_H

#include <string>

namespace tervo::console::line_editor {

// True when standard input and standard output are both terminals and libedit
// could be loaded. Decided at the first call, before anything is read.
bool active();

// Shows the prompt, lets the operator edit one line and keeps it in the
// history (Up brings it back). The line comes without its line feed; false
// at the end of input, and when the editor is not active.
bool readLine(const char* prompt, std::string& line);

}  // namespace tervo::console::line_editor

#endif
