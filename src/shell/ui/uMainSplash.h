#pragma once
// The start-up window the main window waits on: the program's splash window.

#include "shell/ui/uSplash.h"

namespace rs {

using TMainSplash = TSplash;

} // namespace rs
