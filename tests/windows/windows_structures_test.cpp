// The core's probe and ATA transport talking to a drive whose every reply is built, and every request
// read, through the Windows headers' own structures, the way the Windows disk driver sees them. The
// core writes and reads bytes at offsets of its own; here those offsets meet the real layouts.

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/diagnostic_log.h"
#include "common/views.h"
#include "ata/ata_transport.h"
#include "common/drive_table.h"
#include "device/probe.h"
#include "os/system.h"
#include "os/win_constants.h"
#include "backends/windows_encoding/windows_ata_device.h"
#include "backends/windows_encoding/windows_block_device.h"
#include "backends/windows_encoding/windows_volume.h"
#include "backends/windows_encoding/windows_nvme_device.h"

namespace trelvane {
namespace {

constexpr Handle DriveHandle = 7;

// One drive as the Windows storage stack answers it. Input and output lengths are checked as the
// disk class driver checks them (a short input fails with 87, a short output with 122).
class HeaderBuiltDrive : public System, public DeviceControlPort {
 public:
  bool smartVersionAnswers = true;
  std::uint8_t ideDeviceMap = 0x02;  // the primary channel's slave
  std::optional<UCHAR> inquiryTargetId;  // no inquiry data unless set
  std::array<std::uint8_t, 512> sectorData{};
  std::optional<SENDCMDINPARAMS> lastCommand;
  std::optional<SRB_IO_CONTROL> lastSrb;

  HeaderBuiltDrive() {
    for (std::size_t i = 0; i < sectorData.size(); ++i) sectorData[i] = static_cast<std::uint8_t>(i * 7 + 3);
  }

  bool DeviceIoControl(Handle, std::uint32_t code, std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                       std::uint32_t& bytesReturned) override {
    bytesReturned = 0;
    switch (code) {
      case IOCTL_DISK_GET_DRIVE_GEOMETRY: return Geometry(out, bytesReturned);
      case IOCTL_DISK_GET_LENGTH_INFO: return Length(out, bytesReturned);
      case IOCTL_STORAGE_QUERY_PROPERTY: return Property(in, out, bytesReturned);
      case SMART_GET_VERSION: return Version(out, bytesReturned);
      case IOCTL_SCSI_GET_INQUIRY_DATA: return Inquiry(out, bytesReturned);
      case SMART_RCV_DRIVE_DATA: return Receive(in, out, bytesReturned);
      case IOCTL_SCSI_MINIPORT: return Miniport(in, out, bytesReturned);
      default: return Fail(ERROR_INVALID_FUNCTION);
    }
  }
  std::uint32_t GetLastError() override { return error_; }

  // Nothing else is asked of the drive.
  Handle CreateFileW(const std::u16string&, std::uint32_t, std::uint32_t) override { return DriveHandle; }
  bool WriteFile(Handle, std::span<const std::uint8_t>, std::uint32_t&) override { return Fail(ERROR_NOT_SUPPORTED); }
  bool ReadFile(Handle, std::span<std::uint8_t>, std::uint32_t&) override { return Fail(ERROR_NOT_SUPPORTED); }
  std::uint8_t* VirtualAlloc(std::size_t) override { return nullptr; }
  void BeginReadFile(Handle, std::int64_t, std::span<std::uint8_t>) override {}
  bool EndReadFile(Handle, std::uint32_t&) override { return Fail(ERROR_NOT_SUPPORTED); }
  void VirtualFree(std::uint8_t*, std::size_t) override {}
  bool SetFilePointerEx(Handle, std::int64_t, std::int64_t&) override { return Fail(ERROR_NOT_SUPPORTED); }
  bool FlushFileBuffers(Handle) override { return true; }
  void CloseHandle(Handle) override {}
  std::vector<DiskOpener> OtherOpeners(Handle) override { return {}; }
  std::unique_ptr<AtaDevice> AtaDeviceOf(Handle drive) override { return std::make_unique<WindowsAtaDevice>(*this, drive); }
  std::unique_ptr<BlockDevice> BlockDeviceOf(Handle drive) override {
    return std::make_unique<WindowsBlockDevice>(*this, drive);
  }
  std::unique_ptr<VolumeControl> VolumeOf(Handle volume) override { return std::make_unique<WindowsVolume>(*this, volume); }
  std::uint32_t GetLogicalDriveStringsW(std::span<char16_t>) override { return 0; }
  std::u16string FormatMessageW(std::uint32_t) override { return u"Ошибка.\r\n"; }
  OsVersion GetVersionExW() override { return {2, 10, 0, 19045, u""}; }
  HostFacts GetHostFacts() override { return {}; }
  std::u16string DriveNodeName(std::int64_t) override { return {}; }
  std::unique_ptr<NvmeDevice> NvmeDeviceOf(Handle handle) override {
    return std::make_unique<WindowsNvmeDevice>(*this, handle);
  }
  FolderPlace FolderPlaceOfDrive(const std::u16string&, std::int64_t) override { return FolderPlace::Unknown; }
  Wow64Answer IsWow64Process() override { return Wow64Answer::No; }
  int ProcessBits() override { return 64; }
  std::u16string GetModuleFileNameW() override { return u"C:\\trelvane.exe"; }
  void Sleep(std::uint32_t) override {}
  ModuleHandle LoadLibraryW(const std::u16string&) override { return 0; }
  EntryAddress GetProcAddress(ModuleHandle, const std::string&) override { return 0; }
  void FreeLibrary(ModuleHandle) override {}
  void ShellExecuteW(const std::u16string&, const std::u16string&, int) override {}
  SystemTime GetLocalTime() override { return {2026, 12, 7, 10, 15, 30, 250}; }
  RegionalSettings GetRegionalSettings() override { return {}; }
  std::uint32_t GetACP() override { return 1251; }

