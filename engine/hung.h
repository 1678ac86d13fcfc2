// Windows whose thread stopped answering. ShowWindow and SetWindowPos on such a window wait
// for its thread, for good if it never pumps again; the switch asks first, with a bound.
#pragma once

#include "engine/app_state.h"

namespace q {

// How long a window's thread may take to answer before it is left as it is (milliseconds).
constexpr Uint AnswerTimeout = 200;

// True when the window's thread answers WM_NULL within AnswerTimeout.
bool Answers(AppState &app, Hwnd window);
bool IsLeftBehind(const AppState &app, Hwnd window);

// The window table brought up to date; windows left behind keep their desktop, since the
// refresh would give a window that was never minimised to the desktop shown.
void RefreshWindowTable(AppState &app);

// Before the hiding and restoring passes of a switch from `left` to `entered` (equal for the
// re-show of a deletion): every window the passes would touch, and every window left behind
// earlier, is asked. Those that do not answer are left behind now, with their entry's desktop.
// Those left behind earlier that answer again and belong to neither desktop are minimised now,
// as their own switch would have done.
void AskWindows(AppState &app, int left, int entered);

} // namespace q
