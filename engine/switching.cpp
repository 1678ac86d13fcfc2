#include "engine/switching.h"

#include "engine/guards.h"
#include "engine/hung.h"
#include "engine/left_away.h"
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

// First hiding pass: the visible pop-ups of the desktop left, and every visible sticky window.
// Visible both before the question and after it: a window that hid itself while it answered
// stays as its program left it.
bool TakePopupToHide(AppState &app, const WindowEntry &e, int left) {
    bool take = ((e.Desktop == left && e.Popup == WS_POPUP) || e.Sticky != 0) &&
                app.Sys->window.IsWindowVisible(e.Window);
    return take && !Excluded(app, e) && app.Sys->window.IsWindowVisible(e.Window);
}

// Second hiding pass: the visible overlapped windows of the desktop left, and again the sticky ones.
bool TakeWindowToHide(AppState &app, const WindowEntry &e, int left) {
    bool take =
        ((e.Desktop == left && e.Popup == 0) || e.Sticky != 0) && app.Sys->window.IsWindowVisible(e.Window);
    return take && !Excluded(app, e) && app.Sys->window.IsWindowVisible(e.Window);
}

// Restored: the visible windows of the desktop entered that the user did not minimise, those
// that hid themselves when a switch minimised them, and every sticky window whatever its
// desktop or state, unless its program hid it: a hidden window is its program's. An owned
// window hidden with its owner comes back with it: it is taken too (minimised or parked by us
// first, or going with that owner), restored or raised after its owner, unless still hidden
// then. Collected without a question: the restore pass asks right before each call.
bool TakeWindowToRestore(AppState &app, const WindowEntry &e, int entered) {
    bool take = ((e.Desktop == entered && e.Minimized == 0) || e.Sticky != 0) &&
                (e.MinimizedShown != 0 || app.Sys->window.IsWindowVisible(e.Window) ||
                 (e.Owner != nullptr &&
                  (e.Parked != 0 || app.Sys->window.IsIconic(e.Window) || GoesWithOwner(app, e))));
    return take && e.Window != app.FloatingWindow;
}

// After the restores: a window of another desktop still on the screen refused the hiding (of
// the desktop left, or of its own desktop once its thread answered again), as the system makes an
// elevated program's window refuse our ShowWindow and SetWindowPos (UIPI), or as a program that
// restores its window at once does when it is not parked. It stays where it is, so it belongs to
// the desktop entered, as the next refresh would find; nothing believes it away meanwhile.
// Claimed after the restore pass, which thus leaves it as it stands. A window left behind keeps
// its desktop until its thread answers; a sticky and a cloaked one keep theirs; owners and owned
// windows go together, and are left to the next refresh, which puts them together.
bool OwnsWindows(const AppState &app, Hwnd window) {
    for (std::int32_t i = 0; i < app.Windows.Count; ++i)
        if (app.Windows.Entries[i].Owner == window) return true;
    return false;
}

void ClaimWindowsLeftUp(AppState &app, int entered) {
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        WindowEntry &e = app.Windows.Entries[i];
        if (e.Desktop == entered || e.Sticky != 0 || e.Owner != nullptr || e.Window == app.FloatingWindow ||
            HeldBack(app, e.Window) || !StaysUp(app, e.Window) || OwnsWindows(app, e.Window))
            continue;
        e.Desktop = entered;
    }
}

// The steps of a switch to n, under SwitchUnderWay.
void SwitchSteps(AppState &app, int n) {
    const int c = app.CurrentDesktop();

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
    ClaimWindowsLeftUp(app, n);
    ReturnParked(app, n);
    ReturnWithOwnersUp(app);

    EnterPhase(Phase::Animation);
    MinimizeAnimation(app, Animation::Back);
    FreeRestoreList(app, list);
    EnterPhase(Phase::Outside);
}

} // namespace

void SwitchDesktop(AppState &app, int n) {
    {
        // Other programs' messages arrive inside every call to their windows: none may start
        // another switch or change the desktops before this one ends.
        const SwitchUnderWay switching(app);
        SwitchSteps(app, n);
        app.Desktops.CurrentDesktop.Set(EngineKey(), n);
    }
    if (app.Ui.IconsLost != 0) app.Notify->LostIconsMayReturn(app);
}

