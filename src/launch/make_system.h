#pragma once
// Picks the platform backend for this run: the emulated machine named by TRELVANE_MACHINE, or the
// real platform the program was built for.

#include <memory>
#include <stdexcept>
#include <string>

#include "os/system.h"

namespace trelvane {

// Raised when the emulated machine file cannot be used; the message names the file and the field.
struct BackendError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::unique_ptr<System> MakeSystem(int argc, char** argv);

}  // namespace trelvane
