// strftime patterns of the C library's locales as the platform's date/time pictures.

#include "backends/linux/locale_formats.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "text/date_time_text.h"

namespace trelvane::linux_platform {
namespace {

std::u16string Picture(std::u16string_view pattern) { return PictureFromStrftime(pattern, u"%I:%M:%S %p"); }

TEST(PictureFromStrftime, CAndRussianLocales) {
  EXPECT_EQ(Picture(u"%m/%d/%y"), u"MM/dd/yy");
  EXPECT_EQ(Picture(u"%H:%M:%S"), u"HH:mm:ss");
  EXPECT_EQ(Picture(u"%d.%m.%Y"), u"dd.MM.yyyy");
  EXPECT_EQ(Picture(u"%T"), u"HH:mm:ss");
  EXPECT_EQ(Picture(u"%D"), u"MM/dd/yy");
  EXPECT_EQ(Picture(u"%F"), u"yyyy-MM-dd");
}

TEST(PictureFromStrftime, TwelveHourTimeComesFromTheLocale) {
  EXPECT_EQ(Picture(u"%r"), u"hh:mm:ss tt");
  EXPECT_EQ(PictureFromStrftime(u"%r", u"%l:%M:%S %p"), u"h:mm:ss tt");
  EXPECT_EQ(PictureFromStrftime(u"%r", u""), u"hh:mm:ss tt");
  EXPECT_EQ(PictureFromStrftime(u"%r", u"%r"), u"hh:mm:ss tt");  // no endless recursion
}

TEST(PictureFromStrftime, UnpaddedFlagsModifiersAndPercent) {
  EXPECT_EQ(Picture(u"%-d.%-m.%Y"), u"d.M.yyyy");
  EXPECT_EQ(Picture(u"%_H:%M"), u"H:mm");
  EXPECT_EQ(Picture(u"%k:%M"), u"H:mm");
  EXPECT_EQ(Picture(u"%Ey %OH %%"), u"yy HH %");
  EXPECT_EQ(Picture(u"%Q%d"), u"dd");
}

TEST(PictureFromStrftime, LiteralLettersAreQuotedSoThePictureCopiesThem) {
  EXPECT_EQ(Picture(u"%Y年%m月%d日"), u"yyyy年MM月dd日");
  EXPECT_EQ(Picture(u"%d de %B"), u"dd 'de' MMMM");
  const SystemTime time{2026, 12, 7, 10, 5, 3, 0};
  EXPECT_EQ(FormatWithPicture(time, Picture(u"%d h %m")), u"07 h 12");
}

TEST(AnsiCodePage, RussianLanguageOrCp1251Codeset) {
  EXPECT_EQ(AnsiCodePage("UTF-8", "ru_RU.UTF-8"), 1251u);
  EXPECT_EQ(AnsiCodePage("CP1251", "be_BY.CP1251"), 1251u);
  EXPECT_EQ(AnsiCodePage("UTF-8", "ru"), 1251u);
  EXPECT_EQ(AnsiCodePage("UTF-8", "en_US.UTF-8"), 1252u);
  EXPECT_EQ(AnsiCodePage("ANSI_X3.4-1968", "C"), 1252u);
  EXPECT_EQ(AnsiCodePage("UTF-8", "rue_UA"), 1252u);
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
