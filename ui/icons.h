// The notification icons: one per desktop (DisplayTaskBar) or one for the program (the other
// display modes).
#pragma once

#include "engine/app_state.h"
#include "res/resource_ids.h"

namespace q {

constexpr int IconCurrent = Q_IDI_CURRENT;
constexpr int IconOther = Q_IDI_OTHER;
constexpr Uint MainIconId = 0;

// WM_CREATE: the icons of the display mode, and the floating window shown in mode 3.
void AddStartupIcons(AppState &app);
// Before a switch from `left` to `entered`.
void SwitchIcons(AppState &app, int left, int entered);
// A desktop was created: its icon in mode 1.
void AddDesktopIcon(AppState &app, int n);
// After a rename: the tip of desktop n's icon in mode 1.
void RetitleDesktopIcon(AppState &app, int n);
// While records move down in a deletion: icon n takes record n's callback and title.
void RenumberDesktopIcon(AppState &app, int n);
void RemoveDesktopIcon(AppState &app, int n);
// After a deletion: the shown desktop's icon (mode 1) or the main icon's callback.
void MarkCurrentDesktopIcon(AppState &app);
// Commands 600, 601, 602: the icons and floating window of `mode`, then "Display" stored.
void SetDisplayMode(AppState &app, int mode);
// The shell's "TaskbarCreated", and a second start of the program (the only sign a taskbar
// that restarted without that broadcast gives): the icons of the display mode the taskbar
// lost are added again with the shown desktop's picture and every title; those it still has
// are brought up to date. Deferred (IconsLost) while a switch or a Rename or Hot key dialog
// is under way, since CurrentDesktop does not name the shown desktop then.
void OnTaskbarCreated(AppState &app);
void AddIconsAgain(AppState &app);
// WM_CLOSE: every icon removed, each desktop's hot key released.
void RemoveIconsAndHotKeys(AppState &app);

} // namespace q