 private:
  std::uint32_t error_ = 0;

  bool Fail(std::uint32_t code) {
    error_ = code;
    return false;
  }

  template <typename Structure>
  bool Reply(const Structure& reply, std::span<std::uint8_t> out, std::uint32_t& returned) {
    if (out.size() < sizeof(Structure)) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(out.data(), &reply, sizeof(Structure));
    returned = sizeof(Structure);
    return true;
  }

  template <typename Structure>
  static std::optional<Structure> Read(std::span<const std::uint8_t> in, std::size_t offset = 0) {
    if (in.size() < offset + sizeof(Structure)) return std::nullopt;
    Structure request{};
    std::memcpy(&request, in.data() + offset, sizeof(Structure));
    return request;
  }

  bool Geometry(std::span<std::uint8_t> out, std::uint32_t& returned) {
    DISK_GEOMETRY geometry{};
    geometry.Cylinders.QuadPart = 3648;
    geometry.MediaType = FixedMedia;
    geometry.TracksPerCylinder = 255;
    geometry.SectorsPerTrack = 63;
    geometry.BytesPerSector = 4096;
    return Reply(geometry, out, returned);
  }

  bool Length(std::span<std::uint8_t> out, std::uint32_t& returned) {
    GET_LENGTH_INFORMATION length{};
    length.Length.QuadPart = 30'005'821'440;  // 7'325'640 sectors of 4096 bytes
    return Reply(length, out, returned);
  }

  bool Property(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, std::uint32_t& returned) {
    const auto query = Read<STORAGE_PROPERTY_QUERY>(in, 0);
    if (!query || query->QueryType != PropertyStandardQuery) return Fail(ERROR_INVALID_PARAMETER);
    if (query->PropertyId == StorageAdapterProperty) {
      STORAGE_ADAPTER_DESCRIPTOR adapter{};
      adapter.Version = adapter.Size = sizeof(adapter);
      adapter.MaximumTransferLength = 65536;
      adapter.BusType = BusTypeSata;
      return Reply(adapter, out, returned);
    }
    if (query->PropertyId != StorageDeviceProperty) return Fail(ERROR_INVALID_FUNCTION);
    return Device(out, returned);
  }

  // The descriptor, then the vendor, product, revision and serial texts with their zeros.
  bool Device(std::span<std::uint8_t> out, std::uint32_t& returned) {
    const std::array<std::string, 4> texts = {"ACME", "WIN DISK", "1.0", "BADC"};
    std::vector<std::uint8_t> reply(sizeof(STORAGE_DEVICE_DESCRIPTOR));
    std::array<DWORD, 4> offsets{};
    for (std::size_t i = 0; i < texts.size(); ++i) {
      offsets[i] = static_cast<DWORD>(reply.size());
      reply.insert(reply.end(), texts[i].begin(), texts[i].end());
      reply.push_back(0);
    }
    STORAGE_DEVICE_DESCRIPTOR device{};
    device.Version = sizeof(device);
    device.Size = static_cast<DWORD>(reply.size());
    device.RemovableMedia = TRUE;
    device.VendorIdOffset = offsets[0];
    device.ProductIdOffset = offsets[1];
    device.ProductRevisionOffset = offsets[2];
    device.SerialNumberOffset = offsets[3];
    device.BusType = BusTypeSata;
    std::memcpy(reply.data(), &device, sizeof(device));
    if (out.size() < reply.size()) return Fail(ERROR_MORE_DATA);
    std::copy(reply.begin(), reply.end(), out.begin());
    returned = static_cast<std::uint32_t>(reply.size());
    return true;
  }

