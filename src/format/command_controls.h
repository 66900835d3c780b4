#pragma once
// The controls that start and stop a drive command: the format button, the SMART button, the
// erase options and the Stop button. The core only enables and disables them; what the options say
// reaches it as the EraseRequest the front end reads from them. The main window's presenter implements
// them over the window's components; the command line and tests implement them without windows.

namespace trelvane {

class CommandControls {
 public:
  virtual ~CommandControls() = default;
  virtual void SetFormatButtonEnabled(bool enabled) = 0;
  virtual void SetSmartButtonEnabled(bool enabled) = 0;
  virtual void SetEraseOptionsEnabled(bool enabled) = 0;  // the quick-wipe box and the other erase options
  virtual void SetStopEnabled(bool enabled) = 0;
  virtual void FocusStop() = 0;
  // A run nothing may cut short is going on (a firmware erase halfway through its sequence, with a
  // password set or a sanitize started): the front end keeps the user's interrupt from ending the
  // program until it is over.
  virtual void SetUninterruptible(bool) {}
};

// Enables or disables the three controls that can start a command, in the order format button,
// SMART button, erase options. Stop is not among them: it works only while a zero fill runs.
void SetCommandsEnabled(CommandControls& controls, bool enabled);

}  // namespace trelvane
