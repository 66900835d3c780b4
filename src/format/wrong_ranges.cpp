#include "format/wrong_ranges.h"

#include <algorithm>

#include "common/system_error_text.h"
#include "text/number_text.h"
#include "text/u16.h"

namespace trelvane {

namespace {

std::u16string Where(const WrongRange& range) {
  return u"смещение " + GroupDigits(range.from) + u", длина " + GroupDigits(range.to - range.from) + u" байт";
}

}  // namespace

std::u16string WrongRangeLine(System& system, const WrongRange& range) {
  switch (range.kind) {
    case WrongRange::Kind::NotZero:
      return u"Данные не стерты: " + Where(range);
    case WrongRange::Kind::Unreadable: {
      std::u16string text = SystemErrorText(system, range.code);
      if (!text.empty()) text = u" - " + text;
      return u"Ошибка чтения: " + Where(range) + u":   " + DecimalUnsigned(range.code) + text;
    }
    case WrongRange::Kind::Wrapped:
      return u"Устройство меньше, чем сообщает: записанное дальше " + GroupDigits(range.from) +
             u" байт попадает в его начало: " + Where(range);
    case WrongRange::Kind::LostWrite:
      return u"Устройство не сохранило записанные данные: " + Where(range);
  }
  return {};
}

void WrongRangeList::Add(const WrongRange& range) {
  if (open_) {
    WrongRange& last = ranges_.back();
    if (last.kind == range.kind && last.code == range.code && last.to == range.from) {
      last.to = range.to;
      return;
    }
    Close();
  }
  ranges_.push_back(range);
  open_ = true;
}

void WrongRangeList::Close() {
  if (!open_) return;
  open_ = false;
  log_.AddFormatLogLine(WrongRangeLine(system_, ranges_.back()));
}

std::int64_t WrongRangeList::Bytes() const {
  std::vector<WrongRange> sorted = ranges_;
  std::sort(sorted.begin(), sorted.end(), [](const WrongRange& a, const WrongRange& b) { return a.from < b.from; });
  std::int64_t bytes = 0;
  std::int64_t reached = 0;  // the end of the bytes counted so far
  for (const WrongRange& range : sorted) {
    const std::int64_t from = std::max(range.from, reached);
    if (range.to > from) bytes += range.to - from;
    reached = std::max(reached, range.to);
  }
  return bytes;
}

}  // namespace trelvane
