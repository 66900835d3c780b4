#include "backends/linux/identity.h"

#include <utility>

namespace trelvane::linux_platform {

namespace {

// An ATA string of `words` words starting at word `first`, in reading order, cut at a zero byte.
std::string AtaString(std::span<const std::uint8_t> identify, std::size_t first, std::size_t words) {
  std::string text;
  for (std::size_t word = first; word < first + words; ++word) {
    text += static_cast<char>(identify[2 * word + 1]);
    text += static_cast<char>(identify[2 * word]);
  }
  const std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return TrimBlanks(text);
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

DeviceStrings AtaIdentityStrings(std::span<const std::uint8_t> identify) {
  DeviceStrings strings;
  strings.product = AtaString(identify, 27, 20);
  strings.revision = AtaString(identify, 23, 4);
  std::string serial(identify.begin() + 20, identify.begin() + 40);
  const std::size_t zero = serial.find('\0');
  // A zero byte would end the string the program copies; what follows it is never shown.
  if (zero != std::string::npos) serial.resize(zero);
  if (TrimBlanks(serial).empty()) serial.clear();
  if (serial.size() % 2 != 0) serial += '\0';
  for (std::size_t i = 0; i + 1 < serial.size(); i += 2) std::swap(serial[i], serial[i + 1]);
  strings.serial = serial;
  return strings;
}

std::string SerialFromVpdPage80(std::span<const std::uint8_t> page) {
  if (page.size() < 4 || page[1] != 0x80) return {};
  std::size_t length = static_cast<std::size_t>(page[2]) << 8 | page[3];
  if (length > page.size() - 4) length = page.size() - 4;
  std::string text(page.begin() + 4, page.begin() + 4 + static_cast<std::ptrdiff_t>(length));
  const std::size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return TrimBlanks(text);
}

}  // namespace trelvane::linux_platform
