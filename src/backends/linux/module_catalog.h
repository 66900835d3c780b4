#pragma once
// The libraries this backend offers for run-time binding. There are no such libraries on Linux; what
// the program looks them up for is done here or in the Qt front end, so only these are present:
//   setupapi.dll  every entry (the device enumeration it carries is this backend's own)
//   comctl32.dll  "TaskDialog"
//   kernel32.dll  "IsWow64Process"
// Any other module is missing (error 126).

#include "backends/driver_model/module_table.h"

namespace trelvane::linux_platform {

ModuleCatalog LinuxModuleCatalog();

}  // namespace trelvane::linux_platform
