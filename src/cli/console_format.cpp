#include "cli/console_format.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "launch/console.h"
#include "cli/console_output.h"
#include "format/firmware_erase_run.h"
#include "text/u16.h"

namespace trelvane::cli {

namespace {

// The confirmation words in any letter case: the basic Cyrillic capitals and Ё in lower case.
std::u16string CyrillicLower(std::u16string text) {
  for (char16_t& letter : text) {
    if (letter >= u'А' && letter <= u'Я') letter = static_cast<char16_t>(letter + (u'а' - u'А'));
    if (letter == u'Ё') letter = u'ё';
  }
  return text;
}

volatile std::sig_atomic_t stopPressed = 0;

void PressStop() { stopPressed = 1; }

volatile std::sig_atomic_t interruptRefused = 0;

void RefuseInterrupt() { interruptRefused = 1; }

volatile std::sig_atomic_t progressAsked = 0;

extern "C" void AskForProgress(int) { progressAsked = 1; }

}  // namespace

void ListenForProgressRequests() {
#ifdef SIGUSR1
  std::signal(SIGUSR1, AskForProgress);
#endif
}

ConsoleProgressView::ConsoleProgressView(bool& stopRequested, ProgressLine& line)
    : stopRequested_(stopRequested), line_(line) {}

ConsoleProgressView::~ConsoleProgressView() { line_.End(); }

void ConsoleProgressView::SetPercentCaption(const std::u16string& text) { percent_ = text; }
void ConsoleProgressView::SetPositionCaption(const std::u16string& text) { position_ = text; }

void ConsoleProgressView::SetSpeedCaption(const std::u16string& text) {
  speed_ = text;
  Redraw();
}

void ConsoleProgressView::ProcessMessages() {
  Redraw();
  AnswerProgressRequest();
  if (stopPressed != 0) {
    stopPressed = 0;
    stopRequested_ = true;  // what the Stop button does
  }
  if (interruptRefused != 0) {
    interruptRefused = 0;
    PrintLine(stderr, FirmwareEraseStopText());
  }
}

std::string ConsoleProgressView::Line() const {
  std::u16string line = percent_ + u"   " + position_ + u"   " + speed_;
  if (!amount_.empty()) line += u"   " + amount_;
  return ToUtf8(line);
}

// The updating line keeps to what a terminal's width holds: a longer line would wrap, and each
// redraw would then leave a row behind. The phase, the share, the bytes and the times; the sector and
// the speed come with a progress request.
void ConsoleProgressView::Redraw() { line_.Show(ToUtf8(amount_.empty() ? percent_ : percent_ + u"   " + amount_)); }

// A request that comes before the first block has set the captions waits for it.
void ConsoleProgressView::AnswerProgressRequest() {
  if (progressAsked == 0 || percent_.empty()) return;
  progressAsked = 0;
  line_.Hide();
  const std::string line = Line() + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  line_.Restore();
}

void ConsoleCommandControls::SetUninterruptible(bool on) {
  interruptRefused = 0;
  OnInterrupt(on ? RefuseInterrupt : nullptr);
}

void ConsoleCommandControls::SetStopEnabled(bool enabled) {
  stopPressed = 0;
  OnInterrupt(enabled ? PressStop : nullptr);
}

bool ConsolePrompt::Ask(const std::u16string& question) {
  if (assumeYes_) return true;
  PrintLine(stderr, question);
  std::fputs("Введите \"да\" или \"yes\", чтобы продолжить: ", stderr);
  std::fflush(stderr);
  std::string answer;
  if (!std::getline(std::cin, answer)) {
    std::fputs("\n", stderr);  // no answer came: end the question's line
    return false;
  }
  const std::u16string word = CyrillicLower(AsciiLower(Trim(FromUtf8(answer))));
  return word == u"да" || word == u"yes";
}

int ConsolePrompt::ShowTaskDialogWindow(EntryAddress, const std::u16string& title, const std::u16string& instruction,
                                        const std::u16string& content, int, int) {
  return Ask(title + u"\n" + instruction + u"\n\n" + content) ? PressedButton::Yes : PressedButton::Cancel;
}

int ConsolePrompt::ShowMessageDialog(MessageDialogType, const std::u16string& content, int) {
  return Ask(content) ? DialogResult::Yes : DialogResult::Cancel;
}

}  // namespace trelvane::cli
