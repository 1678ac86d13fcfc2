// The system as the core sees it. Each operation is one Win32 call with the arguments the
// program uses; platform/win32 forwards them to the real API and tests/sim implements them
// on an in-memory machine. The core never includes <windows.h>.
#pragma once

#include "platform/wintypes.h"

namespace q {

// Laid out like NOTIFYICONDATAA's first fields; the Win32 layer copies it into the real record
// (cbSize 88) and the icon handle is whatever LoadIconA gave.
struct NotifyIconData {
    Hwnd hWnd = nullptr;
    Uint uID = 0;
    Uint uFlags = 0;
    Uint uCallbackMessage = 0;
    Hicon hIcon = nullptr;
    char szTip[64] = {};
};

// The fields of MENUITEMINFOA the program uses.
struct MenuItemInfo {
    Uint fMask = 0;
    Uint fType = 0;
    Uint fState = 0;
    Uint wID = 0;
    Hmenu hSubMenu = nullptr;
    char *dwTypeData = nullptr;
    Uint cch = 0;
};

using EnumWindowsProc = bool (*)(Hwnd window, void *context);

// A window procedure of the core's, put in place of a window's own (subclassing): the platform
// hands it every message of that window.
struct WindowHandler {
    virtual ~WindowHandler() = default;
    virtual Lresult WindowMessage(Hwnd window, Uint message, Wparam wParam, Lparam lParam) = 0;
};

struct WindowPort {
    virtual void EnumWindows(EnumWindowsProc proc, void *context) = 0;
    virtual std::int32_t GetWindowLongA(Hwnd window, int index) = 0;
    virtual int GetClassNameA(Hwnd window, char *buffer, int size) = 0;
    virtual int GetWindowTextA(Hwnd window, char *buffer, int size) = 0;
    virtual bool SetWindowTextA(Hwnd window, const char *text) = 0;
    virtual bool IsWindow(Hwnd window) = 0;
    virtual bool IsWindowVisible(Hwnd window) = 0;
    virtual bool IsIconic(Hwnd window) = 0;
    // The thread that made the window (the process is not asked for); 0 for no window.
    virtual Dword GetWindowThreadProcessId(Hwnd window) = 0;
    virtual bool ShowWindow(Hwnd window, int command) = 0;
    virtual bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, Uint flags) = 0;
    virtual bool GetWindowRect(Hwnd window, Rect *rect) = 0;
    // Where a minimised window goes back to when restored, and its state.
    virtual bool GetWindowPlacement(Hwnd window, WindowPlacement *placement) = 0;
    virtual bool SetWindowPlacement(Hwnd window, const WindowPlacement *placement) = 0;
    // A window's property list: a named value that travels with the window itself, whichever
    // program made it. None of these waits for the window's thread.
    virtual bool SetPropA(Hwnd window, const char *name, std::intptr_t data) = 0;
    virtual std::intptr_t GetPropA(Hwnd window, const char *name) = 0; // 0 when it has none
    virtual std::intptr_t RemovePropA(Hwnd window, const char *name) = 0;
    virtual Hwnd GetTopWindow(Hwnd parent) = 0;
    virtual Hwnd GetWindow(Hwnd window, Uint relation) = 0;
    virtual bool SetForegroundWindow(Hwnd window) = 0;
    virtual Hwnd SetActiveWindow(Hwnd window) = 0;
    virtual bool DestroyWindow(Hwnd window) = 0;
    virtual bool EnableWindow(Hwnd window, bool enable) = 0;
    virtual bool GetCursorPos(Point *point) = 0;
    virtual bool SystemParametersInfoA(Uint action, Uint param, void *data, Uint winIni) = 0;
    // SetWindowLongPtrA(GWLP_WNDPROC): from now on `handler` gets the window's messages.
    // Returns the window's former procedure, for CallWindowProcA.
    virtual std::intptr_t SubclassWindow(Hwnd window, WindowHandler *handler) = 0;
    virtual Lresult CallWindowProcA(std::intptr_t procedure, Hwnd window, Uint message, Wparam wParam,
                                    Lparam lParam) = 0;
    virtual Hcursor SetCursor(Hcursor cursor) = 0;
    // A child window of one of the program's own classes (the instance is implied).
    virtual Hwnd CreateWindowExA(Dword exStyle, const char *className, const char *title, Dword style, int x,
                                 int y, int width, int height, Hwnd parent, int id) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    // The work area of the monitor that shows most of `rect`, or of the nearest one, where the
    // system has a virtual screen (SM_CXVIRTUALSCREEN; MonitorFromRect with
    // MONITOR_DEFAULTTONEAREST, then GetMonitorInfoA). Elsewhere (Windows 95, NT 4.0) the one
    // work area, SPI_GETWORKAREA's, or the whole screen where even that is not known.
    virtual Rect WorkAreaAt(const Rect &rect) = 0;
    virtual bool AdjustWindowRectEx(Rect *rect, std::uint32_t style, bool menu, std::uint32_t exStyle) = 0;
    virtual Hwnd GetDesktopWindow() = 0;
    virtual bool InvalidateRect(Hwnd window, const Rect *rect, bool erase) = 0;
    // dwmapi.dll's call, an HRESULT: negative on failure, and always where the system has no such
    // DLL (Windows 95, 98, NT 4.0, 2000, XP), so that the exe loads everywhere.
    virtual std::int32_t DwmGetWindowAttribute(Hwnd window, Dword attribute, void *value, Dword size) = 0;

