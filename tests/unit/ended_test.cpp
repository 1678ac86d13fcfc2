// The program ended from outside (the task list, the system, a failure) at any point of a switch,
// a move, a deletion or the quit, then started again on the same machine.
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/names.h"
#include "tests/unit/machine.h"
#include "ui/command_menu.h"

namespace q::test {
namespace {

// The program's heap: what an ended process held is freed with it.
std::set<void *> &Blocks() {
    static std::set<void *> blocks;
    return blocks;
}
void *Allocate(std::size_t bytes) {
    void *block = std::malloc(bytes);
    if (block != nullptr) Blocks().insert(block);
    return block;
}
void Release(void *block) {
    Blocks().erase(block);
    std::free(block);
}

struct Ended {}; // thrown at the call where the process ends

bool HasOurMarks(const SimMachine &sim, Hwnd h) {
    for (const std::string &name : sim.PropertyNames(h))
        if (name.rfind("quillane", 0) == 0) return true;
    return false;
}

bool AtPark(const SimMachine &sim, Hwnd h) {
    return sim.Position(h).left == ParkPosition && sim.Position(h).top == ParkPosition;
}

// On the screen: shown, not minimised and not parked; or, for an owned window, hidden only with
// an owner that is itself away.
bool OnScreen(const SimMachine &sim, Hwnd h) {
    return sim.IsVisible(h) && !sim.IsMinimized(h) && !AtPark(sim, h);
}

// Three desktops; on desktop 1 an ordinary window, a caption-less pop-up, a tool window, a window
// that hides itself when minimised, a pop-up that refuses the minimise, an owner with an owned
// pop-up, a window its user minimised and one another program minimised and parked; on desktop 2
// one more window. Then, the process armed to end at the `endAt`-th call that changes a window
// (0: never): desktop 2 is shown, the tool window moved to desktop 3, desktop 3 shown and deleted,
// desktop 1 shown, and the program closed.
struct World {
    Machine m;
    Hwnd plain, popup, tool, hider, refuser, owner, owned, user, foreign, second;
    std::vector<Hwnd> Ours() const { return {plain, popup, tool, hider, refuser, owner, owned, second}; }
    std::size_t calls = 0;
    bool ended = false;
    // Ended between its minimise of the hider, which hid itself, and the mark that says so: the
    // hider is taken for hidden by its program, whose tray icon (or whatever it keeps) brings it
    // back, as the running program would take it.
    bool hiderItsProgramsNow = false;

