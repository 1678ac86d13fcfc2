// The floating window of display mode 3: one toolbar button per desktop, laid out in the row
// count the user chose by resizing it, and a system menu with "always on top" and the modes.
#pragma once

#include "engine/app_state.h"

namespace q {

// Its frame: a tool window's small caption with the system menu, and edges that resize it.
constexpr std::uint32_t FloatingStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr std::uint32_t FloatingExStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;

// Handles one message of the floating window. `handled` is false for messages the default
// window procedure should answer.
Lresult FloatingWindowMessage(AppState &app, Hwnd window, Uint message, Wparam wParam, Lparam lParam,
                              bool &handled);

// The row count a resize drag proposes: `edge` is WM_SIZING's wParam, `width` and `height` the
// proposed outer size. 0 when the edge is none the window answers.
int ChooseRows(const RowSize (&sizes)[MaxDesktops + 2], Uint edge, std::int32_t width, std::int32_t height);

// The rows that `count` buttons really take when the window is sized for `rows`: the buttons
// wrap after ceiling(count / rows) columns.
int LaidOutRows(int count, int rows);

// Ends the menu mode of the floating window (and, where the system lets it, a move or size
// loop), whose message loop would otherwise outlive the main window and keep the process
// running; the end of a loop that no cancel ends posts the quit message again.
void CancelFloatingModes(AppState &app);

} // namespace q
