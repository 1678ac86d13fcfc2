#include "engine/hung.h"

#include "engine/guards.h"
#include "engine/notify_port.h"
#include "engine/phases.h"
#include "engine/switching.h"
#include "engine/window_table.h"

namespace q {

namespace {

// A window's thread never changes: asked once for the table's windows.
Dword ThreadOf(AppState &app, Hwnd window) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry == nullptr) return app.Sys->window.GetWindowThreadProcessId(window);
    if (entry->Thread == 0) entry->Thread = app.Sys->window.GetWindowThreadProcessId(window);
    return entry->Thread;
}

// The thread's record in the operation under way, made on its first question; nullptr past the
// last place (such threads are asked each time with the whole allowance).
ThreadRecord *RecordOf(AppState &app, Dword thread) {
    SwitchMemory &s = app.Switch;
    for (std::int32_t i = 0; i < s.ThreadCount; ++i)
        if (s.Threads[i].Thread == thread) return &s.Threads[i];
    if (thread == 0 || s.ThreadCount == MaxAskedThreads) return nullptr;
    s.Threads[s.ThreadCount] = ThreadRecord{thread, 0, 0};
    return &s.Threads[s.ThreadCount++];
}

} // namespace

void BeginCalls(AppState &app, Uint allowance) {
    app.Switch.ThreadCount = 0;
    app.Switch.Allowance = allowance;
    app.Switch.Trusted = 0;
    app.Switch.OwnThread = app.Sys->window.GetWindowThreadProcessId(app.MainWindow);
}

void NewPass(AppState &app) {
    app.Switch.Trusted = 0;
}

bool Answers(AppState &app, Hwnd window) {
    SwitchMemory &s = app.Switch;
    const Dword thread = ThreadOf(app, window);
    // Our own thread is the one running the switch: its windows never keep us waiting.
    if (thread != 0 && (thread == s.OwnThread || thread == s.Trusted)) return true;
    ThreadRecord *record = RecordOf(app, thread);
    const Uint allowance = s.Allowance != 0 ? s.Allowance : AnswerAllowance;
    if (record != nullptr && (record->Silent != 0 || record->Waited >= allowance)) return false;
    const Uint timeout = record != nullptr ? allowance - record->Waited : allowance;
    const Phase phase = EnterPhase(Phase::HungCheck);
    const Dword asked = app.Sys->message.GetTickCount();
    std::uintptr_t result = 0;
    const bool answered = app.Sys->message.SendMessageTimeoutA(
                              window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeout, &result) != 0;
    const Dword waited = app.Sys->message.GetTickCount() - asked;
    EnterPhase(phase);
    s.Trusted = answered ? thread : 0;
    if (record != nullptr) {
        record->Waited = answered && waited < timeout ? record->Waited + waited : allowance;
        record->Silent = answered ? 0 : 1;
    }
    return answered;
}

bool HeldBack(const AppState &app, Hwnd window) {
    for (std::int32_t i = 0; i < app.Switch.HungCount; ++i)
        if (app.Switch.Hung[i].Window == window) return true;
    return false;
}

bool IsLeftBehind(AppState &app, Hwnd window) {
    if (HeldBack(app, window)) return true;
    if (Answers(app, window)) return false;
    HoldBack(app, window);
    return true;
}

void HoldBack(AppState &app, Hwnd window) {
    if (HeldBack(app, window)) return;
    // More hung windows than places: the rest are still left alone for this switch, but may be
    // claimed by the desktop shown at the next refresh.
    const WindowEntry *entry = FindWindowEntry(app, window);
    WindowPort &win = app.Sys->window;
    HungWindow left{window, entry != nullptr ? entry->Desktop : app.CurrentDesktop(),
                    static_cast<std::uint8_t>(win.IsIconic(window) ? 0 : 1),
                    static_cast<std::uint8_t>(win.IsWindowVisible(window) ? 1 : 0), Rect{}};
    win.GetWindowRect(window, &left.At);
    if (app.Switch.HungCount < MaxHungWindows) app.Switch.Hung[app.Switch.HungCount++] = left;
    CatchUpLater(app);
}

void ForgetLeftBehind(AppState &app, Hwnd window) {
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i < app.Switch.HungCount; ++i)
        if (app.Switch.Hung[i].Window != window) app.Switch.Hung[kept++] = app.Switch.Hung[i];
    app.Switch.HungCount = kept;
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
    // The quit's switch and its return share one record: a thread that kept the switch waiting
    // for its allowance is not waited for again by the return.
    if (app.UnderWay.Closed == 0) BeginCalls(app);
    NewPass(app);
    for (std::int32_t i = 0; i < earlierCount; ++i) {
        const WindowEntry *entry = FindWindowEntry(app, earlier[i].Window);
        if (entry == nullptr) continue;
        const WindowEntry e = *entry; // the calls below may change the table
        if (Answers(app, e.Window)) {
            // An owned window goes down with its owner, or stays up with it, unless the system
            // left it on the screen with its owner down.
            if (GoesWithOwner(app, e) && !StillUpWithoutOwner(app, e)) continue;
            if (e.Sticky == 0 && e.Desktop != left && e.Desktop != entered &&
                app.Sys->window.IsWindowVisible(e.Window) && !app.Sys->window.IsIconic(e.Window)) {
                if (e.Popup == WS_POPUP)
                    ParkWindow(app, e.Window);
                else
                    MinimizeWindow(app, e.Window, false);
                TakeDownOwnedWindows(app, e.Window); // left up with it, and not asked then
            }
        } else if (app.Switch.HungCount < MaxHungWindows) {
            // Still silent: held back as it was first left, so that the catch-up still knows
            // what its user did since.
            app.Switch.Hung[app.Switch.HungCount++] = earlier[i];
        }
    }
    if (app.Switch.HungCount != 0) CatchUpLater(app);
}

