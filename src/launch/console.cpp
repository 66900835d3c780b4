#include "launch/console.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef TRELVANE_WINDOWS
#include <io.h>
#include <windows.h>
#define TRELVANE_ISATTY _isatty
#define TRELVANE_FILENO _fileno
#else
#include <unistd.h>
#define TRELVANE_ISATTY isatty
#define TRELVANE_FILENO fileno
#endif

namespace trelvane {

namespace {
void (*interruptHandler)() = nullptr;

extern "C" void OnSignal(int) {
  if (interruptHandler != nullptr) interruptHandler();
}
}  // namespace

HelpLanguage HelpLanguageOfUser() {
#ifdef TRELVANE_WINDOWS
  return HelpLanguage::Russian;
#else
  return HelpLanguageOfLocale([](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value != nullptr ? value : "");
  });
#endif
}

void PrepareConsoleForUtf8() {
#ifdef TRELVANE_WINDOWS
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
#endif
}

bool StandardErrorIsTerminal() { return TRELVANE_ISATTY(TRELVANE_FILENO(stderr)) != 0; }
bool StandardInputIsTerminal() { return TRELVANE_ISATTY(TRELVANE_FILENO(stdin)) != 0; }

void OnInterrupt(void (*handler)()) {
  interruptHandler = handler;
  const auto action = handler != nullptr ? OnSignal : SIG_DFL;
  std::signal(SIGINT, action);
#ifdef SIGTERM
  std::signal(SIGTERM, action);
#endif
#ifdef SIGHUP
  std::signal(SIGHUP, action);
#endif
}

void IgnoreBrokenPipe() {
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

}  // namespace trelvane
