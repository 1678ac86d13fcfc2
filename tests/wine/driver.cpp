// driver.exe: the scripted scenarios' hands and eyes inside the Wine session. One subcommand per
// run: wait for windows, make ordinary windows to switch, read their states and the z-order,
// read and seed the registry, post or send messages, hold a hot key.
//
//   wait-window CLASS [SECONDS]       found: prints the handle; 1 on timeout (default 10 s)
//   wait-title TITLE [SECONDS]        the same by title; prints the handle and the class
//   gone-window CLASS [SECONDS]       0 once no window of the class exists
//   count CLASS                       the number of top-level windows of the class
//   windows PREFIX N                  N overlapped windows PREFIX1..PREFIXN; "ready"; message loop
//   state TITLE...                    "TITLE iconic= visible= foreground= z=" per title
//   wait-iconic 0|1 SECONDS TITLE...  0 once every titled window's iconic state is the given one
//   reg-get KEY VALUE                 "type=N size=N data=HEX" (+ text="..." for REG_SZ)
//   reg-keys KEY / reg-values KEY     the names, one per line
//   reg-set-dword KEY VALUE N [SIZE]  / reg-set-sz KEY VALUE TEXT [SIZE]
//   reg-delete-key KEY                the key and its subkeys
//   post / send CLASS MSG WPARAM LPARAM
//   hold-hotkey MODS VK               "held" or "refused", then "hotkey ID" per press; loop
//   visible CLASS                     0 when the window exists and is visible
//   foreground                        title="..." class="..." of the foreground window
//   reg-dump KEY                      "SUBPATH\NAME type=N size=N data=HEX" for every value below
//   reg-deny-read KEY / reg-allow-read KEY
//                                     a DACL letting everyone do anything but (or and) read
//                                     the key; prints "read=N", the error of a KEY_READ open
//   text-fit EXE                      every text of EXE's dialogs, both languages, measured in
//                                     its control with the dialog's own font; 0 when all fit
//   note FILE TEXT                    appends TEXT and a line feed to FILE (a link handler)
//   show TITLE N                      ShowWindow(N) on the window with that exact caption
//   about TITLE                       the About box: how many, iconic, its gap to the work
//                                     area's lower right, the picture strip and the links
//   cursor                            cursor=HANDLE of the cursor on the screen
//   hung-window TITLE                 a window of class QuillaneDriverHung made by a second
//                                     thread, which stops pumping for good when the window gets
//                                     WM_USER + 100; "ready"; runs until killed
//   slow-windows PREFIX MS [told]     PREFIX1..PREFIX4, made by one thread, which works for MS
//                                     milliseconds (a message it posts itself from the WM_SIZE)
//                                     once the first of them to be minimised or restored has
//                                     returned, or when sent WM_USER + 101, and again after a
//                                     second of rest; with "told", only when sent WM_USER + 101;
//                                     "ready"; loop
//   tray-delete CLASS ID...           NIM_DELETE of the class's window's notification icons
//   taskbar-created CLASS             sends the registered "TaskbarCreated" to the window
//   answer-cost PREFIX N ROUNDS       microseconds per SendMessageTimeoutA(WM_NULL) to the
//                                     windows PREFIX1..PREFIXN, and per minimise + restore
//   floating                          the floating window: "rect L T R B", "rows N" (the
//                                     toolbar's height in buttons), "toolbar L T R B",
//                                     "button W H", "shown IDS", "pressed IDS",
//                                     "visible 0|1", "topmost 0|1", "frame CX CY" (the
//                                     sizing frame's width and height), one per line
//   sizing EDGE L T R B               WM_SIZING to the floating window; prints the rect it chose
//   habits PREFIX                     PREFIXHider, overlapped, which its program hides when it
//                                     is minimised (as Wine's Task Manager does), and
//                                     PREFIXRefuser, a pop-up at 200, 150 that restores itself
//                                     in WM_SIZE when minimised, and PREFIXYielder, a pop-up at
//                                     260, 210 that does so until `minimize` tells it; "ready";
//                                     message loop
//   owners PREFIX                     PREFIXOwner with PREFIXFind, a modeless owned pop-up at
//                                     420, 300; PREFIXNote with PREFIXAbout, a modal one at 420,
//                                     450 (PREFIXNote disabled); PREFIXPlain, ordinary. The owners
//                                     hide their pop-ups when minimised and show them again when
//                                     restored, as Windows does; "ready"; message loop
//   plain-owners PREFIX               owners that hide and show nothing themselves: PREFIXOwner
//                                     with PREFIXFind (modeless, 420, 300), PREFIXNote with
//                                     PREFIXAbout (modal, 420, 450); PREFIXFormA and PREFIXFormB
//                                     (WS_EX_APPWINDOW) and PREFIXTool (WS_EX_TOOLWINDOW) owned by
//                                     PREFIXApp, never shown; PREFIXMain owned by PREFIXAppWindow,
//                                     visible and of no size, which its minimise minimises; then
//                                     PREFIXPlain, on top and active; "ready"; message loop
//   kinds PREFIX                      PREFIXPlain, overlapped at 60, 60; PREFIXPopup, a caption-
//                                     less pop-up at 400, 100; PREFIXTool, a WS_EX_TOOLWINDOW
//                                     window at 400, 300; "ready"; message loop
//   terminate CLASS                   ends the process of the class's window from outside
//                                     (TerminateProcess, as the task list does) and waits for it
//   marks TITLE                       "marks=N": how many of the program's marks the window has
//   where TITLE                       "x=L y=T visible=0|1 iconic=0|1" of the titled window
//   version                           the Windows GetVersion reports: "4.0 windows95", "5.1 nt"
//   minimize TITLE                    the titled window of `habits` minimises itself and takes
//                                     minimises from now on, as its user would have it
//
// Numbers are decimal or 0x hex. Exit codes: 0 yes/done, 1 no/missing/timeout, 2 bad usage.
#include <windows.h> // first: the other system headers need its types

