#pragma once
// What a failed zero-fill write means: the text the format log gives the error code, whether the
// device is gone (which ends the run) or only the block failed (which the run skips), and whether
// smaller writes of the block may still succeed.

#include <cstdint>
#include <string>

namespace trelvane {

// The Russian text of a write error code; empty for a code the table does not know.
std::u16string WriteErrorText(std::uint32_t code);

// The format log's line for a range the device refused to write: "Ошибка форматирования произошла по
// смещению X, длина N байт:   CODE - text" (no " - text" for a code the table does not know).
std::u16string WriteErrorLine(std::int64_t offset, std::int64_t length, std::uint32_t code);

// True when the code says something about the whole device rather than about some of its sectors
// (write protection, no medium, access refused, the disk held elsewhere, a request it cannot take):
// smaller writes of the same block would fail the same way, so the block is not split.
bool FailureConcernsWholeDevice(std::uint32_t code);

// True for the codes that mean the device was unplugged (2 and 55).
bool DeviceIsGone(std::uint32_t code);

// The line that ends the run after a write failed with `code`: the device was unplugged, or it is no
// longer the disk the user confirmed (its size changed); empty when only the block failed.
std::u16string RunEndingLine(std::uint32_t code);

// True for the code a write gets when another program or the system holds the whole disk; before
// anything was written it means the format is refused, not that a block failed.
bool DeviceIsInUse(std::uint32_t code);

// The format log's line for a format refused because the disk is in use.
inline constexpr const char16_t* DeviceInUseLine =
    u"Устройство используется другой программой или системой. Ничего не записано. Закройте программы, "
    u"использующие устройство, и повторите попытку.";

// The format log's line for a format refused because the disk is write-protected.
inline constexpr const char16_t* WriteProtectedLine =
    u"Диск защищен от записи. Ничего не записано. Снимите защиту от записи и повторите попытку.";

}  // namespace trelvane
