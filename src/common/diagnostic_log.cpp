#include "common/diagnostic_log.h"

#include "text/date_time_text.h"

namespace trelvane {

std::u16string DiagnosticLog::CurrentDateTimeText() {
  const SystemTime now = system_.GetLocalTime();
  return DateTimeText(now, system_.GetRegionalSettings());
}

std::u16string DiagnosticLog::Stamped(const std::u16string& text) {
  return CurrentDateTimeText() + u"   " + text;
}

void DiagnosticLog::AddFormatLogLine(const std::u16string& text) {
  const std::u16string line = Stamped(text);
  if (formatSink_ != nullptr) formatSink_->AppendLine(line);
}

void DiagnosticLog::AddDebugLogLine(const std::u16string& text) {
  if (!debugMode_) return;
  const std::u16string line = Stamped(text);
  if (debugSink_ != nullptr) debugSink_->AppendLine(line);
}

void DiagnosticLog::AddFormatLogLineInDebugMode(const std::u16string& text) {
  if (debugMode_) AddFormatLogLine(text);
}

void DiagnosticLog::AddUnstampedFormatLogLine(const std::u16string& text) {
  if (formatSink_ != nullptr) formatSink_->AppendLine(text);
}

}  // namespace trelvane
