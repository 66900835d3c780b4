#pragma once
// The program's built-in table of Russian system message texts, worded as a Russian desktop words
// them. Used by the backends that have no system message table of their own (Linux, emulated).

#include <cstdint>
#include <string>

namespace trelvane {

// The message of `code` as the system stores it (ending in ".\r\n"); empty for an unknown code.
std::u16string BuiltInSystemMessage(std::uint32_t code);

}  // namespace trelvane
