// A small in-memory Windows for the unit tests. It implements every port of platform/ports.h
// and keeps the state a user could see (windows with their stacking order, the registry, the
// notification icons, hot keys, menus, dialogs), so tests drive the real core and then look at
// the machine. Where the program relies on a Windows rule, the machine follows it; where Wine
// and this machine disagree, Wine is right.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace q {

// Messages, codes and handles the machine understands beyond those the core's header declares.
namespace sim {
constexpr Uint WM_GETTEXT = 0x000D;
constexpr Uint WM_GETTEXTLENGTH = 0x000E;
constexpr Uint WM_SETFONT = 0x0030;
constexpr Uint STM_GETIMAGE = 0x0173;
constexpr Uint LB_GETTEXT = 0x0189;
constexpr Uint LB_GETTEXTLEN = 0x018A;
constexpr Uint LB_GETCOUNT = 0x018B;
constexpr Uint EN_CHANGE = 0x0300;
constexpr Uint GW_HWNDFIRST = 0;
constexpr Uint GW_HWNDLAST = 1;
constexpr Uint GW_HWNDPREV = 3;
constexpr Uint GW_OWNER = 4;
constexpr Uint GW_CHILD = 5;
constexpr int GWL_ID = -12;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr Uint WM_SHOWWINDOW = 0x0018;
constexpr Lparam SW_PARENTCLOSING = 1;
constexpr Lparam SW_PARENTOPENING = 3;
constexpr Uint SIZE_RESTORED = 0;
constexpr Uint SIZE_MINIMIZED = 1;
constexpr Uint TPM_RETURNCMD = 0x0100;
constexpr Uint MF_DISABLED = 0x0002;
constexpr Uint SC_SIZE = 0xF000;
constexpr Uint SC_MOVE = 0xF010;
// The frame this machine draws: what GetSystemMetrics and AdjustWindowRectEx answer.
constexpr int FrameWidth = 4;
constexpr int SmallCaptionHeight = 16;
constexpr int CaptionHeight = 19;
constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;
inline Hwnd HWND_TOP() {
    return nullptr;
}
inline Hwnd HWND_BOTTOM() {
    return reinterpret_cast<Hwnd>(std::intptr_t{1});
}
inline Hwnd HWND_TOPMOST() {
    return reinterpret_cast<Hwnd>(std::intptr_t{-1});
}
inline Hwnd HWND_NOTOPMOST() {
    return reinterpret_cast<Hwnd>(std::intptr_t{-2});
}
constexpr Dword KEY_CREATE_SUB_KEY = 0x0004;
constexpr Dword DELETE_ACCESS = 0x00010000;
constexpr std::int32_t ERROR_INVALID_HANDLE = 6;
constexpr std::int32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::int32_t ERROR_BAD_PATHNAME = 161;
constexpr std::int32_t ERROR_KEY_DELETED = 1018;
constexpr std::int32_t ERROR_BADDB = 1009;
constexpr std::int32_t ERROR_REGISTRY_IO_FAILED = 1016;
// Where Windows puts a minimised window (the "hidden" arrangement of 95 and NT 4 onwards).
constexpr std::int32_t IconicX = -32000;
constexpr std::int32_t IconicY = -32000;
} // namespace sim

class SimMachine;

using SimWindowProc = std::function<Lresult(Hwnd, Uint, Wparam, Lparam)>;
// A scripted user in front of a modal dialog: types, ticks, selects, clicks, then returns.
using SimDialogScript = std::function<void(SimMachine &, Hwnd dialog)>;
// Chooses from an open popup menu: the command identifier, or 0 to dismiss it.
using SimMenuChooser = std::function<Uint(SimMachine &, Hmenu menu)>;
struct SimMessageBox;
// Answers an open message box: an IDxxx value, or 0 to fall back to the queued/default answer.
using SimMessageBoxHook = std::function<int(SimMachine &, const SimMessageBox &)>;

struct SimMessage {
    Hwnd window;
    Uint message;
    Wparam wParam;
    Lparam lParam;
    bool posted;
};

struct SimMessageBox {
    Hwnd owner;
    std::string text;
    std::string caption;
    Uint type;
    Hwnd window; // the box's own window while it is open
    int answer;
};

// One SystemParametersInfoA call. `text` is the wallpaper or pattern text; `value` the
// iMinAnimate of an animation call.
struct SimParameterCall {
    Uint action;
    Uint param;
    std::string text;
    std::int32_t value;
    Uint winIni;
    bool result;
};

struct SimValue {
    Dword type = 0;
    std::vector<std::uint8_t> data;
    // The bytes up to the first zero (or all of them).
    std::string Text() const;
    // The stored bytes as a little-endian number; only as many bytes as were stored.
    std::uint32_t Number() const;
};

struct SimRegistryCall {
    std::string operation; // "open", "create", "query", "set", "deletekey", "deletevalue", "close"
    std::string path;      // "HKCU\Software\..." as the keys were named when created
    std::string name;      // value name, or the sub-path that was asked for
    std::int32_t result;
};

