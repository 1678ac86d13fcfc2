// Every command of the program (the low word of WM_COMMAND) and every private message, by name,
// with the ranges the program numbers itself: where each starts and where it ends. The menus,
// the dispatch and the tests name them from here; the numbers are those of res/resource_ids.h,
// which the resource script and the Wine scenarios read as well.
#pragma once

#include "engine/limits.h"
#include "platform/wintypes.h"
#include "res/resource_ids.h"

namespace q {

// How the desktops are shown (AppState::DisplayMode, the stored "Display"): a notification icon
// each; one icon whose menu lists them; one icon and the floating window.
enum DisplayModes : std::int32_t { DisplayTaskBar = 1, DisplayMenu = 2, DisplayFloating = 3 };

// The commands of a desktop's submenu, from the start of that desktop's range.
enum DesktopOp {
    DesktopActivate = Q_IDM_DESKTOP_ACTIVATE,
    DesktopRename = Q_IDM_DESKTOP_RENAME,
    DesktopDelete = Q_IDM_DESKTOP_DELETE,
    DesktopHotKey = Q_IDM_DESKTOP_HOTKEY,
    DesktopOps
};

enum CommandId : Uint {
    // The command menu's own items (res/templates.h).
    CmdAbout = Q_IDM_ABOUT,
    CmdQuit = Q_IDM_QUIT,
    CmdCreateDesktop = Q_IDM_CREATE_DESKTOP,
    CmdOneBackground = Q_IDM_ONE_BACKGROUND,
    // In no menu: the deletion of desktop n shows it, then sends this.
    CmdDeleteCurrentDesktop = Q_IDM_DELETE_CURRENT_DESKTOP,
    // The floating window's system menu: its own item, then one a display mode in the order of
    // the modes (the command menu's Display pop-up has the same).
    CmdAlwaysOnTop = Q_IDM_TEMPLATE_ALWAYS_ON_TOP,
    CmdFirstDisplayMode = Q_IDM_DISPLAY_TASKBAR,
    CmdLastDisplayMode = CmdFirstDisplayMode + (DisplayFloating - DisplayTaskBar),
    // The floating window's buttons, one a desktop.
    CmdFirstButton = Q_IDM_FIRST_BUTTON,
    CmdLastButton = CmdFirstButton + MaxDesktops - 1,
    // The desktops' submenus: a step of numbers a desktop, one a DesktopOp.
    CmdFirstDesktopCommand = Q_IDM_FIRST_DESKTOP_COMMAND,
    CmdLastDesktopCommand = CmdFirstDesktopCommand + Q_IDM_DESKTOP_COMMAND_STEP * MaxDesktops - 1,
    // The Applications menu: a step a listed window, its index in the menu times the step plus
    // the target desktop (0: shown on every desktop). Identifiers travel in a 16-bit word.
    CmdFirstWindowCommand = Q_IDM_FIRST_WINDOW_COMMAND,
    CmdLastWindowCommand = 0xFFFF,
};

static_assert(Q_IDM_DISPLAY_FLOATING == CmdLastDisplayMode, "the resource has one command a display mode");
static_assert(CmdLastButton < CmdFirstDesktopCommand && CmdLastDesktopCommand < CmdAlwaysOnTop &&
                  CmdLastDisplayMode < CmdFirstWindowCommand,
              "the ranges that grow with the desktops stay apart");
static_assert(DesktopOps <= Q_IDM_DESKTOP_COMMAND_STEP, "a desktop's commands fit in its step");
static_assert(MaxDesktops < Q_IDM_WINDOW_COMMAND_STEP, "a window's targets fit in its step");

constexpr Uint DisplayModeCommand(int mode) {
    return CmdFirstDisplayMode + static_cast<Uint>(mode - DisplayTaskBar);
}
constexpr bool IsDisplayModeCommand(Uint id) {
    return id >= CmdFirstDisplayMode && id <= CmdLastDisplayMode;
}
constexpr int DisplayModeOfCommand(Uint id) {
    return static_cast<int>(id - CmdFirstDisplayMode) + DisplayTaskBar;
}

constexpr Uint ButtonCommand(int n) {
    return CmdFirstButton + static_cast<Uint>(n - 1);
}
constexpr bool IsButtonCommand(Uint id) {
    return id >= CmdFirstButton && id <= CmdLastButton;
}
constexpr int DesktopOfButton(Uint id) {
    return static_cast<int>(id - CmdFirstButton) + 1;
}

constexpr Uint DesktopCommandId(int n, DesktopOp op) {
    return CmdFirstDesktopCommand + Q_IDM_DESKTOP_COMMAND_STEP * static_cast<Uint>(n - 1) +
           static_cast<Uint>(op);
}
constexpr bool IsDesktopCommand(Uint id) {
    return id >= CmdFirstDesktopCommand && id <= CmdLastDesktopCommand;
}
constexpr int DesktopOfCommand(Uint id) {
    return static_cast<int>((id - CmdFirstDesktopCommand) / Q_IDM_DESKTOP_COMMAND_STEP) + 1;
}
constexpr int DesktopOpOfCommand(Uint id) {
    return static_cast<int>((id - CmdFirstDesktopCommand) % Q_IDM_DESKTOP_COMMAND_STEP);
}

constexpr Uint WindowCommandId(int index, int target) {
    return CmdFirstWindowCommand + Q_IDM_WINDOW_COMMAND_STEP * static_cast<Uint>(index) +
           static_cast<Uint>(target);
}
constexpr bool IsWindowCommand(Uint id) {
    return id >= CmdFirstWindowCommand && id <= CmdLastWindowCommand;
}
constexpr Uint WindowIndexOfCommand(Uint id) {
    return (id - CmdFirstWindowCommand) / Q_IDM_WINDOW_COMMAND_STEP;
}
constexpr Uint TargetOfCommand(Uint id) {
    return (id - CmdFirstWindowCommand) % Q_IDM_WINDOW_COMMAND_STEP;
}
// The Applications menu lists this many windows: the last one's commands end in the 16-bit word.
constexpr int MenuWindowSlots = static_cast<int>(
    (CmdLastWindowCommand - CmdFirstWindowCommand - MaxDesktops) / Q_IDM_WINDOW_COMMAND_STEP + 1);

// Private messages. To the main window: UM_DESKTOP(n), desktop n's notification icon or hot key
// with the mouse message in lParam, n from 1 to MaxDesktops; a move and a sticky change, which
// any program can send. To the floating window, on numbers of the same range: what the engine
// told the interface.
constexpr Uint UM_DESKTOP_BASE = WM_USER;
constexpr Uint UM_DESKTOPADDED = WM_USER + 1;
constexpr Uint UM_DESKTOPREMOVED = WM_USER + 2;
constexpr Uint UM_DESKTOPSWITCH = WM_USER + 3;
constexpr Uint UM_INITSYSMENU = WM_USER + 4;
constexpr Uint UM_SETSTICKY = WM_USER + 33;
constexpr Uint UM_MOVETODESKTOP = WM_USER + 34;
constexpr Uint UM_DESKTOP(int n) {
    return UM_DESKTOP_BASE + static_cast<Uint>(n);
}
constexpr bool IsDesktopMessage(Uint message) {
    return message > UM_DESKTOP_BASE && message <= UM_DESKTOP(MaxDesktops);
}
constexpr int DesktopOfMessage(Uint message) {
    return static_cast<int>(message - UM_DESKTOP_BASE);
}
static_assert(UM_DESKTOP(MaxDesktops) < UM_SETSTICKY, "the desktops' messages end before the moves'");

} // namespace q
