// switch_latency.exe: how long a switch of the running quillane.exe takes under a real window
// system, seen from another process, for N windows of other processes that the switch minimises
// and restores; next to what the same minimises and restores cost when made directly, and, when
// the program is the benchmark's quillane_phases.exe, the switch split into its phases (its
// phase clock, engine/phases.h). Then the switch's fixed parts timed alone. Prints figures;
// judges nothing (bench/switch_latency.sh).
//
//   switch_latency.exe [ROUNDS] N...
//
// The windows live in HostProcesses copies of this program (started as "switch_latency.exe
// host"), each with HostThreads threads that share them out: no rule of the switch can profit
// from all windows sharing one thread. This process owns none of them, so its own minimises and
// restores cross processes as the switch's do ("from outside"); each thread minimising and
// restoring its own windows is timed too ("in their threads", one thread after the other).
// The host threads pump their messages all the time, so that every call into their windows is
// answered at once; each timed operation starts once the taskbar has caught up (Settle).
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/phase_clock.h"
#include "engine/phases.h"

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

constexpr int HostProcesses = 2;
constexpr int HostThreads = 2;
const char HostClass[] = "QuillaneLatencyHost";
// Messages to a host thread's window: make wParam windows; minimise and restore them all and
// answer the time in microseconds; destroy them.
constexpr UINT UM_MAKE = WM_USER + 1;
constexpr UINT UM_MINRESTORE = WM_USER + 2;
constexpr UINT UM_DESTROY = WM_USER + 3;

// One host thread's windows (the thread's own copy of this vector).
thread_local std::vector<HWND> hostWindows;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case UM_MAKE:
        for (WPARAM i = 0; i < wParam; ++i) {
            int k = static_cast<int>(hostWindows.size());
            char title[32];
            std::snprintf(title, sizeof title, "L%lu.%d", GetCurrentThreadId(), k + 1);
            HWND w = CreateWindowExA(0, WindowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20 + 7 * (k % 40),
                                     20 + 5 * (k % 40), 240, 160, nullptr, nullptr, GetModuleHandleA(nullptr),
                                     nullptr);
            if (w != nullptr) hostWindows.push_back(w);
        }
        return static_cast<LRESULT>(hostWindows.size());
    case UM_MINRESTORE: {
        double start = Now();
        for (HWND w : hostWindows)
            ShowWindow(w, SW_MINIMIZE);
        for (HWND w : hostWindows)
            ShowWindow(w, SW_RESTORE);
        return static_cast<LRESULT>((Now() - start) * 1000.0);
    }
    case UM_DESTROY:
        for (HWND w : hostWindows)
            DestroyWindow(w);
        hostWindows.clear();
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

DWORD WINAPI HostThread(void *) {
    CreateWindowExA(0, HostClass, "host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                    nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int Host() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = HostClass;
    RegisterClassA(&wc);
    HANDLE threads[HostThreads];
    for (HANDLE &t : threads)
        t = CreateThread(nullptr, 0, HostThread, nullptr, 0, nullptr);
    WaitForMultipleObjects(HostThreads, threads, TRUE, INFINITE);
    return 0;
}

BOOL CALLBACK CollectClass(HWND window, LPARAM lParam) {
    auto *found = reinterpret_cast<std::pair<const char *, std::vector<HWND>> *>(lParam);
    char name[64];
    if (GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, found->first) == 0)
        found->second.push_back(window);
    return TRUE;
}

