#include "engine/switching.h"

#include "engine/hung.h"
#include "engine/notify_port.h"
#include "engine/phases.h"
#include "engine/store_port.h"
#include "engine/window_table.h"

namespace q {

namespace {

// The floating window never takes part; a window whose thread does not answer is left as it is.
bool Excluded(AppState &app, const WindowEntry &entry) {
    return entry.Window == app.FloatingWindow || IsLeftBehind(app, entry.Window);
}

// First hiding pass: the visible pop-ups of the desktop left, and every sticky window.
bool TakePopupToHide(AppState &app, const WindowEntry &e, int left) {
    bool take = (e.Desktop == left && e.Popup == WS_POPUP && app.Sys->window.IsWindowVisible(e.Window)) ||
                e.Sticky != 0;
    return take && !Excluded(app, e);
}

// Second hiding pass: the visible overlapped windows of the desktop left, and again the sticky ones.
bool TakeWindowToHide(AppState &app, const WindowEntry &e, int left) {
    bool take = (e.Desktop == left && e.Popup == 0 && app.Sys->window.IsWindowVisible(e.Window)) ||
                e.Sticky != 0;
    return take && !Excluded(app, e);
}

// Restored: the visible windows of the desktop entered that the user did not minimise, those
// that hid themselves when a switch minimised them, and every sticky window whatever its
// desktop or state. Collected without a question: the restore pass asks right before each call.
bool TakeWindowToRestore(AppState &app, const WindowEntry &e, int entered) {
    bool take = (e.Desktop == entered && e.Minimized == 0 &&
                 (e.MinimizedShown != 0 || app.Sys->window.IsWindowVisible(e.Window))) ||
                e.Sticky != 0;
    return take && e.Window != app.FloatingWindow;
}

} // namespace

void SwitchDesktop(AppState &app, int n) {
    const int c = app.CurrentDesktop();
    // Other programs' messages arrive inside every call to their windows: none may start
    // another switch or change the desktops before this one ends.
    app.Switching = 1;

    EnterPhase(Phase::Icons);
    app.Notify->SwitchBegins(app, c, n);

    EnterPhase(Phase::Refresh);
    RefreshWindowTable(app);
    EnterPhase(Phase::Capture);
    CaptureZOrder(app, c);
    EnterPhase(Phase::Animation);
    MinimizeAnimation(app, Animation::Off);
    EnterPhase(Phase::HungCheck);
    AskWindows(app, c, n);

    EnterPhase(Phase::Hiding);
    HideWindows(app, TakePopupToHide, TakeWindowToHide, c);

    EnterPhase(Phase::Collecting);
    RestoreList list = CollectWindows(app, TakeWindowToRestore, n);
    EnterPhase(Phase::Wallpaper);
    if (app.OwnWallpapers != 0) app.Store->ExchangeWallpaper(app, c, n);
    EnterPhase(Phase::Restores);
    RestoreWindows(app, list, TakeWindowToRestore, n);
    ReturnParked(app, n);

    EnterPhase(Phase::Animation);
    MinimizeAnimation(app, Animation::Back);
    FreeRestoreList(app, list);
    EnterPhase(Phase::Outside);
    app.Desktops.CurrentDesktop = n;
    app.Switching = 0;
    if (app.IconsLost != 0) app.Notify->LostIconsMayReturn(app);
}

void ReturnAllWindows(AppState &app) {
    const std::uint8_t switching = app.Switching;
    app.Switching = 1; // their threads may send us messages before our calls return
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        const WindowEntry e = app.Windows.Entries[i];
        const bool hidden = e.MinimizedShown != 0 && !app.Sys->window.IsWindowVisible(e.Window);
        if ((!hidden && e.Parked == 0) || e.Window == app.FloatingWindow || !Answers(app, e.Window)) continue;
        if (hidden) app.Sys->window.ShowWindow(e.Window, SW_RESTORE);
        WindowReturned(app, e.Window);
    }
    app.Switching = switching;
}

} // namespace q
