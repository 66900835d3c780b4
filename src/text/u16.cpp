#include "text/u16.h"

#include <string>

namespace trelvane {

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

namespace {

// Length of a UTF-8 sequence from its lead byte; 0 for a byte that cannot start one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

void AppendCodePoint(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

}  // namespace

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || i + length > text.size()) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    char32_t c = length == 1 ? lead : static_cast<char32_t>(lead & (0x7Fu >> length));
    bool valid = true;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      c = (c << 6) | static_cast<char32_t>(next & 0x3Fu);
    }
    if (!valid || c > 0x10FFFF) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    AppendCodePoint(out, c);
    i += length;
  }
  return out;
}

std::u16string FromAscii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

namespace {
bool IsTrimmed(char16_t c) { return c <= 32; }
}  // namespace

std::u16string TrimLeft(std::u16string_view text) {
  std::size_t first = 0;
  while (first < text.size() && IsTrimmed(text[first])) ++first;
  return std::u16string(text.substr(first));
}

std::u16string TrimRight(std::u16string_view text) {
  std::size_t end = text.size();
  while (end > 0 && IsTrimmed(text[end - 1])) --end;
  return std::u16string(text.substr(0, end));
}

std::u16string Trim(std::u16string_view text) { return TrimLeft(TrimRight(text)); }

std::u16string AsciiUpper(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return out;
}

std::u16string AsciiLower(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return out;
}

std::u16string Decimal(std::int64_t value) { return FromAscii(std::to_string(value)); }

std::u16string DecimalUnsigned(std::uint64_t value) { return FromAscii(std::to_string(value)); }

std::u16string HexByte(std::uint8_t value) {
  static constexpr char16_t digits[] = u"0123456789ABCDEF";
  return {digits[value >> 4], digits[value & 0x0F]};
}

}  // namespace trelvane
