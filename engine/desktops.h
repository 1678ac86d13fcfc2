// Creating and deleting desktops: the numbers stay dense, and everything numbered by desktop
// (records, hot keys, icons, floating buttons, window entries, subkeys) follows.
#pragma once

#include "engine/app_state.h"

namespace q {

// CmdCreateDesktop. Does nothing at MaxDesktops desktops (the menu greys the item, but any program can post it).
void CreateDesktop(AppState &app);
// Command 112: deletes the shown desktop after the user's confirmation. Does nothing at 2 desktops.
void DeleteCurrentDesktop(AppState &app);
// The Delete item of desktop n: shows n, deletes it, and comes back to the desktop shown before.
void DeleteDesktop(AppState &app, int n);

} // namespace q