// Top-level windows of a class, top of the stacking order first.
std::vector<HWND> WindowsOfClass(const char *className) {
    std::pair<const char *, std::vector<HWND>> found{className, {}};
    EnumWindows(CollectClass, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

std::vector<HWND> StartHosts() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    for (int i = 0; i < HostProcesses; ++i) {
        char command[MAX_PATH + 16];
        std::snprintf(command, sizeof command, "\"%s\" host", path);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    std::vector<HWND> hosts;
    for (int i = 0; i < 400 && (hosts = WindowsOfClass(HostClass)).size() < HostProcesses * HostThreads; ++i)
        Sleep(50);
    return hosts;
}

// `count` windows shared out among the hosts, top of the stacking order first.
std::vector<HWND> MakeWindows(const std::vector<HWND> &hosts, int count) {
    for (size_t i = 0; i < hosts.size(); ++i) {
        int share = count / static_cast<int>(hosts.size()) + (static_cast<int>(i) < count % static_cast<int>(hosts.size()) ? 1 : 0);
        DWORD_PTR made = 0;
        SendMessageTimeoutA(hosts[i], UM_MAKE, static_cast<WPARAM>(share), 0, SMTO_NORMAL, 60000, &made);
    }
    return WindowsOfClass(WindowClass);
}

int CountIconic(const std::vector<HWND> &windows) {
    int n = 0;
    for (HWND w : windows)
        n += IsIconic(w) ? 1 : 0;
    return n;
}

// Waits until the taskbar has caught up with the windows minimised and restored so far: it
// redraws their buttons after the calls return, and the next switch's icon update would wait
// for that, charging the switch with work the timed operation before it left behind.
void Settle() {
    static HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    Sleep(20);
    for (int i = 0; i < 100 && tray != nullptr; ++i) {
        DWORD_PTR ignored = 0;
        double start = Now();
        SendMessageTimeoutA(tray, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
        if (Now() - start < 2) break;
        Sleep(10);
    }
    Pump();
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

// This process minimising, then restoring, the windows of the other processes, bottom first as
// the switch restores them, in milliseconds.
double MinimiseAndRestore(const std::vector<HWND> &windows) {
    double start = Now();
    for (HWND w : windows)
        ShowWindow(w, SW_MINIMIZE);
    for (auto w = windows.rbegin(); w != windows.rend(); ++w)
        ShowWindow(*w, SW_RESTORE);
    double elapsed = Now() - start;
    Pump();
    return elapsed;
}

// A notification icon of this process's own, for the baseline that makes the icon updates a
// switch makes (two a switch in display mode 1: the icon of the desktop left and the one entered).
class TrayIcon {
  public:
    TrayIcon() {
        // Not of the windows' class: the timed windows are found by it.
        owner_ = CreateWindowExA(0, "STATIC", "LatencyIcon", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        icon_.cbSize = sizeof icon_;
        icon_.hWnd = owner_;
        icon_.uID = 1;
        icon_.uFlags = NIF_ICON | NIF_TIP;
        icon_.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        lstrcpynA(icon_.szTip, "latency", sizeof icon_.szTip);
        Shell_NotifyIconA(NIM_ADD, &icon_);
        icon_.uFlags = NIF_ICON;
        Pump();
    }
    ~TrayIcon() {
        Shell_NotifyIconA(NIM_DELETE, &icon_);
        DestroyWindow(owner_);
        Pump();
    }
    TrayIcon(const TrayIcon &) = delete;
    TrayIcon &operator=(const TrayIcon &) = delete;
    void Update() {
        icon_.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        Shell_NotifyIconA(NIM_MODIFY, &icon_);
    }

  private:
    HWND owner_ = nullptr;
    NOTIFYICONDATAA icon_{};
};

// The calls a switch 2 then 1 must make, made directly from here in the switch's order: two icon
// updates, the windows minimised; two icon updates, the windows restored bottom first.
double CallsOfTheSwitch(const std::vector<HWND> &windows, TrayIcon &icon) {
    double start = Now();
    icon.Update();
    icon.Update();
    for (HWND w : windows)
        ShowWindow(w, SW_MINIMIZE);
    double half = Now();
    Settle(); // as between the two switches
    start += Now() - half;
    icon.Update();
    icon.Update();
    for (auto w = windows.rbegin(); w != windows.rend(); ++w)
        ShowWindow(*w, SW_RESTORE);
    double elapsed = Now() - start;
    Pump();
    return elapsed;
}

// Each host thread minimising and restoring its own windows, one thread after the other.
double MinimiseAndRestoreInThreads(const std::vector<HWND> &hosts) {
    double total = 0;
    for (HWND host : hosts) {
        DWORD_PTR microseconds = 0;
        SendMessageTimeoutA(host, UM_MINRESTORE, 0, 0, SMTO_NORMAL, 60000, &microseconds);
        total += static_cast<double>(microseconds) / 1000.0;
    }
    return total;
}

// The same through WM_SYSCOMMAND, sent with a bound (SMTO_ABORTIFHUNG, 200 ms): each window's own
// thread minimises and restores it, so that a thread that stops pumping could not hold the
// sender for good. Counts in *minimised the windows that SC_MINIMIZE left minimised.
double SystemCommands(const std::vector<HWND> &windows, int *minimised) {
    double start = Now();
    DWORD_PTR ignored = 0;
    for (HWND w : windows)
        SendMessageTimeoutA(w, WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &ignored);
    double half = Now();
    *minimised = CountIconic(windows);
    start += Now() - half;
    for (auto w = windows.rbegin(); w != windows.rend(); ++w)
        SendMessageTimeoutA(*w, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &ignored);
    double elapsed = Now() - start;
    Pump();
    return elapsed;
}

// A bounded minimise and restore (WM_SYSCOMMAND) against ShowWindow, both from outside, and
// what WM_SYSCOMMAND does to a window that is disabled (as the owner of a modal dialog is).
void SystemCommandProbe(const std::vector<HWND> &hosts, int count, int rounds) {
    std::vector<HWND> windows = MakeWindows(hosts, count);
    std::vector<double> shown, commanded;
    int minimised = 0;
    for (int r = 0; r < rounds; ++r) {
        Settle();
        shown.push_back(MinimiseAndRestore(windows));
        Settle();
        commanded.push_back(SystemCommands(windows, &minimised));
    }
    EnableWindow(windows[0], FALSE);
    int disabledMinimised = 0;
    SystemCommands({windows[0]}, &disabledMinimised);
    EnableWindow(windows[0], TRUE);
    std::printf("\nminimise and restore of %d windows from outside (median of %d, ms):\n", count, rounds);
    std::printf("  ShowWindow:                                   %8.2f\n", Median(shown));
    std::printf("  WM_SYSCOMMAND sent with a 200 ms bound:       %8.2f  (%d of %d minimised)\n", Median(commanded),
                minimised, count);
    std::printf("  WM_SYSCOMMAND SC_MINIMIZE to a disabled window: %s\n",
                disabledMinimised != 0 ? "minimised" : "ignored");
    for (HWND host : hosts) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(host, UM_DESTROY, 0, 0, SMTO_NORMAL, 60000, &ignored);
    }
    Pump();
}

// The phase clock of quillane_phases.exe, once it has made its first switch; nullptr for the
// shipped program.
const q::PhaseTimes *PhaseClock() {
    HANDLE block = OpenFileMappingA(FILE_MAP_READ, FALSE, q::PhaseClockName);
    if (block == nullptr) return nullptr;
    return static_cast<const q::PhaseTimes *>(MapViewOfFile(block, FILE_MAP_READ, 0, 0, 0));
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

    TrayIcon icon;
    double notify = Timed(rounds, [&] { icon.Update(); });

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
    if (argc > 1 && std::strcmp(argv[1], "host") == 0) {
        RegisterWindowClass();
        return Host();
    }
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
    std::vector<HWND> hosts = StartHosts();
    if (hosts.size() != HostProcesses * HostThreads) {
        std::fprintf(stderr, "switch_latency: %d of %d host threads started\n", static_cast<int>(hosts.size()),
                     HostProcesses * HostThreads);
        return 1;
    }
    Switch(main, 2); // the phase clock starts with the first switch
    Switch(main, 1);
    const q::PhaseTimes *clock = PhaseClock();

    std::printf(
        "switch of quillane.exe (UM_DESKTOP 2 then 1, sent from here) against the same windows minimised\n"
        "and restored by this process (from outside) and by their own threads; the windows shared out\n"
        "among %d threads in %d processes; \"+ the icons\": the calls the two switches must make, made from\n"
        "here in their order (four icon updates with the minimises and restores); medians of %d rounds, ms\n\n",
        HostProcesses * HostThreads, HostProcesses, rounds);
    std::printf("%7s %10s %13s %6s %14s %6s %12s %6s %15s\n", "windows", "switch 2+1", "from outside", "ratio",
                "in their thrds", "ratio", "+ the icons", "ratio", "minimised by 2");
    TrayIcon icon;
    constexpr int Phases = static_cast<int>(q::Phase::Count);
    std::vector<std::vector<double>> phaseRows;
    for (int count : counts) {
        std::vector<HWND> windows = MakeWindows(hosts, count);
        Switch(main, 2); // the first refresh takes the new windows in
        Switch(main, 1);
        std::vector<double> switches, outside, inThreads, calls;
        std::vector<std::vector<double>> phases(Phases);
        int minimised = 0;
        for (int r = 0; r < rounds; ++r) {
            q::PhaseTimes before{};
            if (clock != nullptr) before = *clock;
            Settle();
            double to2 = Switch(main, 2);
            minimised = CountIconic(windows);
            Settle();
            double to1 = Switch(main, 1);
            if (to2 < 0 || to1 < 0) {
                std::printf("%7d   switch timed out\n", count);
                break;
            }
            if (clock != nullptr) {
                double named = 0;
                for (int p = 1; p < Phases; ++p) {
                    double spent = clock->Milliseconds[p] - before.Milliseconds[p];
                    phases[p].push_back(spent);
                    named += spent;
                }
                phases[0].push_back(to2 + to1 - named); // outside the phases: the messages there and back
            }
            switches.push_back(to2 + to1);
            Settle();
            outside.push_back(MinimiseAndRestore(windows));
            Settle();
            inThreads.push_back(MinimiseAndRestoreInThreads(hosts));
            Settle();
            calls.push_back(CallsOfTheSwitch(windows, icon));
        }
        double s = Median(switches), o = Median(outside), t = Median(inThreads), c = Median(calls);
        char ratio[16] = "-", ratioThreads[16] = "-", ratioCalls[16] = "-";
        if (count > 0 && o > 0) std::snprintf(ratio, sizeof ratio, "%.2f", s / o);
        if (count > 0 && t > 0) std::snprintf(ratioThreads, sizeof ratioThreads, "%.2f", s / t);
        if (c > 0) std::snprintf(ratioCalls, sizeof ratioCalls, "%.2f", s / c);
        std::printf("%7d %10.2f %13.2f %6s %14.2f %6s %12.2f %6s %10d of %d\n", count, s, o, ratio, t, ratioThreads,
                    c, ratioCalls, minimised, count);
        std::vector<double> row{static_cast<double>(count)};
        for (int p = 0; p < Phases; ++p)
            row.push_back(Median(phases[p]));
        phaseRows.push_back(row);
        for (HWND host : hosts) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(host, UM_DESTROY, 0, 0, SMTO_NORMAL, 60000, &ignored);
        }
        Pump();
    }
    if (clock != nullptr) {
        // Phase::Outside's slot holds what the sender saw beyond the phases.
        const char *names[Phases] = {"other", "icons", "refresh", "capture", "animat", "hung",
                                     "hiding", "collect", "wallp", "restore"};
        std::printf("\nthe switch 2+1 by phase (phase clock of quillane_phases.exe; medians of %d rounds, ms;\n"
                    "\"hung\" is the hung check wherever it runs, \"animat\" the animation off and back,\n"
                    "\"other\" the time the sender saw beyond the phases):\n",
                    rounds);
        std::printf("%7s", "windows");
        for (int p = 1; p < Phases; ++p)
            std::printf(" %7s", names[p]);
        std::printf(" %7s\n", names[0]);
        for (const auto &row : phaseRows) {
            std::printf("%7d", static_cast<int>(row[0]));
            for (int p = 1; p < Phases; ++p)
                std::printf(" %7.2f", row[1 + p]);
            std::printf(" %7.2f\n", row[1]);
        }
    } else {
        std::printf("\n(no phase clock: run quillane_phases.exe for the switch's phases)\n");
    }
    SystemCommandProbe(hosts, 10, rounds);
    for (HWND host : hosts)
        PostMessageA(host, WM_CLOSE, 0, 0);
    FixedParts(main, rounds * 4);
    return 0;
}
