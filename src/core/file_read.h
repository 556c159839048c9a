#pragma once

// Reading outside files is the platform layer's; this name stays for the
// readers that include it.
#include "platform/files.h"