    explicit World(std::size_t endAt) {
        m.app.Memory = Allocator{Allocate, Release};
        m.StoreDesktops({"One", "Two", "Three"});
        SimMachine &sim = m.sim;
        plain = m.Window("Plain");
        popup = sim.CreateWindow("T", "Popup", WS_POPUP | WS_VISIBLE, 0, Rect{300, 200, 500, 300});
        tool = sim.CreateWindow("T", "Tool", WS_OVERLAPPEDWINDOW | WS_VISIBLE, WS_EX_TOOLWINDOW,
                                Rect{50, 50, 250, 150});
        hider = m.Window("Hider");
        sim.SetHabit(hider, SimMachine::Habit::HideWhenMinimized);
        refuser =
            sim.CreateWindow("T", "Refuser", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, Rect{200, 150, 500, 350});
        sim.SetHabit(refuser, SimMachine::Habit::RefuseMinimize);
        owner = m.Window("Owner");
        owned = sim.CreateWindow("T", "Find", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, Rect{420, 300, 660, 420},
                                 owner);
        user = m.Window("User");
        sim.ShowWindow(user, SW_MINIMIZE);
        foreign = m.Window("Foreign");
        sim.ShowWindow(foreign, SW_MINIMIZE);
        sim.SetWindowPos(foreign, nullptr, ParkPosition, ParkPosition, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        sim.SetPropA(foreign, "OtherManagerAway", 2);
        m.Start();
        m.Show(2);
        second = m.Window("Second");
        m.Show(1);
        sim.defaultMessageBoxAnswer = IDYES;
        sim.beforeWindowChange = [this, endAt] {
            if (++calls == endAt) {
                ended = true;
                throw Ended{};
            }
        };
        try {
            m.Show(2);
            m.Send(UM_MOVETODESKTOP, reinterpret_cast<Wparam>(tool), 3);
            m.Show(3);
            m.Command(CmdDeleteCurrentDesktop);
            m.Show(1);
            m.Send(WM_CLOSE);
        } catch (const Ended &) {
            hiderItsProgramsNow = !sim.IsVisible(hider) && sim.IsMinimized(hider) &&
                                  (sim.GetPropA(hider, names::AwayProperty) & 0x10) == 0;
        }
        sim.beforeWindowChange = nullptr;
    }

    // Started again as quillane.exe is: the ended process's windows and memory are gone.
    void SecondStart() {
        m.sim.EndProgram();
        for (void *block : Blocks())
            std::free(block);
        Blocks().clear();
        m.app = AppState{};
        ConnectPorts(m.app, m.sim.Ports());
        m.app.Memory = Allocator{Allocate, Release};
        m.Start();
    }

    // Another program's windows, and the one its user minimised, stay as they were left.
    void ExpectOthersUntouched(const std::string &when) {
        EXPECT_TRUE(m.sim.IsMinimized(user)) << when;
        EXPECT_TRUE(m.sim.IsMinimized(foreign)) << when;
        EXPECT_EQ(m.sim.GetPropA(foreign, "OtherManagerAway"), 2) << when;
    }
};

// Whatever step the process ends at, the second start finds every window on the screen or on one
// of its desktops, where a switch brings it back; its quit leaves every window on the screen or
// minimised with its taskbar button, and no mark on any window.
TEST(EndedFromOutside, ASecondStartGivesBackWhatTheFirstLeftAway) {
    std::size_t total = 0;
    {
        World normal(0);
        total = normal.calls;
        ASSERT_GT(total, 20u);
        ASSERT_TRUE(normal.m.sim.QuitPosted());
        for (Hwnd h : normal.Ours())
            EXPECT_FALSE(HasOurMarks(normal.m.sim, h)) << "no trace after a normal quit";
        normal.ExpectOthersUntouched("after a normal quit");
        // Desktop 2's when the quit came: minimised, and without a taskbar button to come back by.
        EXPECT_TRUE(OnScreen(normal.m.sim, normal.tool)) << "the quit brings back a tool window";
        EXPECT_TRUE(normal.m.sim.IsMinimized(normal.second)) << "and leaves the others minimised";
        normal.SecondStart(); // nothing of ours on any window: a start as any other
        EXPECT_TRUE(OnScreen(normal.m.sim, normal.plain));
    }
    for (std::size_t endAt = 1; endAt <= total; ++endAt) {
        World w(endAt);
        const std::string at = "ended at call " + std::to_string(endAt) + " of " + std::to_string(total);
        ASSERT_TRUE(w.ended) << at;
        w.SecondStart();
        SimMachine &sim = w.m.sim;
        AppState &app = w.m.app;
        w.ExpectOthersUntouched(at + ", after the second start");
        const auto away = [&](Hwnd h) {
            const WindowEntry *e = FindWindowEntry(app, h);
            return e != nullptr && e->Desktop != app.CurrentDesktop() && e->Desktop <= app.DesktopCount();
        };
        for (Hwnd h : w.Ours()) {
            if (h == w.owned && sim.HiddenWithOwner(h)) continue; // comes back with its owner
            if (h == w.hider && w.hiderItsProgramsNow) continue;
            EXPECT_TRUE(OnScreen(sim, h) || away(h)) << at << ": " << sim.WindowText(h) << " is lost";
            const WindowEntry *e = FindWindowEntry(app, h);
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->Minimized, 0)
                << at << ": " << sim.WindowText(h) << " taken for one its user minimised";
        }
        // Every desktop shown in turn: its windows come back with it.
        for (int d = app.DesktopCount(); d >= 1; --d) {
            w.m.Show(d);
            for (Hwnd h : w.Ours()) {
                const WindowEntry *e = FindWindowEntry(app, h);
                if (e == nullptr || e->Desktop != d || (h == w.owned && sim.HiddenWithOwner(h)) ||
                    (h == w.hider && w.hiderItsProgramsNow))
                    continue;
                EXPECT_TRUE(OnScreen(sim, h))
                    << at << ": " << sim.WindowText(h) << " not back with desktop " << d;
            }
        }
        w.m.Show(2);
        w.m.Send(WM_CLOSE);
        ASSERT_TRUE(sim.QuitPosted()) << at;
        w.ExpectOthersUntouched(at + ", after the second quit");
        for (Hwnd h : w.Ours()) {
            const bool reachable =
                OnScreen(sim, h) || (sim.IsMinimized(h) && sim.HasTaskbarButton(h)) ||
                (h == w.owned && sim.HiddenWithOwner(h) && sim.HasTaskbarButton(w.owner)) ||
                (h == w.hider && w.hiderItsProgramsNow && !sim.IsVisible(h));
            EXPECT_TRUE(reachable) << at << ": " << sim.WindowText(h)
                                   << " out of reach after the second quit";
            EXPECT_FALSE(AtPark(sim, h) && !sim.IsMinimized(h))
                << at << ": " << sim.WindowText(h) << " at the park";
            EXPECT_FALSE(HasOurMarks(sim, h)) << at << ": " << sim.WindowText(h) << " keeps a mark";
        }
    }
}

// A desktop the second start does not have (the settings went meanwhile: two desktops, the
// default) gives its windows back on desktop 1; those of a desktop it has stay away with it.
TEST(EndedFromOutside, WindowsOfADesktopThatIsNoMoreComeBackOnDesktopOne) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    Hwnd onTwo = m.Window("On two");
    Hwnd onThree = m.Window("On three");
    Hwnd popup = m.sim.CreateWindow("T", "Popup", WS_POPUP | WS_VISIBLE, 0, Rect{300, 200, 500, 300});
    m.Start();
    m.Send(UM_MOVETODESKTOP, reinterpret_cast<Wparam>(onTwo), 2);
    m.Send(UM_MOVETODESKTOP, reinterpret_cast<Wparam>(onThree), 3);
    m.Send(UM_MOVETODESKTOP, reinterpret_cast<Wparam>(popup), 3);
    ASSERT_TRUE(m.sim.IsMinimized(onThree));
    m.sim.EndProgram();
    FreeWindowTable(m.app);
    m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "Desktop", 2);
    m.app = AppState{};
    ConnectPorts(m.app, m.sim.Ports());
    m.Start();
    EXPECT_TRUE(OnScreen(m.sim, onThree));
    EXPECT_TRUE(OnScreen(m.sim, popup));
    EXPECT_EQ(m.sim.Position(popup).left, 300) << "back where it stood";
    EXPECT_TRUE(m.sim.IsMinimized(onTwo));
    EXPECT_EQ(m.sim.GetPropA(onThree, names::AwayProperty), 0);
    m.Show(2);
    EXPECT_TRUE(OnScreen(m.sim, onTwo));
    EXPECT_TRUE(m.sim.IsMinimized(onThree)) << "desktop 1's now";
}

} // namespace
} // namespace q::test
