#include "cli/console_output.h"

#include "text/u16.h"

namespace trelvane::cli {

void PrintLine(std::FILE* stream, const std::u16string& text) {
  std::u16string plain;
  plain.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      plain += u'\n';
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      plain += text[i];
    }
  }
  const std::string bytes = ToUtf8(plain) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

void ConsoleMessageBoxes::ShowMessageBox(const std::u16string& text, const std::u16string&, MessageIcon) {
  PrintLine(stderr, text);
}

}  // namespace trelvane::cli
