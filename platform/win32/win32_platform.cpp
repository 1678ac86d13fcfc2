// Every port operation is the Win32 call of the same name, with the core's records copied
// into the system's where their layouts differ.
#include "platform/win32/win32_platform.h"

#include <windows.h> // first: the other system headers need its types

#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>

namespace q {

namespace {

struct EnumContext {
    EnumWindowsProc proc;
    void *context;
};

BOOL CALLBACK EnumTrampoline(HWND window, LPARAM lParam) {
    auto *context = reinterpret_cast<EnumContext *>(lParam);
    return context->proc(window, context->context) ? TRUE : FALSE;
}

// The older, shorter MENUITEMINFOA that every version of the system accepts.
constexpr UINT MenuItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);

MENUITEMINFOA ToSystem(const MenuItemInfo &info) {
    MENUITEMINFOA out;
    std::memset(&out, 0, sizeof out);
    out.cbSize = MenuItemInfoSize;
    out.fMask = info.fMask;
    out.fType = info.fType;
    out.fState = info.fState;
    out.wID = info.wID;
    out.hSubMenu = info.hSubMenu;
    out.dwTypeData = info.dwTypeData;
    out.cch = info.cch;
    return out;
}

INT_PTR CALLBACK DialogTrampoline(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *handler = reinterpret_cast<DialogHandler *>(GetWindowLongPtrA(dialog, DWLP_USER));
    // Only the dialog manager's WM_INITDIALOG carries the handler; one that another program
    // sends later carries whatever it likes.
    if (message == WM_INITDIALOG && handler == nullptr) {
        handler = reinterpret_cast<DialogHandler *>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(handler));
    }
    if (handler == nullptr) return FALSE;
    return handler->DialogMessage(dialog, message, wParam, lParam);
}

// A subclassed window's messages go to the core's handler, kept in the window's user data.
LRESULT CALLBACK WindowTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *handler = reinterpret_cast<WindowHandler *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (handler == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return handler->WindowMessage(window, message, wParam, lParam);
}

// What the window port looks up at run time. Not members: the ports are constants, kept in
// read-only memory, and a write into one would fault.
bool dwmLookedUp = false;
void (*dwmGet)() = nullptr; // DwmGetWindowAttribute, once found

} // namespace

