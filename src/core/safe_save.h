#pragma once

// The atomic save is the platform layer's; this name stays for its users.
#include "platform/safe_save.h"
