// Sending a window to another desktop, and windows shown on every desktop.
#pragma once

#include "engine/app_state.h"

namespace q {

// UM_SETSTICKY: the low word of lParam non-zero makes the window sticky, 0 ends it.
void SetSticky(AppState &app, Hwnd window, Lparam lParam);
// UM_MOVETODESKTOP: the low word of lParam is the target desktop. A number outside
// 1..DesktopCount, a handle that is no window, a child window, a window the table never enters,
// one of our own windows or a hidden window is ignored (any program can post this; the floating
// window stays on every desktop, and a minimise would show a hidden window).
void MoveToDesktop(AppState &app, Hwnd window, Lparam lParam);
// The Applications commands (WindowCommandId).
void WindowCommand(AppState &app, Uint id);

} // namespace q
