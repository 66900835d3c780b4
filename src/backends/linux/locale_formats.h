#pragma once
// The user's regional formats as the C library's locale gives them, turned into the platform's
// date/time picture language (dd.MM.yyyy, H:mm:ss).

#include <cstdint>
#include <string>
#include <string_view>

#include "os/system.h"

namespace trelvane::linux_platform {

// Converts a strftime pattern ("%d.%m.%Y", "%T", "%r") to a picture ("dd.MM.yyyy", "HH:mm:ss").
// `twelveHourPattern` is what %r stands for (the locale's T_FMT_AMPM). Letters outside conversions
// are quoted so that the picture copies them; conversions with no picture equivalent are dropped.
std::u16string PictureFromStrftime(std::u16string_view pattern, std::u16string_view twelveHourPattern);

// 1251 for a Russian locale or one whose character set is CP1251, else 1252.
std::uint32_t AnsiCodePage(std::string_view codeset, std::string_view localeName);

// Reads LC_TIME and LC_NUMERIC of the environment's locale without changing the process's locale.
RegionalSettings ReadRegionalSettings();
std::uint32_t ReadAnsiCodePage();

}  // namespace trelvane::linux_platform
