// The command menu of a right click on a notification icon, and the commands it owns.
#pragma once

#include "engine/app_state.h"

namespace q {

// Menu item identifiers.
constexpr Uint CmdAbout = 101;
constexpr Uint CmdQuit = 102;
constexpr Uint CmdCreateDesktop = 110;
constexpr Uint CmdDeleteCurrentDesktop = 112;
constexpr Uint CmdOneBackground = 120;
constexpr Uint CmdDisplayTaskBar = 600;
constexpr Uint CmdFirstWindowCommand = 1024;
constexpr Uint DesktopCommandId(int n, int op) { return 400 + 10 * static_cast<Uint>(n - 1) + static_cast<Uint>(op); }
constexpr Uint WindowCommandId(int index, int target) {
    return CmdFirstWindowCommand + 16 * static_cast<Uint>(index) + static_cast<Uint>(target);
}
// Identifiers travel in the low word of WM_COMMAND: entries past this index get no items.
constexpr int MaxListedWindowIndex = (0xFFFF - CmdFirstWindowCommand - MaxDesktops) / 16;

// Builds the menu for desktop n afresh from the resource, shows it and destroys it.
void ShowCommandMenu(AppState &app, int n);
// Command 101: one About box at most; a second request brings the open one forward.
void OpenAboutBox(AppState &app);
// Command 102: after the user's Yes, save with the start-up wallpaper put back, then close.
void ConfirmQuit(AppState &app);

} // namespace q