// One class a port, each with one base: calls through the core's references to the ports then
// need no adjusting thunks.
class Win32Window final : public WindowPort {
  public:
    // Windows.
    void EnumWindows(EnumWindowsProc proc, void *context) override {
        EnumContext c{proc, context};
        ::EnumWindows(EnumTrampoline, reinterpret_cast<LPARAM>(&c));
    }
    std::int32_t GetWindowLongA(Hwnd window, int index) override { return ::GetWindowLongA(window, index); }
    int GetClassNameA(Hwnd window, char *buffer, int size) override {
        return ::GetClassNameA(window, buffer, size);
    }
    int GetWindowTextA(Hwnd window, char *buffer, int size) override {
        return ::GetWindowTextA(window, buffer, size);
    }
    bool SetWindowTextA(Hwnd window, const char *text) override {
        return ::SetWindowTextA(window, text) != 0;
    }
    bool IsWindow(Hwnd window) override { return ::IsWindow(window) != 0; }
    bool IsWindowVisible(Hwnd window) override { return ::IsWindowVisible(window) != 0; }
    bool IsIconic(Hwnd window) override { return ::IsIconic(window) != 0; }
    Dword GetWindowThreadProcessId(Hwnd window) override {
        return ::GetWindowThreadProcessId(window, nullptr);
    }
    bool ShowWindow(Hwnd window, int command) override { return ::ShowWindow(window, command) != 0; }
    bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, Uint flags) override {
        return ::SetWindowPos(window, insertAfter, x, y, cx, cy, flags) != 0;
    }
    bool GetWindowRect(Hwnd window, Rect *rect) override {
        RECT r{};
        BOOL ok = ::GetWindowRect(window, &r);
        *rect = Rect{r.left, r.top, r.right, r.bottom};
        return ok != 0;
    }
    bool GetWindowPlacement(Hwnd window, WindowPlacement *placement) override {
        placement->length = sizeof(WINDOWPLACEMENT);
        return ::GetWindowPlacement(window, reinterpret_cast<WINDOWPLACEMENT *>(placement)) != 0;
    }
    bool SetWindowPlacement(Hwnd window, const WindowPlacement *placement) override {
        return ::SetWindowPlacement(window, reinterpret_cast<const WINDOWPLACEMENT *>(placement)) != 0;
    }
    bool SetPropA(Hwnd window, const char *name, std::intptr_t data) override {
        return ::SetPropA(window, name, reinterpret_cast<HANDLE>(data)) != 0;
    }
    std::intptr_t GetPropA(Hwnd window, const char *name) override {
        return reinterpret_cast<std::intptr_t>(::GetPropA(window, name));
    }
    std::intptr_t RemovePropA(Hwnd window, const char *name) override {
        return reinterpret_cast<std::intptr_t>(::RemovePropA(window, name));
    }
    Hwnd GetTopWindow(Hwnd parent) override { return ::GetTopWindow(parent); }
    Hwnd GetWindow(Hwnd window, Uint relation) override { return ::GetWindow(window, relation); }
    bool SetForegroundWindow(Hwnd window) override { return ::SetForegroundWindow(window) != 0; }
    Hwnd SetActiveWindow(Hwnd window) override { return ::SetActiveWindow(window); }
    bool DestroyWindow(Hwnd window) override { return ::DestroyWindow(window) != 0; }
    bool EnableWindow(Hwnd window, bool enable) override { return ::EnableWindow(window, enable) != 0; }
    bool GetCursorPos(Point *point) override {
        POINT p{};
        BOOL ok = ::GetCursorPos(&p);
        *point = Point{p.x, p.y};
        return ok != 0;
    }
    bool SystemParametersInfoA(Uint action, Uint param, void *data, Uint winIni) override {
        return ::SystemParametersInfoA(action, param, data, winIni) != 0;
    }
    std::intptr_t SubclassWindow(Hwnd window, WindowHandler *handler) override {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(handler));
        return ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowTrampoline));
    }
    Lresult CallWindowProcA(std::intptr_t procedure, Hwnd window, Uint message, Wparam wParam,
                            Lparam lParam) override {
        return ::CallWindowProcA(reinterpret_cast<WNDPROC>(procedure), window, message, wParam, lParam);
    }
    Hcursor SetCursor(Hcursor cursor) override { return ::SetCursor(cursor); }
    Hwnd CreateWindowExA(Dword exStyle, const char *className, const char *title, Dword style, int x, int y,
                         int width, int height, Hwnd parent, int id) override {
        return ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleA(nullptr), nullptr);
    }
    int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }
    // The monitors' calls are looked up, not imported: Windows 95 and NT 4.0 lack them and
    // would refuse to load an exe that names them.
    Rect WorkAreaAt(const Rect &rect) override {
        // MONITORINFO, its rectangles the core's (laid out as RECT).
        struct MonitorInfo {
            DWORD cbSize;
            Rect rcMonitor;
            Rect rcWork;
            DWORD dwFlags;
        } monitor;
        static_assert(sizeof(MonitorInfo) == sizeof(MONITORINFO), "MONITORINFO's layout");
        using FromRect = HMONITOR(WINAPI *)(const Rect *, DWORD);
        using Info = BOOL(WINAPI *)(HMONITOR, MonitorInfo *);
        HMODULE user = ::GetModuleHandleA("user32.dll");
        auto fromRect = reinterpret_cast<FromRect>(
            reinterpret_cast<void (*)()>(::GetProcAddress(user, "MonitorFromRect")));
        auto info =
            reinterpret_cast<Info>(reinterpret_cast<void (*)()>(::GetProcAddress(user, "GetMonitorInfoA")));
        monitor.cbSize = sizeof monitor;
        if (::GetSystemMetrics(SM_CXVIRTUALSCREEN) != 0 && fromRect != nullptr && info != nullptr &&
            info(fromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor) != 0)
            return monitor.rcWork;
        if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &monitor.rcWork, 0) == 0)
            ::GetWindowRect(::GetDesktopWindow(), reinterpret_cast<RECT *>(&monitor.rcWork));
        return monitor.rcWork;
    }
    bool AdjustWindowRectEx(Rect *rect, std::uint32_t style, bool menu, std::uint32_t exStyle) override {
        RECT r{rect->left, rect->top, rect->right, rect->bottom};
        BOOL ok = ::AdjustWindowRectEx(&r, style, menu, exStyle);
        *rect = Rect{r.left, r.top, r.right, r.bottom};
        return ok != 0;
    }
    Hwnd GetDesktopWindow() override { return ::GetDesktopWindow(); }
    bool InvalidateRect(Hwnd window, const Rect *rect, bool erase) override {
        RECT r{};
        if (rect != nullptr) r = RECT{rect->left, rect->top, rect->right, rect->bottom};
        return ::InvalidateRect(window, rect != nullptr ? &r : nullptr, erase) != 0;
    }
    // Looked up once, not imported: dwmapi.dll came with Vista, and Windows 95 and NT 4.0 would
    // refuse to load an exe that names it. Taken from the system directory alone, never from the
    // exe's own or the current one, where anyone could put a DLL of that name. Without the DLL or
    // its function, the call fails as the caller expects of a system that cloaks nothing.
    std::int32_t DwmGetWindowAttribute(Hwnd window, Dword attribute, void *value, Dword size) override {
        using Get = HRESULT(WINAPI *)(HWND, DWORD, PVOID, DWORD);
        if (!dwmLookedUp) {
            dwmLookedUp = true;
            char path[MAX_PATH + 16];
            const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
            if (length != 0 && length < MAX_PATH) {
                std::memcpy(path + length, "\\dwmapi.dll", sizeof "\\dwmapi.dll");
                // A missing file is no reason for the system to ask the user anything.
                const UINT mode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
                HMODULE dwm = ::LoadLibraryA(path);
                ::SetErrorMode(mode);
                if (dwm != nullptr)
                    dwmGet = reinterpret_cast<void (*)()>(::GetProcAddress(dwm, "DwmGetWindowAttribute"));
            }
        }
        if (dwmGet == nullptr) return static_cast<std::int32_t>(E_NOTIMPL);
        return reinterpret_cast<Get>(dwmGet)(window, attribute, value, size);
    }
};

