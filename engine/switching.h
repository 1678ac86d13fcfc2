// Showing another desktop.
#pragma once

#include "engine/app_state.h"

namespace q {

// Replaces the windows of the current desktop by those of desktop `n`: the interface told
// first (NotifyPort), then the window table, the stacking order, the hiding and restoring passes
// and the wallpaper. Nothing is saved.
void SwitchDesktop(AppState &app, int n);

// The quit, after desktop 1 is shown: the windows of every desktop that hid themselves when a
// switch or a move minimised them are restored, and those parked while not minimised go back
// where they stood. Windows minimised as usual stay so. Right after the quit's own switch
// (`afterSwitch`) it goes on with the switch's record of the threads asked; those that do not
// answer are left to the catch-up (CatchUp), which the program stays for.
// Returns whether a window was hidden with an owner that is up, which that owner's restore, under
// way on its own thread, may yet show minimised: LookAgainAtQuit brings it up a moment later.
bool ReturnAllWindows(AppState &app, bool afterSwitch);
void LookAgainAtQuit(AppState &app);

} // namespace q
