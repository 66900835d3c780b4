#include "cli/console_output.h"

#include "launch/console.h"
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

ProgressLine::ProgressLine() : terminal_(StandardErrorIsTerminal()) {}

void ProgressLine::Show(const std::string& text) {
  if (!terminal_) return;
  text_ = text;
  std::fprintf(stderr, "\r%s\033[K", text_.c_str());
  std::fflush(stderr);
  shown_ = true;
}

void ProgressLine::Hide() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
}

void ProgressLine::Restore() {
  if (shown_) Show(text_);
}

void ProgressLine::End() {
  if (!shown_) return;
  std::fputs("\n", stderr);
  shown_ = false;
}

void StreamLineSink::AppendLine(const std::u16string& text) {
  if (progress_ != nullptr) progress_->Hide();
  PrintLine(stream_, text);
  if (progress_ != nullptr) progress_->Restore();
}

void PrintMessage(std::vector<std::u16string>* record, const std::u16string& text) {
  PrintLine(stderr, text);
  if (record != nullptr) record->push_back(text);
}

void ConsoleMessageBoxes::ShowMessageBox(const std::u16string& text, const std::u16string&, MessageIcon) {
  PrintMessage(record, text);
}

}  // namespace trelvane::cli