namespace {

bool SameRect(const Rect &a, const Rect &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Its user or its program moved, minimised, restored, hid or showed it since it was left (or it
// is gone): what they did stands.
bool ChangedSinceLeft(AppState &app, const HungWindow &left) {
    WindowPort &win = app.Sys->window;
    if (!win.IsWindow(left.Window)) return true;
    const bool shown = !win.IsIconic(left.Window);
    if (shown != (left.Shown != 0) || win.IsWindowVisible(left.Window) != (left.Visible != 0)) return true;
    Rect now{};
    return shown && win.GetWindowRect(left.Window, &now) && !SameRect(now, left.At);
}

// The quit leaves the other desktops' windows minimised, within reach on the taskbar; those with
// no button of their own (owned windows, tool windows) come back on the screen, as the quit's own
// return brings them (ReturnAllWindows).
bool KeptDownAtQuit(AppState &app, const WindowEntry &e) {
    return e.Sticky == 0 && e.Desktop != 1 && e.Owner == nullptr && HasTaskbarButton(app, e);
}

// Where the window is now is where its desktop (`shown`, the desktop shown, or the quit) wants it.
bool InPlace(AppState &app, const WindowEntry &e, bool closing) {
    WindowPort &win = app.Sys->window;
    const bool visible = win.IsWindowVisible(e.Window);
    const bool iconic = win.IsIconic(e.Window);
    const bool parked = e.Parked != 0 || (visible && !iconic && AtPark(app, e.Window));
    const bool onScreen = visible && !iconic && !parked;
    const bool wanted = closing || e.Sticky != 0 || e.Desktop == app.CurrentDesktop();
    if (!wanted) return !onScreen;
    if (onScreen || (!visible && e.MinimizedShown == 0)) return true; // up, or hidden by its program
    // Minimised: by its user, or at the quit a window of another desktop, which the quit leaves so.
    return iconic && visible && (e.Minimized != 0 || (closing && KeptDownAtQuit(app, e)));
}

// Restored without the activation, which stays with the window the user works in, and put back
// right below the window of its desktop that was above it (on top when none was).
void RestoreInOrder(AppState &app, const WindowEntry &e) {
    WindowPort &win = app.Sys->window;
    win.ShowWindow(e.Window, SW_SHOWNOACTIVATE);
    Hwnd above = nullptr;
    std::int32_t aboveRank = 0;
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        const WindowEntry &o = app.Windows.Entries[i];
        if (o.Window == e.Window || o.Desktop != e.Desktop || o.ZRank <= aboveRank || e.ZRank <= 0 ||
            o.ZRank >= e.ZRank || HeldBack(app, o.Window) || !win.IsWindowVisible(o.Window) ||
            win.IsIconic(o.Window))
            continue;
        above = o.Window;
        aboveRank = o.ZRank;
    }
    win.SetWindowPos(e.Window, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    WindowReturned(app, e.Window);
}

// Its thread answered: the window is put where its desktop says, as the operation that left it
// would have.
void PutInPlace(AppState &app, const WindowEntry &e, bool closing) {
    WindowPort &win = app.Sys->window;
    const bool wanted = closing || e.Sticky != 0 || e.Desktop == app.CurrentDesktop();
    const bool visible = win.IsWindowVisible(e.Window);
    const bool iconic = win.IsIconic(e.Window);
    if (!wanted) {
        if (visible && !iconic) MinimizeWindow(app, e.Window, e.Popup == WS_POPUP);
        return;
    }
    const bool back = (iconic && visible && e.Minimized == 0 && !(closing && KeptDownAtQuit(app, e))) ||
                      (!visible && e.MinimizedShown != 0);
    if (back && closing && e.Sticky == 0 && e.Desktop != 1) {
        // Another desktop's window the quit brings back: where it lies, below desktop 1's windows,
        // whose top one keeps the activation.
        win.ShowWindow(e.Window, SW_SHOWNOACTIVATE);
        WindowReturned(app, e.Window);
    } else if (back) {
        RestoreInOrder(app, e);
    } else {
        WindowReturned(app, e.Window); // on the screen, or at the park: its place back
    }
    // Up again, it brings up the windows that go with it which we took down while it refused its
    // minimise (their own turn leaves them to it), or which its restore showed minimised.
    if (!closing && StaysUp(app, e.Window)) ReturnOwnedWindows(app, e.Window);
}

} // namespace

void CatchUpLater(AppState &app) {
    if (app.Switch.CatchingUp != 0 || app.MainWindow == nullptr) return;
    if (app.Sys->message.SetTimer(app.MainWindow, CatchUpTimer, CatchUpPeriod)) app.Switch.CatchingUp = 1;
}

namespace {

// One turn over the windows left behind, under SwitchUnderWay.
void CatchUpTurn(AppState &app, bool closing) {
    BeginCalls(app, CatchUpTimeout);
    HungWindow left[MaxHungWindows];
    const std::int32_t count = app.Switch.HungCount;
    for (std::int32_t i = 0; i < count; ++i)
        left[i] = app.Switch.Hung[i];
    for (std::int32_t i = 0; i < count; ++i) {
        const WindowEntry *entry = FindWindowEntry(app, left[i].Window);
        if (entry == nullptr || !HeldBack(app, left[i].Window)) continue;
        const WindowEntry e = *entry;
        // Each window asked on its own: a thread set working by the catch-up's call into one of
        // its windows keeps the others for a later turn rather than our messages waiting.
        NewPass(app);
        // An owned window that goes with its owner comes and goes with it, unless it is owed its
        // parked place, or the quit is under way: that leaves an owner of another desktop
        // minimised, and brings every owned window back on the screen, as ReturnWindows does. One
        // in place needs no question, and one its user or program changed since is theirs.
        // A cloaked one is not on the screen: nothing of ours touches it, and once uncloaked it is
        // any window the next refresh finds. After the quit there is no next refresh: it is given
        // back what we took, as the quit's own return does, so that none appears at the park later.
        const bool passedBy = !closing && IsCloaked(app, e.Window);
        bool done = (!closing && GoesWithOwner(app, e) && e.Parked == 0) || passedBy ||
                    InPlace(app, e, closing) || ChangedSinceLeft(app, left[i]);
        if (!done) {
            if (!Answers(app, e.Window)) continue;
            // The question ran its messages: its user may have acted meanwhile.
            done = ChangedSinceLeft(app, left[i]) || (!closing && IsCloaked(app, e.Window));
        }
        // A user's minimise of a window left on the screen stands, as a refresh would find it.
        WindowEntry *now = FindWindowEntry(app, e.Window);
        if (now != nullptr && left[i].Shown != 0 && app.Sys->window.IsIconic(e.Window)) now->Minimized = 1;
        // One left minimised on the desktop shown and passed by cloaked is owed its restore, as one
        // the restore pass passes by: the next refresh must not take it for its user's minimise.
        if (now != nullptr && !closing && left[i].Shown == 0 && now->Minimized == 0 &&
            (now->Sticky != 0 || now->Desktop == app.CurrentDesktop()) && app.Sys->window.IsIconic(e.Window) &&
            IsCloaked(app, e.Window))
            now->MissedRestore = 1;
        std::int32_t kept = 0;
        for (std::int32_t k = 0; k < app.Switch.HungCount; ++k)
            if (app.Switch.Hung[k].Window != e.Window) app.Switch.Hung[kept++] = app.Switch.Hung[k];
        app.Switch.HungCount = kept;
        // After the quit nothing else would give a parked window its place back: one its user or
        // program changed since still gets it, as the quit's own return gives it (where it still
        // stands at the park, or as its restore place; hidden or minimised, it stays so).
        if (!done && now != nullptr)
            PutInPlace(app, *now, closing);
        else if (closing && now != nullptr && now->Parked != 0)
            GiveBackPlace(app, e.Window);
    }
}

} // namespace

void CatchUp(AppState &app) {
    const bool closing = app.UnderWay.Closed != 0;
    // A switch, a deletion or a move under way (their calls run our messages), a dialog that
    // lends the shown desktop's number, the delete question: the next turn.
    if (closing ? app.UnderWay.Switching != 0 : SwitchesHeld(app)) return;
    {
        const SwitchUnderWay catchingUp(app); // our calls run other messages of ours, which start nothing now
        CatchUpTurn(app, closing);
        if (closing && app.Switch.QuitLooksAgain != 0) {
            app.Switch.QuitLooksAgain = 0;
            LookAgainAtQuit(app);
        }
    }
    if (app.Ui.IconsLost != 0 && !closing) app.Notify->LostIconsMayReturn(app);
    const bool overdue =
        closing && static_cast<std::int32_t>(app.Sys->message.GetTickCount() - app.Switch.QuitEnds) >= 0;
    if ((app.Switch.HungCount == 0 && app.Switch.QuitLooksAgain == 0) || overdue) {
        app.Sys->message.KillTimer(app.MainWindow, CatchUpTimer);
        app.Switch.CatchingUp = 0;
    }
}

void CatchUpBeforeQuit(AppState &app) {
    app.Switch.QuitEnds = app.Sys->message.GetTickCount() + QuitCatchUpLimit;
    CatchUp(app);
}

} // namespace q
