#include "backends/emulated/erase_file.h"

#include <string>

#include "backends/emulated/machine_file.h"
#include "os/bytes.h"

namespace trelvane::emulated {

namespace {

// Words 89 and 90: minutes up to 508 as (minutes / 2), more as "longer than 508 minutes".
std::uint16_t EraseTimeWord(ObjectReader& reader, std::string_view key) {
  const auto minutes = reader.OptionalInteger(key, 0, 65534);
  if (!minutes) return 0;
  if (*minutes > 508) return 0xFF;
  return static_cast<std::uint16_t>((*minutes + 1) / 2);
}

}  // namespace

std::optional<AtaEraseConfig> ParseAtaErase(ObjectReader& drive) {
  auto ata = drive.Object("ata_erase");
  if (!ata) return std::nullopt;
  AtaEraseConfig config;
  if (auto sanitize = ata->Object("sanitize")) {
    config.sanitizeCrypto = sanitize->Boolean("crypto", false);
    config.sanitizeBlock = sanitize->Boolean("block", false);
    config.sanitizeOverwrite = sanitize->Boolean("overwrite", false);
    config.antifreeze = sanitize->Boolean("antifreeze", false);
    config.sanitizeFrozen = sanitize->Boolean("frozen", false);
    sanitize->RejectUnknownFields();
  }
  if (auto security = ata->Object("security")) {
    config.securitySupported = security->Boolean("supported", true);
    config.securityEnabled = security->Boolean("enabled", false);
    config.securityLocked = security->Boolean("locked", false);
    config.securityFrozen = security->Boolean("frozen", false);
    config.countExpired = security->Boolean("count_expired", false);
    config.enhancedErase = security->Boolean("enhanced", false);
    config.password = security->String("password", "");
    if (config.password.size() > 32) Refuse(security->PathOf("password"), "expected at most 32 bytes");
    if ((config.securityEnabled || config.securityLocked) && config.password.empty())
      Refuse(security->PathOf("password"), "a drive with security enabled or locked needs its password");
    config.normalEraseWord = EraseTimeWord(*security, "normal_erase_minutes");
    config.enhancedEraseWord = EraseTimeWord(*security, "enhanced_erase_minutes");
    security->RejectUnknownFields();
  }
  config.encryptsAllUserData = ata->Boolean("encrypts_all_user_data", false);
  config.rotationRate = static_cast<std::uint16_t>(ata->Integer("rotation_rate", 0, 0, 0xFFFF));
  ata->RejectUnknownFields();
  return config;
}

EraseBehaviour ParseEraseBehaviour(ObjectReader& drive) {
  EraseBehaviour behaviour;
  auto erase = drive.Object("erase");
  if (!erase) return behaviour;
  behaviour.statusReads = static_cast<std::uint32_t>(erase->Integer("status_reads", behaviour.statusReads, 0, 1'000'000));
  static constexpr std::pair<std::string_view, EraseBehaviour::Ending> Endings[] = {
      {"completes", EraseBehaviour::Ending::Completes}, {"fails", EraseBehaviour::Ending::Fails},
      {"power_loss", EraseBehaviour::Ending::PowerLoss}, {"lies", EraseBehaviour::Ending::Lies},
      {"aborts", EraseBehaviour::Ending::Aborts}};
  const std::string ending = erase->String("ending", "completes");
  bool known = false;
  for (const auto& [name, value] : Endings)
    if (name == ending) {
      behaviour.ending = value;
      known = true;
    }
  if (!known) Refuse(erase->PathOf("ending"), "expected completes, fails, power_loss, lies or aborts");
  const std::string block = erase->String("block_erase_leaves", "zeros");
  if (block != "zeros" && block != "ones") Refuse(erase->PathOf("block_erase_leaves"), "expected zeros or ones");
  behaviour.blockByte = block == "ones" ? 0xFF : 0x00;
  behaviour.vendorByte = static_cast<std::uint8_t>(erase->Integer("enhanced_erase_byte", behaviour.vendorByte, 0, 255));
  behaviour.sanitizeFailedAtStart = erase->Boolean("sanitize_failed_at_start", false);
  if (const auto seconds = erase->OptionalInteger("estimate_seconds", 0, 0xFFFFFFFE))
    behaviour.estimateSeconds = static_cast<std::uint32_t>(*seconds);
  behaviour.blockingMs = static_cast<std::uint32_t>(erase->Integer("blocking_ms", 0, 0, 600'000));
  erase->RejectUnknownFields();
  return behaviour;
}

void ApplyNvmeEraseFields(ObjectReader& nvme, NvmeConfig& config) {
  std::vector<std::uint8_t>& controller = config.identifyController;
  if (const auto sanicap = nvme.OptionalInteger("sanicap", 0, 0xFFFFFFFF))
    WriteU32LE(controller, 328, static_cast<std::uint32_t>(*sanicap));
  if (const auto oacs = nvme.OptionalInteger("oacs", 0, 0xFFFF)) WriteU16LE(controller, 256, static_cast<std::uint16_t>(*oacs));
  if (const auto fna = nvme.OptionalInteger("fna", 0, 0xFF)) controller[524] = static_cast<std::uint8_t>(*fna);
  if (const auto nn = nvme.OptionalInteger("nn", 0, 0xFFFFFFFF)) WriteU32LE(controller, 516, static_cast<std::uint32_t>(*nn));
  if (nvme.Find("namespaces")) {
    std::vector<std::uint8_t> list(4096, 0);
    std::size_t at = 0;
    for (const Field& id : nvme.Items("namespaces")) {
      if (at + 4 > list.size()) Refuse(id.path, "expected at most 1024 namespaces");
      WriteU32LE(list, at, static_cast<std::uint32_t>(AsInteger(id, 1, 0xFFFFFFFE)));
      at += 4;
    }
    config.activeNamespaces = list;
  }
  // The format in use (FLBAS bits 3:0 and 6:5) and its data size, 2^LBADS bytes (LBA format entry
  // at 128 + 4 * index, LBADS in byte 2).
  if (auto format = nvme.Object("lba_format")) {
    const auto index = static_cast<std::uint8_t>(format->Integer("index", 0, 0, 63));
    const auto size = format->Integer("data_size", 512, 512, 65536);
    format->RejectUnknownFields();
    int shift = 0;
    while ((std::int64_t{1} << shift) < size) ++shift;
    if ((std::int64_t{1} << shift) != size) Refuse(format->PathOf("data_size"), "expected a power of two");
    std::vector<std::uint8_t>& space = config.identifyNamespace;
    const unsigned flbas = (index & 0x0Fu) | (static_cast<unsigned>(index >> 4) << 5);
    space[26] = static_cast<std::uint8_t>((space[26] & 0x90u) | flbas);
    if (space[25] < index) space[25] = index;  // NLBAF
    space[128 + 4u * index + 2] = static_cast<std::uint8_t>(shift);
  }
}

}  // namespace trelvane::emulated
