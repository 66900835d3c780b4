#pragma once
// Text a drive reports about itself (model, serial number, firmware revision, NVMe strings) is outside
// data: a drive, a USB bridge or a forged descriptor can put terminal escape sequences, line breaks
// or zeros in it. It enters the program only through ShownDeviceText, so no terminal, log line or
// report ever receives it raw.

#include <string>
#include <string_view>

namespace trelvane {

// Every control character (U+0000-U+001F, U+007F and U+0080-U+009F) written as "\x" and its code in
// two upper-case hexadecimal digits ("\x1B"); everything else unchanged. Applying it twice changes
// nothing more.
std::u16string ShownDeviceText(std::u16string_view text);

}  // namespace trelvane