class Win32Message final : public MessagePort {
  public:
    // Messages.
    Lresult SendMessageA(Hwnd window, Uint message, Wparam wParam, Lparam lParam) override {
        return ::SendMessageA(window, message, wParam, lParam);
    }
    bool PostMessageA(Hwnd window, Uint message, Wparam wParam, Lparam lParam) override {
        return ::PostMessageA(window, message, wParam, lParam) != 0;
    }
    void PostQuitMessage(int exitCode) override { ::PostQuitMessage(exitCode); }
    int MessageBoxA(Hwnd owner, const char *text, const char *caption, Uint type) override {
        return ::MessageBoxA(owner, text, caption, type);
    }
    Lresult SendMessageTimeoutA(Hwnd window, Uint message, Wparam wParam, Lparam lParam, Uint flags,
                                Uint timeout, std::uintptr_t *result) override {
        DWORD_PTR answer = 0;
        LRESULT sent = ::SendMessageTimeoutA(window, message, wParam, lParam, flags, timeout, &answer);
        if (result != nullptr) *result = answer;
        return sent;
    }
    Uint RegisterWindowMessageA(const char *name) override { return ::RegisterWindowMessageA(name); }
    bool SetTimer(Hwnd window, Uint id, Uint elapse) override {
        return ::SetTimer(window, id, elapse, nullptr) != 0;
    }
    bool KillTimer(Hwnd window, Uint id) override { return ::KillTimer(window, id) != FALSE; }
    Dword GetTickCount() override { return ::GetTickCount(); }
};

class Win32Registry final : public RegistryPort {
  public:
    // Registry.
    std::int32_t RegOpenKeyExA(Hkey parent, const char *path, Dword access, Hkey *result) override {
        return ::RegOpenKeyExA(parent, path, 0, access, result);
    }
    std::int32_t RegCreateKeyExA(Hkey parent, const char *path, Dword access, Hkey *result) override {
        DWORD disposition = 0;
        return ::RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, result,
                                 &disposition);
    }
    std::int32_t RegQueryValueExA(Hkey key, const char *name, Dword *type, void *data, Dword *size) override {
        DWORD t = 0;
        DWORD s = size != nullptr ? *size : 0;
        LONG result = ::RegQueryValueExA(key, name, nullptr, &t, static_cast<BYTE *>(data),
                                         size != nullptr ? &s : nullptr);
        if (type != nullptr) *type = t;
        if (size != nullptr) *size = s;
        return result;
    }
    std::int32_t RegSetValueExA(Hkey key, const char *name, Dword type, const void *data,
                                Dword size) override {
        return ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size);
    }
    std::int32_t RegDeleteKeyA(Hkey parent, const char *path) override {
        return ::RegDeleteKeyA(parent, path);
    }
    std::int32_t RegDeleteValueA(Hkey key, const char *name) override { return ::RegDeleteValueA(key, name); }
    std::int32_t RegCloseKey(Hkey key) override { return ::RegCloseKey(key); }
};

