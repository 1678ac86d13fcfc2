#include "engine/desktops.h"

#include "platform/format.h"

#include "config/settings.h"
#include "config/wallpaper.h"
#include "engine/hotkeys.h"
#include "engine/window_table.h"
#include "ui/icons.h"
#include "ui/texts.h"

namespace q {

void CreateDesktop(AppState &app) {
    if (app.DesktopCount() >= MaxDesktops) return;
    int n = ++app.Desktops.DesktopCount;
    if (app.OwnWallpapers != 0) {
        Hkey values = OpenDesktopValues(app, KEY_QUERY_VALUE | KEY_SET_VALUE);
        CaptureWallpaper(app, values, app.Record(app.CurrentDesktop()));
        CloseDesktopValues(app, values);
    }
    app.Record(n) = app.Record(app.CurrentDesktop());
    DefaultTitle(app, n, app.Record(n).DesktopTitle);
    AddDesktopIcon(app, n);
    app.Sys->message.SendMessageA(app.FloatingWindow, UM_DESKTOPADDED, 0, 0);
    SaveSettings(app, SaveDesktopSet);
}

namespace {

bool Confirmed(AppState &app) {
    // Sized for the longest result: the French question (about 50 characters) with a
    // 32-character title.
    char question[128];
    char text[128 + TitleSize];
    char caption[32];
    LoadText(app, 2, question, sizeof question);
    LoadText(app, 4, caption, sizeof caption);
    FormatText(text, sizeof text, question, app.Record(app.CurrentDesktop()).DesktopTitle);
    return app.Sys->message.MessageBoxA(nullptr, text, caption, MB_ICONQUESTION | MB_YESNO) == IDYES;
}

bool MergedWindow(AppState &app, const WindowEntry &e, int d) {
    return e.Desktop == d && e.Sticky == 0 && app.Sys->window.IsWindowVisible(e.Window);
}
bool MergedPopup(AppState &app, const WindowEntry &e, int d) {
    return e.Popup == WS_POPUP && MergedWindow(app, e, d);
}
bool MergedOverlapped(AppState &app, const WindowEntry &e, int d) {
    return e.Popup == 0 && MergedWindow(app, e, d);
}
bool MergedToRestore(AppState &app, const WindowEntry &e, int d) {
    return e.Minimized == 0 && MergedWindow(app, e, d);
}

// The deleted desktop's windows joined the desktop now current: show it again as a switch
// would, without the icon and floating-window steps.
void ReshowCurrentDesktop(AppState &app) {
    const int d = app.CurrentDesktop();
    PurgeWindowTable(app);
    CaptureZOrder(app, d);
    MinimizeAnimation(app, Animation::Off);
    HideWindows(app, MergedPopup, MergedOverlapped, d);
    RestoreList list = CollectWindows(app, MergedToRestore, d);
    SaveSettings(app, SaveDesktopSet | WithoutCapture);
    if (app.OwnWallpapers != 0) {
        Hkey values = OpenDesktopValues(app, KEY_QUERY_VALUE | KEY_SET_VALUE);
        ApplyWallpaper(app, values, app.Record(d), nullptr);
        CloseDesktopValues(app, values);
    }
    RestoreWindows(app, list, MergedToRestore, d);
    MinimizeAnimation(app, Animation::Back);
    FreeRestoreList(app, list);
}

} // namespace

void DeleteCurrentDesktop(AppState &app) {
    if (app.DesktopCount() <= MinDesktops) return;
    if (!Confirmed(app)) return;
    const int current = app.CurrentDesktop();
    const int oldCount = app.DesktopCount();
    for (int i = current; i <= oldCount; ++i) UnregisterDesktopHotKey(app, i);
    for (int i = current; i < oldCount; ++i) {
        app.Record(i) = app.Record(i + 1);
        RenumberDesktopIcon(app, i);
        RegisterDesktopHotKey(app, i);
    }
    RemoveDesktopIcon(app, oldCount);
    app.Desktops.DesktopCount = oldCount - 1;
    if (app.Desktops.CurrentDesktop > app.Desktops.DesktopCount) --app.Desktops.CurrentDesktop;
    app.Sys->message.SendMessageA(app.FloatingWindow, UM_DESKTOPREMOVED, 0, 0);
    MarkCurrentDesktopIcon(app);
    for (std::int32_t i = 0; i < app.Windows.Count; ++i)
        if (app.Windows.Entries[i].Desktop > app.CurrentDesktop()) --app.Windows.Entries[i].Desktop;
    ReshowCurrentDesktop(app);
}

void DeleteDesktop(AppState &app, int n) {
    MessagePort &msg = app.Sys->message;
    if (n == app.CurrentDesktop()) {
        msg.SendMessageA(app.MainWindow, WM_COMMAND, 112, 0);
        return;
    }
    const int shown = app.CurrentDesktop();
    const int countBefore = app.DesktopCount();
    msg.SendMessageA(app.MainWindow, UM_DESKTOP(n), 0, WM_LBUTTONDOWN);
    msg.SendMessageA(app.MainWindow, WM_COMMAND, 112, 0);
    bool deleted = app.DesktopCount() < countBefore;
    int back = deleted && shown > n ? shown - 1 : shown;
    msg.SendMessageA(app.MainWindow, UM_DESKTOP(back), 0, WM_LBUTTONDOWN);
}

} // namespace q
