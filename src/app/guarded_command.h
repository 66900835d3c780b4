#pragma once
// What a window does with a command that does not return normally, the same in every windowed front
// end: a fatal box already shown ends the program with its code; a start-up cut short, or any other
// escaped exception, shows the application's error box and ends the program with 3.

#include <functional>
#include <string>

#include "app/windowed_run.h"

namespace trelvane {

void RunGuarded(const std::function<void()>& command, ProgramEnding& ending,
                const std::function<void(const std::u16string&)>& showErrorBox);

}  // namespace trelvane
