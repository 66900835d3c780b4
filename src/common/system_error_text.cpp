#include "common/system_error_text.h"

namespace trelvane {

std::u16string SystemErrorText(System& system, std::uint32_t code) {
  std::u16string text = system.FormatMessageW(code);
  while (!text.empty() && (text.back() <= 32 || text.back() == u'.')) text.pop_back();
  return text;
}

}  // namespace trelvane
