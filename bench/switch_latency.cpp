// switch_latency.exe: how long a switch of the running quillane.exe takes under a real window
// system, seen from another process whose N windows the switch minimises and restores, next to
// what minimising and restoring the same N windows costs this process by itself. Then the
// switch's fixed parts timed alone. Prints figures; judges nothing (bench/switch_latency.sh).
//
//   switch_latency.exe [ROUNDS] N...
//
// This process waits for each switch with SendMessageTimeoutA, which runs the calls the switch
// makes into its windows as they come: a process that slept instead would make each of them
// wait for its next look at the queue.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

const char WindowClass[] = "QuillaneLatencyWindow";

void RegisterWindowClass() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = WindowClass;
    RegisterClassA(&wc);
}

std::vector<HWND> MakeWindows(int count) {
    std::vector<HWND> windows;
    for (int i = 0; i < count; ++i) {
        char title[32];
        std::snprintf(title, sizeof title, "L%d", i + 1);
        HWND w = CreateWindowExA(0, WindowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20 + 7 * (i % 40),
                                 20 + 5 * (i % 40), 240, 160, nullptr, nullptr, GetModuleHandleA(nullptr),
                                 nullptr);
        if (w != nullptr) windows.push_back(w);
    }
    Pump();
    return windows;
}

int CountIconic(const std::vector<HWND> &windows) {
    int n = 0;
    for (HWND w : windows)
        n += IsIconic(w) ? 1 : 0;
    return n;
}

// One synchronous UM_DESKTOP n with WM_LBUTTONDOWN, in milliseconds; negative when it failed.
double Switch(HWND main, int n) {
    DWORD_PTR result = 0;
    double start = Now();
    if (!SendMessageTimeoutA(main, WM_USER + static_cast<UINT>(n), 0, WM_LBUTTONDOWN, SMTO_NORMAL, 120000,
                             &result))
        return -1;
    double elapsed = Now() - start;
    Pump();
    return elapsed;
}

// This process minimising, then restoring, its own windows, in milliseconds.
double MinimiseAndRestore(const std::vector<HWND> &windows) {
    double start = Now();
    for (HWND w : windows)
        ShowWindow(w, SW_MINIMIZE);
    for (HWND w : windows)
        ShowWindow(w, SW_RESTORE);
    double elapsed = Now() - start;
    Pump();
    return elapsed;
}

template <typename Operation> double Timed(int rounds, Operation operation) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        double start = Now();
        operation();
        times.push_back(Now() - start);
        Pump();
    }
    return Median(times);
}

BOOL CALLBACK LookAtWindow(HWND window, LPARAM count) {
    char name[64];
    GetClassNameA(window, name, sizeof name);
    GetWindowLongA(window, GWL_STYLE);
    ++*reinterpret_cast<int *>(count);
    return TRUE;
}

// The calls every switch makes whatever the number of windows, each timed alone from here.
void FixedParts(HWND main, int rounds) {
    // The message alone: UM_DESKTOP of the desktop already shown is answered without a switch.
    std::vector<double> empty;
    for (int i = 0; i < rounds; ++i)
        empty.push_back(Switch(main, 1));
    double message = Median(empty);

    HWND owner = CreateWindowExA(0, WindowClass, "LatencyIcon", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = owner;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpynA(icon.szTip, "latency", sizeof icon.szTip);
    Shell_NotifyIconA(NIM_ADD, &icon);
    Pump();
    icon.uFlags = NIF_ICON;
    double notify = Timed(rounds, [&] {
        icon.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        Shell_NotifyIconA(NIM_MODIFY, &icon);
    });

    ANIMATIONINFO info{sizeof(ANIMATIONINFO), 0};
    double animation = Timed(rounds, [&] {
        SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0);
        SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, SPIF_SENDCHANGE);
    });
    double animationQuiet = Timed(rounds, [&] {
        SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0);
        SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, 0);
    });
    int seen = 0;
    double walk = Timed(rounds, [&] {
        seen = 0;
        EnumWindows(LookAtWindow, reinterpret_cast<LPARAM>(&seen));
    });
    HKEY key = nullptr;
    char wallpaper[260];
    double registry = Timed(rounds, [&] {
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\desktop", 0, KEY_QUERY_VALUE, &key) ==
            ERROR_SUCCESS) {
            for (const char *name : {"Wallpaper", "Pattern", "TileWallpaper", "WallpaperStyle"}) {
                DWORD size = sizeof wallpaper;
                RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(wallpaper), &size);
            }
            RegCloseKey(key);
        }
    });
    Shell_NotifyIconA(NIM_DELETE, &icon);
    DestroyWindow(owner);
    Pump();

    std::printf("\nfixed parts, each timed alone from this process (median of %d, ms):\n", rounds);
    std::printf("  UM_DESKTOP 1 sent while desktop 1 is shown (the message, no switch):  %8.3f\n", message);
    std::printf("  Shell_NotifyIconA(NIM_MODIFY), a switch makes 2 in mode 1:       %8.3f\n", notify);
    std::printf("  SPI_GETANIMATION + SPI_SETANIMATION with SPIF_SENDCHANGE, 2 a switch: %8.3f\n", animation);
    std::printf("    the same without SPIF_SENDCHANGE (no broadcast):               %8.3f\n", animationQuiet);
    std::printf("  EnumWindows with class and style of each of %3d windows:         %8.3f\n", seen, walk);
    std::printf("  the four wallpaper values read from the registry:                %8.3f\n", registry);
}

} // namespace

int main(int argc, char **argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    std::vector<int> counts;
    for (int i = 2; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (rounds < 1 || counts.empty()) {
        std::fprintf(stderr, "usage: switch_latency.exe ROUNDS N...\n");
        return 2;
    }
    HWND main = nullptr;
    for (int i = 0; i < 400 && (main = FindWindowA("Quillane", nullptr)) == nullptr; ++i)
        Sleep(50);
    if (main == nullptr) {
        std::fprintf(stderr, "switch_latency: no running quillane.exe\n");
        return 1;
    }
    RegisterWindowClass();

    std::printf(
        "switch of quillane.exe (UM_DESKTOP 2 then 1, sent from here) against this process minimising\n"
        "and restoring the same windows itself; medians of %d rounds, ms\n\n",
        rounds);
    std::printf("%8s %14s %14s %10s %16s\n", "windows", "switch 2+1", "own min+rest", "ratio",
                "minimised by 2");
    for (int count : counts) {
        std::vector<HWND> windows = MakeWindows(count);
        Switch(main, 2); // the first refresh takes the new windows in
        Switch(main, 1);
        std::vector<double> switches, own;
        int minimised = 0;
        for (int r = 0; r < rounds; ++r) {
            double to2 = Switch(main, 2);
            minimised = CountIconic(windows);
            double to1 = Switch(main, 1);
            if (to2 < 0 || to1 < 0) {
                std::printf("%8d   switch timed out\n", count);
                break;
            }
            switches.push_back(to2 + to1);
            own.push_back(MinimiseAndRestore(windows));
        }
        double s = Median(switches), o = Median(own);
        char ratio[16] = "-";
        if (count > 0 && o > 0) std::snprintf(ratio, sizeof ratio, "%.2f", s / o);
        std::printf("%8d %14.2f %14.2f %10s %11d of %d\n", count, s, o, ratio, minimised, count);
        for (HWND w : windows)
            DestroyWindow(w);
        Pump();
    }
    FixedParts(main, rounds * 4);
    return 0;
}