class Win32Shell final : public ShellPort {
  public:
    // Shell and hot keys.
    bool Shell_NotifyIconA(Dword message, const NotifyIconData *data) override {
        NOTIFYICONDATAA record;
        std::memset(&record, 0, sizeof record);
        record.cbSize = NOTIFYICONDATAA_V1_SIZE;
        record.hWnd = data->hWnd;
        record.uID = data->uID;
        record.uFlags = data->uFlags;
        record.uCallbackMessage = data->uCallbackMessage;
        record.hIcon = data->hIcon;
        static_assert(sizeof record.szTip >= sizeof data->szTip, "tip fits");
        std::memcpy(record.szTip, data->szTip, sizeof data->szTip);
        return ::Shell_NotifyIconA(message, &record) != 0;
    }
    bool RegisterHotKey(Hwnd window, int id, Uint modifiers, Uint key) override {
        return ::RegisterHotKey(window, id, modifiers, key) != 0;
    }
    bool UnregisterHotKey(Hwnd window, int id) override { return ::UnregisterHotKey(window, id) != 0; }
    std::intptr_t ShellExecuteA(Hwnd owner, const char *operation, const char *file, const char *parameters,
                                const char *directory, int show) override {
        return reinterpret_cast<std::intptr_t>(
            ::ShellExecuteA(owner, operation, file, parameters, directory, show));
    }
};

class Win32Resource final : public ResourcePort {
  public:
    // Resources.
    int LoadStringA(Uint id, char *buffer, int size) override {
        return ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, size);
    }
    Hicon LoadIconA(int id) override {
        return ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    }
    Hmenu LoadMenuA(int id) override {
        return ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    }
    Uint GetUserDefaultLCID() override { return ::GetUserDefaultLCID(); }
    Dword GetVersion() override { return ::GetVersion(); }
    Uint GetWindowsDirectoryA(char *buffer, Uint size) override {
        return ::GetWindowsDirectoryA(buffer, size);
    }
    // The uninstall line's system directory as the program that runs the line reaches it. On
    // 64-bit Windows a 32-bit program's own is system32 redirected to SysWOW64, and Add/Remove
    // Programs, itself 64-bit, would take that name for the 64-bit folder: the SysWOW64 name
    // there. Windows 95 and NT 4.0 lack the call; 32-bit Windows fails it.
    Uint GetSystemDirectoryA(char *buffer, Uint size) override {
#ifndef _WIN64
        using Wow64Directory = UINT(WINAPI *)(LPSTR, UINT);
        FARPROC found = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetSystemWow64DirectoryA");
        if (found != nullptr) {
            UINT length = reinterpret_cast<Wow64Directory>(reinterpret_cast<void (*)()>(found))(buffer, size);
            if (length != 0) return length;
        }
#endif
        return ::GetSystemDirectoryA(buffer, size);
    }
    Hcursor LoadCursorA(int id) override {
        return ::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    }
    Hfont CreateFontA(int height, int weight, const char *face) override {
        return ::CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face);
    }
    bool DeleteObject(Hfont font) override {
        return ::DeleteObject(font) != 0;
    }
};

