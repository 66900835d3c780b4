#pragma once
// What a handle's desired access lets it do, as the platform's I/O manager judges it. Shared by the
// backends that carry out requests themselves (Linux, emulated).

#include <cstdint>

namespace trelvane {

// Whether the access carries reading (GENERIC_READ, GENERIC_ALL or FILE_READ_DATA) or writing.
bool GrantsRead(std::uint32_t desiredAccess);
bool GrantsWrite(std::uint32_t desiredAccess);

// Whether a handle opened with `desiredAccess` may send request `code`: the code's bits 14-15 name
// the access it needs (1 read, 2 write, 3 both); a handle without it is refused with 5.
bool RequestAccessAllowed(std::uint32_t code, std::uint32_t desiredAccess);

}  // namespace trelvane
