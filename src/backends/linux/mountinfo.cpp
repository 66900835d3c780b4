#include "backends/linux/mountinfo.h"

#include <charconv>

namespace trelvane::linux_platform {

namespace {

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    if (at > start) fields.push_back(line.substr(start, at - start));
  }
  return fields;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool ParseNumber(std::string_view text, std::uint32_t& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool ParseMajorMinor(std::string_view text, std::uint32_t& major, std::uint32_t& minor) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  return ParseNumber(text.substr(0, colon), major) && ParseNumber(text.substr(colon + 1), minor);
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

}  // namespace

std::string UnescapeMountField(std::string_view field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
        IsOctal(field[i + 3])) {
      text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      text += field[i];
    }
  }
  return text;
}

// mountinfo fields: 1 mount id | 2 parent id | 3 major:minor | 4 root | 5 mount point |
// 6 mount options | 7... optional fields | "-" | fs type | source | super options.
std::optional<MountEntry> ParseMountInfoLine(std::string_view line) {
  const std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() < 7) return std::nullopt;
  std::size_t separator = 6;
  while (separator < fields.size() && fields[separator] != "-") ++separator;
  if (separator + 1 >= fields.size()) return std::nullopt;  // no "-" or no fs type
  MountEntry entry;
  if (!ParseNumber(fields[0], entry.mountId) || !ParseNumber(fields[1], entry.parentId) ||
      !ParseMajorMinor(fields[2], entry.major, entry.minor))
    return std::nullopt;
  entry.root = UnescapeMountField(fields[3]);
  entry.mountPoint = UnescapeMountField(fields[4]);
  entry.mountOptions = std::string(fields[5]);
  entry.fsType = std::string(fields[separator + 1]);
  if (separator + 2 < fields.size()) entry.source = UnescapeMountField(fields[separator + 2]);
  if (separator + 3 < fields.size()) entry.superOptions = std::string(fields[separator + 3]);
  return entry;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> entries;
  for (std::string_view line : SplitLines(text))
    if (auto entry = ParseMountInfoLine(line)) entries.push_back(std::move(*entry));
  return entries;
}

std::vector<std::string> ParseSwaps(std::string_view text) {
  std::vector<std::string> names;
  const std::vector<std::string_view> lines = SplitLines(text);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string_view> fields = SplitFields(lines[i]);
    if (!fields.empty()) names.push_back(UnescapeMountField(fields[0]));
  }
  return names;
}

std::size_t PathDepth(std::string_view path) {
  std::size_t depth = 0;
  bool inComponent = false;
  for (char c : path) {
    if (c == '/') {
      inComponent = false;
    } else if (!inComponent) {
      inComponent = true;
      ++depth;
    }
  }
  return depth;
}

}  // namespace trelvane::linux_platform
