#include "backends/linux/device_path.h"

#include "text/u16.h"

namespace trelvane::linux_platform {

namespace {

constexpr std::u16string_view DevicePrefix = u"\\\\.\\";
constexpr std::u16string_view PhysicalDrive = u"PHYSICALDRIVE";

std::optional<std::uint32_t> DriveNumber(std::u16string_view digits) {
  if (digits.empty() || digits.size() > 6) return std::nullopt;
  std::uint32_t number = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    number = number * 10 + static_cast<std::uint32_t>(c - u'0');
  }
  return number;
}

// Kernel names are plain ASCII; sysfs writes a "/" inside a name (cciss/c0d0) as "!".
std::optional<std::string> NodeName(std::u16string_view name) {
  // No "..": a name must not lead out of /dev.
  if (name.empty() || name == u"." || name.find(u"..") != std::u16string_view::npos || name[0] == u'!')
    return std::nullopt;
  std::string node;
  for (char16_t c : name) {
    if (c <= 32 || c >= 127 || c == u'/' || c == u'\\' || c == u':') return std::nullopt;
    node += c == u'!' ? '/' : static_cast<char>(c);
  }
  return node;
}

}  // namespace

std::optional<DevicePath> ParseDevicePath(const std::u16string& path) {
  if (path.size() <= DevicePrefix.size() || std::u16string_view(path).substr(0, 4) != DevicePrefix)
    return std::nullopt;
  const std::u16string_view name = std::u16string_view(path).substr(DevicePrefix.size());
  if (name.size() >= PhysicalDrive.size() && AsciiUpper(name.substr(0, PhysicalDrive.size())) == PhysicalDrive) {
    const auto number = DriveNumber(name.substr(PhysicalDrive.size()));
    if (!number) return std::nullopt;
    return DevicePath{DevicePath::Kind::PhysicalDrive, *number, {}};
  }
  const auto node = NodeName(name);
  if (!node) return std::nullopt;
  return DevicePath{DevicePath::Kind::Volume, 0, "/dev/" + *node};
}

}  // namespace trelvane::linux_platform
