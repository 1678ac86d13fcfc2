#include "engine/desktops.h"

#include "platform/format.h"

#include "engine/guards.h"
#include "engine/hotkeys.h"
#include "engine/hung.h"
#include "engine/left_away.h"
#include "engine/notify_port.h"
#include "engine/store_port.h"
#include "engine/window_table.h"
#include "res/text_lookup.h"

namespace q {

void StartWithDesktops(AppState &app, int count) {
    app.Desktops.DesktopCount.Set(EngineKey(), count);
}

void CreateDesktop(AppState &app) {
    if (ChangesHeld(app) || app.DesktopCount() >= MaxDesktops) return;
    const int n = app.DesktopCount() + 1;
    app.Desktops.DesktopCount.Set(EngineKey(), n);
    if (app.OwnWallpapers != 0) app.Store->ExchangeWallpaper(app, app.CurrentDesktop(), 0);
    app.Record(n) = app.Record(app.CurrentDesktop());
    DefaultTitle(app.Sys->resource, app.LanguageBase, n, app.Record(n).DesktopTitle, TitleSize);
    app.Notify->DesktopAdded(app, n);
    app.Store->SaveSettings(app, SaveDesktopSet);
}

namespace {

// Asks about deleting desktop d (see DeleteAsking).
bool DeleteConfirmed(AppState &app, int d) {
    // Sized for the longest result: the French question (about 50 characters) with a
    // 32-character title.
    char question[128];
    char text[128 + TitleSize];
    LoadText(app.Sys->resource, app.LanguageBase, Q_IDS_DELETE_QUESTION, question, sizeof question);
    FormatText(text, sizeof text, question, app.Record(d).DesktopTitle);
    const DeleteAsked asking(app);
    return Confirmed(app, text);
}

bool MergedWindow(AppState &app, const WindowEntry &e, int d) {
    return e.Desktop == d && e.Sticky == 0 && !IsLeftBehind(app, e.Window) &&
           app.Sys->window.IsWindowVisible(e.Window);
}
bool MergedPopup(AppState &app, const WindowEntry &e, int d) {
    return e.Popup == WS_POPUP && MergedWindow(app, e, d);
}
bool MergedOverlapped(AppState &app, const WindowEntry &e, int d) {
    return e.Popup == 0 && MergedWindow(app, e, d);
}
// An owned window hidden with its owner: back after its owner, as in a switch.
bool HiddenWithOwnerToRestore(AppState &app, const WindowEntry &e) {
    return e.Owner != nullptr && e.Minimized == 0 && !app.Sys->window.IsWindowVisible(e.Window) &&
           (e.Parked != 0 || app.Sys->window.IsIconic(e.Window) || GoesWithOwner(app, e));
}
// A sticky window is shown on every desktop and left as it is, unless it is minimised: made
// sticky by another program while it was away with the successor desktop, it would otherwise be
// a minimised window of the shown desktop once un-stuck, and the next refresh would take it for
// one the user minimised. The sticky owner's restore shows its owned windows as they were hidden,
// minimised when we minimised them: those come back after it too.
bool MergedToRestore(AppState &app, const WindowEntry &e, int d) {
    if (e.Sticky != 0)
        return e.Desktop == d && e.Window != app.FloatingWindow && !IsLeftBehind(app, e.Window) &&
               ((app.Sys->window.IsIconic(e.Window) &&
                 (e.MinimizedShown != 0 || app.Sys->window.IsWindowVisible(e.Window))) ||
                HiddenWithOwnerToRestore(app, e));
    if (e.MinimizedShown != 0) return e.Desktop == d && e.Minimized == 0 && !IsLeftBehind(app, e.Window);
    if (e.Desktop == d && HiddenWithOwnerToRestore(app, e)) return !IsLeftBehind(app, e.Window);
    return e.Minimized == 0 && MergedWindow(app, e, d);
}

// The deleted desktop's windows joined the desktop now current: show it again as a switch
// would, without the icon and floating-window steps.
void ReshowCurrentDesktop(AppState &app) {
    const int d = app.CurrentDesktop();
    CaptureZOrder(app, d);
    MinimizeAnimation(app, Animation::Off);
    AskWindows(app, d, d);
    HideWindows(app, MergedPopup, MergedOverlapped, d);
    RestoreList list = CollectWindows(app, MergedToRestore, d);
    app.Store->SaveSettings(app, SaveDesktopSet | WithoutCapture);
    if (app.OwnWallpapers != 0) app.Store->ExchangeWallpaper(app, 0, d);
    RestoreWindows(app, list, MergedToRestore, d);
    ReturnParked(app, d);
    MinimizeAnimation(app, Animation::Back);
    FreeRestoreList(app, list);
}

} // namespace

void DeleteCurrentDesktop(AppState &app) {
    if (ChangesHeld(app) || app.DesktopCount() <= MinDesktops) return;
    // The desktop the question names is the one deleted. Nothing that switches or changes the
    // desktops runs while the box is open, but the limits are checked again after the answer.
    const int current = app.CurrentDesktop();
    if (!DeleteConfirmed(app, current)) return;
    if (app.UnderWay.Closed != 0 || app.CurrentDesktop() != current || app.DesktopCount() <= MinDesktops)
        return;
    const int oldCount = app.DesktopCount();
    {
        const SwitchUnderWay deleting(app);
        // The user may have minimised or restored windows while the box was open: the windows of
        // the deleted desktop are those of the screen now.
        RefreshWindowTable(app);
        for (int i = current; i <= oldCount; ++i)
            UnregisterDesktopHotKey(app, i);
        for (int i = current; i < oldCount; ++i) {
            app.Record(i) = app.Record(i + 1);
            app.Notify->DesktopRenamed(app, i);
            RegisterDesktopHotKey(app, i);
        }
        app.Desktops.DesktopCount.Set(EngineKey(), oldCount - 1);
        if (app.CurrentDesktop() > app.DesktopCount())
            app.Desktops.CurrentDesktop.Set(EngineKey(), app.CurrentDesktop() - 1);
        app.Notify->DesktopRemoved(app, oldCount);
        for (std::int32_t i = 0; i < app.Windows.Count; ++i)
            if (app.Windows.Entries[i].Desktop > app.CurrentDesktop()) {
                --app.Windows.Entries[i].Desktop;
                RenumberMark(app, app.Windows.Entries[i]);
            }
        for (std::int32_t i = 0; i < app.Switch.HungCount; ++i)
            if (app.Switch.Hung[i].Desktop > app.CurrentDesktop()) --app.Switch.Hung[i].Desktop;
        ReshowCurrentDesktop(app);
    }
    if (app.Ui.IconsLost != 0) app.Notify->LostIconsMayReturn(app);
}

bool Confirmed(AppState &app, const char *question) {
    char caption[32];
    LoadText(app.Sys->resource, app.LanguageBase, Q_IDS_CONFIRMATION, caption, sizeof caption);
    return app.Sys->message.MessageBoxA(nullptr, question, caption, MB_ICONQUESTION | MB_YESNO) == IDYES;
}

void DeleteDesktop(AppState &app, int n) {
    if (ChangesHeld(app) || n < 1 || n > app.DesktopCount()) return;
    MessagePort &msg = app.Sys->message;
    if (n == app.CurrentDesktop()) {
        msg.SendMessageA(app.MainWindow, WM_COMMAND, CmdDeleteCurrentDesktop, 0);
        return;
    }
    const int shown = app.CurrentDesktop();
    const int countBefore = app.DesktopCount();
    msg.SendMessageA(app.MainWindow, UM_DESKTOP(n), 0, WM_LBUTTONDOWN);
    if (app.CurrentDesktop() != n) return; // not shown: nothing is asked or deleted
    msg.SendMessageA(app.MainWindow, WM_COMMAND, CmdDeleteCurrentDesktop, 0);
    bool deleted = app.DesktopCount() < countBefore;
    int back = deleted && shown > n ? shown - 1 : shown;
    msg.SendMessageA(app.MainWindow, UM_DESKTOP(back), 0, WM_LBUTTONDOWN);
}

} // namespace q
