#pragma once
// What an emulated machine file says, after validation: the machine's fixed description. The running
// state (open handles, locks, image files, the clock) lives in EmulatedMachine, not here.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "backends/driver_model/module_table.h"
#include "os/system.h"

namespace trelvane::emulated {

using Block = std::array<std::uint8_t, 512>;

// How one kind of request is refused. A non-zero code refuses with that code; `fails` refuses even
// with code 0, because the program treats "failed, last error 0" differently from success.
struct RequestFault {
  std::uint32_t error = 0;
  bool fails = false;
  bool Refuses() const { return fails || error != 0; }
};

struct SystemConfig {
  // Windows PE: the storage stack passes the ATA Security commands, which it blocks elsewhere.
  bool preinstallation = false;
  OsVersion version{2, 10, 0, 19045, u""};
  int processBits = 64;
  Wow64Answer wow64 = Wow64Answer::No;
  std::u16string programPath = u"C:\\Program Files\\Trelvane\\trelvane.exe";
  std::map<std::u16string, ModuleOffer> modules;  // keyed by ModuleKey(); every other module present
  std::optional<SystemTime> clockStart;
  std::optional<std::int64_t> clockStepMs;
  RegionalSettings regional;
  std::map<std::uint32_t, std::u16string> errorTexts;
  std::optional<std::uint32_t> driveStringsLength;
  std::optional<std::filesystem::path> requestLog;
  std::uint32_t ansiCodePage = 1251;
  HostFacts host{u"DEMO-PC", u"Windows 10.0.19045", u"user", 180};
};

struct VolumeConfig {
  std::u16string root;  // as the system lists it, "C:\"
  RequestFault queryOpen;
  RequestFault open;
  RequestFault deviceNumber;
  RequestFault lock;
  RequestFault dismount;
  RequestFault extendedIo;
  RequestFault unlock;
  std::uint32_t deviceType = 7;
  std::uint32_t deviceNumberValue = 0;
  std::uint32_t partition = 1;
  // A folder of the computer running the program that stands for this volume's files: a report
  // folder inside it is stored on the volume's drive.
  std::optional<std::filesystem::path> hostFolder;
};

// The strings a drive reports, one byte per character, before any swap the program applies.
struct DeviceStrings {
  std::string vendor;
  std::string product;
  std::string revision;
  std::string serial;
  bool removable = false;
};

// A write that overlaps [from, to) fails with `error` and writes nothing; no `to` means to the end.
struct WriteFault {
  std::int64_t from = 0;
  std::optional<std::int64_t> to;
  std::uint32_t error = 1117;
};

// A read that overlaps [from, to) fails with `error` and reads nothing; no `to` means to the end.
struct ReadFault {
  std::int64_t from = 0;
  std::optional<std::int64_t> to;
  std::uint32_t error = 23;
};

// A byte range [from, to) of a lying device: writes there report success and store nothing.
struct LostWrites {
  std::int64_t from = 0;
  std::int64_t to = 0;
};

// A seek to exactly `at` fails with `error`.
struct SeekFault {
  std::int64_t at = 0;
  std::uint32_t error = 87;
};

// An NVMe drive's answers to the protocol-specific storage queries: Identify Controller, the active
// namespace list and Identify Namespace (4096 bytes each) and the SMART / Health Information log
// (512 bytes). Without a list the drive refuses that request.
struct NvmeConfig {
  std::vector<std::uint8_t> identifyController;
  std::optional<std::vector<std::uint8_t>> activeNamespaces;
  std::vector<std::uint8_t> identifyNamespace;
  std::vector<std::uint8_t> healthLog;
  RequestFault identify;  // refuses both Identify requests
  RequestFault log;
};

// The ATA drive's erase features (`ata_erase`): they set IDENTIFY words 59, 69, 82, 85, 89, 90,
// 128 and 217, and the Security feature set starts from this state.
struct AtaEraseConfig {
  bool sanitizeCrypto = false, sanitizeBlock = false, sanitizeOverwrite = false;
  bool antifreeze = false;      // word 59 bit 10
  bool sanitizeFrozen = false;  // SANITIZE commands aborted as frozen
  bool securitySupported = false, securityEnabled = false, securityLocked = false, securityFrozen = false;
  bool countExpired = false;
  bool enhancedErase = false;   // word 128 bit 5
  std::string password;         // the user password set at the start (security enabled)
  std::uint16_t normalEraseWord = 0, enhancedEraseWord = 0;  // words 89 and 90 as given
  bool encryptsAllUserData = false;  // word 69 bit 4
  std::uint16_t rotationRate = 0;    // word 217
};

// How a firmware erase of this drive ends (`erase`), either bus.
struct EraseBehaviour {
  enum class Ending { Completes, Fails, PowerLoss, Lies, Aborts };
  std::uint32_t statusReads = 2;  // status reads that still find a sanitize in progress
  Ending ending = Ending::Completes;
  std::uint8_t blockByte = 0;     // what a block erase leaves: 00h or FFh
  std::uint8_t vendorByte = 0xA5; // what an enhanced security erase leaves
  bool sanitizeFailedAtStart = false;  // came back from a power loss in the sanitize failed state
  std::optional<std::uint32_t> estimateSeconds;  // the sanitize log's estimates; none: FFFFFFFFh
  std::uint32_t blockingMs = 0;  // real time SECURITY ERASE UNIT and Format NVM hold their caller
};

struct DriveConfig {
  std::uint32_t number = 0;
  std::u16string node;  // the operating system's own name of the drive ("/dev/sdb"); empty: none
  RequestFault open;
  RequestFault exclusiveOpen;
  RequestFault geometry;
  RequestFault length;
  RequestFault adapter;
  RequestFault device;
  RequestFault identifyRcv;
  RequestFault miniport;
  RequestFault smartEnable;
  RequestFault smartDisable;
  RequestFault smartRcv;
  RequestFault smartSend;
  RequestFault updateProperties;
  RequestFault flush;
  std::uint32_t sectorSize = 512;
  std::int64_t lengthBytes = 500107862016;
  std::uint8_t busType = 11;
  std::uint32_t maxTransfer = 131072;
  DeviceStrings strings;
  Block deviceReply{};  // the STORAGE_DEVICE_DESCRIPTOR answer, built from `strings` or given in hex
  std::uint32_t deviceReplySize = 40;
  std::optional<std::uint8_t> smartVersionMap = 1;  // nullopt: SMART_GET_VERSION refused
  std::optional<std::uint8_t> inquiryTargetId = 0;  // nullopt: IOCTL_SCSI_GET_INQUIRY_DATA refused
  std::optional<Block> identify;
  std::optional<Block> smart;
  std::optional<NvmeConfig> nvme;  // set: the drive answers NVMe queries and refuses ATA requests
  std::optional<AtaEraseConfig> ataErase;
  EraseBehaviour erase;
  std::uint32_t miniportBytes = 572;
  std::uint32_t smartRcvBytes = 528;
  std::uint32_t smartSendBytes = 528;
  std::optional<std::filesystem::path> image;
  std::vector<WriteFault> writeFaults;
  std::vector<SeekFault> seekFaults;
  std::vector<ReadFault> readFaults;
  std::vector<LostWrites> lostWrites;
  // A counterfeit drive: the bytes at offset >= wrapsAt are stored (and read) at offset % wrapsAt.
  std::optional<std::int64_t> wrapsAt;
  std::int64_t writeDelayUsPerMiB = 0;
  // The answer to every write while another program holds the disk exclusively (0: nobody does).
  std::uint32_t claimError = 0;
  // Other programs holding the disk open: while there are any, every write is refused with 32 and
  // they are the answer to OtherOpeners, as the real backend's claim finds and names them.
  std::vector<DiskOpener> openers;
  // A write-protected drive: IOCTL_DISK_IS_WRITABLE and every write fail with 19.
  bool readOnly = false;
};

struct MachineConfig {
  std::string fileName;  // for error messages
  SystemConfig system;
  std::vector<VolumeConfig> volumes;
  std::vector<DriveConfig> drives;
};

}  // namespace trelvane::emulated
