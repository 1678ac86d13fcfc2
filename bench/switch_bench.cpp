// Cost of one desktop switch in the core, for growing numbers of tracked windows. Prints
// figures; compares nothing. Build with the "bench" preset.
//
// The windows live in a small machine of their own whose every window operation costs the same
// at any number of windows, as on the system (the general simulated machine keeps its stacking
// order in a vector, which would add its own cost per window and hide the core's).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/startup.h"
#include "engine/desktops.h"
#include "engine/switching.h"
#include "engine/window_table.h"
#include "tests/sim/sim.h"

namespace {

class BenchMachine : public q::SimMachine {
  public:
    explicit BenchMachine(int windows) : windows_(static_cast<std::size_t>(windows)) {
        for (int i = 0; i < windows; ++i) {
            windows_[static_cast<std::size_t>(i)].style =
                q::WS_OVERLAPPEDWINDOW | q::WS_VISIBLE | (i % 8 == 0 ? q::WS_POPUP : 0);
            Link(i, true);
        }
    }
    q::Hwnd Handle(int i) const {
        return reinterpret_cast<q::Hwnd>(Base + Step * static_cast<std::uintptr_t>(i));
    }

    void EnumWindows(q::EnumWindowsProc proc, void *context) override {
        snapshot_.clear();
        for (int i = top_; i >= 0; i = At(i).next)
            snapshot_.push_back(i);
        for (int i : snapshot_)
            if (!proc(Handle(i), context)) return;
    }
    std::int32_t GetWindowLongA(q::Hwnd window, int index) override {
        int i = Index(window);
        if (i < 0) return SimMachine::GetWindowLongA(window, index);
        return index == q::GWL_STYLE ? static_cast<std::int32_t>(At(i).style) : 0;
    }
    int GetClassNameA(q::Hwnd window, char *buffer, int size) override {
        if (Index(window) < 0) return SimMachine::GetClassNameA(window, buffer, size);
        static const char name[] = "BenchWindow";
        if (size < static_cast<int>(sizeof name)) return 0;
        std::memcpy(buffer, name, sizeof name);
        return static_cast<int>(sizeof name) - 1;
    }
    bool IsWindow(q::Hwnd window) override { return Index(window) >= 0 || SimMachine::IsWindow(window); }
    bool IsWindowVisible(q::Hwnd window) override {
        int i = Index(window);
        return i < 0 ? SimMachine::IsWindowVisible(window) : (At(i).style & q::WS_VISIBLE) != 0;
    }
    bool ShowWindow(q::Hwnd window, int command) override {
        int i = Index(window);
        if (i < 0) return SimMachine::ShowWindow(window, command);
        Window &w = At(i);
        bool wasVisible = (w.style & q::WS_VISIBLE) != 0;
        if (command == q::SW_MINIMIZE && (w.style & q::WS_MINIMIZE) == 0) {
            w.style |= q::WS_MINIMIZE | q::WS_VISIBLE;
            Unlink(i);
            Link(i, false);
        } else if (command == q::SW_RESTORE) {
            w.style = (w.style & ~q::WS_MINIMIZE) | q::WS_VISIBLE;
            Unlink(i);
            Link(i, true);
        }
        return wasVisible;
    }
    bool IsIconic(q::Hwnd window) override {
        int i = Index(window);
        return i < 0 ? SimMachine::IsIconic(window) : (At(i).style & q::WS_MINIMIZE) != 0;
    }
    // Every bench window's thread answers at once: the switch's check that it does.
    q::Lresult SendMessageTimeoutA(q::Hwnd window, q::Uint message, q::Wparam wParam, q::Lparam lParam,
                                   q::Uint flags, q::Uint timeout, std::uintptr_t *result) override {
        if (Index(window) < 0)
            return SimMachine::SendMessageTimeoutA(window, message, wParam, lParam, flags, timeout, result);
        if (result != nullptr) *result = 0;
        return 1;
    }
    bool SetWindowPos(q::Hwnd window, q::Hwnd after, int x, int y, int cx, int cy, q::Uint flags) override {
        int i = Index(window);
        if (i < 0) return SimMachine::SetWindowPos(window, after, x, y, cx, cy, flags);
        At(i).x = x;
        At(i).y = y;
        return true;
    }
    // A window's property list, one value each: what the switch's marks cost, at any number of windows.
    bool SetPropA(q::Hwnd window, const char *name, std::intptr_t data) override {
        int i = Index(window);
        if (i < 0) return SimMachine::SetPropA(window, name, data);
        At(i).prop = data;
        return true;
    }
    std::intptr_t GetPropA(q::Hwnd window, const char *name) override {
        int i = Index(window);
        return i < 0 ? SimMachine::GetPropA(window, name) : At(i).prop;
    }
    std::intptr_t RemovePropA(q::Hwnd window, const char *name) override {
        int i = Index(window);
        if (i < 0) return SimMachine::RemovePropA(window, name);
        const std::intptr_t data = At(i).prop;
        At(i).prop = 0;
        return data;
    }
    q::Hwnd GetTopWindow(q::Hwnd parent) override {
        return parent == nullptr && top_ >= 0 ? Handle(top_) : SimMachine::GetTopWindow(parent);
    }
    q::Hwnd GetWindow(q::Hwnd window, q::Uint relation) override {
        int i = Index(window);
        if (i < 0 || relation != q::GW_HWNDNEXT) return SimMachine::GetWindow(window, relation);
        return At(i).next >= 0 ? Handle(At(i).next) : nullptr;
    }

