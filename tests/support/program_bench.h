#pragma once
// The one bench of the core's tests: an emulated machine in its own temporary folder (relative paths
// of the machine file point there), a program state, the diagnostic log writing into recording memos,
// and a recording fake of every view the core talks to.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "format/erase_job.h"
#include "machine_json.h"
#include "backends/emulated/emulated_system.h"
#include "recording_views.h"
#include "test_support.h"

namespace trelvane::testing {

// A byte that is never 0, different at neighbouring offsets and for different drives.
inline std::uint8_t PatternByte(std::int64_t offset, int drive) {
  return static_cast<std::uint8_t>(1 + (offset + drive * 7) % 251);
}

// A drive image written into the bench's folder before the machine loads, filled with PatternByte.
struct PatternImage {
  std::string name;
  std::int64_t bytes = 0;
  int drive = 0;
};

// Offset of the first byte in [from, to) of `image` that is not 0 (zeroed = true) or that does not
// hold the drive's pattern (zeroed = false); -1 when every byte is as expected.
std::int64_t FirstUnexpectedByte(const std::vector<unsigned char>& image, std::int64_t from,
                                 std::int64_t to, bool zeroed, int drive);

// Drive 0 as the chosen drive (table entry 1, "EMU DISK", opened as DriveHandle).
struct SelectedDisk {
  std::int64_t sectorCount = 0;
  std::int64_t sectorSize = 512;
};

class ProgramBench {
 public:
  explicit ProgramBench(const std::string& machineJson, std::optional<SelectedDisk> disk = std::nullopt,
                        const std::vector<PatternImage>& images = {});
  explicit ProgramBench(std::unique_ptr<EmulatedSystem> machine);
  // The log refers to this object's own members, so it stays where it was made.
  ProgramBench(const ProgramBench&) = delete;
  ProgramBench& operator=(const ProgramBench&) = delete;

  // Selects drive `number` with the description the probe gives it, opens DriveHandle as the main
  // window does, and forgets the requests made so far.
  void SelectProbedDrive(std::uint32_t number);
  // Selects drive `number` with a hand-made description: bus type and slave selector as given.
  void SelectDrive(std::uint32_t number, std::int64_t busType, std::uint8_t slave);

  // A memo's lines without their time stamps; a line without one is marked "<unstamped> ".
  static std::vector<std::u16string> Texts(const RecordingSink& memo);
  std::vector<std::u16string> LogTexts() const { return Texts(formatLog); }
  std::vector<unsigned char> Image(const std::string& name) const;
  // The requests of one call kind, in order.
  std::vector<RecordedRequest> Requests(const std::string& call) const;
  std::vector<RecordedRequest> Controls() const { return Requests("DeviceIoControl"); }
  // The selected drive's job by `method`, its Stop the bench's stopRequested. It holds DriveHandle
  // until it goes.
  SelectedDriveJob Job(const EraseMethod& method = WholeDiskZeroFill(), bool verify = false) {
    return SelectedDriveJob(state, StopToken(stopRequested), EraseRequest{&method, verify, std::nullopt});
  }

  TempDir dir;
  std::unique_ptr<EmulatedSystem> system;
  ProgramState state;
  DiagnosticLog log;
  RecordingSink formatLog;
  RecordingSink debugLog;
  RecordingSink sink;  // the report memo (details, SMART)
  RecordingBoxes boxes;
  RecordingStartupWindows windows;
  RecordingProgressView view;
  FakeCommandControls controls;
  FakeTaskDialogPresenter dialogs;
  bool stopRequested = false;  // the Stop button

 private:
  void OpenSelected();
};

// Joins lines with "\n" after each, as a golden file holds them.
std::string JoinedUtf8(const std::vector<std::u16string>& lines);

// Compares a report's `lines` with tests/golden/<golden>; TRELVANE_UPDATE_GOLDEN=1 rewrites the file.
void ExpectGolden(const std::vector<std::u16string>& lines, const std::string& golden);

}  // namespace trelvane::testing
