#include "engine/hotkeys.h"

namespace q {

bool RegisterDesktopHotKey(AppState &app, int n) {
    std::uint32_t key = app.Record(n).HotKey;
    if (key == 0) return false;
    return app.Sys->shell.RegisterHotKey(app.MainWindow, n, HotKeyModifiers(key), HotKeyKey(key));
}

void UnregisterDesktopHotKey(AppState &app, int n) {
    if (app.Record(n).HotKey != 0) app.Sys->shell.UnregisterHotKey(app.MainWindow, n);
}

void RegisterAllHotKeys(AppState &app) {
    for (int n = 1; n <= app.DesktopCount(); ++n)
        RegisterDesktopHotKey(app, n);
}

void OnHotKey(AppState &app, Wparam id) {
    if (app.DialogOpen != 0 || id == 0) return;
    // Only our own registrations carry desktop numbers; anything else names no desktop.
    if (id > static_cast<Wparam>(app.DesktopCount())) return;
    app.Sys->message.SendMessageA(app.MainWindow, UM_DESKTOP(static_cast<int>(id)), 0, WM_LBUTTONDOWN);
}

} // namespace q
