#include "backends/linux/locale_formats.h"

#include <langinfo.h>
#include <locale.h>

#include <array>
#include <cstdlib>
#include <utility>

#include "text/u16.h"

namespace trelvane::linux_platform {

namespace {

// strftime conversions and their pictures. Names of months and days have no numeric picture of the
// same meaning; the platform's own names (MMM, ddd) are used for them.
constexpr std::array<std::pair<char16_t, const char16_t*>, 24> Conversions{{
    {u'd', u"dd"},       {u'e', u"d"},          {u'm', u"MM"},        {u'Y', u"yyyy"},
    {u'y', u"yy"},       {u'G', u"yyyy"},       {u'g', u"yy"},        {u'H', u"HH"},
    {u'k', u"H"},        {u'I', u"hh"},         {u'l', u"h"},         {u'M', u"mm"},
    {u'S', u"ss"},       {u'p', u"tt"},         {u'P', u"tt"},        {u'D', u"MM/dd/yy"},
    {u'F', u"yyyy-MM-dd"}, {u'T', u"HH:mm:ss"}, {u'R', u"HH:mm"},     {u'b', u"MMM"},
    {u'h', u"MMM"},      {u'B', u"MMMM"},       {u'a', u"ddd"},       {u'A', u"dddd"},
}};

// With glibc's "-" or "_" flag a padded number loses its padding: "%-d" is "d".
std::u16string Unpadded(std::u16string picture) {
  if (picture.size() == 2 && picture[0] == picture[1] && picture[0] != u'y') picture.resize(1);
  return picture;
}

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

std::u16string Conversion(char16_t letter, bool unpadded, std::u16string_view twelveHourPattern) {
  if (letter == u'%') return u"%";
  if (letter == u'n' || letter == u't') return u" ";
  // %r is the locale's 12-hour time; POSIX gives "%I:%M:%S %p" where the locale has none.
  if (letter == u'r')
    return PictureFromStrftime(twelveHourPattern.empty() ? u"%I:%M:%S %p" : twelveHourPattern,
                               u"%I:%M:%S %p");
  for (const auto& [known, picture] : Conversions)
    if (known == letter) return unpadded ? Unpadded(picture) : std::u16string(picture);
  return {};
}

std::u16string FromLocaleText(const char* text, bool utf8) {
  std::string bytes = text == nullptr ? "" : text;
  if (utf8) return FromUtf8(bytes);
  std::u16string wide;
  for (char c : bytes) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

// The environment's locale, or the C locale when it names one that is not installed.
locale_t OpenUserLocale() {
  locale_t locale = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr))
    locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

std::string LocaleNameFromEnvironment() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

}  // namespace

std::u16string PictureFromStrftime(std::u16string_view pattern, std::u16string_view twelveHourPattern) {
  std::u16string picture;
  std::u16string literal;
  const auto flushLiteral = [&] {
    if (literal.empty()) return;
    picture += u'\'' + literal + u'\'';
    literal.clear();
  };
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    if (c != u'%') {
      if (IsLetter(c)) literal += c;
      else if (c != u'\'') { flushLiteral(); picture += c; }
      continue;
    }
    flushLiteral();
    bool unpadded = false;
    while (i + 1 < pattern.size() && (pattern[i + 1] == u'-' || pattern[i + 1] == u'_' ||
                                      pattern[i + 1] == u'0' || pattern[i + 1] == u'^' ||
                                      pattern[i + 1] == u'#' || pattern[i + 1] == u'E' || pattern[i + 1] == u'O')) {
      unpadded = unpadded || pattern[i + 1] == u'-' || pattern[i + 1] == u'_';
      ++i;
    }
    if (i + 1 < pattern.size()) picture += Conversion(pattern[++i], unpadded, twelveHourPattern);
  }
  flushLiteral();
  return picture;
}

std::uint32_t AnsiCodePage(std::string_view codeset, std::string_view localeName) {
  const bool russian = localeName.substr(0, 2) == "ru" &&
                       (localeName.size() == 2 || localeName[2] == '_' || localeName[2] == '.' ||
                        localeName[2] == '@');
  return codeset == "CP1251" || russian ? 1251 : 1252;
}

RegionalSettings ReadRegionalSettings() {
  RegionalSettings settings;
  locale_t locale = OpenUserLocale();
  if (locale == static_cast<locale_t>(nullptr)) return settings;
  const bool utf8 = std::string_view(nl_langinfo_l(CODESET, locale)) == "UTF-8";
  const std::u16string twelveHour = FromLocaleText(nl_langinfo_l(T_FMT_AMPM, locale), utf8);
  settings.shortDateFormat = PictureFromStrftime(FromLocaleText(nl_langinfo_l(D_FMT, locale), utf8), twelveHour);
  settings.longTimeFormat = PictureFromStrftime(FromLocaleText(nl_langinfo_l(T_FMT, locale), utf8), twelveHour);
  const std::u16string radix = FromLocaleText(nl_langinfo_l(RADIXCHAR, locale), utf8);
  if (!radix.empty()) settings.decimalSeparator = radix[0];
  freelocale(locale);
  return settings;
}

std::uint32_t ReadAnsiCodePage() {
  locale_t locale = OpenUserLocale();
  std::string codeset;
  if (locale != static_cast<locale_t>(nullptr)) {
    codeset = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
  }
  return AnsiCodePage(codeset, LocaleNameFromEnvironment());
}

}  // namespace trelvane::linux_platform
