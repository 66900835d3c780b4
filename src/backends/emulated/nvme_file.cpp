#include "backends/emulated/nvme_file.h"

#include <fstream>
#include <iterator>
#include <string>

#include "backends/emulated/erase_file.h"
#include "backends/emulated/machine_file.h"
#include "os/win_constants.h"

namespace trelvane::emulated {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<std::uint8_t> ReadSizedFile(const std::string& fieldPath, const std::filesystem::path& path,
                                        std::size_t size) {
  RequireRegularFile(fieldPath, path, false);
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in && !in.eof()) Refuse(fieldPath, "cannot read " + path.string());
  if (bytes.size() != size)
    Refuse(fieldPath, path.string() + " holds " + std::to_string(bytes.size()) + " bytes, expected " +
                          std::to_string(size));
  return {bytes.begin(), bytes.end()};
}

// Blanks between the digits are allowed; the bytes must end inside the block.
void LayHexBytes(const Field& field, std::size_t offset, std::vector<std::uint8_t>& block) {
  std::string digits;
  for (const char c : AsString(field)) {
    if (c == ' ') continue;
    if (HexValue(c) < 0) Refuse(field.path, "expected hexadecimal digits");
    digits.push_back(c);
  }
  if (digits.size() % 2 != 0) Refuse(field.path, "expected whole bytes (an even number of digits)");
  if (offset + digits.size() / 2 > block.size()) Refuse(field.path, "the bytes run past the end of the block");
  for (std::size_t i = 0; i < digits.size(); i += 2)
    block[offset + i / 2] = static_cast<std::uint8_t>(HexValue(digits[i]) << 4 | HexValue(digits[i + 1]));
}

std::vector<std::uint8_t> ParseBlock(ObjectReader& nvme, std::string_view key, std::size_t size,
                                     const std::filesystem::path& baseDirectory) {
  const auto field = nvme.Find(key);
  if (!field) return std::vector<std::uint8_t>(size, 0);
  if (field->value->is_string()) return ReadSizedFile(field->path, ResolvePath(baseDirectory, AsString(*field)), size);
  std::vector<std::uint8_t> block(size, 0);
  for (const auto& [name, bytes] : nvme.Entries(key)) {
    const bool decimal = !name.empty() && name.size() <= 4 && name.find_first_not_of("0123456789") == std::string::npos;
    if (!decimal || std::stoul(name) >= size) Refuse(bytes.path, "expected a byte offset inside the block as the name");
    LayHexBytes(bytes, std::stoul(name), block);
  }
  return block;
}

}  // namespace

std::optional<NvmeConfig> ParseNvme(ObjectReader& drive, const std::filesystem::path& baseDirectory) {
  auto nvme = drive.Object("nvme");
  if (!nvme) return std::nullopt;
  NvmeConfig config;
  config.identifyController = ParseBlock(*nvme, "identify_controller", NvmeData::IdentifyBytes, baseDirectory);
  if (nvme->Find("active_namespaces"))
    config.activeNamespaces = ParseBlock(*nvme, "active_namespaces", NvmeData::IdentifyBytes, baseDirectory);
  config.identifyNamespace = ParseBlock(*nvme, "identify_namespace", NvmeData::IdentifyBytes, baseDirectory);
  config.healthLog = ParseBlock(*nvme, "smart_log", NvmeData::HealthLogBytes, baseDirectory);
  config.identify = ReadRequestFault(*nvme, "identify");
  config.log = ReadRequestFault(*nvme, "log");
  ApplyNvmeEraseFields(*nvme, config);
  nvme->RejectUnknownFields();
  return config;
}

}  // namespace trelvane::emulated