#include <commctrl.h>

#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Out(const char *format, ...) __attribute__((format(printf, 1, 2)));
void Out(const char *format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

int Usage() {
    std::fprintf(stderr, "driver.exe: bad arguments (see tests/wine/driver.cpp)\n");
    return 2;
}

unsigned long Number(const char *text) {
    bool negative = *text == '-';
    if (negative) ++text;
    unsigned long value = (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
                              ? std::strtoul(text + 2, nullptr, 16)
                              : std::strtoul(text, nullptr, 10);
    return negative ? 0UL - value : value;
}

DWORD Seconds(int argc, char **argv, int index, DWORD fallback) {
    if (index >= argc) return fallback * 1000;
    return static_cast<DWORD>(std::atof(argv[index]) * 1000.0);
}

// Polls until the condition holds or the time is up.
template <typename Condition> bool Within(DWORD milliseconds, Condition condition) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= milliseconds) return false;
        Sleep(50);
    }
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TitleOf(HWND window) {
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

// ---------------------------------------------------------------------------------------------
// Registry

struct KeyPath {
    HKEY root = nullptr;
    const char *path = "";
};

bool ParseKey(const char *text, KeyPath &key) {
    static const struct {
        const char *prefix;
        HKEY root;
    } roots[] = {{"HKCU", HKEY_CURRENT_USER},
                 {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                 {"HKLM", HKEY_LOCAL_MACHINE},
                 {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}};
    for (const auto &r : roots) {
        size_t n = std::strlen(r.prefix);
        if (_strnicmp(text, r.prefix, n) == 0 && (text[n] == '\\' || text[n] == '\0')) {
            key.root = r.root;
            key.path = text[n] == '\\' ? text + n + 1 : text + n;
            return true;
        }
    }
    return false;
}

HKEY OpenKey(const char *text, REGSAM access) {
    KeyPath key;
    if (!ParseKey(text, key)) return nullptr;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(key.root, key.path, 0, access, &opened) != ERROR_SUCCESS) return nullptr;
    return opened;
}

HKEY CreateKey(const char *text) {
    KeyPath key;
    if (!ParseKey(text, key)) return nullptr;
    HKEY created = nullptr;
    if (RegCreateKeyExA(key.root, key.path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &created, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return created;
}

int RegGet(const char *keyText, const char *name) {
    HKEY key = OpenKey(keyText, KEY_QUERY_VALUE);
    if (key == nullptr) return 1;
    std::vector<BYTE> data(65536, 0);
    DWORD type = 0, size = static_cast<DWORD>(data.size());
    LONG status = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return 1;
    std::string hex;
    for (DWORD i = 0; i < size; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", data[i]);
        hex += pair;
    }
    Out("type=%lu size=%lu data=%s", type, size, hex.c_str());
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        Out(" text=\"%.*s\"", static_cast<int>(strnlen(reinterpret_cast<char *>(data.data()), size)),
            reinterpret_cast<char *>(data.data()));
    Out("\n");
    return 0;
}

int RegNames(const char *keyText, bool subkeys) {
    HKEY key = OpenKey(keyText, KEY_READ);
    if (key == nullptr) return 1;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD length = sizeof name;
        LONG status = subkeys ? RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr)
                              : RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
        Out("%s\n", name);
    }
    RegCloseKey(key);
    return 0;
}

int RegSet(const char *keyText, const char *name, DWORD type, const BYTE *data, DWORD size) {
    HKEY key = CreateKey(keyText);
    if (key == nullptr) return 1;
    LONG status = RegSetValueExA(key, name, 0, type, data, size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 0 : 1;
}

LONG DeleteTree(HKEY root, const char *path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return ERROR_FILE_NOT_FOUND;
    for (;;) {
        char name[512];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (DeleteTree(key, name) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(root, path);
}

int RegDeleteKey(const char *keyText) {
    KeyPath key;
    if (!ParseKey(keyText, key)) return Usage();
    return DeleteTree(key.root, key.path) == ERROR_SUCCESS ? 0 : 1;
}

void DumpKey(HKEY key, const std::string &prefix) {
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD length = sizeof name;
        std::vector<BYTE> data(65536, 0);
        DWORD type = 0, size = static_cast<DWORD>(data.size());
        if (RegEnumValueA(key, i, name, &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        std::string hex;
        for (DWORD b = 0; b < size; ++b) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02X", data[b]);
            hex += pair;
        }
        Out("%s%s type=%lu size=%lu data=%s\n", prefix.c_str(), name, type, size, hex.c_str());
    }
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) {
            Out("%s%s\\ unreadable\n", prefix.c_str(), name);
            continue;
        }
        DumpKey(sub, prefix + name + "\\");
        RegCloseKey(sub);
    }
}

int RegDump(const char *keyText) {
    HKEY key = OpenKey(keyText, KEY_READ);
    if (key == nullptr) return 1;
    DumpKey(key, "");
    RegCloseKey(key);
    return 0;
}

// Everyone may do anything with the key; with `denyRead`, except query, enumerate and notify,
// which a deny ACE ahead of the allow ACE takes away (writing stays allowed).
int RegReadAccess(const char *keyText, bool denyRead) {
    HKEY key = OpenKey(keyText, WRITE_DAC);
    if (key == nullptr) return 1;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
        RegCloseKey(key);
        return 1;
    }
    const DWORD aclSize = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone));
    std::vector<BYTE> aclBuffer(aclSize, 0);
    PACL acl = reinterpret_cast<PACL>(aclBuffer.data());
    bool built =
        InitializeAcl(acl, aclSize, ACL_REVISION) &&
        (!denyRead || AddAccessDeniedAce(acl, ACL_REVISION,
                                         KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY, everyone)) &&
        AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
    SECURITY_DESCRIPTOR descriptor;
    LONG status = ERROR_INVALID_PARAMETER;
    if (built && InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE))
        status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
    FreeSid(everyone);
    if (status != ERROR_SUCCESS) return 1;
    KeyPath path;
    ParseKey(keyText, path);
    HKEY reading = nullptr;
    LONG read = RegOpenKeyExA(path.root, path.path, 0, KEY_READ, &reading);
    if (read == ERROR_SUCCESS) RegCloseKey(reading);
    Out("read=%ld\n", static_cast<long>(read));
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Windows of our own

