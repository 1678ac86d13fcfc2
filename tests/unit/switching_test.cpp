// Desktop switches on a running program: which windows are minimised, parked and restored,
// in what stacking order, and what the icons and the floating window are told.
#include "engine/switching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "tests/unit/machine.h"

namespace q {
namespace {

using test::Machine;
using test::Minimisations;
using test::Stacking;


bool SwitchAnnounced(const SimMachine &sim, Hwnd floating, int entered, int left) {
    return std::any_of(sim.messages.begin(), sim.messages.end(), [&](const SimMessage &m) {
        return m.window == floating && m.message == UM_DESKTOPSWITCH && !m.posted &&
               m.wParam == static_cast<Wparam>(entered) && m.lParam == left;
    });
}

int IconPicture(const SimMachine &sim, Hwnd main, Uint id) {
    const SimIcon *icon = sim.NotifyIcon(main, id);
    return icon != nullptr ? SimMachine::IconId(icon->icon) : -1;
}

bool refuse = false;
void *Refusing(std::size_t bytes) {
    return refuse ? nullptr : std::malloc(bytes);
}

TEST(Switching, WindowsComeBackInTheirStackingOrderWithTheTopOneActive) {
    Machine m;
    m.Start();
    Hwnd c = m.Window("C");
    Hwnd a = m.Window("A");
    Hwnd b = m.Window("B");
    m.sim.SetForegroundWindow(a); // the user clicks A: A, B, C from the top
    ASSERT_EQ(Stacking(m.sim, {a, b, c}), (std::vector<Hwnd>{a, b, c}));
    std::vector<std::int32_t> animation; // the setting whenever A changes size
    m.sim.SetWindowProc(a, [&](Hwnd w, Uint msg, Wparam wp, Lparam lp) {
        if (msg == WM_SIZE) animation.push_back(m.sim.MinAnimate());
        return m.sim.DefWindowProc(w, msg, wp, lp);
    });
    m.sim.SetMinAnimate(1);

    m.Show(2);
    for (Hwnd h : {a, b, c})
        EXPECT_TRUE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
    EXPECT_NE(m.sim.Active(), a);
    EXPECT_EQ(m.app.CurrentDesktop(), 2);
    EXPECT_EQ(IconPicture(m.sim, m.app.MainWindow, 2), 10);
    EXPECT_EQ(IconPicture(m.sim, m.app.MainWindow, 1), 11);
    EXPECT_TRUE(SwitchAnnounced(m.sim, m.app.FloatingWindow, 2, 1));
    Hwnd d = m.Window("D on desktop 2");

    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(d));
    for (Hwnd h : {a, b, c})
        EXPECT_FALSE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
    EXPECT_EQ(Stacking(m.sim, {a, b, c, d}), (std::vector<Hwnd>{a, b, c, d}));
    EXPECT_EQ(m.sim.Active(), a);
    EXPECT_EQ(IconPicture(m.sim, m.app.MainWindow, 1), 10);
    EXPECT_EQ(IconPicture(m.sim, m.app.MainWindow, 2), 11);
    EXPECT_TRUE(SwitchAnnounced(m.sim, m.app.FloatingWindow, 1, 2));

    EXPECT_EQ(animation, (std::vector<std::int32_t>{0, 0}));
    EXPECT_EQ(m.sim.MinAnimate(), 1);
    m.Show(1); // the desktop already shown: nothing at all
    EXPECT_EQ(animation.size(), 2u);
}

TEST(Switching, PopupsAreParkedUserMinimisedStayDownHiddenAreLeftAlone) {
    Machine m;
    m.Start();
    const Rect place = {10, 20, 110, 220};
    Hwnd popup = m.sim.CreateWindow("Popup", "P", WS_POPUP | WS_VISIBLE, 0, place);
    Hwnd plain = m.Window("O");
    Hwnd userMin = m.Window("M");
    Hwnd hidden = m.Window("H", WS_OVERLAPPEDWINDOW);
    m.sim.ShowWindow(userMin, SW_MINIMIZE);

    m.Show(2);
    EXPECT_TRUE(m.sim.IsMinimized(popup));
    EXPECT_EQ(m.sim.Position(popup).left, 3000);
    EXPECT_EQ(m.sim.Position(popup).top, 3000);
    EXPECT_TRUE(m.sim.IsMinimized(plain));
    EXPECT_EQ(m.sim.Position(plain).left, sim::IconicX);
    EXPECT_FALSE(m.sim.IsVisible(hidden));
    EXPECT_FALSE(m.sim.IsMinimized(hidden));

    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(popup));
    EXPECT_EQ(m.sim.Position(popup).left, place.left);
    EXPECT_EQ(m.sim.Position(popup).top, place.top);
    EXPECT_FALSE(m.sim.IsMinimized(plain));
    EXPECT_TRUE(m.sim.IsMinimized(userMin));
    EXPECT_FALSE(m.sim.IsVisible(hidden));
    EXPECT_FALSE(m.sim.IsMinimized(hidden));
    EXPECT_EQ(Minimisations(m.sim, hidden), 0u);
}

