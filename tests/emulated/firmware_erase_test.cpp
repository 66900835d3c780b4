// The firmware erase sequences run over an emulated drive's pass-through, as the Windows storage
// stack carries them: what each method leaves on the image (judged by the read-back proof), progress
// per status read, the endings a machine file scripts, and the refusals of the drive and of Windows.

#include <gtest/gtest.h>

#include <string>

#include "ata/ata_commands.h"
#include "ata/ata_erase_commands.h"
#include "backends/emulated/request_log.h"
#include "format/erase_sample_check.h"
#include "format/firmware_erase_run.h"
#include "machine_fixture.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane::testing {
namespace {

using Ending = FirmwareEraseOutcome::Ending;
constexpr std::int64_t DiskBytes = 4 << 20;

struct StepWaiter final : EraseWaiter {
  std::int64_t now = 0;
  std::int64_t NowMs() override { return now; }
  void Wait(std::uint32_t ms) override { now += ms; }
};

constexpr const char* NvmeBus = R"("nvme": {"sanicap": 3, "oacs": 2, "fna": 4, "nn": 1, "namespaces": [1]})";
constexpr const char* SsdErase = R"({"sanitize": {"crypto": true, "block": true, "overwrite": true},
    "security": {"enhanced": true, "normal_erase_minutes": 2}, "rotation_rate": 1})";
std::string AtaBus(const std::string& ataErase = SsdErase) {
  return R"("identify": "id.bin", "ata_erase": )" + ataErase;
}

// One drive of 4 MiB whose image holds data that is neither uniform nor zero.
struct Drive {
  Drive(const std::string& bus, std::uint32_t sectorSize, const std::string& fields = "", bool pe = true)
      : nvme(bus == NvmeBus), sector(sectorSize) {
    std::vector<std::uint8_t> image(DiskBytes);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
    WriteBinaryFile(folder.path() / "disk.img", image);
    WriteBinaryFile(folder.path() / "id.bin", std::vector<std::uint8_t>(512, 0));
    system = LoadFromFolder(folder.path(), "m.json",
                            R"({"system": {"preinstallation": )" + std::string(pe ? "true" : "false") +
                                R"(}, "drives": [{"image": "disk.img", "length": 4194304, "sector_size": )" +
                                std::to_string(sector) + ", " + bus + fields + "}]}");
    handle = system->CreateFileW(Drive0, ReadWrite, Share::ReadWrite);
  }
  AtaEraseCapabilities Caps() {
    std::array<std::uint8_t, 512> identify{};
    AtaResult result;
    system->AtaDeviceOf(handle)->PassThrough(IdentifyDeviceCommand(0), identify, result);
    return DecodeEraseCapabilities(identify);
  }
  FirmwareEraseOutcome Run(EraseMethodId method, std::vector<double>* shares = nullptr) {
    StepWaiter waiter;
    FirmwareEraseContext context{waiter, [shares](const FirmwareEraseProgress& p) {
                                   if (shares != nullptr && p.shareDone) shares->push_back(*p.shareDone);
                                 }};
    const bool sanitize = method == EraseMethodId::SanitizeCrypto || method == EraseMethodId::SanitizeBlock ||
                          method == EraseMethodId::SanitizeOverwrite;
    HandleSectorReader reader(*system, handle);
    before = TakeFingerprints(reader, SampleRanges(DiskBytes, sector, 64), sector);
    if (nvme) {
      auto device = system->NvmeDeviceOf(handle);
      return sanitize ? RunNvmeSanitize(*device, method, context) : RunNvmeFormat(*device, method, context);
    }
    const AtaEraseCapabilities caps = Caps();
    auto device = system->AtaDeviceOf(handle);
    return sanitize ? RunAtaSanitize(*device, 0, method, context) : RunAtaSecurityErase(*device, 0, method, caps, context);
  }
  EraseProof Proof(ErasedRule rule) {
    HandleSectorReader reader(*system, handle);
    return CheckErased(reader, rule, SampleRanges(DiskBytes, sector, 64), sector, before);
  }
  std::size_t RequestsWithCode(std::uint32_t code) const {
    std::size_t count = 0;
    for (const RecordedRequest& request : system->Requests()) count += request.code == code ? 1 : 0;
    return count;
  }
  bool nvme;
  std::uint32_t sector;
  TempDir folder;
  std::unique_ptr<EmulatedSystem> system;
  Handle handle = InvalidHandle;
  std::vector<SectorFingerprint> before;
};