int g_open = 0;
UINT g_hotKeyId = 0;

LRESULT CALLBACK DriverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_HOTKEY:
        Out("hotkey %u\n", static_cast<unsigned>(wParam));
        return 0;
    case WM_DESTROY:
        if (g_hotKeyId != 0) UnregisterHotKey(window, static_cast<int>(g_hotKeyId));
        if (--g_open <= 0) PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A white window class of the driver's with the given procedure; returns its name.
const char *RegisterDriverClass(const char *name, WNDPROC procedure) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    return name;
}

const char *DriverClass() {
    static const char *name = RegisterDriverClass("QuillaneDriverWindow", DriverWindowProc);
    return name;
}

int Loop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int MakeWindows(const char *prefix, int count) {
    if (count < 1) return Usage();
    for (int i = 1; i <= count; ++i) {
        std::string title = prefix + std::to_string(i);
        HWND window = CreateWindowExA(0, DriverClass(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      40 + 30 * (i - 1), 40 + 30 * (i - 1), 300, 200, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        if (window == nullptr) return 1;
        ++g_open;
        UpdateWindow(window);
    }
    Out("ready\n");
    return Loop();
}

LRESULT CALLBACK HabitWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED)
        ShowWindow(window, (GetWindowLongA(window, GWL_STYLE) & WS_POPUP) != 0 ? SW_RESTORE : SW_HIDE);
    return DriverWindowProc(window, message, wParam, lParam);
}

// Refuses every minimise until it is asked to minimise itself (`minimize`).
constexpr UINT GiveIn = WM_USER + 101;
LRESULT CALLBACK YieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == GiveIn) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 1);
        ShowWindow(window, SW_MINIMIZE);
        return 0;
    }
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED && GetWindowLongPtrA(window, GWLP_USERDATA) == 0)
        ShowWindow(window, SW_RESTORE);
    return DriverWindowProc(window, message, wParam, lParam);
}

int Habits(const char *prefix) {
    const char *habitClass = RegisterDriverClass("QuillaneDriverHabit", HabitWindowProc);
    const std::string hider = std::string(prefix) + "Hider", refuser = std::string(prefix) + "Refuser";
    HWND a = CreateWindowExA(0, habitClass, hider.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300, 200,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND b = CreateWindowExA(0, habitClass, refuser.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                             200, 150, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    const std::string yielder = std::string(prefix) + "Yielder";
    HWND c = CreateWindowExA(0, RegisterDriverClass("QuillaneDriverYield", YieldProc), yielder.c_str(),
                             WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 260, 210, 300, 200, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    if (a == nullptr || b == nullptr || c == nullptr) return 1;
    g_open += 3;
    Out("ready\n");
    return Loop();
}

// Windows hides an owner's pop-ups when the owner is minimised and shows them again when it is
// restored; Wine 8 does neither, so these owners apply the rule themselves.
LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED)
        ShowOwnedPopups(window, FALSE);
    else if (message == WM_SIZE && (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED))
        ShowOwnedPopups(window, TRUE);
    return DriverWindowProc(window, message, wParam, lParam);
}

int Owners(const char *prefix) {
    const char *ownerClass = RegisterDriverClass("QuillaneDriverOwner", OwnerWindowProc);
    const std::string p = prefix;
    const DWORD popup = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND owner = CreateWindowExA(0, ownerClass, (p + "Owner").c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60,
                                 300, 300, 140, nullptr, nullptr, instance, nullptr);
    HWND find = CreateWindowExA(0, DriverClass(), (p + "Find").c_str(), popup, 420, 300, 240, 120, owner,
                                nullptr, instance, nullptr);
    HWND note = CreateWindowExA(0, ownerClass, (p + "Note").c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60,
                                450, 300, 140, nullptr, nullptr, instance, nullptr);
    HWND about = CreateWindowExA(0, DriverClass(), (p + "About").c_str(), popup, 420, 450, 240, 120, note,
                                 nullptr, instance, nullptr);
    HWND plain = CreateWindowExA(0, DriverClass(), (p + "Plain").c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 600, 60, 300, 140, nullptr, nullptr, instance, nullptr);
    if (owner == nullptr || find == nullptr || note == nullptr || about == nullptr || plain == nullptr)
        return 1;
    g_open += 5;
    EnableWindow(note, FALSE); // the About box is modal
    Out("ready\n");
    return Loop();
}

// The framework's main form: its minimise minimises the application window that owns it, which
// holds the taskbar button (where the system hides owned windows, that hides the form).
LRESULT CALLBACK MainFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(GetWindow(window, GW_OWNER), SW_MINIMIZE);
        return 0;
    }
    return DriverWindowProc(window, message, wParam, lParam);
}

