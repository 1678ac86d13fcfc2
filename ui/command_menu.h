// The command menu of a right click on a notification icon, and the commands it owns.
#pragma once

#include "engine/app_state.h"

namespace q {

// Where TrackMenu holds the pop-ups that the menus fill in (the order of res/templates.h).
constexpr int ApplicationsPosition = 2;
constexpr int DisplayPosition = 5;
// Identifiers travel in the low word of WM_COMMAND: entries past this index get no items.
constexpr int MaxListedWindowIndex = MenuWindowSlots - 1;

// Builds the menu for desktop n afresh from the resource, shows it and destroys it.
void ShowCommandMenu(AppState &app, int n);
// CmdAbout: one About box at most; a second request brings the open one forward.
void OpenAboutBox(AppState &app);
// CmdQuit: after the user's Yes, save with the start-up wallpaper put back, then close.
void ConfirmQuit(AppState &app);

} // namespace q
