#pragma once
// The small interfaces through which the core reaches the windows (or the command line, or a test).

#include <cstdint>
#include <string>

namespace trelvane {

// One memo: the format log, the debug log, the details report or the SMART report.
// A text may hold line breaks ("\r\n"); it then shows as several lines.
class LineSink {
 public:
  virtual ~LineSink() = default;
  virtual void AppendLine(const std::u16string& text) = 0;
};

enum class MessageIcon { Error, Warning, Information };

// Modal message boxes.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual void ShowMessageBox(const std::u16string& text, const std::u16string& caption,
                              MessageIcon icon) = 0;
};

// The window texts that the startup sequence sets, and the debug window it may show.
class StartupWindows {
 public:
  virtual ~StartupWindows() = default;
  virtual void ShowDebugWindowModeless() = 0;
  virtual void SetChooserCaption(const std::u16string& text) = 0;
  virtual void SetProgramNameLabel(const std::u16string& text) = 0;
  // The main window's caption and the application's title.
  virtual void SetMainCaption(const std::u16string& text) = 0;
  virtual void SetMainStatusPanel(int panel, const std::u16string& text) = 0;
  virtual void SetChooserMakerNotice(const std::u16string& text) = 0;
  virtual void SetMakerLink(const std::u16string& text) = 0;
  // Switches the chooser's status bar to one simple panel showing `text`.
  virtual void SetChooserStatusText(const std::u16string& text) = 0;
};

enum class ProgressState { Normal, Paused };

// The format page's progress display, driven by the zero fill.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  virtual void SetProgressPosition(int percent) = 0;
  virtual void SetProgressState(ProgressState state) = 0;
  virtual void SetPercentCaption(const std::u16string& text) = 0;
  virtual void SetPositionCaption(const std::u16string& text) = 0;
  virtual void SetSpeedCaption(const std::u16string& text) = 0;
  virtual std::u16string SpeedCaption() const = 0;
  // How much of the phase is done and how long it has taken and will take; empty clears it.
  virtual void SetAmountCaption(const std::u16string& text) = 0;
  // Lets the window handle its pending messages (repainting, the Stop button).
  virtual void ProcessMessages() = 0;
};

// Thrown where the program must end at once: a fatal message box was closed, or the user left the
// chooser without a choice. Front ends catch it at their top and end the process with `exitCode`.
struct ProgramTermination {
  int exitCode = 3;
};

// The error that start-up raises when the process-type query fails; shown by the application's
// standard error box.
struct StartupError {
  std::u16string message;
};

}  // namespace trelvane
