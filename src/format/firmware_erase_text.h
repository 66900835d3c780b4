#pragma once
// The lines a firmware erase leaves in the format log and the erasure report: each command with its
// completion, the drive's estimate against the time taken, and what reading the drive back found.

#include <cstdint>
#include <string>

#include "format/erase_sample_check.h"
#include "format/firmware_erase_run.h"

namespace trelvane {

// How the report names the technique of a firmware method on the drive's bus ("NVMe Sanitize,
// криптографическое стирание", "ATA SECURITY ERASE UNIT, расширенное"); empty for the zero fill,
// the quick wipe and the automatic choice, which are no firmware technique.
std::u16string TechniqueText(EraseMethodId method, const DriveEraseFacts& facts);
// "Purge", "Clear", or "нет" for a method that does not sanitize the whole drive.
std::u16string NistCategoryText(NistCategory category);

// "3 ч 05 мин 12 с", "7 мин 00 с", "12 с", "340 мс".
std::u16string DurationText(std::int64_t milliseconds);

// "<name> (<opcode>h, <feature>h): выполнена за <time>" or "...: ошибка (<status>h): <text>, <time>",
// with ", запросов: <n>" for a status read repeated over a poll.
std::u16string CommandRecordLine(const FirmwareCommandRecord& record);

// "Оценка накопителя: <time или не сообщается>; заняло: <time>".
std::u16string EstimateLine(const FirmwareEraseOutcome& outcome);

// How the read-back went: "Проверка чтением (выборка|весь диск): проверено байт: <n>, ошибочных
// секторов: <n>; <what the rule found>".
std::u16string ProofLine(const EraseProof& proof, bool wholeDisk);
// One finding: "<kind>: смещение <offset>, байт: <length>".
std::u16string FindingLine(const ProofFinding& finding);

}  // namespace trelvane
