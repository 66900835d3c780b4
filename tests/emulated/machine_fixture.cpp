#include "machine_fixture.h"

#include <fstream>

#include "os/bytes.h"

namespace trelvane::testing {

Machine::Machine(std::string_view json) : system_(EmulatedMachineFromJson(json, folder_.path(), "test.json")) {}

std::unique_ptr<EmulatedSystem> LoadFromFolder(const std::filesystem::path& folder, const std::string& name,
                                               std::string_view json) {
  WriteTextFile(folder / name, std::string(json));
  return LoadEmulatedMachine(folder / name);
}

std::string MachineError(std::string_view json) {
  TempDir folder;
  try {
    EmulatedMachineFromJson(json, folder.path(), "test.json");
  } catch (const MachineFileError& error) {
    return error.what();
  }
  return "";
}

Answer Ask(EmulatedSystem& system, Handle handle, std::uint32_t code, const std::vector<std::uint8_t>& in,
           std::size_t outSize) {
  Answer answer;
  answer.out.assign(outSize, 0);
  answer.ok = system.DeviceIoControl(handle, code, in, answer.out, answer.returned);
  if (!answer.ok) answer.error = system.GetLastError();
  return answer;
}

std::vector<std::uint8_t> SendCmdIn(std::uint32_t bufferSize, const AtaRegs& registers, std::uint8_t driveNumber,
                                    std::size_t size) {
  std::vector<std::uint8_t> in(size, 0);
  WriteU32LE(in, 0, bufferSize);
  for (std::size_t i = 0; i < registers.size(); ++i) in[4 + i] = registers[i];
  in[12] = driveNumber;
  return in;
}

std::vector<std::uint8_t> PatternBlock(std::uint8_t start, std::uint8_t step) {
  std::vector<std::uint8_t> block(512);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * step + start);
  return block;
}

void WriteBinaryFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace trelvane::testing