// Owners that apply no rule of their own, so that the system's rule is the one seen, and the two
// ways frameworks own their forms; the plain window last, on top and active.
int PlainOwners(const char *prefix) {
    const std::string p = prefix;
    const DWORD popup = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    const DWORD overlapped = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    auto make = [&](DWORD exStyle, const char *cls, const char *name, DWORD style, int x, int y, int cx,
                    int cy, HWND owner) {
        HWND w = CreateWindowExA(exStyle, cls, (p + name).c_str(), style, x, y, cx, cy, owner, nullptr,
                                 instance, nullptr);
        if (w != nullptr && cls == DriverClass()) ++g_open;
        return w;
    };
    HWND owner = make(0, DriverClass(), "Owner", overlapped, 60, 300, 300, 140, nullptr);
    HWND find = make(0, DriverClass(), "Find", popup, 420, 300, 240, 120, owner);
    HWND note = make(0, DriverClass(), "Note", overlapped, 60, 450, 300, 140, nullptr);
    HWND about = make(0, DriverClass(), "About", popup, 420, 450, 240, 120, note);
    // Never shown: it owns every form; those with a taskbar button say so.
    HWND hidden = make(0, DriverClass(), "App", WS_POPUP, 0, 0, 0, 0, nullptr);
    HWND formA = make(WS_EX_APPWINDOW, DriverClass(), "FormA", overlapped, 100, 80, 260, 120, hidden);
    HWND formB = make(WS_EX_APPWINDOW, DriverClass(), "FormB", overlapped, 140, 120, 260, 120, hidden);
    HWND tool = make(WS_EX_TOOLWINDOW, DriverClass(), "Tool", overlapped, 680, 300, 200, 120, hidden);
    // Visible, of no size, with the taskbar button: it owns the main form and minimises for it.
    HWND appWindow = make(0, DriverClass(), "AppWindow", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, nullptr);
    HWND main = make(0, RegisterDriverClass("QuillaneDriverMainForm", MainFormProc), "Main", overlapped, 660,
                     460, 260, 140, appWindow);
    HWND plain = make(0, DriverClass(), "Plain", overlapped, 600, 60, 300, 140, nullptr);
    if (owner == nullptr || find == nullptr || note == nullptr || about == nullptr || hidden == nullptr ||
        formA == nullptr || formB == nullptr || tool == nullptr || appWindow == nullptr || main == nullptr ||
        plain == nullptr)
        return 1;
    ++g_open;                  // the main form
    EnableWindow(note, FALSE); // the About box is modal
    SetForegroundWindow(plain);
    Out("ready\n");
    return Loop();
}

int Kinds(const char *prefix) {
    const std::string p = prefix;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND plain = CreateWindowExA(0, DriverClass(), (p + "Plain").c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 60, 60, 300, 200, nullptr, nullptr, instance, nullptr);
    HWND popup = CreateWindowExA(0, DriverClass(), (p + "Popup").c_str(), WS_POPUP | WS_BORDER | WS_VISIBLE,
                                 400, 100, 240, 120, nullptr, nullptr, instance, nullptr);
    HWND tool = CreateWindowExA(WS_EX_TOOLWINDOW, DriverClass(), (p + "Tool").c_str(),
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 300, 240, 120, nullptr, nullptr,
                                instance, nullptr);
    if (plain == nullptr || popup == nullptr || tool == nullptr) return 1;
    g_open += 3;
    Out("ready\n");
    return Loop();
}

int Terminate(const char *className) {
    HWND w = FindWindowA(className, nullptr);
    DWORD process = 0;
    if (w == nullptr || GetWindowThreadProcessId(w, &process) == 0) return 1;
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process);
    if (h == nullptr) return 1;
    const bool ended = TerminateProcess(h, 9) && WaitForSingleObject(h, 10000) == WAIT_OBJECT_0;
    CloseHandle(h);
    return ended ? 0 : 1;
}

int Marks(const char *title) {
    HWND w = FindWindowA(nullptr, title);
    if (w == nullptr) return 1;
    Out("marks=%d\n", (GetPropA(w, "QuillaneAway") != nullptr ? 1 : 0) +
                          (GetPropA(w, "QuillaneParkedAt") != nullptr ? 1 : 0));
    return 0;
}

int Where(const char *title) {
    HWND w = FindWindowA(nullptr, title);
    RECT r{};
    if (w == nullptr || !GetWindowRect(w, &r)) return 1;
    Out("x=%ld y=%ld visible=%d iconic=%d\n", static_cast<long>(r.left), static_cast<long>(r.top),
        IsWindowVisible(w) ? 1 : 0, IsIconic(w) ? 1 : 0);
    return 0;
}

int Minimize(const char *title) {
    HWND w = FindWindowA(nullptr, title);
    return w != nullptr && SendMessageA(w, GiveIn, 0, 0) == 0 ? 0 : 1;
}