// Every method either bus offers through Windows: the drive's last word, then what the image holds.
TEST(FirmwareErase, EachMethodLeavesWhatItsProofAsks) {
  struct Row {
    bool nvme;
    EraseMethodId method;
    const char* fields;
    ErasedRule rule;
    std::optional<std::uint8_t> uniform;
  };
  const Row rows[] = {
      {false, EraseMethodId::SanitizeCrypto, "", ErasedRule::Changed, {}},
      {false, EraseMethodId::SanitizeBlock, R"(, "erase": {"block_erase_leaves": "ones"})", ErasedRule::Uniform, 0xFF},
      {false, EraseMethodId::SanitizeOverwrite, "", ErasedRule::Zeros, {}},
      {false, EraseMethodId::SecureErase, "", ErasedRule::Zeros, {}},
      {false, EraseMethodId::SecureEraseEnhanced, R"(, "erase": {"enhanced_erase_byte": 90})", ErasedRule::Uniform, 90},
      {true, EraseMethodId::SanitizeCrypto, "", ErasedRule::Changed, {}},
      {true, EraseMethodId::SanitizeBlock, "", ErasedRule::Uniform, 0x00},
      {true, EraseMethodId::FormatCrypto, "", ErasedRule::Changed, {}},
  };
  for (const std::uint32_t sector : {512u, 4096u})
    for (const Row& row : rows) {
      SCOPED_TRACE(::testing::Message() << row.nvme << " " << static_cast<int>(row.method) << " " << sector);
      Drive drive(row.nvme ? NvmeBus : AtaBus(), sector, row.fields);
      const FirmwareEraseOutcome outcome = drive.Run(row.method);
      ASSERT_TRUE(outcome.Completed()) << ToUtf8(outcome.text);
      const EraseProof proof = drive.Proof(row.rule);
      EXPECT_TRUE(proof.Passed());
      if (row.rule == ErasedRule::Uniform) {
        EXPECT_EQ(proof.uniformByte, row.uniform);
      }
      EXPECT_FALSE(drive.Caps().security.enabled);  // the password is gone with the erase
    }
}

// SPROG and the ATA sanitize progress advance once per status read until the drive's last word.
TEST(FirmwareErase, ProgressAdvancesPerStatusRead) {
  for (const bool nvme : {false, true}) {
    Drive drive(nvme ? NvmeBus : AtaBus(), 4096, R"(, "erase": {"status_reads": 3})");
    std::vector<double> shares;
    ASSERT_TRUE(drive.Run(EraseMethodId::SanitizeBlock, &shares).Completed());
    EXPECT_EQ(shares, (std::vector<double>{0.25, 0.5, 0.75, 1.0})) << nvme;
  }
}

// The endings a machine file scripts, on both buses; a drive left in the sanitize failed state reads
// nothing, and a lying one is caught by the proof, not by its word.
TEST(FirmwareErase, ScriptedEndings) {
  struct Row {
    const char* ending;
    Ending expected;
    bool mediaRefused;
    bool proofPasses;
  };
  const Row rows[] = {{"fails", Ending::Failed, true, false},
                      {"power_loss", Ending::Failed, true, false},
                      {"aborts", Ending::Failed, false, false},
                      {"lies", Ending::Completed, false, false}};
  for (const bool nvme : {false, true})
    for (const std::uint32_t sector : {512u, 4096u})
      for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.ending << " nvme " << nvme << " " << sector);
        Drive drive(nvme ? NvmeBus : AtaBus(), sector, std::string(R"(, "erase": {"status_reads": 4, "ending": ")") + row.ending + "\"}");
        const FirmwareEraseOutcome outcome = drive.Run(EraseMethodId::SanitizeCrypto);
        EXPECT_EQ(outcome.ending, row.expected);
        std::vector<std::uint8_t> block(sector);
        std::uint32_t read = 0;
        std::int64_t at = 0;
        drive.system->SetFilePointerEx(drive.handle, 0, at);
        EXPECT_EQ(!drive.system->ReadFile(drive.handle, block, read), row.mediaRefused);
        if (!row.mediaRefused) {
          EXPECT_EQ(drive.Proof(ErasedRule::Changed).Passed(), row.proofPasses);
        }
      }
}

