#pragma once
// The few console facts the command line needs from the operating system.

#include "app/help_text.h"

namespace trelvane {

// The language `--help` answers in: the locale's on Linux; Russian on Windows, like the rest of the
// program there.
HelpLanguage HelpLanguageOfUser();

// Makes the console show the UTF-8 text the command line writes (a Windows console defaults to the
// OEM code page); nothing to do elsewhere.
void PrepareConsoleForUtf8();
// True when standard error is a terminal (progress is then shown as one updating line).
bool StandardErrorIsTerminal();
// True when standard input is a terminal.
bool StandardInputIsTerminal();
// Makes Ctrl+C, a termination request and a hang-up of the terminal call `handler` instead of ending
// the process; nullptr restores the default.
void OnInterrupt(void (*handler)());
// A reader that goes away (output piped into `head`, a closed terminal) must not end a run half-way:
// writes to it then fail quietly instead of killing the process.
void IgnoreBrokenPipe();

}  // namespace trelvane