  private:
    static constexpr std::uintptr_t Base = 0x40000000;
    static constexpr std::uintptr_t Step = 4;
    struct Window {
        std::uint32_t style = 0;
        int previous = -1, next = -1;
        int x = 0, y = 0;
        std::intptr_t prop = 0;
    };
    std::vector<Window> windows_;
    std::vector<int> snapshot_;
    int top_ = -1, bottom_ = -1;

    Window &At(int i) { return windows_[static_cast<std::size_t>(i)]; }
    int Index(q::Hwnd window) const {
        auto bits = reinterpret_cast<std::uintptr_t>(window);
        if (bits < Base || (bits - Base) % Step != 0) return -1;
        std::uintptr_t i = (bits - Base) / Step;
        return i < windows_.size() ? static_cast<int>(i) : -1;
    }
    void Unlink(int i) {
        Window &w = At(i);
        (w.previous >= 0 ? At(w.previous).next : top_) = w.next;
        (w.next >= 0 ? At(w.next).previous : bottom_) = w.previous;
        w.previous = w.next = -1;
    }
    void Link(int i, bool onTop) {
        Window &w = At(i);
        if (onTop) {
            w.next = top_;
            (top_ >= 0 ? At(top_).previous : bottom_) = i;
            top_ = i;
        } else {
            w.previous = bottom_;
            (bottom_ >= 0 ? At(bottom_).next : top_) = i;
            bottom_ = i;
        }
    }
};

struct Figures {
    int windows;
    int switches;
    double microsecondsPerSwitch;
};

Figures Measure(int windows) {
    BenchMachine sim(windows);
    sim.recordCalls = false; // the call logs would grow with every switch
    q::AppState app;
    q::ConnectPorts(app, sim.Ports());
    q::StartWithDesktops(app, 2);
    q::TakeInventory(app);
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
    std::printf("%-16s %10s %20s %27s\n", "tracked windows", "switches", "microseconds/switch",
                "microseconds/switch/window");
    double first = 0, last = 0;
    for (int windows : {64, 512, 4096}) {
        Figures f = Measure(windows);
        double perWindow = f.microsecondsPerSwitch / f.windows;
        if (first == 0) first = perWindow;
        last = perWindow;
        std::printf("%-16d %10d %20.1f %27.3f\n", f.windows, f.switches, f.microsecondsPerSwitch, perWindow);
    }
    std::printf("per-window cost at 4096 / at 64: %.2f\n", last / first);
    return 0;
}
