#pragma once

// The settings live in support/, below the fill engine that reads them; this name stays for the
// macOS entry point, which still includes it from here.
#include "support/settings.hpp"