  protected:
    ~WindowPort() = default; // never destroyed through the port
};

struct MessagePort {
    virtual Lresult SendMessageA(Hwnd window, Uint message, Wparam wParam, Lparam lParam) = 0;
    virtual bool PostMessageA(Hwnd window, Uint message, Wparam wParam, Lparam lParam) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
    virtual int MessageBoxA(Hwnd owner, const char *text, const char *caption, Uint type) = 0;
    // Non-zero when the window's thread answered within `timeout` ms; its result in *result.
    virtual Lresult SendMessageTimeoutA(Hwnd window, Uint message, Wparam wParam, Lparam lParam, Uint flags,
                                        Uint timeout, std::uintptr_t *result) = 0;
    // The number of a message shared between programs by its name; 0 on failure.
    virtual Uint RegisterWindowMessageA(const char *name) = 0;
    // WM_TIMER to `window` every `elapse` ms until KillTimer; the same id again restarts it.
    virtual bool SetTimer(Hwnd window, Uint id, Uint elapse) = 0;
    virtual bool KillTimer(Hwnd window, Uint id) = 0;
    // Milliseconds since the system started (wraps after 49.7 days).
    virtual Dword GetTickCount() = 0;

  protected:
    ~MessagePort() = default; // never destroyed through the port
};

struct RegistryPort {
    virtual std::int32_t RegOpenKeyExA(Hkey parent, const char *path, Dword access, Hkey *result) = 0;
    virtual std::int32_t RegCreateKeyExA(Hkey parent, const char *path, Dword access, Hkey *result) = 0;
    virtual std::int32_t RegQueryValueExA(Hkey key, const char *name, Dword *type, void *data,
                                          Dword *size) = 0;
    virtual std::int32_t RegSetValueExA(Hkey key, const char *name, Dword type, const void *data,
                                        Dword size) = 0;
    virtual std::int32_t RegDeleteKeyA(Hkey parent, const char *path) = 0;
    virtual std::int32_t RegDeleteValueA(Hkey key, const char *name) = 0;
    virtual std::int32_t RegCloseKey(Hkey key) = 0;

  protected:
    ~RegistryPort() = default; // never destroyed through the port
};

struct ShellPort {
    virtual bool Shell_NotifyIconA(Dword message, const NotifyIconData *data) = 0;
    virtual bool RegisterHotKey(Hwnd window, int id, Uint modifiers, Uint key) = 0;
    virtual bool UnregisterHotKey(Hwnd window, int id) = 0;
    // Opens a document or address with the program the user chose for it; above
    // ShellExecuteSucceeded on success.
    virtual std::intptr_t ShellExecuteA(Hwnd owner, const char *operation, const char *file,
                                        const char *parameters, const char *directory, int show) = 0;

  protected:
    ~ShellPort() = default; // never destroyed through the port
};

