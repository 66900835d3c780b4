#include "platform/emulated/emulated_system.h"
