// strftime patterns of the C library's locales as the platform's date/time pictures.

#include "backends/linux/locale_formats.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "text/date_time_text.h"
#include "text/u16.h"

namespace trelvane::linux_platform {
namespace {

// C and Russian locales' patterns; twelve-hour time from the locale's own pattern (an empty or
// self-referring one falls back without endless recursion); unpadded flags, modifiers and percent;
// literal letters quoted so that the picture copies them.
TEST(PictureFromStrftime, PatternsOfTheLocales) {
  const char16_t* twelve = u"%I:%M:%S %p";
  const std::tuple<const char16_t*, const char16_t*, const char16_t*> cases[] = {
      {u"%m/%d/%y", twelve, u"MM/dd/yy"},          {u"%H:%M:%S", twelve, u"HH:mm:ss"},
      {u"%d.%m.%Y", twelve, u"dd.MM.yyyy"},        {u"%T", twelve, u"HH:mm:ss"},
      {u"%D", twelve, u"MM/dd/yy"},                {u"%F", twelve, u"yyyy-MM-dd"},
      {u"%r", twelve, u"hh:mm:ss tt"},             {u"%r", u"%l:%M:%S %p", u"h:mm:ss tt"},
      {u"%r", u"", u"hh:mm:ss tt"},                {u"%r", u"%r", u"hh:mm:ss tt"},
      {u"%-d.%-m.%Y", twelve, u"d.M.yyyy"},        {u"%_H:%M", twelve, u"H:mm"},
      {u"%k:%M", twelve, u"H:mm"},                 {u"%Ey %OH %%", twelve, u"yy HH %"},
      {u"%Q%d", twelve, u"dd"},                    {u"%Y年%m月%d日", twelve, u"yyyy年MM月dd日"},
      {u"%d de %B", twelve, u"dd 'de' MMMM"},
  };
  for (const auto& [pattern, locale12, picture] : cases)
    EXPECT_EQ(PictureFromStrftime(pattern, locale12), picture) << ToUtf8(pattern);
  const SystemTime time{2026, 12, 7, 10, 5, 3, 0};
  EXPECT_EQ(FormatWithPicture(time, PictureFromStrftime(u"%d h %m", twelve)), u"07 h 12");
}

TEST(AnsiCodePage, RussianLanguageOrCp1251Codeset) {
  const std::tuple<const char*, const char*, std::uint32_t> cases[] = {
      {"UTF-8", "ru_RU.UTF-8", 1251}, {"CP1251", "be_BY.CP1251", 1251}, {"UTF-8", "ru", 1251},
      {"UTF-8", "en_US.UTF-8", 1252}, {"ANSI_X3.4-1968", "C", 1252},     {"UTF-8", "rue_UA", 1252},
  };
  for (const auto& [codeset, locale, page] : cases) EXPECT_EQ(AnsiCodePage(codeset, locale), page) << locale;
}

TEST(ReadRegionalSettings, TheCLocaleGivesWhatTheCLibraryGives) {
  const char* saved = std::getenv("LC_ALL");
  const std::string previous = saved != nullptr ? saved : "";
  setenv("LC_ALL", "C", 1);
  const RegionalSettings settings = ReadRegionalSettings();
  if (saved != nullptr) setenv("LC_ALL", previous.c_str(), 1);
  else unsetenv("LC_ALL");
  EXPECT_EQ(settings.shortDateFormat, u"MM/dd/yy");
  EXPECT_EQ(settings.longTimeFormat, u"HH:mm:ss");
  EXPECT_EQ(settings.decimalSeparator, u'.');
}

}  // namespace
}  // namespace trelvane::linux_platform
