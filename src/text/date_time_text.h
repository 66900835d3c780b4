#pragma once
// Date and time texts in the user's regional formats.

#include <string>

#include "os/system.h"

namespace trelvane {

// Formats with a platform date/time picture: d, dd, M, MM, y, yy, yyyy, h, hh (12-hour), H, HH, m, mm,
// s, ss, t, tt (AM/PM); text between single quotes is copied; every other character is copied.
std::u16string FormatWithPicture(const SystemTime& time, std::u16string_view picture);

// The short date, one blank and the long time; the time is left out at exactly midnight.
std::u16string DateTimeText(const SystemTime& time, const RegionalSettings& settings);

}  // namespace trelvane