int HoldHotKey(UINT modifiers, UINT vk) {
    HWND window = CreateWindowExA(0, DriverClass(), "QuillaneDriverHotKey", WS_OVERLAPPED, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) return 1;
    ++g_open;
    if (RegisterHotKey(window, 1, modifiers, vk)) {
        g_hotKeyId = 1;
        Out("held\n");
    } else {
        Out("refused\n");
    }
    return Loop();
}

// ---------------------------------------------------------------------------------------------
// Other programs' windows

// "TITLE iconic= visible= foreground= z=" with z the rank among the given titles, top first.
int State(int count, char **titles) {
    std::vector<HWND> windows;
    bool missing = false;
    for (int i = 0; i < count; ++i) {
        HWND w = FindWindowA(nullptr, titles[i]);
        if (w == nullptr) missing = true;
        windows.push_back(w);
    }
    std::vector<int> rank(windows.size(), -1);
    int next = 0;
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        for (size_t i = 0; i < windows.size(); ++i)
            if (windows[i] == w && rank[i] < 0) rank[i] = next++;
    HWND foreground = GetForegroundWindow();
    for (size_t i = 0; i < windows.size(); ++i) {
        HWND w = windows[i];
        if (w == nullptr) {
            Out("%s missing\n", titles[i]);
            continue;
        }
        Out("%s iconic=%d visible=%d foreground=%d z=%d\n", titles[i], IsIconic(w) ? 1 : 0,
            IsWindowVisible(w) ? 1 : 0, w == foreground ? 1 : 0, rank[i]);
    }
    return missing ? 1 : 0;
}

struct ClassSearch {
    const char *name;
    int found;
};

BOOL CALLBACK CountClass(HWND w, LPARAM data) {
    auto *search = reinterpret_cast<ClassSearch *>(data);
    if (ClassOf(w) == search->name) ++search->found;
    return TRUE;
}

int Count(const char *className) {
    ClassSearch search{className, 0};
    EnumWindows(CountClass, reinterpret_cast<LPARAM>(&search));
    Out("%d\n", search.found);
    return 0;
}

int WaitIconic(bool iconic, DWORD milliseconds, int count, char **titles) {
    bool done = Within(milliseconds, [&] {
        for (int i = 0; i < count; ++i) {
            HWND w = FindWindowA(nullptr, titles[i]);
            if (w == nullptr || (IsIconic(w) != FALSE) != iconic) return false;
        }
        return true;
    });
    return done ? 0 : 1;
}

int Message(bool send, const char *className, char **numbers) {
    HWND w = FindWindowA(className, nullptr);
    if (w == nullptr) {
        Out("no window of class %s\n", className);
        return 1;
    }
    UINT message = static_cast<UINT>(Number(numbers[0]));
    WPARAM wParam = static_cast<WPARAM>(Number(numbers[1]));
    LPARAM lParam = static_cast<LPARAM>(Number(numbers[2]));
    if (!send) return PostMessageA(w, message, wParam, lParam) ? 0 : 1;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(w, message, wParam, lParam, SMTO_NORMAL, 5000, &result)) {
        Out("timeout\n");
        return 1;
    }
    Out("%ld\n", static_cast<long>(result));
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Dialog texts and the About box

// The longest texts the program puts into its dialogs.
constexpr char LongestHotKey[] = "Shift+Ctrl+Alt+F24";
constexpr int TitleMaxLength = 32;
// A check box's square and the gap before its text (13 + 4 pixels at 96 dpi), and a push
// button's frame.
constexpr int CheckBoxSpace = 17;
constexpr int ButtonFrame = 4;

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

std::string Shown(const char *text) {
    std::string out;
    for (const char *p = text; *p != '\0'; ++p)
        out += *p == '\n' ? std::string("\\n") : std::string(1, *p);
    return out;
}