// What is refused before anything erases: by the drive (unsupported, frozen), by the run's own
// checks (locked, a password set, frozen security), and by Windows (the methods it does not pass on,
// the Security commands outside Windows PE). The image keeps its data every time.
TEST(FirmwareErase, RefusalsLeaveTheDataAlone) {
  struct Row {
    std::string bus;
    EraseMethodId method;
    bool pe;
    Ending expected;
    std::u16string text;  // a part of the outcome's text
  };
  const Row rows[] = {
      {AtaBus(R"({"rotation_rate": 1})"), EraseMethodId::SanitizeCrypto, true, Ending::Failed, u"не поддерживает"},
      {AtaBus(R"({"sanitize": {"block": true, "frozen": true}})"), EraseMethodId::SanitizeBlock, true, Ending::Failed,
       u""},
      {NvmeBus, EraseMethodId::SanitizeOverwrite, true, Ending::Failed, u""},
      {NvmeBus, EraseMethodId::FormatUser, true, Ending::Failed, u""},
      {AtaBus(R"({"security": {"frozen": true}})"), EraseMethodId::SecureErase, true, Ending::Refused, u"frozen"},
      {AtaBus(R"({"security": {"locked": true, "password": "x"}})"), EraseMethodId::SecureErase, true,
       Ending::Refused, u"заблокирован"},
      {AtaBus(R"({"security": {"enabled": true, "password": "x", "enhanced": true}})"),
       EraseMethodId::SecureEraseEnhanced, true, Ending::Refused, u"уже установлен пароль"},
      {AtaBus(), EraseMethodId::SecureErase, false, Ending::Failed, u""},
  };
  for (const std::uint32_t sector : {512u, 4096u})
    for (const Row& row : rows) {
      SCOPED_TRACE(::testing::Message() << row.bus << " " << static_cast<int>(row.method) << " " << sector);
      Drive drive(row.bus, sector, "", row.pe);
      const FirmwareEraseOutcome outcome = drive.Run(row.method);
      EXPECT_EQ(outcome.ending, row.expected);
      EXPECT_NE(outcome.text.find(row.text), std::u16string::npos) << ToUtf8(outcome.text);
      EXPECT_EQ(drive.Proof(ErasedRule::Changed).sectorsWrong, static_cast<std::int64_t>(drive.before.size()));
      EXPECT_EQ(drive.RequestsWithCode(Ioctl::StorageReinitializeMedia), 0u);
    }
}

