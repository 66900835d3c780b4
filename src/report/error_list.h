#pragma once
// The failed ranges of a run as the main window lists them under the format log, one row per range:
// the write errors of the zero fill, then what the read-back found wrong, so that a long run's
// failures can be read without scrolling the log.

#include <string>
#include <vector>

#include "os/system.h"
#include "report/erasure_report.h"

namespace trelvane {

// One row, already in the list's words: offset and length in bytes with grouped digits, the system
// error code (empty for a range without one) and what went wrong, led by the phase that found it.
struct ErrorListRow {
  std::u16string offset;
  std::u16string length;
  std::u16string code;
  std::u16string text;
  friend bool operator==(const ErrorListRow&, const ErrorListRow&) = default;
};

// The list's column captions, in column order.
inline constexpr const char16_t* ErrorListCaptions[] = {u"Смещение", u"Длина", u"Код", u"Ошибка"};

// The rows of `report`; empty for a run without a failed range. A code the report has no text for
// gets the system's text.
std::vector<ErrorListRow> ErrorListRows(System& system, const ErasureReport& report);

}  // namespace trelvane