// What a control needs for its text with its font, as the control draws it.
SIZE Needed(HWND control, const char *text, UINT flags, int width) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    DrawTextA(dc, text, -1, &r, flags | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool FitControl(int dialogId, HWND control, HFONT bold) {
    const int id = GetDlgCtrlID(control);
    const std::string cls = ClassOf(control);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    RECT client{};
    GetClientRect(control, &client);
    char text[512] = "";
    GetWindowTextA(control, text, sizeof text);
    const int base = dialogId % 100;
    if (base == 3 && id == 500) {
        // The current hot key label, filled with the longest key text.
        std::string filled = text;
        size_t mark = filled.find("%s");
        if (mark != std::string::npos) filled.replace(mark, 2, LongestHotKey);
        SetWindowTextA(control, filled.c_str());
        std::snprintf(text, sizeof text, "%s", filled.c_str());
    }
    if (base == 2 && id == 100) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);

    SIZE need{0, 0};
    int width = client.right, height = client.bottom;
    if (_stricmp(cls.c_str(), "Edit") == 0) {
        // Typed as a user would: an edit box without horizontal scrolling refuses what does
        // not fit.
        SetWindowTextA(control, "");
        for (int i = 0; i < TitleMaxLength; ++i)
            SendMessageA(control, WM_CHAR, 'W', 1);
        int typed = GetWindowTextLengthA(control);
        Out("dialog=%d control=%d typed=%d of %d W %s\n", dialogId, id, typed, TitleMaxLength,
            typed == TitleMaxLength ? "fits" : "DOES NOT FIT");
        return typed == TitleMaxLength;
    }
    if (_stricmp(cls.c_str(), "Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) return true;
        need = Needed(control, text, DT_WORDBREAK | DT_EXPANDTABS, width);
    } else if (_stricmp(cls.c_str(), "Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        width -= type == BS_AUTOCHECKBOX || type == BS_CHECKBOX ? CheckBoxSpace : ButtonFrame;
        need = Needed(control, text, DT_SINGLELINE, width);
    } else {
        return true; // the key list holds F1 to F24 in 40-pixel columns
    }
    const bool fits = need.cx <= width && need.cy <= height;
    Out("dialog=%d control=%d text=\"%s\" needs=%ldx%ld has=%dx%d %s\n", dialogId, id, Shown(text).c_str(),
        need.cx, need.cy, width, height, fits ? "fits" : "DOES NOT FIT");
    return fits;
}

int TextFit(const char *exe) {
    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return Usage();
    bool all = true;
    for (int dialogId : {1, 2, 3, 101, 102, 103}) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(dialogId), MAKEINTRESOURCEA(5)); // RT_DIALOG
        auto *dialogTemplate =
            found != nullptr ? static_cast<const DLGTEMPLATE *>(LockResource(LoadResource(module, found)))
                             : nullptr;
        HWND dialog = dialogTemplate != nullptr
                          ? CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr,
                                                       QuietDialog, 0)
                          : nullptr;
        if (dialog == nullptr) {
            Out("dialog=%d missing\n", dialogId);
            all = false;
            continue;
        }
        ShowWindow(dialog, SW_HIDE);
        // The About box's name line, as the program makes it: bold, one line of the dialog high.
        RECT line{0, 0, 0, 8};
        MapDialogRect(dialog, &line);
        HFONT bold = CreateFontA(line.bottom, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
        for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
            all = FitControl(dialogId, c, bold) && all;
        DestroyWindow(dialog);
        DeleteObject(bold);
    }
    FreeLibrary(module);
    return all ? 0 : 1;
}

int Note(const char *file, const char *text) {
    FILE *out = std::fopen(file, "a");
    if (out == nullptr) return 1;
    std::fprintf(out, "%s\n", text);
    std::fclose(out);
    return 0;
}

struct CaptionSearch {
    const char *caption;
    HWND found;
    int count;
};

BOOL CALLBACK MatchCaption(HWND w, LPARAM data) {
    auto *search = reinterpret_cast<CaptionSearch *>(data);
    if (IsWindowVisible(w) && TitleOf(w) == search->caption) {
        if (search->found == nullptr) search->found = w;
        ++search->count;
    }
    return TRUE;
}

int Show(const char *caption, int command) {
    CaptionSearch search{caption, nullptr, 0};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return 1;
    ShowWindow(search.found, command);
    return 0;
}

// A screen pixel as RRGGBB.
std::string Pixel(HDC screen, int x, int y) {
    COLORREF c = GetPixel(screen, x, y);
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

int About(const char *caption) {
    CaptionSearch search{caption, nullptr, 0};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    Out("count=%d", search.count);
    if (search.found == nullptr) {
        Out("\n");
        return 1;
    }
    HWND box = search.found;
    RECT work{}, frame{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(box, &frame);
    if (IsIconic(box)) {
        Out(" iconic=1\n");
        return 0;
    }
    Out(" iconic=0 gap=%ld,%ld\n", work.right - frame.right, work.bottom - frame.bottom);
    Out("frame x=%ld y=%ld w=%ld h=%ld\n", frame.left, frame.top, frame.right - frame.left,
        frame.bottom - frame.top);
    HWND strip = GetDlgItem(box, 120);
    if (strip != nullptr) {
        RECT r{};
        GetWindowRect(strip, &r);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT *>(&r), 2);
        Out("strip class=%s at=%ld,%ld size=%ldx%ld\n", ClassOf(strip).c_str(), r.left, r.top,
            r.right - r.left, r.bottom - r.top);
        GetWindowRect(strip, &r);
        HDC screen = GetDC(nullptr);
        // Clear of the drawing on it, and of the dialog's lower edge where the font makes the
        // box lower than the strip.
        Out("strip top=%s lower=%s\n", Pixel(screen, r.left + 20, r.top + 4).c_str(),
            Pixel(screen, r.left + 3, r.top + 150).c_str());
        ReleaseDC(nullptr, screen);
    }
    for (int id : {500, 501}) {
        RECT r{};
        HWND link = GetDlgItem(box, id);
        if (link == nullptr) continue;
        GetWindowRect(link, &r);
        Out("link id=%d x=%ld y=%ld\n", id, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    return 0;
}

// The cursor shown now, as a handle: the same handle means the same shape.
int Cursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info)) return 1;
    Out("cursor=0x%lX\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(info.hCursor)));
    return 0;
}

// A program that stops answering

constexpr UINT HangMessage = WM_USER + 100;

LRESULT CALLBACK HungWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == HangMessage) Sleep(INFINITE); // this thread never pumps again
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI HungThread(LPVOID title) {
    const char *hungClass = RegisterDriverClass("QuillaneDriverHung", HungWindowProc);
    HWND window =
        CreateWindowExA(0, hungClass, static_cast<const char *>(title), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400,
                        300, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) return 1;
    UpdateWindow(window);
    Out("ready\n");
    return static_cast<DWORD>(Loop());
}

int HungWindow(const char *title) {
    HANDLE thread = CreateThread(nullptr, 0, HungThread, const_cast<char *>(title), 0, nullptr);
    if (thread == nullptr) return 1;
    WaitForSingleObject(thread, INFINITE);
    return 0;
}

