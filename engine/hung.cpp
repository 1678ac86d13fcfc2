#include "engine/hung.h"

#include "engine/phases.h"
#include "engine/window_table.h"

namespace q {

bool Answers(AppState &app, Hwnd window) {
    std::uintptr_t result = 0;
    return app.Sys->message.SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                                AnswerTimeout, &result) != 0;
}

namespace {

// A window's thread never changes: asked once for the table's windows.
Dword ThreadOf(AppState &app, Hwnd window) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry == nullptr) return app.Sys->window.GetWindowThreadProcessId(window);
    if (entry->Thread == 0) entry->Thread = app.Sys->window.GetWindowThreadProcessId(window);
    return entry->Thread;
}

// Only a thread that did not answer is remembered for the rest of the switch. One that answered
// is asked again before the next call into it: the calls made since, into other programs or into
// its own windows, may have stopped it (a restore sets many a program repainting).
bool AskThread(AppState &app, Hwnd window) {
    const Dword thread = ThreadOf(app, window);
    // Our own thread is the one running the switch: its windows never keep us waiting.
    if (thread != 0 && thread == app.Switch.OwnThread) return true;
    for (std::int32_t i = 0; i < app.Switch.SilentCount; ++i)
        if (thread != 0 && app.Switch.Silent[i] == thread) return false;
    const bool answered = Answers(app, window);
    // Past the last place, such threads are asked again for each of their windows.
    if (!answered && thread != 0 && app.Switch.SilentCount < MaxSilentThreads)
        app.Switch.Silent[app.Switch.SilentCount++] = thread;
    return answered;
}

} // namespace

bool ThreadAnswers(AppState &app, Hwnd window) {
    const Phase phase = EnterPhase(Phase::HungCheck);
    const bool answered = AskThread(app, window);
    EnterPhase(phase);
    return answered;
}

bool HeldBack(const AppState &app, Hwnd window) {
    for (std::int32_t i = 0; i < app.Switch.HungCount; ++i)
        if (app.Switch.Hung[i].Window == window) return true;
    return false;
}

bool IsLeftBehind(AppState &app, Hwnd window) {
    if (HeldBack(app, window)) return true;
    if (ThreadAnswers(app, window)) return false;
    HoldBack(app, window);
    return true;
}

void HoldBack(AppState &app, Hwnd window) {
    if (HeldBack(app, window)) return;
    // More hung windows than places: the rest are still left alone for this switch, but may be
    // claimed by the desktop shown at the next refresh.
    const WindowEntry *entry = FindWindowEntry(app, window);
    const bool shown = !app.Sys->window.IsIconic(window);
    if (app.Switch.HungCount < MaxHungWindows)
        app.Switch.Hung[app.Switch.HungCount++] = HungWindow{window, entry != nullptr ? entry->Desktop : app.CurrentDesktop(),
                                               static_cast<std::uint8_t>(shown ? 1 : 0)};
}

bool LeftShown(const AppState &app, Hwnd window) {
    for (std::int32_t i = 0; i < app.Switch.HungCount; ++i)
        if (app.Switch.Hung[i].Window == window) return app.Switch.Hung[i].Shown != 0;
    return false;
}

void RefreshWindowTable(AppState &app) {
    UpdateWindowTable(app);
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i < app.Switch.HungCount; ++i) {
        WindowEntry *entry = FindWindowEntry(app, app.Switch.Hung[i].Window);
        if (entry == nullptr) continue; // gone
        if (app.Switch.Hung[i].Desktop >= 1 && app.Switch.Hung[i].Desktop <= app.DesktopCount())
            entry->Desktop = app.Switch.Hung[i].Desktop;
        app.Switch.Hung[kept++] = app.Switch.Hung[i];
    }
    app.Switch.HungCount = kept;
    FollowOwners(app); // after the desktops of windows left behind are put back
}

void AskWindows(AppState &app, int left, int entered) {
    HungWindow earlier[MaxHungWindows];
    const std::int32_t earlierCount = app.Switch.HungCount;
    for (std::int32_t i = 0; i < earlierCount; ++i)
        earlier[i] = app.Switch.Hung[i];
    app.Switch.HungCount = 0;
    app.Switch.SilentCount = 0;
    app.Switch.OwnThread = app.Sys->window.GetWindowThreadProcessId(app.MainWindow);
    for (std::int32_t i = 0; i < earlierCount; ++i) {
        const WindowEntry *entry = FindWindowEntry(app, earlier[i].Window);
        if (entry == nullptr) continue;
        const WindowEntry e = *entry; // the calls below may change the table
        if (IsLeftBehind(app, e.Window)) continue;
        // An owned window goes down with its owner, or stays up with it, unless the system left
        // it on the screen with its owner down.
        if (GoesWithOwner(app, e) && !StillUpWithoutOwner(app, e)) continue;
        if (e.Sticky == 0 && e.Desktop != left && e.Desktop != entered && app.Sys->window.IsWindowVisible(e.Window) &&
            !app.Sys->window.IsIconic(e.Window)) {
            if (e.Popup == WS_POPUP)
                ParkWindow(app, e.Window);
            else
                MinimizeWindow(app, e.Window, false);
            TakeDownOwnedWindows(app, e.Window); // left up with it, and not asked then
        }
    }
}

} // namespace q
