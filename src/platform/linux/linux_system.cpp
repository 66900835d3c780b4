#include "platform/linux/linux_system.h"