// A slow program: its repaint after a minimise or a restore takes a while, outside the call.

constexpr UINT WorkMessage = WM_USER + 101;
DWORD slowWork = 0;
bool slowArmed = true;
bool slowWhenTold = false; // set working only by WorkMessage, never by a minimise or restore

LRESULT CALLBACK SlowWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && (wParam == SIZE_MINIMIZED || wParam == SIZE_RESTORED) && slowArmed &&
        !slowWhenTold) {
        slowArmed = false;
        PostMessageA(window, WorkMessage, 0, 0);
    } else if (message == WorkMessage) {
        slowArmed = false; // one spell of work at a time, however it was set off
        Sleep(slowWork);
        SetTimer(window, 1, 1000, nullptr);
    } else if (message == WM_TIMER) {
        KillTimer(window, 1);
        slowArmed = true;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int SlowWindows(const char *prefix, DWORD work, bool whenTold) {
    slowWork = work;
    slowWhenTold = whenTold;
    const char *slowClass = RegisterDriverClass("QuillaneDriverSlow", SlowWindowProc);
    for (int i = 1; i <= 4; ++i) {
        std::string title = prefix + std::to_string(i);
        HWND w = CreateWindowExA(0, slowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60 + 50 * i,
                                 60 + 40 * i, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (w == nullptr) return 1;
        UpdateWindow(w);
    }
    Out("ready\n");
    return Loop();
}

int TrayDelete(const char *className, int count, char **ids) {
    HWND w = FindWindowA(className, nullptr);
    if (w == nullptr) return 1;
    bool all = true;
    for (int i = 0; i < count; ++i) {
        NOTIFYICONDATAA data;
        std::memset(&data, 0, sizeof data);
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data.hWnd = w;
        data.uID = static_cast<UINT>(Number(ids[i]));
        if (!Shell_NotifyIconA(NIM_DELETE, &data)) all = false;
    }
    return all ? 0 : 1;
}

int TaskbarCreated(const char *className) {
    HWND w = FindWindowA(className, nullptr);
    UINT message = RegisterWindowMessageA("TaskbarCreated");
    if (w == nullptr || message == 0) return 1;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(w, message, 0, 0, SMTO_NORMAL, 5000, &result) != 0 ? 0 : 1;
}

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// What the switch's check costs next to what it guards: WM_NULL with the switch's flags and
// bound, and ShowWindow minimise + restore, to another program's windows.
int AnswerCost(const char *prefix, int count, int rounds) {
    std::vector<HWND> windows;
    for (int i = 1; i <= count; ++i) {
        HWND w = FindWindowA(nullptr, (prefix + std::to_string(i)).c_str());
        if (w == nullptr) return 1;
        windows.push_back(w);
    }
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int r = 0; r < rounds; ++r)
        for (HWND w : windows) {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &result);
        }
    QueryPerformanceCounter(&end);
    const double check = Microseconds(start, end) / (count * rounds);
    QueryPerformanceCounter(&start);
    for (int r = 0; r < rounds; ++r) {
        for (HWND w : windows)
            ShowWindow(w, SW_MINIMIZE);
        for (HWND w : windows)
            ShowWindow(w, SW_RESTORE);
    }
    QueryPerformanceCounter(&end);
    const double move = Microseconds(start, end) / (count * rounds);
    Out("check %.0f us per window, minimise + restore %.0f us per window (%d windows, %d rounds)\n", check,
        move, count, rounds);
    return 0;
}

// The floating window as a user sees it: where it is, how many rows of buttons its toolbar
// takes, which buttons show and which is pressed.
int Floating() {
    HWND w = FindWindowA("QuillaneFloating", nullptr);
    HWND toolbar = w != nullptr ? GetDlgItem(w, 101) : nullptr;
    if (toolbar == nullptr) {
        Out("no floating window\n");
        return 1;
    }
    RECT r{};
    GetWindowRect(w, &r);
    Out("rect %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    RECT bar{};
    GetWindowRect(toolbar, &bar);
    const LRESULT size = SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0);
    const long buttonHeight = HIWORD(size) > 0 ? HIWORD(size) : 1;
    Out("rows %ld\n", (bar.bottom - bar.top) / buttonHeight);
    Out("toolbar %ld %ld %ld %ld\nbutton %d %d\n", bar.left, bar.top, bar.right, bar.bottom, LOWORD(size),
        HIWORD(size));
    std::string shown, pressed;
    for (int id = 200; id <= 207; ++id) {
        if (SendMessageA(toolbar, TB_ISBUTTONHIDDEN, id, 0) == 0) shown += " " + std::to_string(id);
        if (SendMessageA(toolbar, TB_ISBUTTONCHECKED, id, 0) != 0) pressed += " " + std::to_string(id);
    }
    Out("shown%s\npressed%s\n", shown.c_str(), pressed.c_str());
    Out("visible %d\ntopmost %d\n", IsWindowVisible(w) ? 1 : 0,
        (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 ? 1 : 0);
    Out("frame %d %d\n", GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME));
    return 0;
}

