#include "report/error_list.h"

#include <string_view>

#include "common/system_error_text.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

struct RangeKind {
  std::string_view kind;
  const char16_t* text;  // what the range is, after its phase
};

// The report's range kinds. A write error and an unreadable range say no more than their code's text.
constexpr RangeKind Kinds[] = {
    {"write_error", u"Запись"},
    {"unreadable", u"Проверка: не читается"},
    {"not_zero", u"Проверка: не нули"},
    {"wrapped", u"Проверка: за пределом настоящего объема устройства"},
    {"lost_write", u"Проверка: запись не сохранена"},
};

std::u16string KindText(std::string_view kind) {
  for (const RangeKind& row : Kinds) {
    if (row.kind == kind) return row.text;
  }
  return u"Проверка";
}

ErrorListRow RowOf(System& system, const ReportRange& range) {
  ErrorListRow row{GroupDigits(range.offset), GroupDigits(range.length), {}, KindText(range.kind)};
  if (range.code == 0) return row;
  row.code = DecimalUnsigned(range.code);
  const std::u16string text = range.text.empty() ? SystemErrorText(system, range.code) : range.text;
  if (!text.empty()) row.text += u": " + text;
  return row;
}

}  // namespace

std::vector<ErrorListRow> ErrorListRows(System& system, const ErasureReport& report) {
  std::vector<ErrorListRow> rows;
  rows.reserve(report.failedWrites.size() + report.verificationRanges.size());
  for (const ReportRange& range : report.failedWrites) rows.push_back(RowOf(system, range));
  for (const ReportRange& range : report.verificationRanges) rows.push_back(RowOf(system, range));
  return rows;
}

}  // namespace trelvane
