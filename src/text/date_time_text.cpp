#include "text/date_time_text.h"

#include "text/u16.h"

namespace trelvane {

namespace {

std::u16string Padded(int value, std::size_t width) {
  std::u16string digits = Decimal(value);
  while (digits.size() < width) digits.insert(digits.begin(), u'0');
  return digits;
}

// The value a run of `count` equal picture letters stands for; false for a letter with no meaning.
bool FieldText(const SystemTime& time, char16_t letter, std::size_t count, std::u16string& out) {
  const std::size_t width = count >= 2 ? 2 : 1;
  const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  switch (letter) {
    case u'd': out = Padded(time.day, width); return true;
    case u'M': out = Padded(time.month, width); return true;
    case u'y':
      out = count <= 2 ? Padded(time.year % 100, count == 1 ? 1 : 2) : Padded(time.year, 4);
      return true;
    case u'H': out = Padded(time.hour, width); return true;
    case u'h': out = Padded(hour12, width); return true;
    case u'm': out = Padded(time.minute, width); return true;
    case u's': out = Padded(time.second, width); return true;
    case u't': out = time.hour < 12 ? u"AM" : u"PM"; if (count == 1) out.resize(1); return true;
    default: return false;
  }
}

}  // namespace

std::u16string FormatWithPicture(const SystemTime& time, std::u16string_view picture) {
  std::u16string out;
  std::size_t i = 0;
  while (i < picture.size()) {
    const char16_t letter = picture[i];
    if (letter == u'\'') {
      const std::size_t close = picture.find(u'\'', i + 1);
      const std::size_t end = close == std::u16string_view::npos ? picture.size() : close;
      out.append(picture.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    std::size_t count = 1;
    while (i + count < picture.size() && picture[i + count] == letter) ++count;
    std::u16string field;
    if (FieldText(time, letter, count, field)) {
      out += field;
    } else {
      out.append(picture.substr(i, count));
    }
    i += count;
  }
  return out;
}

std::u16string DateTimeText(const SystemTime& time, const RegionalSettings& settings) {
  std::u16string text = FormatWithPicture(time, settings.shortDateFormat);
  const bool midnight = time.hour == 0 && time.minute == 0 && time.second == 0 && time.milliseconds == 0;
  if (!midnight) text += u' ' + FormatWithPicture(time, settings.longTimeFormat);
  return text;
}

}  // namespace trelvane
