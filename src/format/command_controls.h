#pragma once
// The controls that start and stop a drive command: the format button, the SMART button, the
// quick-wipe box and the Stop button. The main window implements them with its components; the
// command line and tests implement them without windows.

namespace trelvane {

class CommandControls {
 public:
  virtual ~CommandControls() = default;
  virtual void SetRunBenchmarksEnabled(bool enabled) = 0;  // btRunBenchmarks, the format button
  virtual void SetGetSmartEnabled(bool enabled) = 0;       // btGetSmart
  virtual void SetQuickWipeEnabled(bool enabled) = 0;      // cbQuickWipe
  virtual void SetStopEnabled(bool enabled) = 0;           // btStop
  virtual void FocusStop() = 0;
  virtual bool QuickWipeChecked() const = 0;
  // The box asking for a verification pass after the zero fill; a front end without it never verifies.
  virtual bool VerifyChecked() const { return false; }
};

// Enables or disables the three controls that can start a command, in the order btRunBenchmarks,
// btGetSmart, cbQuickWipe. Stop is not among them: it works only while a zero fill runs.
void SetCommandsEnabled(CommandControls& controls, bool enabled);

}  // namespace trelvane
