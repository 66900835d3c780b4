#pragma once
// What a failed zero-fill write means: the text the format log gives the error code, and whether the
// device is gone (which ends the run) or only the block failed (which the run skips).

#include <cstdint>
#include <string>

namespace trelvane {

// The Russian text of a write error code; empty for a code the table does not know.
std::u16string WriteErrorText(std::uint32_t code);

// True for the codes that mean the device was unplugged (2 and 55).
bool DeviceIsGone(std::uint32_t code);

}  // namespace trelvane