// The Security feature set as ACS-3 has it: ERASE UNIT only right after ERASE PREPARE and with the
// password; a wrong password aborts and five of them expire the count; a failed erase still takes
// the program's password off again.
TEST(FirmwareErase, SecurityStateMachine) {
  Drive drive(AtaBus(), 512);
  auto ata = drive.system->AtaDeviceOf(drive.handle);
  const auto send = [&](const AtaCommand& command, AtaSecurityBlock block) {
    AtaResult result;
    const bool none = command.direction == AtaDirection::None;
    return ata->PassThrough(command, none ? std::span<std::uint8_t>{} : std::span<std::uint8_t>(block), result);
  };
  const auto right = [](bool enhanced = false) { return EraseUnitBlock(AtaPasswordKind::User, "pw", enhanced); };
  const auto wrong = DisablePasswordBlock(AtaPasswordKind::User, "other");
  EXPECT_FALSE(send(SecurityEraseUnitCommand(0, 60), right()));  // no password set
  EXPECT_TRUE(send(SecuritySetPasswordCommand(0), SetPasswordBlock(AtaPasswordKind::User, "pw")));
  EXPECT_TRUE(drive.Caps().security.enabled);
  EXPECT_FALSE(send(SecurityEraseUnitCommand(0, 60), right()));  // no ERASE PREPARE before it
  EXPECT_TRUE(send(SecurityErasePrepareCommand(0), {}));
  EXPECT_FALSE(send(SecurityDisablePasswordCommand(0), wrong));
  EXPECT_FALSE(send(SecurityEraseUnitCommand(0, 60), right()));  // the prepare was used up
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(send(SecurityDisablePasswordCommand(0), wrong));
  EXPECT_FALSE(drive.Caps().security.countExpired);
  EXPECT_FALSE(send(SecurityDisablePasswordCommand(0), wrong));
  EXPECT_TRUE(drive.Caps().security.countExpired);
  EXPECT_FALSE(send(SecurityDisablePasswordCommand(0), DisablePasswordBlock(AtaPasswordKind::User, "pw")));

  for (const char* ending : {"fails", "aborts"}) {
    Drive failing(AtaBus(), 4096, std::string(R"(, "erase": {"ending": ")") + ending + "\"}");
    const FirmwareEraseOutcome outcome = failing.Run(EraseMethodId::SecureEraseEnhanced);
    EXPECT_EQ(outcome.ending, Ending::Failed);
    EXPECT_FALSE(failing.Caps().security.enabled) << ending;
    EXPECT_EQ(outcome.commands.back().name, u"SECURITY DISABLE PASSWORD");
  }
}

// The request log shows each erase command as the IOCTL_ATA_PASS_THROUGH it went out as:
// ATA_PASS_THROUGH_EX (48 bytes, 64-bit layout), then the data block.
TEST(FirmwareErase, RequestLogLines) {
  Drive drive(AtaBus(), 512);
  ASSERT_TRUE(drive.Run(EraseMethodId::SanitizeCrypto).Completed());
  std::vector<std::string> lines;
  for (const RecordedRequest& request : drive.system->Requests())
    if (request.code == Ioctl::AtaPassThrough) lines.push_back(emulated::RequestLogLine(request));
  ASSERT_GE(lines.size(), 2u);
  // Length 48, DRDY | 48-bit, timeout 30 s, data at 48; previous: LBA 31:24 = 43h; current: FEATURE
  // 11h, COUNT 10h (FAILURE MODE), LBA 70h 79h 72h, DEVICE E0h, COMMAND B4h.
  EXPECT_EQ(lines[0],
            R"({"call":"DeviceIoControl","path":"\\\\.\\PhysicalDrive0","code":315436,"in":")"
            "300009000000000000000000" "1e000000000000000000000030000000" "00000000" "0000430000000000"
            "1110707972e0b400" R"(","out_size":48,"ok":true,"returned":48,"error":0})");
  EXPECT_NE(lines[1].find(R"("in":"3000090000000000000000001e000000)"), std::string::npos);  // SANITIZE STATUS EXT

  Drive secure(AtaBus(), 512);
  ASSERT_TRUE(secure.Run(EraseMethodId::SecureErase).Completed());
  std::vector<std::string> names;
  for (const RecordedRequest& request : secure.system->Requests())
    if (request.code == Ioctl::AtaPassThrough) names.push_back(emulated::RequestLogLine(request).substr(0, 90));
  ASSERT_EQ(names.size(), 3u);  // SET PASSWORD, ERASE PREPARE, ERASE UNIT
  const RecordedRequest* unit = nullptr;
  for (const RecordedRequest& request : secure.system->Requests())
    if (request.code == Ioctl::AtaPassThrough) unit = &request;
  ASSERT_EQ(unit->in.size(), 48u + 512u);
  EXPECT_EQ(unit->in[2], 0x05);   // DRDY | DATA_OUT
  EXPECT_EQ(unit->in[46], 0xF4);  // ERASE UNIT
  EXPECT_EQ(std::string(unit->in.begin() + 50, unit->in.begin() + 64), "trelvane-erase");
}

}  // namespace
}  // namespace trelvane::testing
