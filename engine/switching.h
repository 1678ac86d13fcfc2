// Showing another desktop.
#pragma once

#include "engine/app_state.h"

namespace q {

// Replaces the windows of the current desktop by those of desktop `n`: the interface told
// first (NotifyPort), then the window table, the stacking order, the hiding and restoring passes
// and the wallpaper. Nothing is saved.
void SwitchDesktop(AppState &app, int n);

} // namespace q
