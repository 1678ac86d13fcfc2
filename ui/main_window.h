// The hidden main window's behaviour: every message and command the program answers.
#pragma once

#include "engine/app_state.h"

namespace q {

// Handles one message of the main window. `handled` is false for messages the default
// window procedure should answer.
Lresult MainWindowMessage(AppState &app, Hwnd window, Uint message, Wparam wParam, Lparam lParam,
                          bool &handled);
// WM_CLOSE: the program ends with desktop 1 shown, whatever is open; nothing else sets Closed.
void OnClose(AppState &app);

} // namespace q
