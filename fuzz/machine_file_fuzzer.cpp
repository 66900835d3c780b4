// The emulated machine file: bytes -> machine.json in a folder of its own, next to copies of the demo's
// block files -> the machine. The loader refuses a bad file with MachineFileError and that is the only
// exception expected; any other one escapes and is a finding.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "backends/emulated/emulated_system.h"

namespace {

namespace fs = std::filesystem;

fs::path FuzzFolder() {
  static const fs::path folder = [] {
    const fs::path made = fs::temp_directory_path() / ("trelvane-fuzz-" + std::to_string(getpid()));
    fs::create_directories(made);
    for (const auto& entry : fs::directory_iterator(TRELVANE_FUZZ_BLOCKS))
      if (entry.path().extension() == ".bin")
        fs::copy_file(entry.path(), made / entry.path().filename(), fs::copy_options::overwrite_existing);
    return made;
  }();
  return folder;
}

// The request log is the one field that makes loading write: it appends to the file it names, wherever
// that is. Inputs naming it are left out, so the run writes nothing outside its folder.
bool NamesRequestLog(const std::string& text) {
  bool found = false;
  const auto spot = [&found](int, nlohmann::json::parse_event_t event, const nlohmann::json& parsed) {
    found = found || (event == nlohmann::json::parse_event_t::key && parsed == "request_log");
    return true;
  };
  (void)nlohmann::json::parse(text, spot, false);
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (NamesRequestLog(text)) return -1;
  const fs::path file = FuzzFolder() / "machine.json";
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(size));
  try {
    (void)trelvane::LoadEmulatedMachine(file);
  } catch (const trelvane::MachineFileError&) {
  }
  return 0;
}
