#include "format_fakes.h"

#include <fstream>

#include "os/win_constants.h"

namespace trelvane::testing {

void WritePatternImage(const std::filesystem::path& file, std::int64_t bytes, int drive) {
  std::vector<char> data(static_cast<std::size_t>(bytes));
  for (std::int64_t i = 0; i < bytes; ++i) data[static_cast<std::size_t>(i)] = static_cast<char>(PatternByte(i, drive));
  std::ofstream out(file, std::ios::binary);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::int64_t FirstUnexpectedByte(const std::vector<unsigned char>& image, std::int64_t from,
                                 std::int64_t to, bool zeroed, int drive) {
  for (std::int64_t i = from; i < to; ++i) {
    const unsigned char expected = zeroed ? 0 : PatternByte(i, drive);
    if (image.at(static_cast<std::size_t>(i)) != expected) return i;
  }
  return -1;
}

std::string MachineJson(const std::string& drives, const std::string& volumes, int clockStepMs,
                        const std::string& moreSystem) {
  return std::string(R"({"system": {"clock": ")") + BenchClock + R"(", "clock_step_ms": )" +
         std::to_string(clockStepMs) + moreSystem + R"(}, "volumes": )" + volumes +
         R"(, "drives": )" + drives + "}";
}

FormatBench::FormatBench(const std::string& machineJson, std::int64_t sectorCount, std::int64_t sectorSize,
                         const std::vector<PatternImage>& images) {
  for (const PatternImage& image : images) WritePatternImage(dir.path() / image.name, image.bytes, image.drive);
  system = EmulatedMachineFromJson(machineJson, dir.path());
  log = std::make_unique<DiagnosticLog>(*system, state.DebugMode);
  log->SetFormatSink(&formatLog);
  TDeviceTable& entry = state.DriveTable[1];
  entry.DevicePath = u"\\\\.\\PhysicalDrive0";
  entry.DeviceNumber = 0;
  entry.IdentifyData.Model = u"EMU DISK";
  entry.IdentifyData.LBA = sectorCount;
  entry.IdentifyData.SectorSize = sectorSize;
  state.DriveCount = 1;
  state.SelectedDrive = 1;
  state.DriveTitle = u"[0]  EMU DISK    1.0";
  state.DriveHandle =
      OpenOwned(*system, entry.DevicePath, Access::GenericRead | Access::GenericWrite, Share::None);
  system->ClearRequests();
}

std::vector<std::u16string> FormatBench::LogTexts() const {
  std::vector<std::u16string> texts;
  for (const std::u16string& line : formatLog.lines) {
    texts.push_back(line.starts_with(BenchStamp) ? line.substr(BenchStamp.size()) : u"<unstamped> " + line);
  }
  return texts;
}

std::vector<unsigned char> FormatBench::Image(const std::string& name) const {
  return ReadBinaryFile(dir.path() / name);
}

std::vector<RecordedRequest> FormatBench::Requests(const std::string& call) const {
  std::vector<RecordedRequest> found;
  for (const RecordedRequest& request : system->Requests()) {
    if (request.call == call) found.push_back(request);
  }
  return found;
}

}  // namespace trelvane::testing
