#include "engine/moves.h"

#include "engine/window_table.h"

namespace q {

namespace {

WindowEntry *EntryFor(AppState &app, Hwnd window) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry != nullptr) return entry;
    auto style = static_cast<std::uint32_t>(app.Sys->window.GetWindowLongA(window, GWL_STYLE));
    return AddWindowEntry(app, style, window);
}

} // namespace

namespace {
// The floating window is shown on every desktop and no switch restores it: never move it.
bool Movable(AppState &app, Hwnd window) {
    return window != app.FloatingWindow && app.Sys->window.IsWindow(window);
}
} // namespace

void SetSticky(AppState &app, Hwnd window, Lparam lParam) {
    if (!Movable(app, window)) return;
    WindowEntry *entry = EntryFor(app, window);
    if (entry != nullptr) entry->Sticky = LoWord(static_cast<std::uintptr_t>(lParam)) != 0 ? 1 : 0;
}

void MoveToDesktop(AppState &app, Hwnd window, Lparam lParam) {
    int d = LoWord(static_cast<std::uintptr_t>(lParam));
    if (d < 1 || d > app.DesktopCount()) return;
    if (!Movable(app, window)) return;
    WindowEntry *entry = EntryFor(app, window);
    if (entry == nullptr) return;
    entry->Desktop = d;
    entry->Sticky = 0;
    if (d == app.CurrentDesktop())
        app.Sys->window.ShowWindow(window, SW_RESTORE);
    else
        ParkWindow(app, window);
}

void WindowCommand(AppState &app, Uint id) {
    Uint index = (id - 1024) >> 4;
    Uint target = (id - 1024) & 15;
    // The table may have changed since the menu was built; an index past its end names nothing.
    if (index >= static_cast<Uint>(app.Windows.Count)) return;
    if (target > static_cast<Uint>(app.DesktopCount())) return;
    Hwnd window = app.Windows.Entries[index].Window;
    MessagePort &msg = app.Sys->message;
    if (target == 0) {
        msg.SendMessageA(app.MainWindow, UM_MOVETODESKTOP, reinterpret_cast<Wparam>(window),
                         app.CurrentDesktop());
        msg.SendMessageA(app.MainWindow, UM_SETSTICKY, reinterpret_cast<Wparam>(window), 1);
    } else {
        msg.SendMessageA(app.MainWindow, UM_MOVETODESKTOP, reinterpret_cast<Wparam>(window),
                         static_cast<Lparam>(target));
    }
}

} // namespace q
