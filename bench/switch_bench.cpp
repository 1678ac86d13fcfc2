// Cost of one desktop switch in the core, on the simulated machine, for growing numbers of
// tracked windows. Prints figures; compares nothing. Build with the "bench" preset.
#include <chrono>
#include <cstdio>
#include <string>

#include "config/wallpaper.h"
#include "engine/switching.h"
#include "engine/window_table.h"
#include "tests/sim/sim.h"

namespace {

struct Figures {
    int windows;
    int switches;
    double microsecondsPerSwitch;
};

Figures Measure(int windows) {
    q::SimMachine sim;
    sim.recordCalls = false; // the call logs would grow with every switch
    q::AppState app;
    app.Sys = &sim.Ports();
    app.Desktops.DesktopCount = 2;
    for (int i = 0; i < windows; ++i) {
        std::uint32_t style = q::WS_OVERLAPPEDWINDOW | q::WS_VISIBLE | (i % 8 == 0 ? q::WS_POPUP : 0);
        sim.CreateWindow("BenchWindow", "window " + std::to_string(i), style);
    }
    q::CreateWindowTable(app);
    sim.EnumWindows(q::EnumAddProc, &app);
    q::CaptureStartupWallpaper(app);
    // Every other window lives on desktop 2, so each switch hides half and restores half.
    for (std::int32_t i = 0; i < app.Windows.Count; i += 2) {
        app.Windows.Entries[i].Desktop = 2;
        sim.ShowWindow(app.Windows.Entries[i].Window, q::SW_MINIMIZE);
    }

    q::SwitchDesktop(app, 2); // warm up
    q::SwitchDesktop(app, 1);
    using Clock = std::chrono::steady_clock;
    const auto budget = std::chrono::milliseconds(1500);
    int switches = 0;
    auto start = Clock::now();
    while (Clock::now() - start < budget || switches < 4) {
        q::SwitchDesktop(app, app.CurrentDesktop() == 1 ? 2 : 1);
        ++switches;
    }
    double elapsed = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    q::FreeWindowTable(app);
    return Figures{windows, switches, elapsed / switches};
}

} // namespace

int main() {
    std::printf("%-16s %10s %18s %26s\n", "tracked windows", "switches", "microseconds/switch",
                "microseconds/switch/window");
    for (int windows : {64, 512, 4096}) {
        Figures f = Measure(windows);
        std::printf("%-16d %10d %18.1f %26.3f\n", f.windows, f.switches, f.microsecondsPerSwitch,
                    f.microsecondsPerSwitch / f.windows);
    }
    return 0;
}
