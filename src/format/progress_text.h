#pragma once
// The zero fill's progress figures and captions.

#include <cstdint>
#include <string>

namespace trelvane {

// `done` of `total` bytes as a whole percent, computed in floating point and rounded half to even.
std::int64_t PercentDone(std::int64_t done, std::int64_t total);

// The sector that byte offset `offset` reaches, rounded half to even (exact integer arithmetic,
// so no large offset loses its last digits); 0 for a sector size below 1.
std::int64_t SectorAt(std::int64_t offset, std::int64_t sectorSize);

// What a run is doing to the drive: writing zeros, reading back, or waiting while the drive erases itself.
enum class RunPhase { Write, Check, DriveErase };

// "<percent, at most 100>% завершено"
std::u16string PercentCaption(std::int64_t percent);
// The same after the phase's name: "Запись: 47% завершено", "Проверка: 47% завершено",
// "Стирание: 47% завершено" (the drive erasing itself).
std::u16string PercentCaption(RunPhase phase, std::int64_t percent);
// "Текущий сектор: <grouped sector>"
std::u16string PositionCaption(std::int64_t sector);
// The average speed with one decimal (the user's decimal separator, a half rounded away from zero,
// no grouping), then " МБ/с".
std::u16string SpeedCaptionText(double megabytesPerSecond, char16_t decimalSeparator);
// The speed caption names what it measures: "Скорость записи: 7,5 МБ/с", "Скорость чтения: 7,5 МБ/с".
std::u16string SpeedCaptionText(RunPhase phase, double megabytesPerSecond, char16_t decimalSeparator);
// The figure of a speed caption, without the name of what it measures.
std::u16string SpeedFigure(const std::u16string& caption);

// "<done> из <total> <unit>", both with one decimal in the unit that suits the total
// ("31,4 из 67,1 ГБ"), then the time since the phase began and, once a speed is known, the time the
// rest will take at the average speed so far: ", прошло 12 мин 03 с, осталось около 14 мин 10 с".
std::u16string AmountCaption(std::int64_t done, std::int64_t total, std::int64_t elapsedMs, char16_t decimalSeparator);

}  // namespace trelvane
