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

bool IsSanitize(EraseMethodId method) {
  return method == EraseMethodId::SanitizeCrypto || method == EraseMethodId::SanitizeBlock ||
         method == EraseMethodId::SanitizeOverwrite;
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
    const bool sanitize = IsSanitize(method);
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
  std::vector<RecordedRequest> Requests(std::uint32_t code) const {
    std::vector<RecordedRequest> found;
    for (const RecordedRequest& request : system->Requests()) if (request.code == code) found.push_back(request);
    return found;
  }
  bool nvme;
  std::uint32_t sector;
  TempDir folder;
  std::unique_ptr<EmulatedSystem> system;
  Handle handle = InvalidHandle;
  std::vector<SectorFingerprint> before;
};

// Every method either bus offers through Windows: progress, the drive's last word, then what the
// image holds.
TEST(FirmwareErase, EachMethodLeavesWhatItsProofAsks) {
  struct Row { bool nvme; EraseMethodId method; const char* fields; ErasedRule rule; std::optional<std::uint8_t> uniform; };
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
      std::vector<double> shares;  // a sanitize's progress: one step per status read (2 in progress)
      const FirmwareEraseOutcome outcome = drive.Run(row.method, &shares);
      ASSERT_TRUE(outcome.Completed()) << ToUtf8(outcome.text);
      const std::vector<double> steps{21845 / 65536.0, 43690 / 65536.0, 1.0};
      EXPECT_EQ(shares, IsSanitize(row.method) ? steps : std::vector<double>{1.0});
      const EraseProof proof = drive.Proof(row.rule);
      EXPECT_TRUE(proof.Passed());
      if (row.rule == ErasedRule::Uniform) { EXPECT_EQ(proof.uniformByte, row.uniform); }
      EXPECT_FALSE(drive.Caps().security.enabled);  // the password is gone with the erase
    }
}

// The endings a machine file scripts, on both buses; a drive left in the sanitize failed state reads
// nothing, and a lying one is caught by the proof, not by its word.
TEST(FirmwareErase, ScriptedEndings) {
  struct Row { const char* ending; Ending expected; bool mediaRefused; bool proofPasses; };
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
        EXPECT_EQ(!HandleSectorReader(*drive.system, drive.handle).Read(0, block), row.mediaRefused);
        if (!row.mediaRefused) { EXPECT_EQ(drive.Proof(ErasedRule::Changed).Passed(), row.proofPasses); }
      }
}

// What is refused before anything erases: by the drive (unsupported, frozen), by the run's own
// checks (locked, a password set, frozen security), and by Windows (the methods it does not pass on,
// the Security commands outside Windows PE). The image keeps its data every time.
TEST(FirmwareErase, RefusalsLeaveTheDataAlone) {
  struct Row { std::string bus; EraseMethodId method; bool pe; Ending expected; std::u16string text; };  // text: a part of the outcome's
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
      {AtaBus(), EraseMethodId::SecureErase, false, Ending::Failed, u"только в среде предустановки Windows PE"},
  };
  for (const std::uint32_t sector : {512u, 4096u})
    for (const Row& row : rows) {
      SCOPED_TRACE(::testing::Message() << row.bus << " " << static_cast<int>(row.method) << " " << sector);
      Drive drive(row.bus, sector, "", row.pe);
      const FirmwareEraseOutcome outcome = drive.Run(row.method);
      EXPECT_EQ(outcome.ending, row.expected);
      EXPECT_NE(outcome.text.find(row.text), std::u16string::npos) << ToUtf8(outcome.text);
      EXPECT_EQ(drive.Proof(ErasedRule::Changed).sectorsWrong, static_cast<std::int64_t>(drive.before.size()));
      EXPECT_TRUE(drive.Requests(Ioctl::StorageReinitializeMedia).empty());
      const auto passThrough = drive.Requests(Ioctl::AtaPassThrough);
      for (const RecordedRequest& request : passThrough)  // Security stays in Windows
        EXPECT_TRUE(row.pe || request.error == ErrorCode::InvalidFunction);
      // A refused SET PASSWORD set nothing, so no DISABLE PASSWORD follows it.
      if (!row.pe) {
        EXPECT_EQ(passThrough.size(), 1u);
      }
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
  const auto right = [] { return EraseUnitBlock(AtaPasswordKind::User, "pw", false); };
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
  const std::vector<RecordedRequest> sent = drive.Requests(Ioctl::AtaPassThrough);
  ASSERT_GE(sent.size(), 2u);
  // Length 48, DRDY | 48-bit, timeout 30 s, data at 48; previous: LBA 31:24 = 43h; current: FEATURE
  // 11h, COUNT 10h (FAILURE MODE), LBA 70h 79h 72h, DEVICE E0h, COMMAND B4h.
  EXPECT_EQ(emulated::RequestLogLine(sent[0]),
            R"({"call":"DeviceIoControl","path":"\\\\.\\PhysicalDrive0","code":315436,"in":")"
            "300009000000000000000000" "1e000000000000000000000030000000" "00000000" "0000430000000000"
            "1110707972e0b400" R"(","out_size":48,"ok":true,"returned":48,"error":0})");
  EXPECT_NE(emulated::RequestLogLine(sent[1]).find(R"("in":"3000090000000000000000001e000000)"), std::string::npos);  // SANITIZE STATUS EXT

  Drive secure(AtaBus(), 512);
  ASSERT_TRUE(secure.Run(EraseMethodId::SecureErase).Completed());
  const std::vector<RecordedRequest> security = secure.Requests(Ioctl::AtaPassThrough);
  ASSERT_EQ(security.size(), 3u);  // SET PASSWORD, ERASE PREPARE, ERASE UNIT
  const std::vector<std::uint8_t>& unit = security[2].in;
  ASSERT_EQ(unit.size(), 48u + 512u);
  EXPECT_EQ(unit[2], 0x05);   // DRDY | DATA_OUT
  EXPECT_EQ(unit[46], 0xF4);  // ERASE UNIT
  EXPECT_EQ(std::string(unit.begin() + 50, unit.begin() + 64), "trelvane-erase");
}

// The firmware demo machine loads: a solid-state SATA drive and an NVMe drive with their erase fields.
TEST(FirmwareErase, DemoMachineLoads) {
  EXPECT_NO_THROW(LoadEmulatedMachine(std::filesystem::path(TRELVANE_EXAMPLES_DIR) / "demo" / "firmware.json"));
}

}  // namespace
}  // namespace trelvane::testing
