#pragma once

#include <cstdint>
#include <string>

#include "os/system.h"

namespace trelvane {

// The system's message for an error code, without its trailing control characters, blanks and full
// stops; empty when the system has no message.
std::u16string SystemErrorText(System& system, std::uint32_t code);

}  // namespace trelvane
