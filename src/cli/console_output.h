#pragma once
// Printing the program's texts on a terminal: UTF-8, line feeds only.

#include <cstdio>
#include <string>

#include "common/views.h"

namespace trelvane::cli {

// Writes `text` and a line feed; every "\r\n" (and lone "\r") in it becomes "\n".
void PrintLine(std::FILE* stream, const std::u16string& text);

// A memo on a terminal: each appended text is printed as it would show in the memo.
class StreamLineSink : public LineSink {
 public:
  explicit StreamLineSink(std::FILE* stream) : stream_(stream) {}
  void AppendLine(const std::u16string& text) override { PrintLine(stream_, text); }

 private:
  std::FILE* stream_;
};

// A fatal message box becomes its text, plain, on standard error.
class ConsoleMessageBoxes : public MessageBoxes {
 public:
  void ShowMessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) override;
};

// The command line has no windows: the start-up's window texts go nowhere.
class NoStartupWindows : public StartupWindows {
 public:
  void ShowDebugWindowModeless() override {}
  void SetChooserCaption(const std::u16string&) override {}
  void SetProgramNameLabel(const std::u16string&) override {}
  void SetMainCaption(const std::u16string&) override {}
  void SetMainStatusPanel(int, const std::u16string&) override {}
  void SetChooserMakerNotice(const std::u16string&) override {}
  void SetMakerLink(const std::u16string&) override {}
  void SetChooserStatusText(const std::u16string&) override {}
};

}  // namespace trelvane::cli