class Win32Menu final : public MenuPort {
  public:
    // Menus.
    Hmenu GetSubMenu(Hmenu menu, int position) override { return ::GetSubMenu(menu, position); }
    Hmenu CreatePopupMenu() override { return ::CreatePopupMenu(); }
    bool AppendMenuA(Hmenu menu, Uint flags, std::uintptr_t id, const char *text) override {
        return ::AppendMenuA(menu, flags, id, text) != 0;
    }
    bool RemoveMenu(Hmenu menu, Uint item, Uint flags) override {
        return ::RemoveMenu(menu, item, flags) != 0;
    }
    bool GetMenuItemInfoA(Hmenu menu, Uint item, bool byPosition, MenuItemInfo *info) override {
        MENUITEMINFOA out = ToSystem(*info);
        BOOL ok = ::GetMenuItemInfoA(menu, item, byPosition, &out);
        info->fType = out.fType;
        info->fState = out.fState;
        info->wID = out.wID;
        info->hSubMenu = out.hSubMenu;
        info->cch = out.cch;
        return ok != 0;
    }
    bool SetMenuItemInfoA(Hmenu menu, Uint item, bool byPosition, const MenuItemInfo *info) override {
        MENUITEMINFOA in = ToSystem(*info);
        return ::SetMenuItemInfoA(menu, item, byPosition, &in) != 0;
    }
    bool InsertMenuItemA(Hmenu menu, Uint item, bool byPosition, const MenuItemInfo *info) override {
        MENUITEMINFOA in = ToSystem(*info);
        return ::InsertMenuItemA(menu, item, byPosition, &in) != 0;
    }
    bool TrackPopupMenuEx(Hmenu menu, Uint flags, int x, int y, Hwnd owner) override {
        return ::TrackPopupMenuEx(menu, flags, x, y, owner, nullptr) != 0;
    }
    bool DestroyMenu(Hmenu menu) override { return ::DestroyMenu(menu) != 0; }
    Hmenu GetSystemMenu(Hwnd window, bool revert) override { return ::GetSystemMenu(window, revert); }
    bool DeleteMenu(Hmenu menu, Uint item, Uint flags) override {
        return ::DeleteMenu(menu, item, flags) != 0;
    }
};

class Win32Dialog final : public DialogPort {
  public:
    // Dialogs: the handler travels as the creation parameter and is kept in the dialog.
    std::intptr_t DialogBoxParamA(int resource, Hwnd owner, DialogHandler *handler) override {
        return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), owner,
                                 DialogTrampoline, reinterpret_cast<LPARAM>(handler));
    }
    bool EndDialog(Hwnd dialog, std::intptr_t result) override { return ::EndDialog(dialog, result) != 0; }
    Hwnd GetDlgItem(Hwnd dialog, int id) override { return ::GetDlgItem(dialog, id); }
    bool MapDialogRect(Hwnd dialog, Rect *rect) override {
        RECT r{rect->left, rect->top, rect->right, rect->bottom};
        BOOL ok = ::MapDialogRect(dialog, &r);
        *rect = Rect{r.left, r.top, r.right, r.bottom};
        return ok != 0;
    }
};

class Win32Toolbar final : public ToolbarPort {
  public:
    // Toolbar.
    Hwnd CreateToolbarEx(Hwnd parent, std::uint32_t style, Uint id, int bitmaps, int bitmapResource,
                         const ToolbarButton *buttons, int count, int dxButton, int dyButton, int dxBitmap,
                         int dyBitmap) override {
        TBBUTTON records[MaxToolbarButtons];
        if (count < 0 || count > MaxToolbarButtons) return nullptr;
        std::memset(records, 0, sizeof records);
        for (int i = 0; i < count; ++i) {
            records[i].iBitmap = buttons[i].iBitmap;
            records[i].idCommand = buttons[i].idCommand;
            records[i].fsState = buttons[i].fsState;
            records[i].fsStyle = buttons[i].fsStyle;
            records[i].dwData = buttons[i].dwData;
            records[i].iString = buttons[i].iString;
        }
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        return ::CreateToolbarEx(parent, style, id, bitmaps, instance, static_cast<UINT_PTR>(bitmapResource),
                                 records, count, dxButton, dyButton, dxBitmap, dyBitmap, sizeof(TBBUTTON));
    }
};

namespace {

// The ports keep no state: constants, in the exe's read-only data, with no code to make them
// and no data section. Their operations change nothing in them.
const Win32Window window{};
const Win32Message message{};
const Win32Registry registry{};
const Win32Shell shell{};
const Win32Resource resource{};
const Win32Menu menu{};
const Win32Dialog dialog{};
const Win32Toolbar toolbar{};
const Platform ports{const_cast<Win32Window &>(window),     const_cast<Win32Message &>(message),
                     const_cast<Win32Registry &>(registry), const_cast<Win32Shell &>(shell),
                     const_cast<Win32Resource &>(resource), const_cast<Win32Menu &>(menu),
                     const_cast<Win32Dialog &>(dialog),     const_cast<Win32Toolbar &>(toolbar)};

} // namespace

Platform &Win32Ports() {
    return const_cast<Platform &>(ports);
}

} // namespace q
