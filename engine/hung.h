// Windows whose thread stopped answering. ShowWindow and SetWindowPos on such a window wait
// for its thread, for good if it never pumps again; the switch asks first, with a bound.
#pragma once

#include "engine/app_state.h"

namespace q {

// All the time one thread may keep a switch, a deletion's re-show, a move or the quit waiting
// for its answers (milliseconds). Windows itself holds a thread for hung once it has not pumped
// for 5 seconds, and then SMTO_ABORTIFHUNG answers at once; below that a thread is only slow,
// and on a 486 with 8 MB a large program repainting after a restore, or paging itself back in,
// takes a second or two. So a thread is waited for 3 seconds in all, and one that never answers
// costs an operation those 3 seconds once (nothing once Windows holds it for hung).
constexpr Uint AnswerAllowance = 3000;
// The catch-up: while windows are left behind, their threads are asked again every
// CatchUpPeriod, each with CatchUpTimeout, so that a window is put where its desktop says well
// within a second of its thread's answer, and a thread that still does not answer keeps the
// program from its own messages no more than CatchUpTimeout a turn (not at all once Windows
// holds it for hung).
constexpr Uint CatchUpTimer = 1; // the main window's timer
constexpr Uint CatchUpPeriod = 250;
constexpr Uint CatchUpTimeout = 50;
// After the quit the program stays, without its icons, until the windows it left behind are
// back on the screen, or this long.
constexpr Dword QuitCatchUpLimit = 30000;

// Starts the record of an operation's calls into other threads: no thread asked yet, each with
// `allowance` to spend.
void BeginCalls(AppState &app, Uint allowance = AnswerAllowance);
// A new pass over the windows: a thread that answered before it is asked again before its first
// call in it (the calls between passes, the icons, the wallpaper and the animation setting, reach
// every program).
void NewPass(AppState &app);
// True when the window's thread can be called now. A thread is asked (WM_NULL, SMTO_BLOCK and
// SMTO_ABORTIFHUNG) with what is left of its allowance, unless it answered since the last call
// into another thread's window: only such a call could have stopped it (a program may stop when
// another's message tells it something), whereas work it set itself after our call into its own
// window only keeps the next call waiting until it is done. A thread that did not answer is not
// asked again in the operation. Our own thread (the main window's) is never asked.
bool Answers(AppState &app, Hwnd window);

// The test every pass of a switch makes right before it calls into a window: true when the
// window is left as it is in this switch, because its thread did not answer, now or earlier
// in this switch.
bool IsLeftBehind(AppState &app, Hwnd window);
// Enters the window in the list of those left behind, with its desktop and how it was left;
// the catch-up is set to run.
void HoldBack(AppState &app, Hwnd window);
// Put where its desktop says by a call of ours since (a move of it or of its owner): no longer
// left behind, and not the catch-up's to judge.
void ForgetLeftBehind(AppState &app, Hwnd window);
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

// The catch-up timer's turn (WM_TIMER CatchUpTimer). While no switch, deletion, move or dialog
// is under way, each window left behind whose thread answers now is put where its desktop says:
// restored in its place in its desktop's order, minimised, parked, or given back its parked
// place; after the quit, back on the screen as the quit leaves windows. One that its user or
// program moved, minimised, restored, hid or closed since it was left is theirs, and left so.
// The timer ends with the list, or after the quit at the latest QuitCatchUpLimit after it.
void CatchUp(AppState &app);
// Sets the timer going when windows are left behind (after an operation, and at the quit).
void CatchUpLater(AppState &app);
// The quit, with windows still left behind: they have QuitCatchUpLimit from now to come back,
// and those already in place are let go at once (a turn of CatchUp).
void CatchUpBeforeQuit(AppState &app);

} // namespace q
