// probe.exe: looks at what quillane.exe shows on the screen, for the menu and dialog scenarios.
//
//   probe.exe window TITLE [SECONDS]     waits for a visible top-level window whose caption starts
//                                        with TITLE; prints its caption, class and owner, then one
//                                        line per control: id, class, enabled, checked, focus,
//                                        list selection, text. Exit 1 when none came.
//   probe.exe gone TITLE [SECONDS]       exit 0 once no visible window's caption starts with TITLE.
//   probe.exe input                      the foreground window, and the active, focus, capture and
//                                        menu windows of quillane.exe's thread: where keys would go.
//
// Texts are printed with \n for line feeds, so that each control stays on one line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char MainClass[] = "Quillane";

std::string Escaped(const char *text) {
    std::string out;
    for (const char *p = text; *p != '\0'; ++p) {
        if (*p == '\n')
            out += "\\n";
        else if (*p != '\r')
            out += *p;
    }
    return out;
}

std::string Narrow(const wchar_t *wide) {
    char text[512] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text - 1, nullptr, nullptr);
    return text;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return Escaped(text);
}

// A control's own text: asked of the control, since another process's GetWindowTextA only sees
// the text kept for the window (empty for an edit box). Wide, so Wine hands it over unchanged.
std::string ControlText(HWND control) {
    wchar_t text[512] = {};
    SendMessageW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return Escaped(Narrow(text).c_str());
}

std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct Search {
    const char *Prefix;
    HWND Found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<Search *>(data);
    if (!IsWindowVisible(window)) return TRUE;
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    if (std::strncmp(text, search->Prefix, std::strlen(search->Prefix)) != 0) return TRUE;
    search->Found = window;
    return FALSE;
}

HWND FindByCaption(const char *prefix) {
    Search search{prefix, nullptr};
    EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// Polls every 50 ms until `done()` holds or the time is out.
template <typename Condition> bool WaitFor(Condition done, double seconds) {
    DWORD limit = static_cast<DWORD>(seconds * 1000);
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= limit) return false;
        Sleep(50);
    }
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM focus) {
    std::string cls = ClassOf(control);
    int id = GetDlgCtrlID(control);
    std::printf("control id=%d class=%s enabled=%d visible=%d", id, cls.c_str(),
                IsWindowEnabled(control) ? 1 : 0, IsWindowVisible(control) ? 1 : 0);
    if (_stricmp(cls.c_str(), "Button") == 0) {
        LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
        if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX)
            std::printf(" checked=%d", static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0)));
    }
    if (_stricmp(cls.c_str(), "ListBox") == 0) {
        LRESULT selected = SendMessageA(control, LB_GETCURSEL, 0, 0);
        std::printf(" count=%d selected=%d", static_cast<int>(SendMessageA(control, LB_GETCOUNT, 0, 0)),
                    static_cast<int>(selected));
        if (selected >= 0) {
            wchar_t item[64] = {};
            if (SendMessageW(control, LB_GETTEXTLEN, selected, 0) < 64)
                SendMessageW(control, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(item));
            std::printf(" item=\"%s\"", Narrow(item).c_str());
        }
    }
    std::printf(" focus=%d text=\"%s\"\n", reinterpret_cast<HWND>(focus) == control ? 1 : 0,
                ControlText(control).c_str());
    return TRUE;
}

int Window(const char *prefix, double seconds) {
    HWND found = nullptr;
    if (!WaitFor([&] { return (found = FindByCaption(prefix)) != nullptr; }, seconds)) {
        std::printf("no window \"%s\"\n", prefix);
        return 1;
    }
    HWND owner = GetWindow(found, GW_OWNER);
    std::printf("window class=%s owner=%s caption=\"%s\"\n", ClassOf(found).c_str(),
                owner != nullptr ? ClassOf(owner).c_str() : "-", TextOf(found).c_str());
    EnumChildWindows(found, PrintControl, reinterpret_cast<LPARAM>(FocusOf(found)));
    return 0;
}

int Gone(const char *prefix, double seconds) {
    if (WaitFor([&] { return FindByCaption(prefix) == nullptr; }, seconds)) return 0;
    std::printf("still there: \"%s\"\n", prefix);
    return 1;
}

int Input() {
    HWND foreground = GetForegroundWindow();
    std::printf("foreground class=%s title=\"%s\"\n", foreground ? ClassOf(foreground).c_str() : "-",
                foreground ? TextOf(foreground).c_str() : "");
    HWND main = FindWindowA(MainClass, nullptr);
    if (main == nullptr) return 0;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    std::printf("main thread flags=%lu active=%s focus=%s capture=%s menuowner=%s\n", info.flags,
                info.hwndActive ? ClassOf(info.hwndActive).c_str() : "-",
                info.hwndFocus ? ClassOf(info.hwndFocus).c_str() : "-",
                info.hwndCapture ? ClassOf(info.hwndCapture).c_str() : "-",
                info.hwndMenuOwner ? ClassOf(info.hwndMenuOwner).c_str() : "-");
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    int result = 2;
    std::string command = argc > 1 ? argv[1] : "";
    double seconds = argc > 3 ? std::atof(argv[3]) : 5.0;
    if (command == "window" && argc > 2)
        result = Window(argv[2], seconds);
    else if (command == "gone" && argc > 2)
        result = Gone(argv[2], seconds);
    else if (command == "input")
        result = Input();
    else
        std::fprintf(stderr, "usage: probe.exe window|gone TITLE [SECONDS] | input\n");
    std::fflush(stdout);
    return result;
}
