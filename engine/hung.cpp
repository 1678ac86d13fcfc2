#include "engine/hung.h"

#include "engine/window_table.h"

namespace q {

bool Answers(AppState &app, Hwnd window) {
    std::uintptr_t result = 0;
    return app.Sys->message.SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                                AnswerTimeout, &result) != 0;
}

bool IsLeftBehind(const AppState &app, Hwnd window) {
    for (std::int32_t i = 0; i < app.HungCount; ++i)
        if (app.Hung[i].Window == window) return true;
    return false;
}

void RefreshWindowTable(AppState &app) {
    UpdateWindowTable(app);
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i < app.HungCount; ++i) {
        WindowEntry *entry = FindWindowEntry(app, app.Hung[i].Window);
        if (entry == nullptr) continue; // gone
        if (app.Hung[i].Desktop >= 1 && app.Hung[i].Desktop <= app.DesktopCount())
            entry->Desktop = app.Hung[i].Desktop;
        app.Hung[kept++] = app.Hung[i];
    }
    app.HungCount = kept;
}

namespace {

bool Touched(AppState &app, const WindowEntry &e, int left, int entered) {
    if (e.Window == app.FloatingWindow) return false;
    if (e.Sticky != 0) return true;
    if (e.Desktop != left && !(e.Desktop == entered && e.Minimized == 0)) return false;
    return app.Sys->window.IsWindowVisible(e.Window);
}

} // namespace

void AskWindows(AppState &app, int left, int entered) {
    HungWindow earlier[MaxHungWindows];
    const std::int32_t earlierCount = app.HungCount;
    for (std::int32_t i = 0; i < earlierCount; ++i)
        earlier[i] = app.Hung[i];
    app.HungCount = 0;
    auto wasLeft = [&](Hwnd w) {
        for (std::int32_t i = 0; i < earlierCount; ++i)
            if (earlier[i].Window == w) return true;
        return false;
    };
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        const WindowEntry e = app.Windows.Entries[i];
        const bool before = wasLeft(e.Window);
        if (!before && !Touched(app, e, left, entered)) continue;
        if (!Answers(app, e.Window)) {
            // More hung windows than places: the rest are still left alone for this switch, but
            // may be claimed by the desktop shown at the next refresh.
            if (app.HungCount < MaxHungWindows) app.Hung[app.HungCount++] = HungWindow{e.Window, e.Desktop};
            continue;
        }
        if (before && e.Sticky == 0 && e.Desktop != left && e.Desktop != entered &&
            app.Sys->window.IsWindowVisible(e.Window) && !app.Sys->window.IsIconic(e.Window)) {
            if (e.Popup == WS_POPUP)
                ParkWindow(app, e.Window);
            else
                MinimizeWindow(app, e.Window, false);
        }
    }
}

} // namespace q
