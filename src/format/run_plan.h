#pragma once
// What a format run is going to do, told before it starts: the method, the bytes it will write, the
// read-back, the volumes that go off line and about how long it takes.

#include <cstdint>
#include <string>

#include "common/drive_table.h"
#include "format/erase_method.h"

namespace trelvane {

// The write speed a drive on this bus keeps up over a whole run, in bytes per second: deliberately
// low, so that an estimate rather errs long.
std::int64_t TypicalWriteSpeed(std::int64_t busType);

// Lines for the confirmation, each after a line break, following the method's own lines. A firmware
// erase writes nothing through the interface; its lines name neither bytes nor a time of ours.
std::u16string RunPlanLines(const TDeviceTable& drive, const EraseRequest& request, char16_t decimalSeparator);

// How much of the drive the method's extents cover: "весь диск" or "начало и конец диска".
std::u16string ScopeText(const EraseMethod& method, std::int64_t deviceBytes);

}  // namespace trelvane
