// Creating and deleting desktops: the numbers stay dense, and everything numbered by desktop
// (records, hot keys, icons, floating buttons, window entries, subkeys) follows.
#pragma once

#include "engine/app_state.h"

namespace q {

// Start-up: the number of desktops the stored settings hold, or the first run's, before any
// icon, hot key or window entry is made for them.
void StartWithDesktops(AppState &app, int count);
// CmdCreateDesktop. Does nothing at MaxDesktops desktops (the menu greys the item, but any
// program can post it).
void CreateDesktop(AppState &app);
// CmdDeleteCurrentDesktop: deletes the shown desktop after the user's confirmation. Does nothing
// at MinDesktops desktops.
void DeleteCurrentDesktop(AppState &app);
// The Delete item of desktop n: shows n, deletes it, and comes back to the desktop shown before.
void DeleteDesktop(AppState &app, int n);
// Asks `question` with Yes and No under the program's confirmation caption; true for Yes. Other
// messages run while the box is open: the caller says what is under way meanwhile.
bool Confirmed(AppState &app, const char *question);

} // namespace q
