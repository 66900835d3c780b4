// IDENTIFY DEVICE data -> the decoded drive -> the device details report. The input is the 512-byte
// answer and one more byte choosing the code page of the texts and the decimal separator.

#include "ata/device_details.h"
#include "ata/identify_data.h"
#include "fuzz_block.h"
#include "text/ansi_code_page.h"

namespace {

constexpr std::uint32_t CodePages[] = {trelvane::CodePageCyrillic, trelvane::CodePageWestern, 866, 65001};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  const std::uint8_t choice = size > 512 ? input[512] : 0;
  const auto passport = trelvane::DecodeIdentifyData(trelvane::fuzz::BlockAt(input, 0), CodePages[choice % 4]);
  const char16_t separator = (choice & 0x80) != 0 ? u',' : u'.';
  (void)trelvane::DeviceDetailsBody(passport, separator);
  return 0;
}
