#pragma once
// A whole machine described by a JSON file (the emulated machine file): drives backed by image files,
// scripted replies and faults. Answers every request in the platform's byte layouts and records the
// requests it answered, so tests can assert their order and buffers.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "backends/driver_model/module_table.h"
#include "backends/windows_encoding/device_control_port.h"
#include "os/system.h"

namespace trelvane {

// The machine file cannot be used: unreadable, not JSON, an unknown field or a value of the wrong
// kind. The message names the file and the field.
struct MachineFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One platform call the machine answered, as the request log records it.
struct RecordedRequest {
  std::string call;            // "CreateFile", "DeviceIoControl", "WriteFile", "ReadFile", "SetFilePointerEx",
                               // "FlushFileBuffers", "CloseHandle", "ShellExecute"
  std::u16string path;         // the device the handle was opened on (ShellExecute: the file opened)
  std::uint32_t code = 0;      // DeviceIoControl request code; ShellExecute show command
  std::vector<std::uint8_t> in;  // DeviceIoControl input bytes
  std::uint32_t outSize = 0;
  std::uint32_t access = 0;    // CreateFile
  std::uint32_t share = 0;     // CreateFile
  std::int64_t offset = 0;     // WriteFile / ReadFile position, SetFilePointerEx target
  std::int64_t size = 0;       // WriteFile / ReadFile byte count
  bool ok = false;
  std::uint32_t returned = 0;  // DeviceIoControl returned byte count; WriteFile bytes written
  std::uint32_t error = 0;     // last error after the call (0 on success)
  std::u16string verb;         // ShellExecute
  Handle handle = InvalidHandle;  // the handle used (CreateFile: the one returned), telling apart
                                  // several handles open on one device
};

// The machine models the Windows storage stack: besides the System calls it takes the storage stack's
// raw device-control requests, which the typed device queries are encoded into.
class EmulatedSystem : public System, public DeviceControlPort {
 public:
  std::uint32_t GetLastError() override = 0;
  // Every request answered so far, in order.
  virtual const std::vector<RecordedRequest>& Requests() const = 0;
  virtual void ClearRequests() = 0;
  // Bytes written successfully to drive `number` (also for drives without an image, whose writes are
  // otherwise discarded); 0 for a drive the machine does not have.
  virtual std::int64_t WrittenBytes(std::uint32_t driveNumber) const = 0;
  // Module names are matched as LoadLibraryW matches them (letter case ignored, ".dll" implied).
  virtual ModuleUse ModuleUsage(const std::u16string& moduleName) const = 0;
};

std::unique_ptr<EmulatedSystem> LoadEmulatedMachine(const std::filesystem::path& machineFile);
// The same from JSON text; relative paths in it are taken from `baseDirectory`. Error messages name
// the text as `fileName`.
std::unique_ptr<EmulatedSystem> EmulatedMachineFromJson(std::string_view json,
                                                        const std::filesystem::path& baseDirectory,
                                                        const std::string& fileName = "machine.json");

}  // namespace trelvane