namespace {
void ReturnWindows(AppState &app) {
    NewPass(app);
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        const WindowEntry e = app.Windows.Entries[i];
        // Back on the screen: a window that hid itself inside our minimise, and one we minimised
        // that has no taskbar button to come back by once we are gone (owned, or a tool window).
        // Never the floating window, which no switch or move minimises.
        const bool visible = app.Sys->window.IsWindowVisible(e.Window);
        const bool back = visible ? e.Minimized == 0 && app.Sys->window.IsIconic(e.Window) &&
                                        e.Window != app.FloatingWindow &&
                                        (e.Owner != nullptr || !HasTaskbarButton(app, e))
                                  : e.MinimizedShown != 0;
        if (!back && e.Parked == 0) continue;
        if (!Answers(app, e.Window)) {
            HoldBack(app, e.Window); // the catch-up brings it back once its thread answers
            continue;
        }
        // Desktop 1 stays as the user left it: its top window keeps the activation and its
        // stacking order stays; these come back where they lie, below it.
        if (back) app.Sys->window.ShowWindow(e.Window, SW_SHOWNOACTIVATE);
        WindowReturned(app, e.Window);
    }
}

// An owned window we minimised that the system then hid with its owner, which the quit leaves
// minimised (its user minimised it after ours, from its taskbar button): only that owner's restore
// shows it again, still minimised, with no button to come back by once we are gone. Its owner is
// restored and minimised again, without the activation, so that it comes back restored with it.
// (One its program hid stays hidden through both: the system shows only what it hid itself.)
// The same for one that went alone (sent or made sticky on its own) that we minimised: its owner
// is its owner still, and hid it just the same.
void ReturnHiddenWithOwners(AppState &app) {
    WindowPort &win = app.Sys->window;
    NewPass(app);
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        const WindowEntry e = app.Windows.Entries[i];
        const WindowEntry *owner = OwnerEntry(app, e);
        const bool alone = owner == nullptr && e.Owner != nullptr && e.AwayMark != 0;
        if (alone) owner = FindWindowEntry(app, e.Owner);
        if (owner == nullptr || e.MinimizedShown != 0 || win.IsWindowVisible(e.Window) ||
            !win.IsIconic(e.Window))
            continue;
        // Asked first: the question runs its messages, and a program that restores its window
        // meanwhile is not minimised again by us; what that restore showed, minimised, comes up
        // with it all the same.
        const Hwnd leader = owner->Window;
        if (!Answers(app, leader) || !win.IsWindowVisible(leader) || IsCloaked(app, leader)) continue;
        const bool down = win.IsIconic(leader);
        if (down) win.ShowWindow(leader, SW_SHOWNOACTIVATE);
        if (!alone) {
            ReturnOwnedWindows(app, leader);
        } else if (win.IsIconic(e.Window) && win.IsWindowVisible(e.Window) && Answers(app, e.Window)) {
            win.ShowWindow(e.Window, SW_SHOWNOACTIVATE);
            WindowReturned(app, e.Window);
        }
        if (down) win.ShowWindow(leader, SW_SHOWMINNOACTIVE);
    }
}
} // namespace

namespace {
// A window we minimised that the system then hid with its owner, whose owner is up: its program
// may be half-way through the owner's restore on its own thread, which shows last what the
// minimise hid, as it was hid: minimised, with no button to come back by once we are gone.
// (Otherwise its program hid it since, and it stays so.)
bool MarkShownLater(AppState &app) {
    WindowPort &win = app.Sys->window;
    bool any = false;
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        WindowEntry &e = app.Windows.Entries[i];
        if (e.AwayMark == 0 || e.Owner == nullptr || e.Minimized != 0 || win.IsWindowVisible(e.Window) ||
            !win.IsIconic(e.Window))
            continue;
        const WindowEntry *owner = FindWindowEntry(app, e.Owner);
        if (owner == nullptr || !StaysUp(app, owner->Window)) continue;
        e.ShownLater = 1;
        any = true;
    }
    return any;
}
} // namespace

void LookAgainAtQuit(AppState &app) {
    NewPass(app);
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        WindowEntry &e = app.Windows.Entries[i];
        if (e.ShownLater == 0) continue;
        e.ShownLater = 0;
        const Hwnd window = e.Window; // the entry may move: the calls run other messages
        if (!app.Sys->window.IsWindowVisible(window) || !app.Sys->window.IsIconic(window) || !Answers(app, window))
            continue;
        app.Sys->window.ShowWindow(window, SW_SHOWNOACTIVATE);
        WindowReturned(app, window);
    }
}

bool ReturnAllWindows(AppState &app, bool afterSwitch) {
    if (!afterSwitch) BeginCalls(app);
    const SwitchUnderWay switching(app); // their threads may send us messages before our calls return
    // Twice: an owner shown again here shows its owned windows as they were hidden, minimised.
    // It restores those that go with it; the second pass takes those that went alone, which
    // nothing would bring back once we are gone.
    ReturnWindows(app);
    ReturnWindows(app);
    ReturnHiddenWithOwners(app);
    const bool later = MarkShownLater(app);
    // What stays minimised is left as today, with no trace of ours.
    ClearAllMarks(app);
    return later;
}

} // namespace q