TEST(Switching, StickyWindowsGoDownAndComeBackAtEverySwitchTheFloatingWindowNever) {
    Machine m;
    m.sim.SetNumber(HkeyCurrentUser(), "Software\\Halvern\\Quillane", "Display", 3);
    m.Start();
    m.Command(110); // a third desktop
    Hwnd floating = m.app.FloatingWindow;
    ASSERT_TRUE(m.sim.IsVisible(floating));
    const Rect floatingPlace = m.sim.Position(floating);
    Hwnd sticky = m.Window("S");
    Hwnd elsewhere = m.Window("T");
    m.Send(UM_SETSTICKY, reinterpret_cast<Wparam>(sticky), 1);
    m.Send(UM_MOVETODESKTOP, reinterpret_cast<Wparam>(elsewhere), 3);
    m.Send(UM_SETSTICKY, reinterpret_cast<Wparam>(elsewhere), 1); // sticky, of desktop 3 on record

    const int route[] = {2, 1, 3, 2};
    int left = 1;
    for (std::size_t i = 0; i < std::size(route); ++i) {
        const int n = route[i];
        if (n == 1) m.sim.ShowWindow(sticky, SW_MINIMIZE); // minimised by the user on desktop 2
        const std::size_t before = Minimisations(m.sim, sticky);
        m.Show(n);
        SCOPED_TRACE(testing::Message() << "switch to " << n);
        EXPECT_EQ(m.app.CurrentDesktop(), n);
        EXPECT_FALSE(m.sim.IsMinimized(sticky));
        EXPECT_FALSE(m.sim.IsMinimized(elsewhere));
        EXPECT_EQ(Minimisations(m.sim, sticky), n == 1 ? before : before + 1);
        EXPECT_EQ(m.sim.NotifyIcon(m.app.MainWindow, 0)->callbackMessage, UM_DESKTOP(n));
        EXPECT_TRUE(SwitchAnnounced(m.sim, floating, n, left));
        left = n;
    }
    EXPECT_EQ(Minimisations(m.sim, floating), 0u);
    EXPECT_TRUE(m.sim.IsVisible(floating));
    EXPECT_EQ(m.sim.Position(floating).left, floatingPlace.left);
    EXPECT_EQ(m.sim.Position(floating).top, floatingPlace.top);
}

TEST(Switching, WindowRestoredByTheUserIsClaimedByTheDesktopShown) {
    Machine m;
    m.Start();
    Hwnd w = m.Window("W of desktop 1");
    m.Show(2);
    Hwnd x = m.Window("X of desktop 2");
    m.Show(1);
    m.sim.ShowWindow(x, SW_RESTORE); // from the taskbar, while desktop 1 is shown
    ASSERT_FALSE(m.sim.IsMinimized(x));

    m.Show(2);
    EXPECT_TRUE(m.sim.IsMinimized(w));
    EXPECT_TRUE(m.sim.IsMinimized(x)); // hidden with desktop 1's windows
    EXPECT_EQ(FindWindowEntry(m.app, x)->Desktop, 1);
    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(w));
    EXPECT_FALSE(m.sim.IsMinimized(x));
}

TEST(Switching, WithoutMemoryForTheRestoreListEveryWindowComesBackInTableOrder) {
    Machine m;
    m.Start();
    Hwnd a = m.Window("A");
    Hwnd b = m.Window("B");
    Hwnd c = m.Window("C");
    m.Show(2); // the table now holds C, B, A in this order
    m.Show(1);
    m.sim.SetForegroundWindow(a);
    ASSERT_EQ(Stacking(m.sim, {a, b, c}), (std::vector<Hwnd>{a, c, b}));

    refuse = true;
    m.app.Memory = Allocator{Refusing, std::free};
    m.Show(2);
    m.Show(1);
    refuse = false;
    for (Hwnd h : {a, b, c})
        EXPECT_FALSE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
    // Restored C, B, A as the table lists them, not by rank (which would give A, C, B).
    EXPECT_EQ(Stacking(m.sim, {a, b, c}), (std::vector<Hwnd>{a, b, c}));
    EXPECT_EQ(m.sim.MinAnimate(), 1);
}

} // namespace
} // namespace q
