// A small test harness for the programs that run under Wine: checks that print where and what
// failed, scenarios run in order, and the Win32 chores those programs share (windows of each
// kind, message pumping with a deadline, registry reads through the real API, z-order walks).
//
// Include the core's headers BEFORE this one: <windows.h> turns the Win32 names that
// platform/wintypes.h declares as constants (WM_USER, SW_RESTORE, ...) into macros.
//
// The last line a program prints is "N passed, N failed" (checks, not scenarios); its exit
// code is non-zero when anything failed.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace wt {

// ---------------------------------------------------------------------------------------------
// Checks and scenarios

struct Tally {
    int Passed = 0;
    int Failed = 0;
    int ScenarioFailures = 0; // failures seen inside the running scenario
};

inline Tally &Counts() {
    static Tally tally;
    return tally;
}

using ScenarioFunction = void (*)();
struct ScenarioEntry {
    const char *Name;
    ScenarioFunction Run;
};

inline std::vector<ScenarioEntry> &Scenarios() {
    static std::vector<ScenarioEntry> list;
    return list;
}

struct Registrar {
    Registrar(const char *name, ScenarioFunction run) { Scenarios().push_back({name, run}); }
};

// Values as the failure message shows them.
inline std::string Show(const char *text) {
    if (text == nullptr) return "(null)";
    std::string out = "\"";
    for (const char *p = text; *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}
inline std::string Show(char *text) {
    return Show(static_cast<const char *>(text));
}
inline std::string Show(const std::string &text) {
    return Show(text.c_str());
}
inline std::string Show(bool value) {
    return value ? "true" : "false";
}
inline std::string Show(std::nullptr_t) {
    return "nullptr";
}

inline bool SameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string Show(const RECT &r) {
    char out[80];
    std::snprintf(out, sizeof out, "(%ld,%ld)-(%ld,%ld)", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
    return out;
}

inline std::string Show(HWND window) {
    char text[96];
    char title[48] = {};
    if (window != nullptr) GetWindowTextA(window, title, sizeof title);
    std::snprintf(text, sizeof text, "%p \"%s\"", static_cast<void *>(window), title);
    return text;
}

// A list of windows by their titles, topmost first.
inline std::string Show(const std::vector<HWND> &order) {
    std::string out;
    for (HWND w : order) {
        char title[64] = {};
        GetWindowTextA(w, title, sizeof title);
        out += out.empty() ? "" : " > ";
        out += title[0] != '\0' ? title : "?";
    }
    return "[" + out + "]";
}

template <typename T> std::string Show(const T &value) {
    char out[64];
    if constexpr (std::is_enum_v<T>) {
        return Show(static_cast<std::underlying_type_t<T>>(value));
    } else if constexpr (std::is_pointer_v<T>) {
        std::snprintf(out, sizeof out, "%p", static_cast<const void *>(value));
    } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
        long long v = value;
        std::snprintf(out, sizeof out, "%lld (0x%llX)", v, static_cast<unsigned long long>(v));
    } else if constexpr (std::is_integral_v<T>) {
        unsigned long long v = value;
        std::snprintf(out, sizeof out, "%llu (0x%llX)", v, v);
    } else if constexpr (std::is_floating_point_v<T>) {
        std::snprintf(out, sizeof out, "%g", static_cast<double>(value));
    } else {
        return "(value)";
    }
    return out;
}

template <typename T>
constexpr bool IsText =
    std::is_same_v<std::decay_t<T>, const char *> || std::is_same_v<std::decay_t<T>, char *>;

inline bool SameText(const char *a, const char *b) {
    return a != nullptr && b != nullptr ? std::strcmp(a, b) == 0 : a == b;
}

// Integers compare by value whatever their signedness; texts compare by content.
template <typename A, typename B> bool Equal(const A &a, const B &b) {
    if constexpr (IsText<A> && IsText<B>) {
        return SameText(a, b);
    } else if constexpr (IsText<A> && std::is_same_v<B, std::string>) {
        return SameText(a, b.c_str());
    } else if constexpr (std::is_same_v<A, std::string> && IsText<B>) {
        return SameText(a.c_str(), b);
    } else if constexpr (std::is_same_v<A, RECT> && std::is_same_v<B, RECT>) {
        return SameRect(a, b);
    } else if constexpr (std::is_enum_v<A> || std::is_enum_v<B>) {
        return a == b;
    } else if constexpr (std::is_integral_v<A> && std::is_integral_v<B>) {
        if constexpr (std::is_signed_v<A> == std::is_signed_v<B>) {
            return a == b;
        } else if constexpr (std::is_signed_v<A>) {
            return a >= 0 && static_cast<unsigned long long>(a) == static_cast<unsigned long long>(b);
        } else {
            return b >= 0 && static_cast<unsigned long long>(a) == static_cast<unsigned long long>(b);
        }
    } else {
        return a == b;
    }
}

inline void Note(const char *format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

inline bool Record(bool ok, const char *file, int line, const std::string &what) {
    if (ok) {
        ++Counts().Passed;
    } else {
        ++Counts().Failed;
        ++Counts().ScenarioFailures;
        const char *base = std::strrchr(file, '/');
        std::printf("  FAIL %s:%d: %s\n", base != nullptr ? base + 1 : file, line, what.c_str());
        std::fflush(stdout);
    }
    return ok;
}

template <typename A, typename B>
bool RecordEqual(const A &a, const B &b, const char *textA, const char *textB, const char *file, int line) {
    bool ok = Equal(a, b);
    if (ok) return Record(true, file, line, "");
    return Record(false, file, line,
                  std::string(textA) + " == " + textB + "\n         got " + Show(a) + "\n    expected " +
                      Show(b));
}

// Runs the scenarios in the order of definition and prints the closing line. With arguments,
// only the scenarios whose name contains one of them run.
inline int RunAll(int argc = 0, char **argv = nullptr) {
    for (const ScenarioEntry &scenario : Scenarios()) {
        bool chosen = argc < 2;
        for (int i = 1; i < argc && !chosen; ++i)
            chosen = std::strstr(scenario.Name, argv[i]) != nullptr;
        if (!chosen) continue;
        Counts().ScenarioFailures = 0;
        std::printf("[ RUN  ] %s\n", scenario.Name);
        std::fflush(stdout);
        scenario.Run();
        std::printf("[ %s ] %s\n", Counts().ScenarioFailures == 0 ? " OK " : "FAIL", scenario.Name);
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", Counts().Passed, Counts().Failed);
    std::fflush(stdout);
    return Counts().Failed == 0 ? 0 : 1;
}

} // namespace wt

#define WT_CONCAT2(a, b) a##b
#define WT_CONCAT(a, b) WT_CONCAT2(a, b)

// SCENARIO("name") { ... } defines and registers one scenario; they run in definition order.
#define SCENARIO(name) WT_SCENARIO_AT(name, WT_CONCAT(ScenarioFunction_, __LINE__))
#define WT_SCENARIO_AT(name, function)                                                                       \
    static void function();                                                                                  \
    static const wt::Registrar WT_CONCAT(function, _registrar)(name, function);                              \
    static void function()

#define CHECK(cond) wt::Record(static_cast<bool>(cond), __FILE__, __LINE__, "CHECK(" #cond ")")
#define CHECK_EQ(a, b) wt::RecordEqual((a), (b), #a, #b, __FILE__, __LINE__)
// Ends the scenario when a precondition fails: what follows would only report noise.
#define REQUIRE(cond)                                                                                        \
    do {                                                                                                     \
        if (!wt::Record(static_cast<bool>(cond), __FILE__, __LINE__, "REQUIRE(" #cond ")")) return;          \
    } while (0)

namespace wt {

// ---------------------------------------------------------------------------------------------
// Windows

enum class Kind {
    Overlapped, // WS_OVERLAPPEDWINDOW, shown
    Popup,      // WS_POPUP with a border, shown
    Tool,       // WS_EX_TOOLWINDOW with a caption, shown
    Hidden,     // WS_OVERLAPPEDWINDOW, never shown
};

// What each test window has been through, counted by the window procedure.
struct WindowLog {
    HWND Window = nullptr;
    int Minimized = 0; // WM_SIZE SIZE_MINIMIZED
    int Restored = 0;  // WM_SIZE SIZE_RESTORED after a minimise
    int Shown = 0;     // WM_SHOWWINDOW TRUE
    int Hidden = 0;    // WM_SHOWWINDOW FALSE
    struct Message {
        UINT Number;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Message> Private; // WM_USER and above, answered with 0
    bool WasMinimized = false;
};

inline std::vector<WindowLog *> &Logs() {
    static std::vector<WindowLog *> logs;
    return logs;
}

inline WindowLog *LogOf(HWND window) {
    for (WindowLog *log : Logs())
        if (log->Window == window) return log;
    return nullptr;
}

inline LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowLog *log = LogOf(window);
    if (log != nullptr) {
        switch (message) {
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                ++log->Minimized;
                log->WasMinimized = true;
            } else if (wParam == SIZE_RESTORED && log->WasMinimized) {
                ++log->Restored;
                log->WasMinimized = false;
            }
            break;
        case WM_SHOWWINDOW:
            ++(wParam != 0 ? log->Shown : log->Hidden);
            break;
        case WM_NCDESTROY:
            log->Window = nullptr; // the handle may be given to a later window
            break;
        default:
            if (message >= WM_USER && message < 0x8000) {
                log->Private.push_back({message, wParam, lParam});
                return 0;
            }
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

constexpr char TestWindowClass[] = "QuillaneTestWindow";

inline void RegisterTestClass(const char *className) {
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), className, &existing)) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
}

struct WindowShape {
    Kind kind = Kind::Overlapped;
    const char *title = "test window";
    RECT rect = {100, 100, 400, 300};
    const char *className = TestWindowClass;
    DWORD extraExStyle = 0;
};

// Creates a top-level window of the given kind; visible kinds are shown and activated, like a
// program's main window at its start. The window logs its messages (LogOf).
inline HWND MakeWindow(const WindowShape &shape) {
    RegisterTestClass(shape.className);
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = shape.extraExStyle;
    switch (shape.kind) {
    case Kind::Overlapped:
    case Kind::Hidden:
        break;
    case Kind::Popup:
        style = WS_POPUP | WS_BORDER;
        break;
    case Kind::Tool:
        style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
        exStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    auto *log = new WindowLog; // lives as long as the program: windows outlive scenarios
    Logs().push_back(log);
    HWND window = CreateWindowExA(exStyle, shape.className, shape.title, style, shape.rect.left, shape.rect.top,
                                  shape.rect.right - shape.rect.left, shape.rect.bottom - shape.rect.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    log->Window = window;
    if (window != nullptr && shape.kind != Kind::Hidden) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    return window;
}

inline HWND MakeWindow(Kind kind, const char *title, RECT rect) {
    WindowShape shape;
    shape.kind = kind;
    shape.title = title;
    shape.rect = rect;
    return MakeWindow(shape);
}

inline RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

inline RECT NormalRect(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    return placement.rcNormalPosition;
}

// What a click on a window's caption does: on top of the others, then active and foreground.
// (Under Wine SetForegroundWindow alone activates without changing the stacking order.)
inline void Raise(HWND window) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
}

// ---------------------------------------------------------------------------------------------
// Messages

// Handles every queued message, then waits for more, until `milliseconds` have passed.
inline void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
    }
}

// Pumps until `done()` holds or `milliseconds` have passed, testing it every few milliseconds
// and after every batch of messages; true when it held.
template <typename Condition> bool PumpUntil(Condition done, DWORD milliseconds = 5000) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        DWORD spent = GetTickCount() - start;
        if (spent >= milliseconds) return false;
        DWORD wait = milliseconds - spent < 20 ? milliseconds - spent : 20;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
}

// ---------------------------------------------------------------------------------------------
// Registry

struct RegValue {
    LONG Error = ERROR_FILE_NOT_FOUND; // of the read
    DWORD Type = 0;
    DWORD Size = 0;
    std::vector<unsigned char> Data; // Size bytes, followed by zeros up to at least 8

    bool Found() const { return Error == ERROR_SUCCESS; }
    // The first four bytes as a little-endian number; the buffer was zeroed before the read,
    // so a 1-byte REG_DWORD reads as its byte.
    DWORD Number() const {
        return static_cast<DWORD>(Data[0]) | static_cast<DWORD>(Data[1]) << 8 |
               static_cast<DWORD>(Data[2]) << 16 | static_cast<DWORD>(Data[3]) << 24;
    }
    // The text up to its first zero (or the whole data when it has none).
    std::string Text() const {
        const auto *begin = reinterpret_cast<const char *>(Data.data());
        const void *zero = std::memchr(begin, 0, Size);
        return std::string(begin, zero != nullptr ? static_cast<const char *>(zero) : begin + Size);
    }
};

// Reads a value through RegQueryValueExA: type, data size and bytes exactly as stored.
inline RegValue ReadValue(HKEY root, const char *path, const char *name) {
    RegValue value;
    value.Data.assign(8, 0);
    HKEY key = nullptr;
    value.Error = RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key);
    if (value.Error != ERROR_SUCCESS) return value;
    DWORD size = 0;
    value.Error = RegQueryValueExA(key, name, nullptr, &value.Type, nullptr, &size);
    if (value.Error == ERROR_SUCCESS) {
        value.Data.assign(size + 8, 0);
        value.Size = size;
        value.Error = RegQueryValueExA(key, name, nullptr, &value.Type, value.Data.data(), &value.Size);
    }
    RegCloseKey(key);
    return value;
}

inline bool KeyExists(HKEY root, const char *path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Deletes a key with all its subkeys; a missing key is no error.
inline void DeleteTree(HKEY root, const char *path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    char child[256];
    for (;;) {
        DWORD length = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        std::string sub = std::string(path) + "\\" + child;
        DeleteTree(root, sub.c_str());
        if (KeyExists(root, sub.c_str())) break; // would loop forever
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path);
}

inline LONG WriteText(HKEY root, const char *path, const char *name, const char *text) {
    HKEY key = nullptr;
    LONG error = RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (error != ERROR_SUCCESS) return error;
    error = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                           static_cast<DWORD>(std::strlen(text) + 1));
    RegCloseKey(key);
    return error;
}

inline LONG DeleteValue(HKEY root, const char *path, const char *name) {
    HKEY key = nullptr;
    LONG error = RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key);
    if (error != ERROR_SUCCESS) return error;
    error = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return error;
}

// ---------------------------------------------------------------------------------------------
// Stacking order

// The windows of `set` in stacking order, topmost first, as the GetWindow walk sees them.
inline std::vector<HWND> ZOrder(const std::vector<HWND> &set) {
    std::vector<HWND> order;
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        for (HWND member : set)
            if (member == w) order.push_back(w);
    return order;
}

} // namespace wt
