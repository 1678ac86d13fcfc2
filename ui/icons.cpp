#include "ui/icons.h"

#include <cstring>

#include "config/settings.h"
#include "engine/hotkeys.h"
#include "engine/names.h"

namespace q {

namespace {

NotifyIconData Icon(AppState &app, Uint id, Uint flags) {
    NotifyIconData data;
    data.hWnd = app.MainWindow;
    data.uID = id;
    data.uFlags = flags;
    return data;
}

void SetTip(NotifyIconData &data, const char *text) {
    std::strncpy(data.szTip, text, sizeof data.szTip - 1);
    data.szTip[sizeof data.szTip - 1] = '\0';
}

void Notify(AppState &app, Dword message, const NotifyIconData &data) {
    app.Sys->shell.Shell_NotifyIconA(message, &data);
}

// Adding again: an icon the shell still has is brought up to date; only one it lost is added.
void Add(AppState &app, const NotifyIconData &data, bool again) {
    if (!again || !app.Sys->shell.Shell_NotifyIconA(NIM_MODIFY, &data)) Notify(app, NIM_ADD, data);
}

void AddDesktopIconWithPicture(AppState &app, int n, int picture, bool again = false) {
    NotifyIconData data = Icon(app, static_cast<Uint>(n), NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.uCallbackMessage = UM_DESKTOP(n);
    data.hIcon = app.Sys->resource.LoadIconA(picture);
    SetTip(data, app.Record(n).DesktopTitle);
    Add(app, data, again);
}

void AddEveryDesktopIcon(AppState &app, bool again = false) {
    for (int n = 1; n <= app.DesktopCount(); ++n)
        AddDesktopIconWithPicture(app, n, n == app.CurrentDesktop() ? IconCurrent : IconOther, again);
}

void AddMainIcon(AppState &app, bool again = false) {
    NotifyIconData data = Icon(app, MainIconId, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.uCallbackMessage = UM_DESKTOP(app.CurrentDesktop());
    data.hIcon = app.Sys->resource.LoadIconA(IconCurrent);
    SetTip(data, names::MainIconTip);
    Add(app, data, again);
}

void SetPicture(AppState &app, int n, int picture) {
    NotifyIconData data = Icon(app, static_cast<Uint>(n), NIF_ICON);
    data.hIcon = app.Sys->resource.LoadIconA(picture);
    Notify(app, NIM_MODIFY, data);
}

void PointMainIconAt(AppState &app, int n) {
    NotifyIconData data = Icon(app, MainIconId, NIF_MESSAGE);
    data.uCallbackMessage = UM_DESKTOP(n);
    Notify(app, NIM_MODIFY, data);
}

void RemoveIcon(AppState &app, Uint id) { Notify(app, NIM_DELETE, Icon(app, id, 0)); }

} // namespace

void AddStartupIcons(AppState &app) {
    if (app.DisplayMode == DisplayTaskBar) {
        AddEveryDesktopIcon(app);
    } else {
        AddMainIcon(app);
        if (app.DisplayMode == DisplayFloating) app.Sys->window.ShowWindow(app.FloatingWindow, SW_SHOW);
    }
}

void SwitchIcons(AppState &app, int left, int entered) {
    if (app.DisplayMode == DisplayTaskBar) {
        SetPicture(app, entered, IconCurrent);
        SetPicture(app, left, IconOther);
    } else {
        PointMainIconAt(app, entered);
    }
}

void AddDesktopIcon(AppState &app, int n) {
    if (app.DisplayMode == DisplayTaskBar) AddDesktopIconWithPicture(app, n, IconOther);
}

void RetitleDesktopIcon(AppState &app, int n) {
    if (app.DisplayMode != DisplayTaskBar) return;
    NotifyIconData data = Icon(app, static_cast<Uint>(n), NIF_TIP);
    SetTip(data, app.Record(n).DesktopTitle);
    Notify(app, NIM_MODIFY, data);
}

void RenumberDesktopIcon(AppState &app, int n) {
    if (app.DisplayMode != DisplayTaskBar) return;
    NotifyIconData data = Icon(app, static_cast<Uint>(n), NIF_MESSAGE | NIF_TIP);
    data.uCallbackMessage = UM_DESKTOP(n);
    SetTip(data, app.Record(n).DesktopTitle);
    Notify(app, NIM_MODIFY, data);
}

void RemoveDesktopIcon(AppState &app, int n) {
    if (app.DisplayMode == DisplayTaskBar) RemoveIcon(app, static_cast<Uint>(n));
}

void MarkCurrentDesktopIcon(AppState &app) {
    if (app.DisplayMode == DisplayTaskBar)
        SetPicture(app, app.CurrentDesktop(), IconCurrent);
    else
        PointMainIconAt(app, app.CurrentDesktop());
}

void SetDisplayMode(AppState &app, int mode) {
    if (mode == DisplayTaskBar) {
        if (app.DisplayMode != DisplayTaskBar) {
            RemoveIcon(app, MainIconId);
            AddEveryDesktopIcon(app);
        }
        app.Sys->window.ShowWindow(app.FloatingWindow, SW_HIDE);
    } else {
        if (app.DisplayMode == DisplayTaskBar) {
            for (int n = 1; n <= app.DesktopCount(); ++n) RemoveIcon(app, static_cast<Uint>(n));
            AddMainIcon(app);
        }
        app.Sys->window.ShowWindow(app.FloatingWindow, mode == DisplayFloating ? SW_SHOW : SW_HIDE);
    }
    WriteDisplayMode(app, mode);
}

void OnTaskbarCreated(AppState &app) {
    if (app.UnderWay.Closed != 0) return;
    if (app.UnderWay.Switching != 0 || app.DialogOpen != 0) {
        app.Ui.IconsLost = 1;
        return;
    }
    AddIconsAgain(app);
}

void AddIconsAgain(AppState &app) {
    app.Ui.IconsLost = 0;
    if (app.UnderWay.Closed != 0) return;
    if (app.DisplayMode == DisplayTaskBar)
        AddEveryDesktopIcon(app, true);
    else
        AddMainIcon(app, true);
}

void RemoveIconsAndHotKeys(AppState &app) {
    if (app.DisplayMode == DisplayTaskBar) {
        for (int n = 1; n <= app.DesktopCount(); ++n) {
            RemoveIcon(app, static_cast<Uint>(n));
            UnregisterDesktopHotKey(app, n);
        }
    } else {
        RemoveIcon(app, MainIconId);
        for (int n = 1; n <= app.DesktopCount(); ++n) UnregisterDesktopHotKey(app, n);
    }
}

} // namespace q
