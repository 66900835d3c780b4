#pragma once
// The controls that start and stop a drive command: the format button, the SMART button, the
// erase options and the Stop button. The core only enables and disables them; what the options say
// reaches it as the EraseRequest the front end reads from them. The main window implements them with
// its components; the command line and tests implement them without windows.

namespace trelvane {

class CommandControls {
 public:
  virtual ~CommandControls() = default;
  virtual void SetRunBenchmarksEnabled(bool enabled) = 0;  // btRunBenchmarks, the format button
  virtual void SetGetSmartEnabled(bool enabled) = 0;       // btGetSmart
  virtual void SetQuickWipeEnabled(bool enabled) = 0;      // cbQuickWipe and the other erase options
  virtual void SetStopEnabled(bool enabled) = 0;           // btStop
  virtual void FocusStop() = 0;
};

// Enables or disables the three controls that can start a command, in the order btRunBenchmarks,
// btGetSmart, cbQuickWipe. Stop is not among them: it works only while a zero fill runs.
void SetCommandsEnabled(CommandControls& controls, bool enabled);

}  // namespace trelvane
