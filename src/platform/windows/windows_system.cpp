#include "platform/windows/windows_system.h"
