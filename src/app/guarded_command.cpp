#include "app/guarded_command.h"

#include <exception>

#include "common/views.h"
#include "text/u16.h"

namespace trelvane {

void RunGuarded(const std::function<void()>& command, ProgramEnding& ending,
                const std::function<void(const std::u16string&)>& showErrorBox) {
  try {
    command();
  } catch (const ProgramTermination& termination) {
    ending.EndProgram(termination.exitCode);
  } catch (const StartupError& error) {
    // Start-up is cut short here; without a chosen drive the program has nothing left to do.
    showErrorBox(error.message);
    ending.EndProgram(3);
  } catch (const std::exception& error) {
    showErrorBox(FromUtf8(error.what()));
    ending.EndProgram(3);
  }
}

}  // namespace trelvane
