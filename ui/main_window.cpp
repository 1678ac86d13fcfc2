#include "ui/main_window.h"

#include "config/settings.h"
#include "engine/desktops.h"
#include "engine/guards.h"
#include "engine/hotkeys.h"
#include "engine/hung.h"
#include "engine/moves.h"
#include "engine/switching.h"
#include "ui/command_menu.h"
#include "ui/dialogs.h"
#include "ui/floating_window.h"
#include "ui/icons.h"

namespace q {

namespace {

void OnCreate(AppState &app, Hwnd window) {
    app.MainWindow = window;
    app.Ui.TaskbarCreated = app.Sys->message.RegisterWindowMessageA("TaskbarCreated");
    AddStartupIcons(app);
    RegisterAllHotKeys(app);
    app.Sys->message.PostMessageA(app.FloatingWindow, UM_INITSYSMENU, 0, 0);
}

void OnDesktopMessage(AppState &app, int n, Lparam mouse) {
    // During a Rename or Hot key dialog CurrentDesktop names the edited desktop; during the
    // delete confirmation the question is about the shown one; a switch is not interruptible.
    if (SwitchesHeld(app)) return;
    // Any program can post these numbers; only existing desktops are answered.
    if (n < 1 || n > app.DesktopCount()) return;
    if (mouse == WM_LBUTTONDOWN) {
        if (n != app.CurrentDesktop()) SwitchDesktop(app, n);
    } else if (mouse == WM_RBUTTONDOWN && app.UnderWay.MenuOpen == 0) {
        ShowCommandMenu(app, n);
    }
}

} // namespace

// The close can arrive inside any modal loop of ours (a question, a dialog, a menu) and inside
// the calls a switch makes to other programs' windows. Whatever is open, the program ends with
// desktop 1 shown; once it has begun, nothing else starts (SwitchesHeld), and what was open
// finds Closed set when its loop returns, so it changes and saves nothing.
void OnClose(AppState &app) {
    if (app.UnderWay.Closed != 0) return;
    MessagePort &msg = app.Sys->message;
    if (app.UnderWay.Switching != 0) {
        // Half-way through a switch, a deletion or a move: the close comes once it has ended.
        msg.PostMessageA(app.MainWindow, WM_CLOSE, 0, 0);
        return;
    }
    app.UnderWay.Closed.Set(InterfaceKey(), 1);
    if (app.UnderWay.MenuOpen != 0) msg.SendMessageA(app.MainWindow, WM_CANCELMODE, 0, 0);
    // A Rename or Hot key dialog borrows CurrentDesktop: the switch starts from the desktop on
    // the screen.
    BorrowedCurrentDesktop::GiveBack(app);
    const bool switched = app.CurrentDesktop() != 1;
    if (switched) SwitchDesktop(app, 1);
    const bool lookAgain = ReturnAllWindows(app, switched);
    RemoveIconsAndHotKeys(app);
    // Windows whose thread did not answer come back once it does (OnCatchUpTimer ends us then),
    // and those an owner's restore may yet show are looked at once more.
    if (app.Switch.CatchingUp == 0 && !lookAgain) {
        app.Sys->window.DestroyWindow(app.MainWindow);
        return;
    }
    CatchUpBeforeQuit(app);
    if (lookAgain) {
        app.Switch.QuitLooksAgain = 1;
        CatchUpLater(app);
    }
    if (app.Switch.CatchingUp == 0) app.Sys->window.DestroyWindow(app.MainWindow);
}

namespace {

void OnCatchUpTimer(AppState &app) {
    CatchUp(app);
    if (app.UnderWay.Closed != 0 && app.Switch.CatchingUp == 0) app.Sys->window.DestroyWindow(app.MainWindow);
}

void ToggleOneBackground(AppState &app) {
    if (SwitchesHeld(app)) return;
    SetOwnWallpapers(app, app.OwnWallpapers == 0 ? 1 : 0);
    SaveSettings(app, RestoreStartupWallpaper | SaveDesktopSet);
}

void DesktopCommand(AppState &app, Uint id) {
    const int n = DesktopOfCommand(id);
    const int op = DesktopOpOfCommand(id);
    if (n > app.DesktopCount()) return;
    // Activating is a switch, held on its own terms.
    if (op != DesktopActivate && ChangesHeld(app)) return;
    switch (op) {
    case DesktopActivate:
        app.Sys->message.SendMessageA(app.MainWindow, UM_DESKTOP(n), 0, WM_LBUTTONDOWN);
        break;
    case DesktopRename:
        RunRenameDialog(app, n);
        break;
    case DesktopDelete:
        DeleteDesktop(app, n);
        break;
    case DesktopHotKey:
        RunHotKeyDialog(app, n);
        break;
    default:
        break; // no menu produces the other units
    }
}

void OnCommand(AppState &app, Wparam wParam) {
    Uint id = LoWord(wParam);
    if (IsWindowCommand(id)) {
        WindowCommand(app, id);
        return;
    }
    if (IsDesktopCommand(id)) {
        DesktopCommand(app, id);
        return;
    }
    if (IsDisplayModeCommand(id)) {
        // The icons are rebuilt from CurrentDesktop, which a dialog or a switch makes untrue.
        if (!SwitchesHeld(app)) SetDisplayMode(app, DisplayModeOfCommand(id));
        return;
    }
    switch (id) {
    case CmdAbout:
        // A second start: on a taskbar that restarted without telling, the icons are gone.
        OnTaskbarCreated(app);
        // Its modal loop inside a switch would let windows hang between the switch's check
        // and its call.
        if (app.UnderWay.Switching == 0 && app.UnderWay.Closed == 0) OpenAboutBox(app);
        break;
    case CmdQuit:
        if (!SwitchesHeld(app)) ConfirmQuit(app);
        break;
    case CmdCreateDesktop:
        CreateDesktop(app);
        break;
    case CmdDeleteCurrentDesktop:
        DeleteCurrentDesktop(app);
        break;
    case CmdOneBackground:
        ToggleOneBackground(app);
        break;
    default:
        break; // produced by no menu of ours
    }
}

} // namespace

Lresult MainWindowMessage(AppState &app, Hwnd window, Uint message, Wparam wParam, Lparam lParam,
                          bool &handled) {
    handled = true;
    if (app.Ui.TaskbarCreated != 0 && message == app.Ui.TaskbarCreated) {
        OnTaskbarCreated(app);
        return 0;
    }
    if (IsDesktopMessage(message)) {
        OnDesktopMessage(app, DesktopOfMessage(message), lParam);
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        OnCreate(app, window);
        return 0;
    case WM_HOTKEY:
        OnHotKey(app, wParam);
        return 0;
    case WM_COMMAND:
        OnCommand(app, wParam);
        return 0;
    case UM_SETSTICKY:
        SetSticky(app, reinterpret_cast<Hwnd>(wParam), lParam);
        return 0;
    case UM_MOVETODESKTOP:
        MoveToDesktop(app, reinterpret_cast<Hwnd>(wParam), lParam);
        return 0;
    case WM_CLOSE:
        CancelFloatingModes(app); // before the close, whose quit message a menu loop would swallow
        OnClose(app);
        return 0;
    case WM_TIMER:
        if (wParam == CatchUpTimer) OnCatchUpTimer(app);
        return 0;
    case WM_DESTROY:
        app.Sys->message.PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION:
        return 1;
    default:
        handled = false;
        return 0;
    }
}

} // namespace q
