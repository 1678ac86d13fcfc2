#include "engine/moves.h"

#include "engine/guards.h"
#include "engine/hung.h"
#include "engine/notify_port.h"
#include "engine/window_table.h"

namespace q {

namespace {

WindowEntry *EntryFor(AppState &app, Hwnd window) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry != nullptr) return entry;
    auto style = static_cast<std::uint32_t>(app.Sys->window.GetWindowLongA(window, GWL_STYLE));
    return AddWindowEntry(app, style, window);
}

// Any program can send these, with any handle. Only other programs' top-level windows that the
// window table would enter are moved: never a handle that is no window, a child window (the
// floating window's toolbar, a dialog's controls), the desktop window, the taskbar or tool tips.
// Nor our own windows: the floating window is shown on every desktop and no switch restores
// it, the main window stays hidden, and the About box belongs to the desktop it opened on.
bool Movable(AppState &app, Hwnd window) {
    WindowPort &win = app.Sys->window;
    if (window == nullptr || window == app.FloatingWindow || window == app.MainWindow) return false;
    if (app.AboutOpen != 0 && window == app.AboutWindow) return false;
    if (window == win.GetDesktopWindow() || !win.IsWindow(window)) return false;
    if ((static_cast<std::uint32_t>(win.GetWindowLongA(window, GWL_STYLE)) & WS_CHILD) != 0) return false;
    return IsTrackedClass(app, window);
}

// After a move or a sticky change of `entry`'s window. Moved or made sticky on its own, an owned
// window goes alone until its owner takes it along again (sent back beside its owner, it goes with
// it). An owner takes its owned windows along: a move those that went alone too, sticky only
// those that go with it.
void Regroup(AppState &app, WindowEntry &entry, bool evenAlone) {
    if (entry.Owner != nullptr) {
        const WindowEntry *owner = FindWindowEntry(app, entry.Owner);
        entry.Alone = owner == nullptr || owner->Desktop != entry.Desktop || owner->Sticky != entry.Sticky;
    }
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        WindowEntry &e = app.Windows.Entries[i];
        if (e.Owner != entry.Window || (e.Alone != 0 && !evenAlone)) continue;
        e.Desktop = entry.Desktop;
        e.Sticky = entry.Sticky;
        e.Alone = 0;
    }
}

} // namespace

void SetSticky(AppState &app, Hwnd window, Lparam lParam) {
    if (ChangesHeld(app) || !Movable(app, window)) return;
    const bool sticky = LoWord(static_cast<std::uintptr_t>(lParam)) != 0;
    // A window its program hid is not listed and would be shown by every switch: it is not made
    // sticky (it may stop being sticky). Nor is one the compositor cloaks.
    const bool shown = app.Sys->window.IsWindowVisible(window) && !IsCloaked(app, window);
    WindowEntry *entry = !sticky ? FindWindowEntry(app, window) : shown ? EntryFor(app, window) : nullptr;
    if (entry == nullptr) return;
    entry->Sticky = sticky ? 1 : 0;
    Regroup(app, *entry, false);
}

void MoveToDesktop(AppState &app, Hwnd window, Lparam lParam) {
    int d = LoWord(static_cast<std::uintptr_t>(lParam));
    if (ChangesHeld(app) || d < 1 || d > app.DesktopCount()) return;
    if (!Movable(app, window)) return;
    // A window whose thread does not answer would hold us in ShowWindow: it stays as it is.
    // Its answer runs other messages of ours, which may have closed the program or deleted
    // the target desktop.
    BeginCalls(app);
    if (!Answers(app, window) || ChangesHeld(app) || d > app.DesktopCount()) return;
    // A window its program hid (gone to its tray icon since the menu listed it) keeps its
    // desktop and stays hidden: a minimise or a restore would show it.
    // So does a cloaked one, which is not on the screen.
    if (!app.Sys->window.IsWindowVisible(window) || IsCloaked(app, window)) return;
    // The user may have minimised or restored windows since the last refresh: the window's
    // "minimised by the user" flag must say what the screen shows now.
    RefreshWindowTable(app);
    WindowEntry *entry = EntryFor(app, window);
    if (entry == nullptr) return;
    ForgetLeftBehind(app, window);
    entry->Desktop = d;
    entry->Sticky = 0;
    Regroup(app, *entry, true);
    {
        const SwitchUnderWay moving(app); // its thread may send us messages before ShowWindow returns
        // Its owned windows go down with it (Windows hides them; Wine leaves them), or come up with it.
        if (d == app.CurrentDesktop()) {
            app.Sys->window.ShowWindow(window, SW_RESTORE);
            WindowReturned(app, window);
            ReturnOwnedWindows(app, window);
        } else {
            ParkWindow(app, window);
            TakeDownOwnedWindows(app, window);
            // Still on the screen: the system refused our minimise and our move (an elevated
            // program's window; see README). It stays where it is, on the desktop shown.
            WindowEntry *moved = FindWindowEntry(app, window);
            if (moved != nullptr && StaysUp(app, window)) {
                moved->Desktop = app.CurrentDesktop();
                Regroup(app, *moved, true);
            } else if (moved != nullptr && moved->Owner != nullptr && moved->Alone == 0) {
                // Its owner brought up meanwhile by its user (from the taskbar, inside our calls)
                // belongs to the desktop shown, as the next refresh would find: the window goes
                // alone, rather than away with an owner left on the screen.
                WindowEntry *owner = FindWindowEntry(app, moved->Owner);
                if (owner != nullptr && owner->Sticky == 0 && owner->Desktop != app.CurrentDesktop() &&
                    StaysUp(app, owner->Window)) {
                    owner->Desktop = app.CurrentDesktop();
                    moved->Alone = 1;
                }
            }
        }
    }
    if (app.Ui.IconsLost != 0) app.Notify->LostIconsMayReturn(app);
}

void WindowCommand(AppState &app, Uint id) {
    const Uint index = WindowIndexOfCommand(id);
    const Uint target = TargetOfCommand(id);
    if (ChangesHeld(app)) return;
    // The command names the window the menu showed at that index, whatever the table became
    // since; an index the menu did not have names nothing.
    if (index >= static_cast<Uint>(app.Ui.MenuWindowCount)) return;
    if (target > static_cast<Uint>(app.DesktopCount())) return;
    Hwnd window = app.Ui.MenuWindows[index];
    if (window == nullptr) return;
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
