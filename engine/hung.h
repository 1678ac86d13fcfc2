// Windows whose thread stopped answering. ShowWindow and SetWindowPos on such a window wait
// for its thread, for good if it never pumps again; the switch asks first, with a bound.
#pragma once

#include "engine/app_state.h"

namespace q {

// How long a window's thread may take to answer before it is left as it is (milliseconds).
constexpr Uint AnswerTimeout = 200;

// True when the window's thread answers WM_NULL within AnswerTimeout.
bool Answers(AppState &app, Hwnd window);
// The same for the window's thread, asked once in a switch for all its windows (AskWindows
// starts the switch's record); windows of our own thread are not asked.
bool ThreadAnswers(AppState &app, Hwnd window);

// The test every pass of a switch makes right before it calls into a window: true when the
// window is left as it is in this switch, because its thread did not answer, now or earlier
// in this switch; the thread is asked here when the switch has not asked it yet. Asked right
// before the first call into it rather than all at the start, a thread that stops pumping
// while the switch works on other windows is found out; what is left is a thread that stops
// between its answer (or the last call into it that returned) and the next call into it.
bool IsLeftBehind(AppState &app, Hwnd window);
// Only what the switches so far found: the window was left behind and has not been asked
// since. Asks nothing, so it holds outside a switch too.
bool HeldBack(const AppState &app, Hwnd window);

// The window table brought up to date; windows left behind keep their desktop, since the
// refresh would give a window that was never minimised to the desktop shown. Then owned windows
// follow their owners (FollowOwners).
void RefreshWindowTable(AppState &app);

// Starts the record of a switch from `left` to `entered` (equal for the re-show of a deletion),
// before its hiding and restoring passes: no thread asked yet. The windows left behind by an
// earlier switch are asked now: those that still do not answer stay left behind, with their
// entry's desktop; those that answer and belong to neither desktop are minimised now, as their
// own switch would have done.
void AskWindows(AppState &app, int left, int entered);

} // namespace q