int Sizing(char **numbers) {
    HWND w = FindWindowA("QuillaneFloating", nullptr);
    if (w == nullptr) return 1;
    RECT r{static_cast<LONG>(Number(numbers[1])), static_cast<LONG>(Number(numbers[2])),
           static_cast<LONG>(Number(numbers[3])), static_cast<LONG>(Number(numbers[4]))};
    SendMessageA(w, WM_SIZING, Number(numbers[0]), reinterpret_cast<LPARAM>(&r));
    Out("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

int Version() {
    const DWORD v = GetVersion();
    Out("%lu.%lu %s\n", v & 0xFF, (v >> 8) & 0xFF, (v & 0x80000000) != 0 ? "windows95" : "nt");
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) return Usage();
    std::string command = argv[1];
    auto args = [&](int least) { return argc >= 2 + least; };

    if (command == "wait-window" && args(1)) {
        HWND found = nullptr;
        if (!Within(Seconds(argc, argv, 3, 10),
                    [&] { return (found = FindWindowA(argv[2], nullptr)) != nullptr; }))
            return 1;
        Out("0x%08lX\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(found)));
        return 0;
    }
    if (command == "wait-title" && args(1)) {
        HWND found = nullptr;
        if (!Within(Seconds(argc, argv, 3, 10),
                    [&] { return (found = FindWindowA(nullptr, argv[2])) != nullptr; }))
            return 1;
        Out("0x%08lX %s\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(found)),
            ClassOf(found).c_str());
        return 0;
    }
    if (command == "gone-window" && args(1))
        return Within(Seconds(argc, argv, 3, 10), [&] { return FindWindowA(argv[2], nullptr) == nullptr; })
                   ? 0
                   : 1;
    if (command == "count" && args(1)) return Count(argv[2]);
    if (command == "windows" && args(2)) return MakeWindows(argv[2], std::atoi(argv[3]));
    if (command == "state" && args(1)) return State(argc - 2, argv + 2);
    if (command == "wait-iconic" && args(3))
        return WaitIconic(Number(argv[2]) != 0, Seconds(argc, argv, 3, 10), argc - 4, argv + 4);
    if (command == "reg-get" && args(2)) return RegGet(argv[2], argv[3]);
    if (command == "reg-keys" && args(1)) return RegNames(argv[2], true);
    if (command == "reg-values" && args(1)) return RegNames(argv[2], false);
    if (command == "reg-set-dword" && args(3)) {
        DWORD value = static_cast<DWORD>(Number(argv[4]));
        DWORD size = argc > 5 ? static_cast<DWORD>(Number(argv[5])) : 4;
        if (size > 4) return Usage();
        return RegSet(argv[2], argv[3], REG_DWORD, reinterpret_cast<const BYTE *>(&value), size);
    }
    if (command == "reg-set-sz" && args(3)) {
        size_t length = std::strlen(argv[4]) + 1;
        size_t size = argc > 5 ? Number(argv[5]) : length;
        std::vector<BYTE> data(size > length ? size : length, 0);
        std::memcpy(data.data(), argv[4], length);
        return RegSet(argv[2], argv[3], REG_SZ, data.data(), static_cast<DWORD>(size));
    }
    if (command == "reg-delete-key" && args(1)) return RegDeleteKey(argv[2]);
    if ((command == "post" || command == "send") && args(4))
        return Message(command == "send", argv[2], argv + 3);
    if (command == "hold-hotkey" && args(2))
        return HoldHotKey(static_cast<UINT>(Number(argv[2])), static_cast<UINT>(Number(argv[3])));
    if (command == "visible" && args(1)) {
        HWND w = FindWindowA(argv[2], nullptr);
        return w != nullptr && IsWindowVisible(w) ? 0 : 1;
    }
    if (command == "foreground") {
        HWND w = GetForegroundWindow();
        if (w == nullptr) {
            Out("none\n");
            return 1;
        }
        Out("title=\"%s\" class=\"%s\"\n", TitleOf(w).c_str(), ClassOf(w).c_str());
        return 0;
    }
    if (command == "reg-dump" && args(1)) return RegDump(argv[2]);
    if ((command == "reg-deny-read" || command == "reg-allow-read") && args(1))
        return RegReadAccess(argv[2], command == "reg-deny-read");
    if (command == "text-fit" && args(1)) return TextFit(argv[2]);
    if (command == "note" && args(2)) return Note(argv[2], argv[3]);
    if (command == "show" && args(2)) return Show(argv[2], static_cast<int>(Number(argv[3])));
    if (command == "about" && args(1)) return About(argv[2]);
    if (command == "cursor") return Cursor();
    if (command == "hung-window" && args(1)) return HungWindow(argv[2]);
    if (command == "slow-windows" && args(2))
        return SlowWindows(argv[2], static_cast<DWORD>(Number(argv[3])),
                           argc > 4 && std::strcmp(argv[4], "told") == 0);
    if (command == "tray-delete" && args(2)) return TrayDelete(argv[2], argc - 3, argv + 3);
    if (command == "taskbar-created" && args(1)) return TaskbarCreated(argv[2]);
    if (command == "answer-cost" && args(3))
        return AnswerCost(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (command == "floating") return Floating();
    if (command == "sizing" && args(5)) return Sizing(argv + 2);
    if (command == "habits" && args(1)) return Habits(argv[2]);
    if (command == "where" && args(1)) return Where(argv[2]);
    if (command == "kinds" && args(1)) return Kinds(argv[2]);
    if (command == "terminate" && args(1)) return Terminate(argv[2]);
    if (command == "marks" && args(1)) return Marks(argv[2]);
    if (command == "version") return Version();
    if (command == "minimize" && args(1)) return Minimize(argv[2]);
    if (command == "owners" && args(1)) return Owners(argv[2]);
    if (command == "plain-owners" && args(1)) return PlainOwners(argv[2]);
    return Usage();
}