  bool Version(std::span<std::uint8_t> out, std::uint32_t& returned) {
    if (!smartVersionAnswers) return Fail(ERROR_INVALID_FUNCTION);
    GETVERSIONINPARAMS version{};
    version.bVersion = 1;
    version.bRevision = 1;
    version.bIDEDeviceMap = ideDeviceMap;
    version.fCapabilities = CAP_ATA_ID_CMD | CAP_SMART_CMD;
    return Reply(version, out, returned);
  }

  // One bus with one device: the bus table, then the device's record and its 36 inquiry bytes.
  bool Inquiry(std::span<std::uint8_t> out, std::uint32_t& returned) {
    if (!inquiryTargetId) return Fail(ERROR_INVALID_FUNCTION);
    SCSI_ADAPTER_BUS_INFO bus{};
    bus.NumberOfBuses = 1;
    bus.BusData[0].NumberOfLogicalUnits = 1;
    bus.BusData[0].InitiatorBusId = 7;
    bus.BusData[0].InquiryDataOffset = sizeof(bus);
    SCSI_INQUIRY_DATA record{};
    record.TargetId = *inquiryTargetId;
    record.InquiryDataLength = 36;
    const std::size_t size = sizeof(bus) + offsetof(SCSI_INQUIRY_DATA, InquiryData) + 36;
    if (out.size() < size) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(out.data(), &bus, sizeof(bus));
    std::memcpy(out.data() + sizeof(bus), &record, offsetof(SCSI_INQUIRY_DATA, InquiryData));
    returned = static_cast<std::uint32_t>(size);
    return true;
  }

  // IDENTIFY DEVICE or SMART READ DATA: the command's 512 bytes after the SENDCMDOUTPARAMS header.
  bool Receive(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, std::uint32_t& returned) {
    if (in.size() < sizeof(SENDCMDINPARAMS) - 1) return Fail(ERROR_INVALID_PARAMETER);
    SENDCMDINPARAMS command{};
    std::memcpy(&command, in.data(), std::min(in.size(), sizeof(command)));
    lastCommand = command;
    if (out.size() < sizeof(SENDCMDOUTPARAMS) - 1 + 512) return Fail(ERROR_INSUFFICIENT_BUFFER);
    return DataReply(out, 0, returned);
  }

  bool DataReply(std::span<std::uint8_t> out, std::size_t at, std::uint32_t& returned) {
    SENDCMDOUTPARAMS header{};
    header.cBufferSize = 512;
    std::memcpy(out.data() + at, &header, offsetof(SENDCMDOUTPARAMS, bBuffer));
    std::copy(sectorData.begin(), sectorData.end(), out.begin() + static_cast<std::ptrdiff_t>(at) +
                                                        static_cast<std::ptrdiff_t>(offsetof(SENDCMDOUTPARAMS, bBuffer)));
    returned = static_cast<std::uint32_t>(at + offsetof(SENDCMDOUTPARAMS, bBuffer) + 512);
    return true;
  }

