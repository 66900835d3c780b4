#pragma once
// The main window's first showing without its widgets: start-up, the debug window's turn, the
// chooser, the drive title, the exclusive open of the chosen drive and the details report, in that
// order. The main window's presenter implements MainWindowShow and runs MainWindowFirstShow from
// the window's show handler; the command line uses the drive-opening steps on their own.

#include <optional>
#include <string>
#include <vector>

#include "common/diagnostic_log.h"
#include "common/program_state.h"
#include "common/views.h"
#include "os/system.h"

namespace trelvane {

// What the show sequence asks of the main window beyond the start-up's window texts.
class MainWindowShow {
 public:
  virtual ~MainWindowShow() = default;
  // In debug mode the debug window, shown without modality during start-up, is shown again
  // modally; the sequence goes on once the user has closed it.
  virtual void ShowDebugWindowModal() = 0;
  // Shows the chooser modally; true when a drive was chosen.
  virtual bool RunDriveChooser() = 0;
  // The chosen drive's title above the pages.
  virtual void SetDiskName(const std::u16string& title) = 0;
  // The details report is read from its first line; appending it left the view at its end.
  virtual void ScrollDetailsToTop() = 0;
  // The lines of the health verdict above the details report (see HealthLines).
  virtual void SetHealthSummary(const std::vector<std::u16string>& lines) = 0;
};

// The message of a refused exclusive open, with the system's text for `code`.
std::u16string DriveOpenErrorText(System& system, std::uint32_t code);

// Composes DriveTitle for the selected drive.
void TitleSelectedDrive(System& system, ProgramState& state);

// Why the selected drive did not open: the platform's error code and the message for it.
struct DriveOpenRefusal {
  std::uint32_t code = 0;
  std::u16string text;
};

// Opens the selected drive for reading and writing, shared with nobody, into DriveHandle. Returns
// the refusal when another program holds it or it cannot be opened at all.
std::optional<DriveOpenRefusal> OpenSelectedDrive(System& system, ProgramState& state);

// The health verdict over the details page; a drive whose password will outlive an erase also says so
// in the format log, where the erase is started.
void ShowDriveHealth(System& system, const ProgramState& state, DiagnosticLog& log, MainWindowShow& window);

// Runs the whole first showing. Returns false when the chooser was left without a choice (the
// program then ends normally). A refused open shows its error box and throws ProgramTermination;
// start-up's fatal conditions throw as RunStartup does.
bool MainWindowFirstShow(System& system, ProgramState& state, DiagnosticLog& log, MessageBoxes& boxes,
                         StartupWindows& windows, MainWindowShow& window, LineSink& details,
                         const std::u16string& firstArgument);

}  // namespace trelvane
