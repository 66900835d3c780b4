// A drive's IDENTIFY DEVICE data and SMART data (512 bytes each, one after the other) -> the decoded
// drive and the SMART table.

#include "ata/identify_data.h"
#include "ata/smart_report.h"
#include "fuzz_block.h"
#include "text/ansi_code_page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  (void)trelvane::DecodeIdentifyData(trelvane::fuzz::BlockAt(input, 0), trelvane::CodePageCyrillic);
  (void)trelvane::SmartTableLines(trelvane::fuzz::BlockAt(input, 512));
  return 0;
}
