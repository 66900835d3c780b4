#pragma once
// Printing the program's texts on a terminal: UTF-8, line feeds only.

#include <cstdio>
#include <string>
#include <vector>

#include "common/views.h"

namespace trelvane::cli {

// Writes `text` and a line feed; every "\r\n" (and lone "\r") in it becomes "\n".
void PrintLine(std::FILE* stream, const std::u16string& text);

// The one updating progress line on standard error, drawn only when standard error is a terminal.
// Other output clears it first and has it drawn again after, so no line runs into the progress text.
class ProgressLine {
 public:
  ProgressLine();
  void Show(const std::string& text);
  // Clears the line from the terminal; Restore draws it again.
  void Hide();
  void Restore();
  // Leaves the line as it stands and moves to the next one.
  void End();

 private:
  const bool terminal_;
  bool shown_ = false;
  std::string text_;
};

// A memo on a terminal: each appended text is printed as it would show in the memo, around the
// progress line when there is one.
class StreamLineSink : public LineSink {
 public:
  StreamLineSink(std::FILE* stream, ProgressLine* progress = nullptr) : stream_(stream), progress_(progress) {}
  void AppendLine(const std::u16string& text) override;

 private:
  std::FILE* stream_;
  ProgressLine* progress_;
};

// Writes `text` on standard error and, when a JSON document collects the messages, keeps it there.
void PrintMessage(std::vector<std::u16string>* record, const std::u16string& text);

// A fatal message box becomes its text, plain, on standard error (and in `record` when set).
class ConsoleMessageBoxes : public MessageBoxes {
 public:
  void ShowMessageBox(const std::u16string& text, const std::u16string& caption, MessageIcon icon) override;
  std::vector<std::u16string>* record = nullptr;
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
