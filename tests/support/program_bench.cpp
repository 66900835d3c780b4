#include "program_bench.h"

#include <gtest/gtest.h>

#include <fstream>

#include "device/probe.h"
#include "os/win_constants.h"
#include "text/u16.h"

namespace trelvane::testing {

namespace {

void WritePatternImage(const std::filesystem::path& file, std::int64_t bytes, int drive) {
  std::vector<char> data(static_cast<std::size_t>(bytes));
  for (std::int64_t i = 0; i < bytes; ++i) data[static_cast<std::size_t>(i)] = static_cast<char>(PatternByte(i, drive));
  std::ofstream out(file, std::ios::binary);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::unique_ptr<EmulatedSystem> LoadWithImages(const TempDir& dir, const std::string& machineJson,
                                               const std::vector<PatternImage>& images) {
  for (const PatternImage& image : images) WritePatternImage(dir.path() / image.name, image.bytes, image.drive);
  return EmulatedMachineFromJson(machineJson, dir.path());
}

}  // namespace

std::int64_t FirstUnexpectedByte(const std::vector<unsigned char>& image, std::int64_t from,
                                 std::int64_t to, bool zeroed, int drive) {
  for (std::int64_t i = from; i < to; ++i) {
    const unsigned char expected = zeroed ? 0 : PatternByte(i, drive);
    if (image.at(static_cast<std::size_t>(i)) != expected) return i;
  }
  return -1;
}

ProgramBench::ProgramBench(const std::string& machineJson, std::optional<SelectedDisk> disk,
                           const std::vector<PatternImage>& images)
    : system(LoadWithImages(dir, machineJson, images)), log(*system, state.DebugMode) {
  log.SetFormatSink(&formatLog);
  log.SetDebugSink(&debugLog);
  if (!disk) return;
  TDeviceTable& entry = state.DriveTable[1];
  entry.DevicePath = u"\\\\.\\PhysicalDrive0";
  entry.DeviceNumber = 0;
  entry.IdentifyData.Model = u"EMU DISK";
  entry.IdentifyData.LBA = disk->sectorCount;
  entry.IdentifyData.SectorSize = disk->sectorSize;
  state.DriveTitle = u"[0]  EMU DISK    1.0";
  OpenSelected();
}

ProgramBench::ProgramBench(std::unique_ptr<EmulatedSystem> machine)
    : system(std::move(machine)), log(*system, state.DebugMode) {
  log.SetFormatSink(&formatLog);
  log.SetDebugSink(&debugLog);
}

void ProgramBench::SelectProbedDrive(std::uint32_t number) {
  TDeviceTable& entry = state.DriveTable[1];
  entry.DevicePath = u"\\\\.\\PhysicalDrive" + Decimal(number);
  entry.DeviceNumber = number;
  {
    const OwnedHandle probe = OpenOwned(*system, entry.DevicePath, Access::GenericRead, Share::ReadWrite);
    ProbeDevice(*system, log, boxes, probe.Get(), entry.IdentifyData);
  }
  OpenSelected();
}

void ProgramBench::SelectDrive(std::uint32_t number, std::int64_t busType, std::uint8_t slave) {
  TDeviceTable& entry = state.DriveTable[1];
  entry.DevicePath = u"\\\\.\\PhysicalDrive" + Decimal(number);
  entry.DeviceNumber = number;
  entry.IdentifyData.Model = u"TEST DISK";
  entry.IdentifyData.FW = u"1.0";
  entry.IdentifyData.LBA = 976773168;
  entry.IdentifyData.SectorSize = 512;
  entry.IdentifyData.BusType = busType;
  entry.IdentifyData.IsIDESlave = slave;
  OpenSelected();
}

void ProgramBench::OpenSelected() {
  state.SelectedDrive = 1;
  state.DriveCount = 1;
  state.DriveHandle = OpenOwned(*system, state.DriveTable[1].DevicePath,
                                Access::GenericRead | Access::GenericWrite, Share::None);
  system->ClearRequests();
}

namespace {

// The length of the "dd.MM.yyyy H:mm:ss   " stamp that starts `line`, or 0 when it has none.
std::size_t StampLength(const std::u16string& line) {
  const std::size_t end = line.find(u"   ");
  if (end == std::u16string::npos || end < 17 || end > 19) return 0;
  for (std::size_t i = 0; i < end; ++i) {
    const char16_t c = line[i];
    if (!(c >= u'0' && c <= u'9') && c != u'.' && c != u':' && c != u' ') return 0;
  }
  return end + 3;
}

}  // namespace

std::vector<std::u16string> ProgramBench::Texts(const RecordingSink& memo) {
  std::vector<std::u16string> texts;
  for (const std::u16string& line : memo.lines) {
    const std::size_t stamp = StampLength(line);
    texts.push_back(stamp > 0 ? line.substr(stamp) : u"<unstamped> " + line);
  }
  return texts;
}

std::vector<unsigned char> ProgramBench::Image(const std::string& name) const {
  return ReadBinaryFile(dir.path() / name);
}

std::vector<RecordedRequest> ProgramBench::Requests(const std::string& call) const {
  std::vector<RecordedRequest> found;
  for (const RecordedRequest& request : system->Requests())
    if (request.call == call) found.push_back(request);
  return found;
}

std::string JoinedUtf8(const std::vector<std::u16string>& lines) {
  std::string text;
  for (const auto& line : lines) text += ToUtf8(line) + "\n";
  return text;
}

void ExpectGolden(const std::vector<std::u16string>& lines, const std::string& golden) {
  ExpectGolden(golden, JoinedUtf8(lines));
}

}  // namespace trelvane::testing
