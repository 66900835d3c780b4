#pragma once
// The one builder of machine files for the tests: a machine with a frozen (or evenly stepped) clock,
// and its drives.

#include <cstdint>
#include <string>

namespace trelvane::testing {

// The frozen clock every machine starts from, and its log stamp.
inline constexpr const char* BenchClock = "2026-12-07T10:15:30.250";
inline const std::u16string BenchStamp = u"07.12.2026 10:15:30   ";

// The machine file of `drives` (a JSON array) and `volumes`, with the clock stepped by `clockStepMs`
// on every reading (0 freezes it) and `moreSystem` (", \"x\": 1 ...") added to its system object.
std::string MachineJson(const std::string& drives, const std::string& volumes = "[]", int clockStepMs = 0,
                        const std::string& moreSystem = "");

// A drive object: number, length in bytes, and `more` fields (", \"image\": \"d0.img\" ...").
std::string DriveJson(int number, std::int64_t lengthBytes, const std::string& more = "");

// The fields naming a real drive's IDENTIFY and SMART blocks of tests/testdata/ata (", \"identify\": …").
std::string RealDriveFields(const std::string& ataName);

}  // namespace trelvane::testing