  // SRB_IO_CONTROL, SENDCMDINPARAMS behind it; the answer replaces the command block.
  bool Miniport(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, std::uint32_t& returned) {
    lastSrb = Read<SRB_IO_CONTROL>(in, 0);
    if (!lastSrb || std::memcmp(lastSrb->Signature, "SCSIDISK", 8) != 0) return Fail(ERROR_INVALID_PARAMETER);
    if (lastSrb->ControlCode != Ioctl::ScsiMiniportIdentify) return Fail(ERROR_INVALID_FUNCTION);
    lastCommand = Read<SENDCMDINPARAMS>(in, sizeof(SRB_IO_CONTROL));
    if (!lastCommand) return Fail(ERROR_INVALID_PARAMETER);
    if (out.size() < sizeof(SRB_IO_CONTROL) + offsetof(SENDCMDOUTPARAMS, bBuffer) + 512) {
      return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    return DataReply(out, sizeof(SRB_IO_CONTROL), returned);
  }
};

class NoBoxes : public MessageBoxes {
 public:
  void ShowMessageBox(const std::u16string& text, const std::u16string&, MessageIcon) override {
    ADD_FAILURE() << "unexpected message box";
    (void)text;
  }
};

class WindowsStructures : public ::testing::Test {
 protected:
  HeaderBuiltDrive drive_;
  bool debugMode_ = false;
  DiagnosticLog log_{drive_, debugMode_};
  NoBoxes boxes_;
  std::array<std::uint8_t, 512> data_{};
};

TEST_F(WindowsStructures, ProbeReadsGeometryLengthAdapterAndDeviceAsTheHeadersLayThemOut) {
  TIdentifyDeviceData description;
  ASSERT_EQ(ProbeDevice(drive_, log_, boxes_, DriveHandle, description), 0);
  EXPECT_EQ(description.SectorSize, 4096);
  EXPECT_EQ(description.LBA, 7'325'640);
  EXPECT_EQ(description.BusType, 11);
  EXPECT_EQ(description.MaximumSectorsTransfer, 16);  // 65536 bytes of 4096-byte sectors
  EXPECT_TRUE(description.RemovableMedia);
  EXPECT_EQ(description.Model, u"ACME WIN DISK");
  EXPECT_EQ(description.FW, u"1.0");
  EXPECT_EQ(description.SN, u"ABCD");  // the serial's byte pairs swapped back
  EXPECT_EQ(description.IsIDESlave, 1);
}

TEST_F(WindowsStructures, SlaveIsReadFromTheDeviceMapOrElseTheFirstInquiryRecord) {
  drive_.ideDeviceMap = 0x01;
  EXPECT_FALSE(QueryIdeSlave(drive_, DriveHandle));
  drive_.ideDeviceMap = 0x08;
  EXPECT_TRUE(QueryIdeSlave(drive_, DriveHandle));

  drive_.smartVersionAnswers = false;
  EXPECT_FALSE(QueryIdeSlave(drive_, DriveHandle));
  drive_.inquiryTargetId = 1;
  EXPECT_TRUE(QueryIdeSlave(drive_, DriveHandle));
  drive_.inquiryTargetId = 0;
  EXPECT_FALSE(QueryIdeSlave(drive_, DriveHandle));
}

// IDENTIFY through the SMART request (drive number 0 even for a slave), SMART READ DATA with its
// signature and the drive number, and IDENTIFY through the miniport with a full control header once
// the SMART version is refused: the task file each carries, and the data read back.
TEST_F(WindowsStructures, EachCommandCarriesTheTaskFileTheDriverExpects) {
  struct Case {
    const char* name;
    bool smartVersion;
    bool smart;  // SMART READ DATA, else IDENTIFY
    std::uint8_t selector;
    std::vector<int> registers;  // features, cylinder low and high, drive/head, command; drive number
  };
  const Case cases[] = {
      {"identify", true, false, 1, {0, 0, 0, 0xB0, 0xEC, 0}},
      {"smart read data", true, true, 1, {0xD0, 0x4F, 0xC2, 0xB0, 0xB0, 1}},
      {"identify through the miniport", false, false, 0, {0, 0, 0, 0xA0, 0xEC, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    drive_.smartVersionAnswers = c.smartVersion;
    drive_.lastCommand.reset();
    drive_.lastSrb.reset();
    data_.fill(0);
    ASSERT_TRUE(c.smart ? ReadSmartData(drive_, DriveHandle, c.selector, data_)
                        : IdentifyDevice(drive_, DriveHandle, c.selector, data_));
    ASSERT_TRUE(drive_.lastCommand.has_value());
    const SENDCMDINPARAMS& command = *drive_.lastCommand;
    const IDEREGS& r = command.irDriveRegs;
    EXPECT_EQ((std::vector<int>{r.bFeaturesReg, r.bCylLowReg, r.bCylHighReg, r.bDriveHeadReg, r.bCommandReg,
                                command.bDriveNumber}),
              c.registers);
    EXPECT_EQ(command.cBufferSize, 512u);
    EXPECT_EQ(data_, drive_.sectorData);
    EXPECT_EQ(drive_.lastSrb.has_value(), !c.smartVersion);
    if (drive_.lastSrb) {
      EXPECT_EQ(drive_.lastSrb->HeaderLength, sizeof(SRB_IO_CONTROL));
      EXPECT_EQ(drive_.lastSrb->ControlCode, 0x001B0501u);
      EXPECT_EQ(drive_.lastSrb->Length, 572u - sizeof(SRB_IO_CONTROL));
    }
  }
}

}  // namespace
}  // namespace trelvane
