#pragma once
// Starts the windowed program again with administrator rights when an ordinary user started it on
// real disks.

namespace trelvane {

struct RelaunchOutcome {
  enum class Kind {
    RunHere,  // rights are in place, or not needed: carry on in this process
    Ended,    // the relaunched program ran and ended with `exitCode`
    Refused,  // the rights were refused or could not be asked for
  };
  Kind kind = Kind::RunHere;
  int exitCode = 0;
};

RelaunchOutcome RelaunchWithAdministratorRights(int argc, char** argv);

}  // namespace trelvane
