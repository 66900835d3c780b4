// A serial number text as a drive reports it (one byte a character) -> the hexadecimal serial
// decoder, with the debug log on so that its stage lines are written too.

#include <memory>
#include <string>

#include "common/diagnostic_log.h"
#include "device/probe.h"
#include "backends/emulated/emulated_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<trelvane::EmulatedSystem> system = trelvane::EmulatedMachineFromJson("{}", ".");
  static const bool debugMode = true;
  trelvane::DiagnosticLog log(*system, debugMode);
  std::u16string serial(data, data + size);
  trelvane::DecodeHexSerial(log, serial);
  return 0;
}
