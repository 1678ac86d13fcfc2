// Windows whose thread stopped answering. ShowWindow and SetWindowPos on such a window wait
// for its thread, for good if it never pumps again; the switch asks first, with a bound.
#pragma once

#include "engine/app_state.h"

namespace q {

// How long a window's thread may take to answer before it is left as it is (milliseconds).
constexpr Uint AnswerTimeout = 200;

// True when the window's thread answers WM_NULL within AnswerTimeout.
bool Answers(AppState &app, Hwnd window);
// The same for the window's thread, within a switch (AskWindows starts the switch's record): a
// thread that did not answer is not asked again in that switch; windows of our own thread are
// not asked.
bool ThreadAnswers(AppState &app, Hwnd window);

// The test every pass of a switch makes right before it calls into a window: true when the
// window is left as it is in this switch, because its thread did not answer, now or earlier
// in this switch. A thread that answered is asked again before each call, so that one that
// stops while the switch works on other windows (or repaints after a restore) is found out;
// what is left is a thread that stops inside a call, or between its answer and the call.
bool IsLeftBehind(AppState &app, Hwnd window);
// Enters the window in the list of those left behind, with its desktop and whether it was left
// on the screen.
void HoldBack(AppState &app, Hwnd window);
// Only what the switches so far found: the window was left behind and has not been asked
// since. Asks nothing, so it holds outside a switch too.
bool HeldBack(const AppState &app, Hwnd window);
// Left behind while not minimised: a minimise since then was not ours.
bool LeftShown(const AppState &app, Hwnd window);

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
