#include "ui/command_menu.h"

#include <cstring>

#include "config/settings.h"
#include "engine/desktops.h"
#include "engine/guards.h"
#include "engine/hung.h"
#include "engine/window_table.h"
#include "ui/dialogs.h"
#include "ui/texts.h"

namespace q {

namespace {

void SetState(AppState &app, Hmenu menu, Uint id, Uint state) {
    MenuItemInfo info;
    info.fMask = MIIM_STATE;
    info.fState = state;
    app.Sys->menu.SetMenuItemInfoA(menu, id, false, &info);
}

// The text of a TempMenu item, looked up by identifier.
void TemplateText(AppState &app, Hmenu temp, Uint id, char (&text)[128]) {
    text[0] = '\0';
    MenuItemInfo info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    info.dwTypeData = text;
    info.cch = sizeof text;
    app.Sys->menu.GetMenuItemInfoA(temp, id, false, &info);
    text[sizeof text - 1] = '\0';
}

void AddApplications(AppState &app, Hmenu applications) {
    MenuPort &menu = app.Sys->menu;
    char sticky[128];
    LoadText(app, Q_IDS_STICKY, sticky, sizeof sticky);
    menu.RemoveMenu(applications, 0, MF_BYPOSITION);
    std::int32_t count = app.Windows.Count;
    if (count > MaxListedWindowIndex + 1) count = MaxListedWindowIndex + 1;
    static_assert(MaxListedWindowIndex + 1 <= MenuWindowSlots, "every listed index has its handle");
    app.Ui.MenuWindowCount = 0;
    for (std::int32_t i = 0; i < count; ++i)
        app.Ui.MenuWindows[i] = app.Windows.Entries[i].Window;
    app.Ui.MenuWindowCount = count;
    for (std::int32_t i = 0; i < count; ++i) {
        // Reading a title runs other programs' messages, and with them maybe a switch that
        // reorders the table: item i shows the window its commands name.
        const WindowEntry *found = FindWindowEntry(app, app.Ui.MenuWindows[i]);
        if (found == nullptr) continue;
        const WindowEntry entry = *found;
        // A cloaked window is out of the user's sight, as a hidden one.
        if (!app.Sys->window.IsWindowVisible(entry.Window) || IsCloaked(app, entry.Window)) continue;
        Hmenu popup = menu.CreatePopupMenu();
        menu.AppendMenuA(popup, MF_STRING | (entry.Sticky != 0 ? MF_CHECKED : 0), WindowCommandId(i, 0),
                         sticky);
        menu.AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        for (int d = 1; d <= app.DesktopCount(); ++d) {
            bool checked = entry.Desktop == d && entry.Sticky == 0;
            menu.AppendMenuA(popup, MF_STRING | (checked ? MF_CHECKED : 0), WindowCommandId(i, d),
                             app.Record(d).DesktopTitle);
        }
        char title[128] = {};
        app.Sys->window.GetWindowTextA(entry.Window, title, sizeof title);
        title[sizeof title - 1] = '\0';
        menu.AppendMenuA(applications, MF_POPUP, reinterpret_cast<std::uintptr_t>(popup), title);
    }
}

Hmenu DesktopSubmenu(AppState &app, Hmenu temp, int m) {
    MenuPort &menu = app.Sys->menu;
    Hmenu popup = menu.CreatePopupMenu();
    char text[128];
    if (m != app.CurrentDesktop()) {
        TemplateText(app, temp, Q_IDM_TEMPLATE_ACTIVATE, text);
        menu.AppendMenuA(popup, MF_STRING, DesktopCommandId(m, DesktopActivate), text);
        menu.AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    }
    TemplateText(app, temp, Q_IDM_TEMPLATE_RENAME, text);
    menu.AppendMenuA(popup, MF_STRING, DesktopCommandId(m, DesktopRename), text);
    TemplateText(app, temp, Q_IDM_TEMPLATE_DELETE, text);
    menu.AppendMenuA(popup, MF_STRING | (app.DesktopCount() <= MinDesktops ? MF_GRAYED : 0),
                     DesktopCommandId(m, DesktopDelete), text);
    TemplateText(app, temp, Q_IDM_TEMPLATE_HOTKEY, text);
    menu.AppendMenuA(popup, MF_STRING, DesktopCommandId(m, DesktopHotKey), text);
    return popup;
}

void InsertDesktopItem(AppState &app, Hmenu track, Hmenu temp, int m) {
    char title[TitleSize];
    std::memcpy(title, app.Record(m).DesktopTitle, sizeof title);
    title[sizeof title - 1] = '\0';
    MenuItemInfo info;
    info.fMask = MIIM_STATE | MIIM_SUBMENU | MIIM_TYPE;
    info.fType = MFT_STRING;
    info.fState = m == app.CurrentDesktop() ? MFS_DEFAULT : 0;
    info.hSubMenu = DesktopSubmenu(app, temp, m);
    info.dwTypeData = title;
    info.cch = static_cast<Uint>(std::strlen(title) + 1);
    app.Sys->menu.InsertMenuItemA(track, 0, true, &info);
}

} // namespace

void ShowCommandMenu(AppState &app, int n) {
    MenuPort &menu = app.Sys->menu;
    Hmenu loaded = app.Sys->resource.LoadMenuA(Q_IDR_COMMAND_MENU + app.LanguageBase);
    if (loaded == nullptr) return;
    // One menu at a time: a second right click inside this one (its loop, or the window titles
    // read from other programs while it is built) would replace the handles its Applications
    // commands name.
    {
        const UnderWay menuOpen(app.UnderWay.MenuOpen, InterfaceKey(), 1);
        Hmenu track = menu.GetSubMenu(loaded, 0);
        Hmenu display = menu.GetSubMenu(track, DisplayPosition);
        Hmenu applications = menu.GetSubMenu(track, ApplicationsPosition);
        Hmenu temp = menu.GetSubMenu(loaded, 1);

        SetState(app, track, CmdCreateDesktop, app.DesktopCount() >= MaxDesktops ? MFS_GRAYED : 0);
        SetState(app, track, CmdOneBackground, app.OwnWallpapers == 0 ? MFS_CHECKED : 0);
        for (int mode = DisplayTaskBar; mode <= DisplayFloating; ++mode)
            SetState(app, display, DisplayModeCommand(mode), mode == app.DisplayMode ? MFS_CHECKED : 0);

        RefreshWindowTable(app);
        AddApplications(app, applications);

        MenuItemInfo separator;
        separator.fMask = MIIM_TYPE;
        separator.fType = MFT_SEPARATOR;
        menu.InsertMenuItemA(track, 0, true, &separator);
        if (app.DisplayMode == DisplayTaskBar) {
            InsertDesktopItem(app, track, temp, n);
        } else {
            for (int k = 0; k < app.DesktopCount(); ++k)
                InsertDesktopItem(app, track, temp, app.DesktopCount() - k);
        }

        Point cursor{};
        app.Sys->window.GetCursorPos(&cursor);
        app.Sys->window.SetForegroundWindow(app.MainWindow);
        menu.TrackPopupMenuEx(track, TPM_RIGHTBUTTON, cursor.x, cursor.y, app.MainWindow);
    }
    app.Sys->message.PostMessageA(app.MainWindow, WM_NULL, 0, 0);
    menu.DestroyMenu(loaded);
}

void OpenAboutBox(AppState &app) {
    if (app.AboutOpen != 0) {
        if (app.Sys->window.IsIconic(app.AboutWindow))
            app.Sys->window.ShowWindow(app.AboutWindow, SW_RESTORE);
        app.Sys->window.SetActiveWindow(app.AboutWindow);
        return;
    }
    const UnderWay open(app.AboutOpen, InterfaceKey(), 1);
    RunAboutBox(app);
}

void ConfirmQuit(AppState &app) {
    char question[128];
    LoadText(app, Q_IDS_QUIT_QUESTION, question, sizeof question);
    bool yes = false;
    {
        const UnderWay asking(app.UnderWay.QuitAsking, InterfaceKey(), app.UnderWay.QuitAsking + 1);
        yes = Confirmed(app, question);
    }
    if (!yes || app.UnderWay.Closed != 0) return;
    SaveSettings(app, RestoreStartupWallpaper | SaveDesktopSet);
    app.Sys->message.PostMessageA(app.MainWindow, WM_CLOSE, 0, 0);
}

} // namespace q
