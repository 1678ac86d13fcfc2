// What a switch or a move leaves away is marked on the window itself (a window property), so
// that a run ended from outside, without its close (from the task list, by the system, or in a
// failure), leaves the next start what it needs to give those windows back. Our own restore, a
// claim by the desktop shown and the quit take the marks away again; a switch writes nothing
// else anywhere.
#pragma once

#include "engine/app_state.h"

namespace q {

// Before our minimise or park of a window that was `shown` until then, or that its user did not
// minimise: marked with its desktop. After the minimise, when it hid itself inside it, the mark
// says so; when its program refused it and the park is to move it off the screen, the place it
// stood at is marked too.
void MarkAway(AppState &app, Hwnd window, bool shown);
void MarkHidItself(AppState &app, Hwnd window);
// Shown again by its program or user since it hid itself: a later hide is not ours.
void MarkShownAgain(AppState &app, WindowEntry &entry);
void MarkParkedAt(AppState &app, Hwnd window, Point parkedAt);
// The entry's desktop changed while it is away (a deletion renumbers the desktops above).
void RenumberMark(AppState &app, WindowEntry &entry);
// Back on the screen, claimed by the desktop shown, or the quit: its marks go.
void ClearMarks(AppState &app, Hwnd window);
// The quit, once every window is where it stays: no mark of ours is left on any window.
void ClearAllMarks(AppState &app);

// Start-up, once the table is filled and the settings are read: the windows that an ended run
// marked and that are still away (minimised, hidden by itself inside its minimise, or parked)
// are its. Each goes back to the desktop it belonged to, away as that run left it, when that
// desktop exists and is not desktop 1; the others are put back on the screen, on desktop 1.
// None is taken for a window its user minimised. A marked window found on the screen, or hidden
// since by its program, is its user's or program's: it only loses its marks. A normal start
// finds no mark and changes nothing.
void TakeBackWindows(AppState &app);

} // namespace q