// Resources of the program's own module (the instance handle is implied).
struct ResourcePort {
    virtual int LoadStringA(Uint id, char *buffer, int size) = 0;
    virtual Hicon LoadIconA(int id) = 0;
    virtual Hmenu LoadMenuA(int id) = 0;
    virtual Uint GetUserDefaultLCID() = 0;
    // System information for the uninstall mode's command line. The directory calls behave as
    // the system's: the length copied, or the size needed (zero included) when it does not fit.
    virtual Dword GetVersion() = 0;
    virtual Uint GetWindowsDirectoryA(char *buffer, Uint size) = 0;
    virtual Uint GetSystemDirectoryA(char *buffer, Uint size) = 0;
    virtual Hcursor LoadCursorA(int id) = 0;
    // CreateFontA with the given height, weight and face; every other field is its default
    // (not italic, underlined or struck out, DEFAULT_CHARSET, default precisions and quality).
    virtual Hfont CreateFontA(int height, int weight, const char *face) = 0;
    virtual bool DeleteObject(Hfont font) = 0;

  protected:
    ~ResourcePort() = default; // never destroyed through the port
};

struct MenuPort {
    virtual Hmenu GetSubMenu(Hmenu menu, int position) = 0;
    virtual Hmenu CreatePopupMenu() = 0;
    virtual bool AppendMenuA(Hmenu menu, Uint flags, std::uintptr_t id, const char *text) = 0;
    virtual bool RemoveMenu(Hmenu menu, Uint item, Uint flags) = 0;
    virtual bool GetMenuItemInfoA(Hmenu menu, Uint item, bool byPosition, MenuItemInfo *info) = 0;
    virtual bool SetMenuItemInfoA(Hmenu menu, Uint item, bool byPosition, const MenuItemInfo *info) = 0;
    virtual bool InsertMenuItemA(Hmenu menu, Uint item, bool byPosition, const MenuItemInfo *info) = 0;
    virtual bool TrackPopupMenuEx(Hmenu menu, Uint flags, int x, int y, Hwnd owner) = 0;
    virtual bool DestroyMenu(Hmenu menu) = 0;
    virtual Hmenu GetSystemMenu(Hwnd window, bool revert) = 0;
    virtual bool DeleteMenu(Hmenu menu, Uint item, Uint flags) = 0;

  protected:
    ~MenuPort() = default; // never destroyed through the port
};

// A dialog's behaviour: the Win32 dialog procedure hands every message to it.
struct DialogHandler {
    virtual ~DialogHandler() = default;
    virtual std::intptr_t DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam lParam) = 0;
};

struct DialogPort {
    // Runs the dialog template `resource` modally; returns what EndDialog was given.
    virtual std::intptr_t DialogBoxParamA(int resource, Hwnd owner, DialogHandler *handler) = 0;
    virtual bool EndDialog(Hwnd dialog, std::intptr_t result) = 0;
    virtual Hwnd GetDlgItem(Hwnd dialog, int id) = 0;
    // Dialog units of `dialog` to pixels.
    virtual bool MapDialogRect(Hwnd dialog, Rect *rect) = 0;

  protected:
    ~DialogPort() = default; // never destroyed through the port
};

// The fields of TBBUTTON the program fills; the Win32 layer copies them into the real record.
struct ToolbarButton {
    int iBitmap = 0;
    int idCommand = 0;
    std::uint8_t fsState = 0;
    std::uint8_t fsStyle = 0;
    std::uintptr_t dwData = 0;
    std::intptr_t iString = 0;
};

// The toolbar control; it then answers its TB_ messages through MessagePort. The bitmap is a
// resource of the program's own module. The Win32 layer copies the buttons into records of its
// own, at most MaxToolbarButtons: a toolbar of more buttons is refused (nullptr).
constexpr int MaxToolbarButtons = 8;
struct ToolbarPort {
    virtual Hwnd CreateToolbarEx(Hwnd parent, std::uint32_t style, Uint id, int bitmaps, int bitmapResource,
                                 const ToolbarButton *buttons, int count, int dxButton, int dyButton,
                                 int dxBitmap, int dyBitmap) = 0;

  protected:
    ~ToolbarPort() = default; // never destroyed through the port
};

struct Platform {
    WindowPort &window;
    MessagePort &message;
    RegistryPort &registry;
    ShellPort &shell;
    ResourcePort &resource;
    MenuPort &menu;
    DialogPort &dialog;
    ToolbarPort &toolbar;
};

} // namespace q
