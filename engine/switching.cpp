#include "engine/switching.h"

#include "config/wallpaper.h"
#include "engine/window_table.h"
#include "ui/icons.h"

namespace q {

namespace {

bool IsFloating(const AppState &app, const WindowEntry &entry) {
    return entry.Window == app.FloatingWindow;
}

// First hiding pass: the visible pop-ups of the desktop left, and every sticky window.
bool TakePopupToHide(AppState &app, const WindowEntry &e, int left) {
    bool take = (e.Desktop == left && e.Popup == WS_POPUP && app.Sys->window.IsWindowVisible(e.Window)) ||
                e.Sticky != 0;
    return take && !IsFloating(app, e);
}

// Second hiding pass: the visible overlapped windows of the desktop left, and again the sticky ones.
bool TakeWindowToHide(AppState &app, const WindowEntry &e, int left) {
    bool take = (e.Desktop == left && e.Popup == 0 && app.Sys->window.IsWindowVisible(e.Window)) ||
                e.Sticky != 0;
    return take && !IsFloating(app, e);
}

// Restored: the visible windows of the desktop entered that the user did not minimise, and
// every sticky window whatever its desktop or state.
bool TakeWindowToRestore(AppState &app, const WindowEntry &e, int entered) {
    bool take = (e.Desktop == entered && e.Minimized == 0 && app.Sys->window.IsWindowVisible(e.Window)) ||
                e.Sticky != 0;
    return take && !IsFloating(app, e);
}

} // namespace

void SwitchDesktop(AppState &app, int n) {
    const int c = app.CurrentDesktop();

    SwitchIcons(app, c, n);
    app.Sys->message.SendMessageA(app.FloatingWindow, UM_DESKTOPSWITCH, static_cast<Wparam>(n),
                                  static_cast<Lparam>(c));

    UpdateWindowTable(app);
    CaptureZOrder(app, c);
    MinimizeAnimation(app, Animation::Off);

    HideWindows(app, TakePopupToHide, TakeWindowToHide, c);

    RestoreList list = CollectWindows(app, TakeWindowToRestore, n);
    if (app.OwnWallpapers != 0) ExchangeWallpaper(app, c, n);
    RestoreWindows(app, list, TakeWindowToRestore, n);

    MinimizeAnimation(app, Animation::Back);
    FreeRestoreList(app, list);
    app.Desktops.CurrentDesktop = n;
}

} // namespace q
