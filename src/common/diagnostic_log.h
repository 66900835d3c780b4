#pragma once
// The two diagnostic log writers: the format log (always) and the debug log (only in debug mode).
// A log line is the local date and time, three blanks and the text; a text with line breaks shows as
// several memo lines of which only the first carries the time stamp.

#include <string>

#include "common/views.h"
#include "os/system.h"

namespace trelvane {

class DiagnosticLog {
 public:
  // `debugMode` is the program's DebugMode flag, read at every debug line.
  DiagnosticLog(System& system, const bool& debugMode) : system_(system), debugMode_(debugMode) {}

  void SetFormatSink(LineSink* sink) { formatSink_ = sink; }
  void SetDebugSink(LineSink* sink) { debugSink_ = sink; }
  LineSink* FormatSink() const { return formatSink_; }
  LineSink* DebugSink() const { return debugSink_; }

  void AddFormatLogLine(const std::u16string& text);
  void AddDebugLogLine(const std::u16string& text);
  // Writes to the format log only in debug mode (the scans' progress lines).
  void AddFormatLogLineInDebugMode(const std::u16string& text);
  // Adds a line to the format log as it is, without a time stamp.
  void AddUnstampedFormatLogLine(const std::u16string& text);

  // The current local date and time as log lines and report headers show it.
  std::u16string CurrentDateTimeText();
  bool DebugMode() const { return debugMode_; }

 private:
  std::u16string Stamped(const std::u16string& text);

  System& system_;
  const bool& debugMode_;
  LineSink* formatSink_ = nullptr;
  LineSink* debugSink_ = nullptr;
};

}  // namespace trelvane