struct SimIcon {
    Hwnd window;
    Uint id;
    Uint callbackMessage;
    Hicon icon;
    std::string tip;
};

struct SimNotifyCall {
    Dword message;
    NotifyIconData data;
    bool result;
};

struct SimHotKey {
    Hwnd window; // nullptr when another program holds it
    int id;
    Uint modifiers;
    Uint key;
    bool foreign;
};

// A menu as it stood at one moment. Describe() writes one line per item, nested items indented
// by two blanks: "-" for a separator; otherwise the markers "[x] " (checked), "(grey) "
// (greyed or disabled) and "<b>" (default item) in that order, the text, then " =id" for a
// command (the id as `name` calls it, when given) or " >" for a pop-up, whose items follow.
struct SimMenuItem {
    Uint type = 0;
    Uint state = 0;
    Uint id = 0;
    std::string text;
    bool popup = false;
    std::vector<SimMenuItem> items;

    bool Separator() const { return (type & MFT_SEPARATOR) != 0; }
    bool Checked() const { return (state & MFS_CHECKED) != 0; }
    bool Greyed() const { return (state & MFS_GRAYED) != 0; }
    bool Default() const { return (state & MFS_DEFAULT) != 0; }
};

struct SimMenuSnapshot {
    std::vector<SimMenuItem> items;

    std::string Describe(const std::function<std::string(Uint id)> &name = {}) const;
    // Follows item texts through nested pop-ups; nullptr when a step is missing.
    const SimMenuItem *Find(const std::vector<std::string> &textPath) const;
    // The command identifier at the end of a text path; 0 when there is none.
    Uint CommandAt(const std::vector<std::string> &textPath) const;
    // The first item, depth first, with this command identifier.
    const SimMenuItem *FindCommand(Uint id) const;
    // Texts of the items at top level ("-" for separators).
    std::vector<std::string> Texts() const;
};

struct SimTrackedMenu {
    Hmenu menu;
    Uint flags;
    int x, y;
    Hwnd owner;
    bool ownerWasForeground;
    SimMenuSnapshot shown;
    Uint chosen;  // posted as WM_COMMAND (0: dismissed)
    Uint refused; // what the script asked for when it was not a selectable command
};

struct SimFont {
    int height;
    int weight;
    std::string face;
};

struct SimShellExecute {
    Hwnd owner;
    std::string operation;
    std::string file;
    int show;
};

struct SimDialogRun {
    int resource;
    Hwnd owner;
    Hwnd dialog;
    std::string caption; // after WM_INITDIALOG
    std::intptr_t result;
    bool cancelledByMachine; // the script left it open, so the machine pressed Esc
};

