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

// "<percent, at most 100>% завершено"
std::u16string PercentCaption(std::int64_t percent);
// "Текущий сектор: <grouped sector>"
std::u16string PositionCaption(std::int64_t sector);
// The average speed with one decimal (the user's decimal separator, a half rounded away from zero,
// no grouping), then " МБ/с".
std::u16string SpeedCaptionText(double megabytesPerSecond, char16_t decimalSeparator);

}  // namespace trelvane
