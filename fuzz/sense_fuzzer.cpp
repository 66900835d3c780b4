// What SG_IO hands back for an ATA PASS-THROUGH request -> the sense-data parser and the verdict on
// the ATA command. The input is the SCSI status byte, the host and driver status (16 bits each,
// little-endian) and then the sense bytes.

#include "os/bytes.h"
#include "backends/linux/ata_passthrough.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  constexpr std::size_t SenseStart = 5;
  if (size < SenseStart) return 0;
  trelvane::linux_platform::ScsiOutcome outcome;
  outcome.status = input[0];
  outcome.hostStatus = trelvane::ReadU16LE(input, 1);
  outcome.driverStatus = trelvane::ReadU16LE(input, 3);
  outcome.sense = input.subspan(SenseStart);
  (void)trelvane::linux_platform::ParseSense(outcome.sense);
  (void)trelvane::linux_platform::JudgeAtaOutcome(outcome);
  return 0;
}