class SimMachine : public WindowPort,
                   public MessagePort,
                   public RegistryPort,
                   public ShellPort,
                   public ResourcePort,
                   public MenuPort,
                   public DialogPort,
                   public ToolbarPort {
  public:
    SimMachine();
    ~SimMachine();
    SimMachine(const SimMachine &) = delete;
    SimMachine &operator=(const SimMachine &) = delete;

    Platform &Ports() { return platform_; }
    // The call logs below (messages, registryCalls, parameterCalls, notifyCalls); benchmarks
    // that run many operations switch them off.
    bool recordCalls = true;

    // ---- Windows: test side ----
    // A top-level window (or a WS_CHILD one that the z-order walk reports too), placed on top
    // of the stacking order; with WS_VISIBLE (and not WS_MINIMIZE) it becomes active. An owned
    // window is made by its owner's thread.
    Hwnd CreateWindow(const std::string &className, const std::string &title,
                      std::uint32_t style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, std::uint32_t exStyle = 0,
                      Rect rect = {100, 100, 500, 400}, Hwnd owner = nullptr);
    void SetWindowProc(Hwnd window, SimWindowProc proc);
    // A window class of the program's: CreateWindowExA gives a top-level window of this class
    // `proc` and sends it WM_CREATE before it returns the handle, as the system does.
    void RegisterClass(const std::string &className, SimWindowProc proc);
    // What a window's own program does when the window is minimised, after its procedure has
    // seen the WM_SIZE: nothing; hide it (many keep a minimised window only as a tray icon);
    // or restore it at once, refusing the minimise.
    enum class Habit { None, HideWhenMinimized, RefuseMinimize };
    void SetHabit(Hwnd window, Habit habit);
    // Top-level windows, top to bottom; `visibleOnly` drops hidden ones.
    std::vector<Hwnd> ZOrder(bool visibleOnly = false) const;
    Hwnd Active() const { return active_; }
    // Windows' rules for owned windows (documented for ShowOwnedPopups, WM_SHOWWINDOW and the
    // taskbar): minimising an owner hides its visible owned windows, each told by WM_SHOWWINDOW
    // FALSE with SW_PARENTCLOSING, and restoring it shows exactly those again (WM_SHOWWINDOW
    // TRUE, SW_PARENTOPENING) in whatever state they had, minimised included. An owned window
    // always stays above its owner in the stacking order. Hiding the owner hides nothing.
    // Wine 8 does neither (checked under Wine without this program: another process's
    // SW_MINIMIZE of an owner leaves its owned pop-ups shown, and its SW_RESTORE shows none; see
    // WINE.md): a machine with hidesOwnedWindows false behaves so. Chosen per machine.
    bool hidesOwnedWindows = true;
    Hwnd Owner(Hwnd window) const;
    bool HiddenWithOwner(Hwnd window) const;
    // The taskbar shows a button for a visible top-level window without an owner and without
    // WS_EX_TOOLWINDOW, or for one with WS_EX_APPWINDOW (the documentation's "Managing Taskbar
    // Buttons", in "The Taskbar"): the only way a user brings a minimised window back (a
    // minimised window sits out of sight, at -32000, -32000).
    bool HasTaskbarButton(Hwnd window) const;
    bool IsMinimized(Hwnd window) const;
    bool IsVisible(Hwnd window) const;
    bool IsWindowEnabled(Hwnd window) const;
    Rect Position(Hwnd window) const;       // current rectangle
    Rect NormalPosition(Hwnd window) const; // where SW_RESTORE puts it
    std::string WindowText(Hwnd window) const;
    std::string ClassName(Hwnd window) const;
    void SetCursor(Point point) { cursor_ = point; }
    // What the screen shows; set by SPI_SETDESKWALLPAPER / SPI_SETDESKPATTERN.
    const std::string &ShownWallpaper() const { return shownWallpaper_; }
    const std::string &ShownPattern() const { return shownPattern_; }
    std::int32_t MinAnimate() const { return minAnimate_; }
    void SetMinAnimate(std::int32_t value) { minAnimate_ = value; }
    Rect workArea = {0, 0, 1024, 748};
    // The monitors of a system that has a virtual screen (Windows 98 and 2000 on), the primary
    // one first; none on Windows 95 and NT 4.0, where workArea is the only one.
    struct Monitor {
        Rect area;
        Rect work;
    };
    std::vector<Monitor> monitors;
    std::vector<SimParameterCall> parameterCalls;

    // ---- Messages: test side ----
    // Dispatches posted messages until the queue is empty, those posted meanwhile included.
    // Gives up (false, PumpOverflowed) after `limit` messages.
    bool PumpMessages(int limit = 10000);
    bool PumpOverflowed() const { return pumpOverflow_; }
    std::size_t QueuedMessages() const { return queue_.size(); }
    bool QuitPosted() const { return quitPosted_; }
    int QuitCode() const { return quitCode_; }
    std::vector<SimMessage> messages; // every SendMessageA and PostMessageA
    std::size_t CountMessages(Hwnd window, Uint message) const;
    // What DefWindowProcA does for the few messages that matter here (texts, WM_CLOSE destroys,
    // WM_QUERYENDSESSION agrees); window procedures set by tests call it for what they leave.
    Lresult DefWindowProc(Hwnd window, Uint message, Wparam wParam, Lparam lParam);

    // Message boxes: the hook, if set, answers first; then the queue; then the default
    // (IDOK for a box with an OK button only).
    void AnswerMessageBox(int answer) { boxAnswers_.push_back(answer); }
    int defaultMessageBoxAnswer = IDYES;
    SimMessageBoxHook messageBoxHook;
    std::vector<SimMessageBox> messageBoxes;

    // ---- Later systems: the compositor's cloak and elevated programs ----
    // dwmapi.dll is there (Vista on) or not (Windows 95 to XP: DwmGetWindowAttribute then fails as
    // the Win32 layer makes it, E_NOTIMPL). Where it is, DWMWA_CLOAKED answers each window's cloak:
    // non-zero while the compositor keeps a visible window from the user's sight (a suspended store
    // app's frame, DWM_CLOAKED_APP; a window of another of the system's virtual desktops,
    // DWM_CLOAKED_SHELL). Source: the DWMWINDOWATTRIBUTE page (DWMWA_CLOAKED, Windows 8 on). A
    // cloak changes nothing else: IsWindowVisible, ShowWindow and the rest work as before.
    bool dwmapi = true;
    // The stub of Wine 8, which answers E_NOTIMPL for every attribute (its dlls/dwmapi source).
    bool dwmapiStub = false;
    static constexpr Dword CloakedByApp = 1;
    static constexpr Dword CloakedByShell = 2;
    void SetCloaked(Hwnd window, Dword cloak);
    Dword Cloak(Hwnd window) const;
    // The window's program runs elevated (as administrator, with UAC), at a higher integrity level
    // than the program and every other one here: every window of its thread is. User Interface
    // Privilege Isolation (UIPI) then refuses lower programs what would change its windows:
    // ShowWindow, SetWindowPos and SetWindowPlacement change nothing ("lower privileged
    // applications can read but cannot modify HWNDs owned by higher privileged applications"),
    // and messages sent or posted to them are dropped ("SendMessage or PostMessage to higher
    // privilege application windows... return success but silently drop the window message"),
    // the calls answering as if they had worked; SendMessageTimeoutA fails. Only a few messages
    // below WM_USER must pass (ChangeWindowMessageFilter's remarks), the reading ones here:
    // WM_NULL, WM_GETTEXT, WM_GETTEXTLENGTH, WM_MOVE, WM_SIZE, WM_GETHOTKEY, WM_GETICON and
    // WM_THEMECHANGED; WM_SYSCOMMAND is not documented as one of them and is dropped. Sources: the
    // SendMessage and PostMessage pages ("subject to UIPI... only to message queues of threads in
    // processes of lesser or equal integrity level"), the blogs of Microsoft's Nick Kramer ("USER &
    // GDI Compat, part 4") and Vishal Si ("What is UIPI on Vista"). Reading calls (IsWindowVisible,
    // GetWindowRect, GetWindowTextA, the z-order walk) are not refused.
    // Calls from the test are the program's, unless made under an AsUser: the user acting through
    // the shell (a taskbar button, the window's own caption buttons) or a window's own program,
    // whom UIPI does not stop. Code running in a window's procedure runs at its program's level.
    void SetElevated(Hwnd window);
    bool IsElevated(Hwnd window) const;
    struct AsUser {
        SimMachine &sim;
        int saved;
        explicit AsUser(SimMachine &s) : sim(s), saved(s.callerLevel_) { s.callerLevel_ = UserLevel; }
        ~AsUser() { sim.callerLevel_ = saved; }
        AsUser(const AsUser &) = delete;
        AsUser &operator=(const AsUser &) = delete;
    };
    std::size_t refusedCalls = 0; // calls UIPI refused the program

    // ---- Hung windows and the taskbar: test side ----
    // A window whose thread stops pumping: SendMessageTimeoutA to it gives up, and every call
    // that would wait for its thread (ShowWindow, SetWindowPos, SendMessageA) is counted in
    // blockedCalls and does nothing; on Windows that call would never return. The state is the
    // thread's: every window of that thread hangs with it.
    void SetHung(Hwnd window, bool hung);
    bool IsHung(Hwnd window) const;
    // Each top-level window is made by a thread of its own, unless this puts it in the thread
    // of `with` (a program with several windows); children, dialogs and message boxes are made
    // by the thread of their parent or owner. A window's thread never changes on Windows:
    // share before the program first sees the window.
    void ShareThread(Hwnd window, Hwnd with);
    // The thread of `window` stops pumping the moment the call into a window under way returns:
    // the outermost one, which is the program's (or the test's) and not one that its messages
    // made. A question to that thread (SendMessageTimeoutA) is no such moment: stopping right
    // after its answer would only hit the next call into it, which no asking can prevent. With
    // no call under way, it stops at once. SetHung(window, false) cancels it.
    void StopWhenCallReturns(Hwnd window);
    // The thread of the window the outermost call under way went to (0 for none).
    Dword CallTarget() const { return callDepth_ != 0 ? callTarget_ : 0; }
    std::size_t blockedCalls = 0;
    std::size_t answerChecks = 0; // SendMessageTimeoutA calls
    // A hung thread is one the system holds for hung once it has not pumped for 5 seconds (the
    // documentation of IsHungAppWindow): SendMessageTimeoutA with SMTO_ABORTIFHUNG then returns
    // at once, and before that waits its whole timeout (the clock moves on by it).

    // ---- Time and slow threads: test side ----
    // The clock (GetTickCount) moves only while a call waits for a busy or hung thread, and in
    // AdvanceTime, which lets `ms` pass with the message loop running: each timer's WM_TIMER is
    // posted as it comes due (one waiting at most, as Windows makes it when the queue is empty)
    // and dispatched with everything else posted.
    void AdvanceTime(Dword ms);
    Dword Now() const { return now_; }
    bool HasTimer(Hwnd window, Uint id) const;
    // A slow program, not a hung one: the thread of `window` is busy for `ms` from the moment the
    // call under way returns, under the same rule as StopWhenCallReturns (at once with none).
    // SendMessageTimeoutA waits for it up to its timeout; every other call into its windows
    // waits until it is done, and the clock moves on by the wait.
    // SetHung(window, false) ends it too.
    void KeepBusy(Hwnd window, Dword ms);
    bool IsBusy(Hwnd window) const;
    Dword waited = 0; // the milliseconds calls spent waiting for busy or hung threads
    // The shell restarts: every notification icon is gone, and the registered message
    // "TaskbarCreated" is sent to each top-level window, except by the shells of Windows 95
    // and NT 4.0 as they came (broadcast false), which say nothing.
    void RestartTaskbar(bool broadcast = true);

    // ---- The program ended from outside: test side ----
    // Called as each call that changes a window (ShowWindow, SetWindowPos, SetWindowPlacement,
    // SetPropA, RemovePropA) begins, before it takes effect: a test ends the calling program there
    // by throwing, and its calls stop at that point.
    std::function<void()> beforeWindowChange;
    // The program's process ends without its close (ended from the task list, or it failed): the
    // windows of its threads (those of its registered classes, their children and the boxes they
    // own) are destroyed without a message to its procedures, and its hot keys go with them.
    // Whatever it did to other programs' windows stays, their properties included.
    void EndProgram();
    // The names of a window's properties, in lower case (atoms compare without case).
    std::vector<std::string> PropertyNames(Hwnd window) const;

    // ---- Registry: test side ----
    bool KeyExists(Hkey root, const std::string &path) const;
    std::vector<std::string> SubKeys(Hkey root, const std::string &path) const;
    std::vector<std::string> ValueNames(Hkey root, const std::string &path) const;
    std::optional<SimValue> Value(Hkey root, const std::string &path, const std::string &name) const;
    // Creates the key path as needed.
    void SetValue(Hkey root, const std::string &path, const std::string &name, Dword type,
                  std::vector<std::uint8_t> data);
    // REG_SZ: the text and its zero, padded with zeros to `size` bytes when size is larger.
    void SetText(Hkey root, const std::string &path, const std::string &name, const std::string &text,
                 std::size_t size = 0);
    void SetNumber(Hkey root, const std::string &path, const std::string &name, std::uint32_t value,
                   Dword size = 4);
    void CreateKey(Hkey root, const std::string &path);
    // Like a user without rights there: opening or creating with write access, writing,
    // deleting under this key fail with ERROR_ACCESS_DENIED.
    void DenyWrites(Hkey root, const std::string &path);
    std::size_t OpenKeyCount() const { return openKeys_.size(); }
    std::vector<SimRegistryCall> registryCalls;
    std::size_t CountRegistryCalls(const std::string &operation, const std::string &pathPart = "") const;

    // ---- Shell: test side ----
    const std::vector<SimIcon> &NotifyIcons() const { return icons_; }
    const SimIcon *NotifyIcon(Hwnd window, Uint id) const;
    std::vector<SimNotifyCall> notifyCalls;
    // Clicks an icon as the taskbar reports it: mouse move, button down, button up, posted
    // with the icon's callback message, then pumped. False when there is no such icon.
    bool ClickNotifyIcon(Hwnd window, Uint id, bool rightButton = false);
    // Another program takes a combination.
    void HoldHotKeyElsewhere(Uint modifiers, Uint key);
    std::optional<SimHotKey> HotKeyHolder(Uint modifiers, Uint key) const;
    const std::vector<SimHotKey> &HotKeys() const { return hotKeys_; }
    // Posts WM_HOTKEY to the holder (if it is one of this machine's windows) and pumps.
    bool PressHotKey(Uint modifiers, Uint key);

    // ---- Resources: test side ----
    static int IconId(Hicon icon); // -1 for anything LoadIconA did not make
    void SetUserDefaultLCID(Uint lcid) { lcid_ = lcid; }
    // What GetVersion answers (the high bit set on the Windows 95 family; NT 4 by default) and
    // the two directories, which may be made longer than any buffer. The registry follows the
    // family: strings and key deletion differ (RegSetValueExA, RegDeleteKeyA).
    Dword version = 0x05650004;
    bool Windows95Family() const { return (version & 0x80000000u) != 0; }
    std::string windowsDirectory = "C:\\WINNT";
    std::string systemDirectory = "C:\\WINNT\\system32";

    // ---- Menus: test side ----
    SimMenuSnapshot Snapshot(Hmenu menu) const;
    bool IsMenu(Hmenu menu) const;
    std::size_t LiveMenuCount() const;
    std::size_t MenusMade() const { return menusMade_; }
    // The chooser, if set, picks; otherwise the next queued choice; otherwise nothing.
    SimMenuChooser menuChooser;
    void ChooseMenuCommand(Uint id) { menuChoices_.push_back(id); }
    std::vector<SimTrackedMenu> trackedMenus;

    // ---- Dialogs: test side ----
    // Scripts are used one per dialog opening, in order; with none queued the default runs.
    void ScriptDialog(SimDialogScript script) { dialogScripts_.push_back(std::move(script)); }
    SimDialogScript defaultDialogScript;
    std::vector<SimDialogRun> dialogRuns;
    // A user's actions on a control of an open dialog. All fail on a disabled control.
    bool Click(Hwnd dialog, int id);                         // button or check box
    bool Type(Hwnd dialog, int id, const std::string &text); // replaces an edit's text
    bool SelectListItem(Hwnd dialog, int id, int index);
    bool CloseDialog(Hwnd dialog); // the close box
    std::string ControlText(Hwnd dialog, int id) const;
    bool IsChecked(Hwnd dialog, int id) const;
    std::vector<std::string> ListItems(Hwnd dialog, int id) const;
    int ListSelection(Hwnd dialog, int id) const;
    int ListColumnWidth(Hwnd dialog, int id) const;
    Hicon ControlImage(Hwnd dialog, int id) const;
    std::size_t TextLimit(Hwnd dialog, int id) const;

    // ---- Fonts, cursors, the shell: test side ----
    // Fonts made and not yet deleted; Font() is nullptr for a handle that is not one of them.
    std::size_t LiveFonts() const { return fonts_.size(); }
    const SimFont *Font(Hfont font) const;
    Hfont ControlFont(Hwnd dialog, int id) const; // what WM_SETFONT gave it
    Hcursor Cursor() const { return cursorShape_; }
    static int CursorId(Hcursor cursor); // -1 for anything LoadCursorA did not make
    std::vector<SimShellExecute> shellExecutes;
    std::intptr_t shellExecuteResult = 42; // above 32: the program for it started
    // ---- Toolbars: test side ----
    // The toolbar's buttons wrap to its width, which TB_AUTOSIZE takes from the parent's client
    // area. Rows counts the rows its visible buttons take; -1 for no toolbar.
    int ToolbarRows(Hwnd toolbar) const;
    bool ToolbarButtonChecked(Hwnd toolbar, int id) const;
    bool ToolbarButtonHidden(Hwnd toolbar, int id) const;
    // The client rectangle's size of a framed top-level window.
    Point ClientSize(Hwnd window) const;
    Hwnd Parent(Hwnd window) const;
    // The system menu if GetSystemMenu made one, else nullptr.
    Hmenu SystemMenu(Hwnd window) const;

    // ---- WindowPort ----
    void EnumWindows(EnumWindowsProc proc, void *context) override;
    std::int32_t GetWindowLongA(Hwnd window, int index) override;
    int GetClassNameA(Hwnd window, char *buffer, int size) override;
    int GetWindowTextA(Hwnd window, char *buffer, int size) override;
    bool SetWindowTextA(Hwnd window, const char *text) override;
    bool IsWindow(Hwnd window) override;
    bool IsWindowVisible(Hwnd window) override;
    bool IsIconic(Hwnd window) override;
    Dword GetWindowThreadProcessId(Hwnd window) override;
    bool ShowWindow(Hwnd window, int command) override;
    bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, Uint flags) override;
    bool GetWindowRect(Hwnd window, Rect *rect) override;
    bool GetWindowPlacement(Hwnd window, WindowPlacement *placement) override;
    bool SetWindowPlacement(Hwnd window, const WindowPlacement *placement) override;
    bool SetPropA(Hwnd window, const char *name, std::intptr_t data) override;
    std::intptr_t GetPropA(Hwnd window, const char *name) override;
    std::intptr_t RemovePropA(Hwnd window, const char *name) override;
    Hwnd GetTopWindow(Hwnd parent) override;
    Hwnd GetWindow(Hwnd window, Uint relation) override;
    bool SetForegroundWindow(Hwnd window) override;
    Hwnd SetActiveWindow(Hwnd window) override;
    bool DestroyWindow(Hwnd window) override;
    bool EnableWindow(Hwnd window, bool enable) override;
    bool GetCursorPos(Point *point) override;
    bool SystemParametersInfoA(Uint action, Uint param, void *data, Uint winIni) override;
    std::intptr_t SubclassWindow(Hwnd window, WindowHandler *handler) override;
    Lresult CallWindowProcA(std::intptr_t procedure, Hwnd window, Uint message, Wparam wParam,
                            Lparam lParam) override;
    Hcursor SetCursor(Hcursor cursor) override;
    Hwnd CreateWindowExA(Dword exStyle, const char *className, const char *title, Dword style, int x, int y,
                         int width, int height, Hwnd parent, int id) override;
    int GetSystemMetrics(int index) override;
    Rect WorkAreaAt(const Rect &rect) override;
    bool AdjustWindowRectEx(Rect *rect, std::uint32_t style, bool menu, std::uint32_t exStyle) override;
    Hwnd GetDesktopWindow() override;
    bool InvalidateRect(Hwnd window, const Rect *rect, bool erase) override;
    std::int32_t DwmGetWindowAttribute(Hwnd window, Dword attribute, void *value, Dword size) override;

    // ---- MessagePort ----
    Lresult SendMessageA(Hwnd window, Uint message, Wparam wParam, Lparam lParam) override;
    bool PostMessageA(Hwnd window, Uint message, Wparam wParam, Lparam lParam) override;
    void PostQuitMessage(int exitCode) override;
    int MessageBoxA(Hwnd owner, const char *text, const char *caption, Uint type) override;
    Lresult SendMessageTimeoutA(Hwnd window, Uint message, Wparam wParam, Lparam lParam, Uint flags,
                                Uint timeout, std::uintptr_t *result) override;
    Uint RegisterWindowMessageA(const char *name) override;
    bool SetTimer(Hwnd window, Uint id, Uint elapse) override;
    bool KillTimer(Hwnd window, Uint id) override;
    Dword GetTickCount() override { return now_; }

    // ---- RegistryPort ----
    std::int32_t RegOpenKeyExA(Hkey parent, const char *path, Dword access, Hkey *result) override;
    std::int32_t RegCreateKeyExA(Hkey parent, const char *path, Dword access, Hkey *result) override;
    std::int32_t RegQueryValueExA(Hkey key, const char *name, Dword *type, void *data, Dword *size) override;
    std::int32_t RegSetValueExA(Hkey key, const char *name, Dword type, const void *data,
                                Dword size) override;
    std::int32_t RegDeleteKeyA(Hkey parent, const char *path) override;
    std::int32_t RegDeleteValueA(Hkey key, const char *name) override;
    std::int32_t RegCloseKey(Hkey key) override;

    // ---- ShellPort ----
    bool Shell_NotifyIconA(Dword message, const NotifyIconData *data) override;
    bool RegisterHotKey(Hwnd window, int id, Uint modifiers, Uint key) override;
    bool UnregisterHotKey(Hwnd window, int id) override;
    std::intptr_t ShellExecuteA(Hwnd owner, const char *operation, const char *file, const char *parameters,
                                const char *directory, int show) override;

    // ---- ResourcePort ----
    int LoadStringA(Uint id, char *buffer, int size) override;
    Hicon LoadIconA(int id) override;
    Hmenu LoadMenuA(int id) override;
    Uint GetUserDefaultLCID() override { return lcid_; }
    Dword GetVersion() override { return version; }
    Uint GetWindowsDirectoryA(char *buffer, Uint size) override;
    Uint GetSystemDirectoryA(char *buffer, Uint size) override;
    Hcursor LoadCursorA(int id) override;
    Hfont CreateFontA(int height, int weight, const char *face) override;
    bool DeleteObject(Hfont font) override;

    // ---- MenuPort ----
    Hmenu GetSubMenu(Hmenu menu, int position) override;
    Hmenu CreatePopupMenu() override;
    bool AppendMenuA(Hmenu menu, Uint flags, std::uintptr_t id, const char *text) override;
    bool RemoveMenu(Hmenu menu, Uint item, Uint flags) override;
    bool GetMenuItemInfoA(Hmenu menu, Uint item, bool byPosition, MenuItemInfo *info) override;
    bool SetMenuItemInfoA(Hmenu menu, Uint item, bool byPosition, const MenuItemInfo *info) override;
    bool InsertMenuItemA(Hmenu menu, Uint item, bool byPosition, const MenuItemInfo *info) override;
    bool TrackPopupMenuEx(Hmenu menu, Uint flags, int x, int y, Hwnd owner) override;
    bool DestroyMenu(Hmenu menu) override;
    Hmenu GetSystemMenu(Hwnd window, bool revert) override;
    bool DeleteMenu(Hmenu menu, Uint item, Uint flags) override;

    // ---- DialogPort ----
    std::intptr_t DialogBoxParamA(int resource, Hwnd owner, DialogHandler *handler) override;
    bool EndDialog(Hwnd dialog, std::intptr_t result) override;
    Hwnd GetDlgItem(Hwnd dialog, int id) override;
    bool MapDialogRect(Hwnd dialog, Rect *rect) override;

    // ---- ToolbarPort ----
    Hwnd CreateToolbarEx(Hwnd parent, std::uint32_t style, Uint id, int bitmaps, int bitmapResource,
                         const ToolbarButton *buttons, int count, int dxButton, int dyButton, int dxBitmap,
                         int dyBitmap) override;

    // Internal records, defined in sim.cpp.
    struct Window;
    struct Key;
    struct Menu;
    struct MenuEntry;
    struct DialogState;

  private:
    Platform platform_;

    // Windows.
    std::map<Hwnd, std::unique_ptr<Window>> windows_; // destroyed ones stay, marked
    std::vector<Hwnd> zorder_;                        // top-level, top to bottom
    std::map<std::string, SimWindowProc> classes_;    // RegisterClass
    Hwnd active_ = nullptr;
    std::uintptr_t nextWindow_ = 0;
    std::set<Dword> hungThreads_;
    std::set<Dword> elevatedThreads_;
    std::map<Hwnd, Dword> cloaks_;
    // The integrity level of the code making calls now: the program's (0) at top level, a
    // window's program's inside its procedure, the user's under AsUser.
    static constexpr int UserLevel = 2;
    int callerLevel_ = 0;
    int LevelOf(const Window &w) const;
    bool Refuses(const Window &w) const; // UIPI: the caller may not change this window
    bool Passes(Uint message) const;     // ... but may send it this message
    std::set<Dword> stopsAfterCall_;
    std::map<Dword, Dword> hungSince_;
    std::map<Dword, Dword> busyUntil_;
    std::map<Dword, Dword> busyAfterCall_; // thread, then how long
    Dword now_ = 0;
    struct Timer {
        Hwnd window;
        Uint id;
        Dword period;
        Dword due;
    };
    std::vector<Timer> timers_;
    void Stop(Dword thread);
    // A call into a window of a busy thread waits until it is done.
    void WaitFor(const Window &w);
    int callDepth_ = 0;
    Dword callTarget_ = 0;
    // Counts a call into a window; the outermost one's end stops the threads waiting for it.
    struct CallScope {
        SimMachine &sim;
        Dword asked; // the thread a question goes to, 0 for other calls
        // `target` the window called: the outermost call's thread is CallTarget's.
        CallScope(SimMachine &s, Dword thread = 0, Hwnd target = nullptr);
        ~CallScope();
        CallScope(const CallScope &) = delete;
        CallScope &operator=(const CallScope &) = delete;
    };
    Point cursor_ = {512, 384};
    std::int32_t minAnimate_ = 1;
    std::string shownWallpaper_;
    std::string shownPattern_;

    Window *Find(Hwnd window) const;
    bool ThreadHung(const Window &w) const;
    Window *FindControl(Hwnd dialog, int id) const;
    Hwnd MakeWindow(const std::string &className, const std::string &title, std::uint32_t style,
                    std::uint32_t exStyle, Rect rect, Hwnd parent, Hwnd owner);
    void PlaceOnTop(Hwnd window);
    void PlaceAtBottom(Hwnd window);
    void PlaceAfter(Hwnd window, Hwnd after);
    void KeepOwnedAbove(Hwnd window);
    void HideOwned(Hwnd owner);
    void ShowOwned(Hwnd owner);
    void Activate(Hwnd window);
    void ActivateNext(Hwnd leaving);
    void MoveTo(Window &w, Rect rect);
    Lresult Deliver(Hwnd window, Uint message, Wparam wParam, Lparam lParam);
    Lresult DeliverToOwnProcedure(Hwnd window, Uint message, Wparam wParam, Lparam lParam);
    Lresult ControlMessage(Window &w, Uint message, Wparam wParam, Lparam lParam);
    Window *UsableControl(Hwnd dialog, int id) const;
    Lresult ToolbarMessage(Window &w, Uint message, Wparam wParam, Lparam lParam);
    Hwnd desktop_ = nullptr;

    // Messages.
    std::deque<SimMessage> queue_;
    bool quitPosted_ = false;
    int quitCode_ = 0;
    bool pumpOverflow_ = false;
    std::deque<int> boxAnswers_;
    std::vector<std::string> registeredMessages_;

    // Registry.
    std::shared_ptr<Key> currentUser_;
    std::shared_ptr<Key> localMachine_;
    struct OpenKey {
        std::shared_ptr<Key> key;
        Dword access;
    };
    std::map<Hkey, OpenKey> openKeys_;
    std::uintptr_t nextKey_ = 0;
    std::vector<std::string> deniedPaths_; // lower case, with the root prefix
    std::int32_t Resolve(Hkey handle, std::shared_ptr<Key> &key, Dword &access) const;
    std::shared_ptr<Key> Walk(Hkey root, const std::string &path) const;
    std::int32_t OpenKey(bool create, Hkey parent, const char *path, Dword access, Hkey *result);
    std::shared_ptr<Key> WalkOrMake(Hkey root, const std::string &path);
    bool Denied(const Key &key) const;
    static void MarkDeleted(Key &key); // with every key below it
    bool DeniedPath(const std::string &path) const;
    Hkey HandOut(std::shared_ptr<Key> key, Dword access);
    void LogRegistry(const char *operation, const std::string &path, const char *name, std::int32_t result);

    // Shell.
    std::vector<SimIcon> icons_;
    std::vector<SimHotKey> hotKeys_;

    // Resources.
    Uint lcid_ = 0x0409;

    // Menus.
    std::map<Hmenu, std::unique_ptr<Menu>> menus_; // live menus only
    std::uintptr_t nextMenu_ = 0;
    std::size_t menusMade_ = 0;
    std::deque<Uint> menuChoices_;
    Menu *FindMenu(Hmenu menu) const;
    Hmenu MakeMenu();
    bool Locate(Hmenu menu, Uint item, bool byPosition, Hmenu &owner, std::size_t &index) const;
    void SnapshotInto(const Menu &menu, std::vector<SimMenuItem> &items, int depth) const;

    // Dialogs.
    std::deque<SimDialogScript> dialogScripts_;

  public:
    // ---- Registry faults ----
    // Every call that may change the registry (RegCreateKeyExA, RegSetValueExA, RegDeleteKeyA,
    // RegDeleteValueA) counts in registryWrites. After CutRegistryWrites(k) the calls past the
    // k-th fail with ERROR_REGISTRY_IO_FAILED and change nothing, as if the program had been
    // killed (or the machine switched off) just before that write; ResumeRegistryWrites ends it.
    std::size_t registryWrites = 0;
    void CutRegistryWrites(std::size_t allowed) { writeLimit_ = registryWrites + allowed; }
    void ResumeRegistryWrites() { writeLimit_.reset(); }
    // Opening the key (or one below it) with any read right fails with `error`: a key whose
    // security denies reading (ERROR_ACCESS_DENIED) while writing is still allowed, or a broken
    // hive (ERROR_BADDB).
    void FailReads(Hkey root, const std::string &path, std::int32_t error);

  private:
    std::optional<std::size_t> writeLimit_;
    std::vector<std::pair<std::string, std::int32_t>> readFailures_; // lower-case path, error
    // The write's status: ERROR_SUCCESS when it may go ahead.
    std::int32_t CountWrite();
    std::int32_t ReadFailure(const std::string &keyPath, Dword rights) const;

    // Fonts and cursors.
    std::map<Hfont, SimFont> fonts_;
    std::uintptr_t nextFont_ = 0;
    Hcursor cursorShape_ = nullptr;
};

} // namespace q
