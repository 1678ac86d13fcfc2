// The command menu of a right click on a notification icon, and the commands it owns.
#pragma once

#include "engine/app_state.h"
#include "res/resource_ids.h"

namespace q {

// Menu item identifiers: those of the resource, then those the menu is built with.
constexpr Uint CmdAbout = Q_IDM_ABOUT;
constexpr Uint CmdQuit = Q_IDM_QUIT;
constexpr Uint CmdCreateDesktop = Q_IDM_CREATE_DESKTOP;
constexpr Uint CmdDeleteCurrentDesktop = Q_IDM_DELETE_CURRENT_DESKTOP;
constexpr Uint CmdOneBackground = Q_IDM_ONE_BACKGROUND;
constexpr Uint CmdDisplayTaskBar = Q_IDM_DISPLAY_TASKBAR;
// The command that chooses a display mode, and the other way round.
constexpr Uint DisplayModeCommand(int mode) {
    return CmdDisplayTaskBar + static_cast<Uint>(mode - DisplayTaskBar);
}
constexpr bool IsDisplayModeCommand(Uint id) {
    return id >= DisplayModeCommand(DisplayTaskBar) && id <= DisplayModeCommand(DisplayFloating);
}
constexpr int DisplayModeOfCommand(Uint id) {
    return static_cast<int>(id - CmdDisplayTaskBar) + DisplayTaskBar;
}
// The commands of desktop n's submenu: ten numbers a desktop from 400, one a DesktopOp.
enum DesktopOp { DesktopActivate, DesktopRename, DesktopDelete, DesktopHotKey, DesktopOps };
constexpr Uint CmdFirstDesktopCommand = 400;
constexpr Uint DesktopCommandId(int n, int op) {
    return CmdFirstDesktopCommand + 10 * static_cast<Uint>(n - 1) + static_cast<Uint>(op);
}
constexpr bool IsDesktopCommand(Uint id) {
    return id >= DesktopCommandId(1, 0) && id < DesktopCommandId(MaxDesktops, DesktopOps);
}
constexpr int DesktopOfCommand(Uint id) { return static_cast<int>((id - CmdFirstDesktopCommand) / 10) + 1; }
constexpr int DesktopOpOfCommand(Uint id) { return static_cast<int>((id - CmdFirstDesktopCommand) % 10); }
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
