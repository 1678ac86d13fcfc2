// Desktop switches on a running program: which windows are minimised, parked and restored,
// in what stacking order, and what the icons and the floating window are told.
#include "engine/switching.h"
#include "engine/hung.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>
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
    m.Command(CmdCreateDesktop); // a third desktop
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

Wparam H(Hwnd window) {
    return reinterpret_cast<Wparam>(window);
}

bool At(const SimMachine &sim, Hwnd window, Rect place) {
    return sim.Position(window).left == place.left && sim.Position(window).top == place.top;
}

// Many programs hide their window when it is minimised: one the switch minimised comes back
// with its desktop, in its place in the stacking order, and from the quit; one its program hid
// on its own (after the user's minimise, or for any other reason) stays hidden.
TEST(Switching, WindowsThatHideWhenMinimisedComeBackWithTheirDesktop) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    m.Start();
    Hwnd below = m.Window("B");
    Hwnd hider = m.Window("H");
    Hwnd popup = m.sim.CreateWindow("Tray", "P", WS_POPUP | WS_CAPTION | WS_VISIBLE);
    Hwnd userHidden = m.Window("U");
    Hwnd away = m.Window("A"); // hidden by its program for its own reasons
    for (Hwnd h : {hider, popup, userHidden, away})
        m.sim.SetHabit(h, SimMachine::Habit::HideWhenMinimized);
    m.sim.ShowWindow(userHidden, SW_MINIMIZE);
    m.sim.ShowWindow(away, SW_HIDE);
    m.sim.SetForegroundWindow(popup);
    m.sim.SetForegroundWindow(hider); // H, P, B from the top

    m.Show(2);
    for (Hwnd h : {hider, popup, userHidden, away})
        EXPECT_FALSE(m.sim.IsVisible(h)) << m.sim.WindowText(h);
    m.Show(3); // passing through another desktop changes nothing
    m.Show(1);
    EXPECT_EQ(Stacking(m.sim, {below, hider, popup}), (std::vector<Hwnd>{hider, popup, below}));
    for (Hwnd h : {hider, popup}) {
        EXPECT_TRUE(m.sim.IsVisible(h)) << m.sim.WindowText(h);
        EXPECT_FALSE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
    }
    EXPECT_FALSE(m.sim.IsVisible(userHidden));
    EXPECT_FALSE(m.sim.IsVisible(away));
    EXPECT_EQ(m.sim.Active(), hider);

    // A hung one waits for its thread.
    m.sim.SetHung(hider, true);
    m.Show(2);
    m.sim.SetHung(hider, false);
    m.Show(1);
    m.Show(2);
    m.sim.SetHung(hider, true);
    m.Show(1);
    EXPECT_FALSE(m.sim.IsVisible(hider));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
    m.sim.SetHung(hider, false);
    m.Show(3);
    m.Show(1);
    EXPECT_TRUE(m.sim.IsVisible(hider));

    // The quit, from desktop 1: the windows sent to desktops 2 and 3 too.
    m.Send(UM_MOVETODESKTOP, H(hider), 3);
    m.Send(UM_MOVETODESKTOP, H(popup), 2);
    ASSERT_FALSE(m.sim.IsVisible(hider));
    ASSERT_FALSE(m.sim.IsVisible(popup));
    m.Send(WM_CLOSE);
    for (Hwnd h : {hider, popup}) {
        EXPECT_TRUE(m.sim.IsVisible(h)) << m.sim.WindowText(h);
        EXPECT_FALSE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
    }
    EXPECT_FALSE(m.sim.IsVisible(userHidden));
    EXPECT_FALSE(m.sim.IsVisible(away));
}

// A pop-up whose program restores it whenever it is minimised: the park leaves it restored at
// 3000, 3000, out of sight while its desktop is away; it comes back where it stood, through
// other desktops, a move and the quit, unless its program moved it meanwhile.
TEST(Switching, PopupsThatRefuseAMinimiseComeBackWhereTheyStood) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    m.Start();
    const Rect place = {10, 20, 110, 220};
    Hwnd popup = m.sim.CreateWindow("Popup", "R", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, place);
    Hwnd moved = m.sim.CreateWindow("Popup", "M", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, place);
    for (Hwnd h : {popup, moved})
        m.sim.SetHabit(h, SimMachine::Habit::RefuseMinimize);

    m.Show(2);
    EXPECT_FALSE(m.sim.IsMinimized(popup));
    EXPECT_TRUE(At(m.sim, popup, Rect{3000, 3000, 0, 0}));
    EXPECT_TRUE(At(m.sim, moved, place)); // an overlapped window is not parked by a switch
    m.Show(3);
    EXPECT_EQ(FindWindowEntry(m.app, popup)->Desktop, 1);
    m.Show(1);
    EXPECT_TRUE(At(m.sim, popup, place));
    EXPECT_FALSE(m.sim.IsMinimized(popup));

    // Sent away, to the desktop shown, away again and back at the quit.
    m.Send(UM_MOVETODESKTOP, H(moved), 2);
    EXPECT_TRUE(At(m.sim, moved, Rect{3000, 3000, 0, 0}));
    m.Show(2);
    EXPECT_TRUE(At(m.sim, moved, place));
    m.Send(UM_MOVETODESKTOP, H(moved), 1);
    m.Send(UM_MOVETODESKTOP, H(moved), 3); // parked twice: still owed its first place
    m.Send(UM_MOVETODESKTOP, H(moved), 2);
    EXPECT_TRUE(At(m.sim, moved, place));
    m.Send(UM_MOVETODESKTOP, H(moved), 3);
    m.Show(1);

    // Its program moves it while it is parked: it is shown there, on the desktop shown then.
    m.Show(2);
    m.sim.SetWindowPos(popup, nullptr, 200, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m.Show(3);
    EXPECT_EQ(FindWindowEntry(m.app, popup)->Desktop, 2);
    m.Show(1);

    // Sent away, then minimised by its user there: the quit makes its place the one it comes
    // back to, in the work area's coordinates with the taskbar at the top of the screen.
    m.sim.workArea = Rect{0, 30, 1024, 768};
    Hwnd away = m.sim.CreateWindow("Popup", "A", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, place);
    m.sim.SetHabit(away, SimMachine::Habit::RefuseMinimize);
    m.Send(UM_MOVETODESKTOP, H(away), 3);
    m.sim.SetHabit(away, SimMachine::Habit::None);
    m.sim.ShowWindow(away, SW_MINIMIZE);

    m.Send(WM_CLOSE);
    EXPECT_TRUE(At(m.sim, moved, place));
    EXPECT_FALSE(m.sim.IsMinimized(moved));
    EXPECT_TRUE(At(m.sim, popup, Rect{200, 300, 0, 0})); // where its program put it
    EXPECT_TRUE(m.sim.IsMinimized(away));
    EXPECT_EQ(m.sim.NormalPosition(away).left, place.left);
    EXPECT_EQ(m.sim.NormalPosition(away).top, place.top);
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// The user's minimise and restore win over what the table knew: a window the user minimised
// that hangs over a switch stays minimised once it answers; one its program restores while
// the switch asks the windows comes back with its desktop.
TEST(Switching, TheUsersMinimiseAndRestoreWinOverHangsAndRaces) {
    Machine m;
    m.Start();
    Hwnd down = m.Window("D");
    Hwnd racer = m.Window("R");
    m.sim.ShowWindow(down, SW_MINIMIZE);
    m.sim.ShowWindow(racer, SW_MINIMIZE);
    m.sim.SetWindowProc(racer, [&](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
        if (message == WM_NULL && m.sim.IsMinimized(w)) m.sim.ShowWindow(w, SW_RESTORE);
        return m.sim.DefWindowProc(w, message, wParam, lParam);
    });

    m.sim.SetHung(down, true);
    m.Show(2);
    EXPECT_TRUE(m.sim.IsMinimized(racer)); // restored during the check, then minimised
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(down)); // still hung: left as it was
    m.Show(2);
    m.sim.SetHung(down, false); // answers again while away
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(down));
    EXPECT_FALSE(m.sim.IsMinimized(racer));
    m.sim.SetHung(down, true);
    m.Show(2);
    m.Show(1);
    m.sim.SetHung(down, false); // answers again on its own desktop
    m.Show(2);
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(down));
    EXPECT_FALSE(m.sim.IsMinimized(racer));

    // Left on the screen by a hang, minimised by its user once it answers: it stays down when
    // its desktop comes back.
    Hwnd left = m.Window("L");
    m.sim.SetHung(left, true);
    m.Show(2);
    EXPECT_FALSE(m.sim.IsMinimized(left));
    m.sim.SetHung(left, false);
    m.sim.ShowWindow(left, SW_MINIMIZE);
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(left));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// A Notepad with a modeless Find box, a modal About box and a Replace box its program keeps
// hidden: wherever the Notepad goes (switches, a move there and back, sticky, the deletion of
// its desktop), the two boxes go down and come up with it, never left minimised or at 3000, 3000;
// the hidden one stays hidden. A box sent alone to another desktop keeps its own way.
TEST(Switching, OwnedWindowsGoWhereTheirOwnerGoes) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    m.Start();
    Hwnd other = m.Window("O");
    Hwnd note = m.Window("N");
    const std::uint32_t box = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    Hwnd find = m.sim.CreateWindow("Dialog", "Find", box, 0, {50, 60, 250, 160}, note);
    Hwnd replace = m.sim.CreateWindow("Dialog", "Replace", box & ~WS_VISIBLE, 0, {60, 60, 250, 160}, note);
    Hwnd about = m.sim.CreateWindow("Dialog", "About", box, 0, {70, 80, 270, 180}, note);
    m.sim.EnableWindow(note, false); // About is modal
    auto shownWithNote = [&](const char *when) {
        EXPECT_FALSE(m.sim.IsMinimized(note)) << when;
        for (Hwnd h : {find, about}) {
            EXPECT_TRUE(m.sim.IsVisible(h)) << when << " " << m.sim.WindowText(h);
            EXPECT_FALSE(m.sim.IsMinimized(h)) << when << " " << m.sim.WindowText(h);
            EXPECT_NE(m.sim.Position(h).left, ParkPosition) << when << " " << m.sim.WindowText(h);
        }
        EXPECT_FALSE(m.sim.IsVisible(replace)) << when;
        EXPECT_EQ(Stacking(m.sim, {about, find, note}).back(), note) << when; // above their owner
    };
    auto awayWithNote = [&](const char *when) {
        EXPECT_TRUE(m.sim.IsMinimized(note)) << when;
        for (Hwnd h : {find, about, replace}) {
            EXPECT_FALSE(m.sim.IsVisible(h)) << when << " " << m.sim.WindowText(h);
            EXPECT_FALSE(m.sim.IsMinimized(h)) << when << " " << m.sim.WindowText(h);
        }
    };

    m.Show(2);
    awayWithNote("1 -> 2");
    EXPECT_EQ(Minimisations(m.sim, find), 0u);
    m.Show(1);
    shownWithNote("2 -> 1");

    m.Send(UM_MOVETODESKTOP, H(note), 2);
    awayWithNote("moved to 2");
    for (Hwnd h : {find, about, replace})
        EXPECT_EQ(FindWindowEntry(m.app, h)->Desktop, 2);
    m.Show(2);
    shownWithNote("2 shown");
    m.Send(UM_MOVETODESKTOP, H(note), 1);
    awayWithNote("moved back to 1");
    m.Show(1);
    shownWithNote("back on 1");

    m.Send(UM_SETSTICKY, H(note), 1);
    EXPECT_EQ(FindWindowEntry(m.app, find)->Sticky, 1);
    m.Show(3);
    shownWithNote("sticky on 3");
    m.Show(1);
    shownWithNote("sticky on 1");
    m.Send(UM_MOVETODESKTOP, H(note), 1);
    EXPECT_EQ(FindWindowEntry(m.app, about)->Sticky, 0);

    // Desktop 2 deleted from desktop 1: the Notepad's windows join desktop 3, now 2.
    m.Send(UM_MOVETODESKTOP, H(note), 2);
    m.Command(DesktopCommandId(2, DesktopDelete));
    EXPECT_EQ(m.app.DesktopCount(), 2);
    EXPECT_EQ(m.Current(), 1);
    awayWithNote("desktop 2 deleted");
    m.Show(2);
    shownWithNote("merged desktop shown");

    // Find sent alone to desktop 1: minimised as any window. Its owner's minimise hides it there
    // (Windows' rule), and its own desktop shows it again, on the screen, above the window that
    // was on top there; back on desktop 2 it goes down, and its owner's Replace box stays hidden.
    m.Send(UM_MOVETODESKTOP, H(find), 1);
    EXPECT_TRUE(m.sim.IsMinimized(find));
    EXPECT_EQ(FindWindowEntry(m.app, find)->Desktop, 1);
    m.Show(1);
    EXPECT_TRUE(m.sim.IsVisible(find));
    EXPECT_FALSE(m.sim.IsMinimized(find));
    EXPECT_TRUE(m.sim.IsMinimized(note));
    EXPECT_FALSE(m.sim.IsVisible(replace));
    m.Show(2);
    EXPECT_TRUE(m.sim.IsMinimized(find));
    m.Show(1);
    EXPECT_TRUE(m.sim.IsVisible(find) && !m.sim.IsMinimized(find)) << "shown on its desktop again";
    // Made sticky alone there: it stays on the screen of every desktop, whatever its owner's
    // minimise hides. Its owner sent to another desktop takes it along, sticky no more.
    m.Send(UM_SETSTICKY, H(find), 1);
    m.Show(2);
    EXPECT_TRUE(m.sim.IsVisible(find) && !m.sim.IsMinimized(find)) << "sticky alone on 2";
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(note));
    EXPECT_TRUE(m.sim.IsVisible(find) && !m.sim.IsMinimized(find)) << "sticky alone on 1";
    m.Show(2);
    m.Send(UM_MOVETODESKTOP, H(note), 1);
    EXPECT_TRUE(m.sim.IsMinimized(note));
    EXPECT_FALSE(m.sim.IsVisible(find));
    EXPECT_EQ(FindWindowEntry(m.app, find)->Sticky, 0);
    m.Send(UM_MOVETODESKTOP, H(note), 2);
    m.Send(UM_MOVETODESKTOP, H(find), 2); // back with its owner
    shownWithNote("together again");
    m.Show(1);
    m.Show(2);
    shownWithNote("together again, after a switch");
    // Find sent alone to desktop 1 again, minimised there; the Notepad follows, which hides it;
    // the Notepad sent back here brings it up, minimised as Windows shows it: we restore it.
    m.Send(UM_MOVETODESKTOP, H(find), 1);
    m.Send(UM_MOVETODESKTOP, H(note), 1);
    EXPECT_TRUE(m.sim.IsMinimized(find));
    m.Send(UM_MOVETODESKTOP, H(note), 2);
    shownWithNote("its owner moved back here");

    // The quit from desktop 2 leaves the Notepad minimised with its taskbar button; its boxes
    // come back with it when the user restores it.
    m.Send(WM_CLOSE);
    awayWithNote("after the quit");
    EXPECT_TRUE(m.sim.HasTaskbarButton(note));
    EXPECT_FALSE(m.sim.IsMinimized(other));
    m.sim.ShowWindow(note, SW_RESTORE);
    shownWithNote("restored from the taskbar");
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// An owner sent to another desktop before any switch ranked it comes back before the box it owns,
// although the box stands before it in the table (it is above its owner): the box, minimised
// when it went there alone and hidden since with its owner, is restored once its owner shows it.
TEST(Switching, AnOwnerNeverRankedComesBackBeforeItsOwnedWindows) {
    Machine m;
    m.Start();
    Hwnd note = m.Window("N");
    Hwnd find =
        m.sim.CreateWindow("Dialog", "Find", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {50, 60, 250, 160}, note);
    m.Send(UM_MOVETODESKTOP, H(find), 2);
    m.Send(UM_MOVETODESKTOP, H(note), 2);
    ASSERT_EQ(FindWindowEntry(m.app, note)->ZRank, 0);
    ASSERT_LT(FindWindowEntry(m.app, find), FindWindowEntry(m.app, note));
    m.Show(2);
    EXPECT_FALSE(m.sim.IsMinimized(note));
    EXPECT_TRUE(m.sim.IsVisible(find));
    EXPECT_FALSE(m.sim.IsMinimized(find));
    EXPECT_NE(m.sim.Position(find).left, ParkPosition);
}

// A window is hidden by whoever hid it: one its program hides after a switch minimised it stays
// hidden through the return and the quit; one that hid itself inside our minimise comes back at
// the quit without taking the activation or changing desktop 1's stacking order.
TEST(Switching, AWindowHiddenAfterOurMinimiseStaysHiddenAndTheQuitTakesNoActivation) {
    Machine m;
    m.Start();
    Hwnd bottom = m.Window("B");
    Hwnd top = m.Window("T");
    Hwnd hidden = m.Window("H");
    m.Show(2);
    Hwnd hider = m.Window("S");
    m.sim.SetHabit(hider, SimMachine::Habit::HideWhenMinimized);
    m.sim.ShowWindow(hidden, SW_HIDE); // by its program, on desktop 2
    m.Show(1);
    EXPECT_FALSE(m.sim.IsVisible(hidden));
    EXPECT_FALSE(m.sim.IsVisible(hider));
    m.sim.SetActiveWindow(top);
    const std::vector<Hwnd> order = Stacking(m.sim, {bottom, top});
    m.Send(WM_CLOSE);
    EXPECT_FALSE(m.sim.IsVisible(hidden));
    EXPECT_TRUE(m.sim.IsVisible(hider));
    EXPECT_FALSE(m.sim.IsMinimized(hider));
    EXPECT_EQ(m.sim.Active(), top);
    EXPECT_EQ(Stacking(m.sim, {bottom, top, hider}), (std::vector<Hwnd>{top, bottom, hider}));
    EXPECT_EQ(Stacking(m.sim, {bottom, top}), order);
}

// Where the system leaves owned windows as they are (Wine 8): a Notepad's modeless Find box and
// its modal About box are taken down after it, and come back with it, above it, the top window
// active; so through a move of the Notepad there and back, sticky, and the quit.
TEST(Switching, OwnedWindowsTheSystemLeavesUpGoDownAndComeBackWithTheirOwner) {
    Machine m;
    m.sim.hidesOwnedWindows = false;
    m.StoreDesktops({"One", "Two", "Three"});
    m.Start();
    Hwnd note = m.Window("N");
    const std::uint32_t box = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    Hwnd find = m.sim.CreateWindow("Dialog", "Find", box, 0, {50, 60, 250, 160}, note);
    Hwnd about = m.sim.CreateWindow("Dialog", "About", box, 0, {70, 80, 270, 180}, note);
    m.sim.EnableWindow(note, false);
    m.sim.SetActiveWindow(about);
    const std::vector<Hwnd> order = Stacking(m.sim, {about, find, note});
    auto away = [&](const char *when) {
        for (Hwnd h : {note, find, about})
            EXPECT_TRUE(m.sim.IsMinimized(h) || !m.sim.IsVisible(h)) << when << " " << m.sim.WindowText(h);
    };
    auto shown = [&](const char *when) {
        for (Hwnd h : {note, find, about}) {
            EXPECT_TRUE(m.sim.IsVisible(h)) << when << " " << m.sim.WindowText(h);
            EXPECT_FALSE(m.sim.IsMinimized(h)) << when << " " << m.sim.WindowText(h);
            EXPECT_NE(m.sim.Position(h).left, ParkPosition) << when << " " << m.sim.WindowText(h);
        }
        EXPECT_EQ(Stacking(m.sim, {about, find, note}), order) << when;
    };
    m.Show(2);
    away("1 -> 2");
    m.Show(1);
    shown("2 -> 1");
    EXPECT_EQ(m.sim.Active(), about);
    m.Send(UM_MOVETODESKTOP, H(note), 2);
    away("moved to 2");
    m.Send(UM_MOVETODESKTOP, H(note), 1);
    for (Hwnd h : {note, find, about})
        EXPECT_FALSE(m.sim.IsMinimized(h)) << "moved back " << m.sim.WindowText(h);
    m.sim.SetActiveWindow(about);
    m.Send(UM_SETSTICKY, H(note), 1);
    m.Show(3);
    shown("sticky on 3");
    m.Send(UM_SETSTICKY, H(note), 0);
    m.Show(1); // the Notepad now belongs to desktop 3
    away("un-stuck, from 3 to 1");
    m.Send(WM_CLOSE);
    EXPECT_FALSE(m.sim.IsMinimized(find));
    EXPECT_FALSE(m.sim.IsMinimized(about));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// Frameworks' forms, on both systems: forms owned by a window never shown (two with a taskbar
// button of their own, one the user minimised, a tool form) and a main form owned by a visible
// application window of no size are ordinary windows: desktop 1 comes back in its order with the
// plain window on top and active, the user's minimise kept, and so after the quit.
TEST(Switching, FrameworkFormsComeBackInTheirOrderAndKeepTheUsersMinimise) {
    for (bool windows : {true, false}) {
        Machine m;
        m.sim.hidesOwnedWindows = windows;
        m.Start();
        const std::uint32_t form = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        Hwnd hidden = m.sim.CreateWindow("Application", "App", WS_POPUP, 0, {0, 0, 0, 0});
        Hwnd formA = m.sim.CreateWindow("Form", "A", form, WS_EX_APPWINDOW, {10, 10, 200, 200}, hidden);
        Hwnd formB = m.sim.CreateWindow("Form", "B", form, WS_EX_APPWINDOW, {20, 20, 200, 200}, hidden);
        Hwnd tool = m.sim.CreateWindow("Form", "T", form, WS_EX_TOOLWINDOW, {30, 30, 200, 200}, hidden);
        Hwnd app = m.sim.CreateWindow("Application", "AppWindow", WS_POPUP | WS_VISIBLE, 0, {0, 0, 0, 0});
        Hwnd main = m.sim.CreateWindow("Form", "Main", form, 0, {40, 40, 200, 200}, app);
        Hwnd plain = m.Window("Plain");
        m.sim.ShowWindow(formB, SW_MINIMIZE); // by its user, from its taskbar button
        m.sim.SetActiveWindow(plain);
        const std::vector<Hwnd> all{plain, tool, formA, main, app};
        const std::vector<Hwnd> order = Stacking(m.sim, all);
        m.Show(2);
        for (Hwnd h : all)
            EXPECT_TRUE(m.sim.IsMinimized(h) || !m.sim.IsVisible(h)) << windows << " " << m.sim.WindowText(h);
        m.Show(1);
        EXPECT_EQ(Stacking(m.sim, all), order) << windows;
        EXPECT_EQ(m.sim.Active(), plain) << windows;
        EXPECT_TRUE(m.sim.IsMinimized(formB)) << windows;
        m.Show(2);
        m.Send(WM_CLOSE);
        EXPECT_EQ(Stacking(m.sim, all), order) << windows;
        EXPECT_EQ(m.sim.Active(), plain) << windows;
        EXPECT_TRUE(m.sim.IsMinimized(formB)) << windows;
    }
}

// On desktop 2 of three, an application window of no size owning its main form at 40, 40, then
// desktop 3 shown: the switch minimises the form. A visible application (`appVisible`) refuses
// its minimise there, and is parked.
std::pair<Hwnd, Hwnd> FormMinimisedOnDesktop2(Machine &m, std::uint32_t appVisible) {
    m.StoreDesktops({"One", "Two", "Three"});
    m.Start();
    m.Show(2);
    Hwnd app = m.sim.CreateWindow("Application", "App", WS_POPUP | appVisible, 0, {0, 0, 0, 0});
    Hwnd main =
        m.sim.CreateWindow("Form", "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, {40, 40, 200, 200}, app);
    if (appVisible != 0) m.sim.SetHabit(app, SimMachine::Habit::RefuseMinimize);
    m.Show(3);
    EXPECT_TRUE(appVisible == 0 || m.sim.Position(app).left == ParkPosition);
    EXPECT_TRUE(m.sim.IsMinimized(main));
    m.sim.SetHabit(app, SimMachine::Habit::None);
    return {app, main};
}

// Where the system hides owned windows with their owner: an application window of no size that
// refused its minimise is parked, and its main form, left on the screen, is minimised; then the
// user minimises the application from its taskbar button, which hides the form, minimised. The
// quit leaves the application minimised, and its form comes back with it, restored.
TEST(Switching, AFormWeMinimisedComesBackWithItsApplicationAfterTheQuit) {
    Machine m;
    const std::pair<Hwnd, Hwnd> made = FormMinimisedOnDesktop2(m, WS_VISIBLE);
    const Hwnd app = made.first, main = made.second;
    {
        SimMachine::AsUser user(m.sim);
        m.sim.ShowWindow(app, SW_MINIMIZE);
    }
    ASSERT_FALSE(m.sim.IsVisible(main));
    m.Send(WM_CLOSE);
    EXPECT_TRUE(m.sim.IsMinimized(app));
    EXPECT_FALSE(m.sim.IsMinimized(main));
    m.sim.ShowWindow(app, SW_RESTORE); // the user, from its taskbar button
    EXPECT_TRUE(m.sim.IsVisible(main));
    EXPECT_FALSE(m.sim.IsMinimized(main));
    EXPECT_EQ(m.sim.Position(main).left, 40);
    EXPECT_NE(m.sim.Position(app).left, ParkPosition);
}

// A form going alone while its application window is hidden, minimised by a switch; then its
// program minimises the application (which shows it, minimised, and hides the form with it). At
// the quit the program restores the application as our question reaches it: the form, shown again
// minimised by that restore, comes up with it, and the program's restore stands.
TEST(Switching, AFormWhoseApplicationItsProgramRestoresInsideTheQuitComesUpWithIt) {
    Machine m;
    const std::pair<Hwnd, Hwnd> made = FormMinimisedOnDesktop2(m, 0);
    const Hwnd app = made.first, main = made.second;
    m.sim.ShowWindow(app, SW_MINIMIZE);
    ASSERT_FALSE(m.sim.IsVisible(main));
    bool restoreWhenAsked = true;
    m.sim.SetWindowProc(app, [&](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
        if (message == WM_NULL && restoreWhenAsked) {
            restoreWhenAsked = false;
            m.sim.ShowWindow(app, SW_RESTORE);
        }
        return m.sim.DefWindowProc(w, message, wParam, lParam);
    });
    m.Send(WM_CLOSE);
    ASSERT_FALSE(restoreWhenAsked);
    EXPECT_FALSE(m.sim.IsMinimized(app));
    EXPECT_TRUE(m.sim.IsVisible(main));
    EXPECT_FALSE(m.sim.IsMinimized(main));
    EXPECT_EQ(m.sim.Position(main).left, 40);
}

// As above, with the quit arriving half-way through the application's restore (its program
// restores it at once when it is minimised): Windows hid the form with the minimise, and shows it,
// minimised, only at the end of the restore, after our quit's passes have gone by. The program
// looks once more a moment later, and the form comes up with its application.
TEST(Switching, AFormShownMinimisedByARestoreTheQuitCameInsideComesUpAMomentLater) {
    Machine m;
    const std::pair<Hwnd, Hwnd> made = FormMinimisedOnDesktop2(m, WS_VISIBLE);
    const Hwnd app = made.first, main = made.second;
    bool quitInside = true;
    m.sim.SetWindowProc(app, [&](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
        if (message == WM_SIZE && wParam == sim::SIZE_MINIMIZED) m.sim.ShowWindow(app, SW_RESTORE);
        if (message == WM_SIZE && wParam == sim::SIZE_RESTORED && quitInside) {
            quitInside = false;
            m.Send(WM_CLOSE);
        }
        return m.sim.DefWindowProc(w, message, wParam, lParam);
    });
    {
        SimMachine::AsUser user(m.sim);
        m.sim.ShowWindow(app, SW_MINIMIZE);
    }
    ASSERT_FALSE(quitInside);
    ASSERT_TRUE(m.sim.IsVisible(main) && m.sim.IsMinimized(main)); // shown by the restore, as it was hid
    m.sim.AdvanceTime(CatchUpPeriod);
    EXPECT_FALSE(m.sim.IsWindow(m.app.MainWindow));
    EXPECT_FALSE(m.sim.IsMinimized(app));
    EXPECT_TRUE(m.sim.IsVisible(main));
    EXPECT_FALSE(m.sim.IsMinimized(main));
}

// The same with a Find box sent alone to desktop 2, which the user's minimise of its Notepad then
// hides, minimised: after the quit, the Notepad's restore brings Find back restored.
TEST(Switching, ABoxSentAloneThatItsOwnerHidComesBackWithItAfterTheQuit) {
    Machine m;
    m.Start();
    Hwnd note = m.Window("Notepad");
    Hwnd find = m.sim.CreateWindow("Dialog", "Find", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {50, 60, 250, 160}, note);
    m.Send(UM_MOVETODESKTOP, H(find), 2);
    ASSERT_TRUE(m.sim.IsMinimized(find));
    {
        SimMachine::AsUser user(m.sim);
        m.sim.ShowWindow(note, SW_MINIMIZE);
    }
    ASSERT_FALSE(m.sim.IsVisible(find));
    m.Send(WM_CLOSE);
    EXPECT_TRUE(m.sim.IsMinimized(note)); // its user's minimise
    m.sim.ShowWindow(note, SW_RESTORE);   // the user, from its taskbar button
    EXPECT_TRUE(m.sim.IsVisible(find));
    EXPECT_FALSE(m.sim.IsMinimized(find));
}

// Owners of owners: Main owns Find, which owns its "Not found" box. The box goes with Main, on
// either system: off the screen of desktop 2, back on desktop 1 above Find, and desktop 1's.
TEST(Switching, ABoxOwnedByAnOwnedWindowGoesWithItsOwnersOwner) {
    for (bool windows : {true, false}) {
        Machine m;
        m.sim.hidesOwnedWindows = windows;
        m.Start();
        Hwnd main = m.Window("Main");
        const std::uint32_t box = WS_POPUP | WS_CAPTION | WS_VISIBLE;
        Hwnd find = m.sim.CreateWindow("Dialog", "Find", box, 0, {50, 60, 250, 160}, main);
        Hwnd notFound = m.sim.CreateWindow("Dialog", "Not found", box, 0, {70, 80, 270, 180}, find);
        m.Show(2);
        for (Hwnd h : {main, find, notFound})
            EXPECT_TRUE(m.sim.IsMinimized(h) || !m.sim.IsVisible(h)) << windows << " " << m.sim.WindowText(h);
        m.Show(1);
        for (Hwnd h : {main, find, notFound}) {
            EXPECT_TRUE(m.sim.IsVisible(h) && !m.sim.IsMinimized(h)) << windows << " " << m.sim.WindowText(h);
            EXPECT_EQ(FindWindowEntry(m.app, h)->Desktop, 1) << windows << " " << m.sim.WindowText(h);
        }
        EXPECT_EQ(Stacking(m.sim, {notFound, find, main}), (std::vector<Hwnd>{notFound, find, main}))
            << windows;
        EXPECT_EQ(m.sim.Active(), notFound) << windows;
    }
}

// A box sent alone to desktop 2 while its owner is sticky, with a box of its own: the owner's
// minimise at every switch hides it and its restore shows it again, on either system. It is taken
// down before its owner, so that the restore on desktop 1 shows it minimised, off the screen, and
// comes back on desktop 2 after its owner, with its own box above it.
TEST(Switching, ABoxSentAloneAwayFromItsStickyOwnerStaysOnItsDesktop) {
    for (bool windows : {true, false}) {
        Machine m;
        m.sim.hidesOwnedWindows = windows;
        m.StoreDesktops({"One", "Two", "Three"});
        m.Start();
        Hwnd main = m.Window("Main");
        const std::uint32_t popup = WS_POPUP | WS_CAPTION | WS_VISIBLE;
        Hwnd box = m.sim.CreateWindow("Dialog", "Box", popup, 0, {50, 60, 250, 160}, main);
        Hwnd inner = m.sim.CreateWindow("Dialog", "Inner", popup, 0, {70, 80, 270, 180}, box);
        m.Send(UM_MOVETODESKTOP, H(box), 2);
        m.Send(UM_SETSTICKY, H(main), 1);
        auto up = [&](Hwnd h) { return m.sim.IsVisible(h) && !m.sim.IsMinimized(h); };
        for (int round = 0; round < 2; ++round) {
            m.Show(2);
            for (Hwnd h : {main, box, inner}) {
                EXPECT_TRUE(up(h)) << windows << round << " on 2: " << m.sim.WindowText(h);
                EXPECT_NE(m.sim.Position(h).left, ParkPosition) << windows << round << m.sim.WindowText(h);
            }
            EXPECT_EQ(Stacking(m.sim, {inner, box, main}), (std::vector<Hwnd>{inner, box, main})) << windows;
            m.Show(round == 0 ? 1 : 3);
            EXPECT_TRUE(up(main)) << windows << round;
            for (Hwnd h : {box, inner}) {
                EXPECT_FALSE(up(h) && m.sim.Position(h).left != ParkPosition)
                    << windows << round << " away: " << m.sim.WindowText(h);
                EXPECT_EQ(FindWindowEntry(m.app, h)->Desktop, 2) << windows << round << m.sim.WindowText(h);
            }
        }
        EXPECT_EQ(m.sim.blockedCalls, 0u);
    }
}

// Find stays alone on desktop 1 while the Notepad that owns it goes to desktop 2 (sticky, then not).
// Leaving desktop 2 minimises the Notepad, and Windows hides Find with it: Find and its box still
// come back with desktop 1, though the Notepad stays away.
TEST(Switching, ABoxLeftAloneComesBackThoughItsOwnersMinimiseHidIt) {
    Machine m;
    Hwnd note = m.Window("Notepad");
    const std::uint32_t popup = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    Hwnd find = m.sim.CreateWindow("Dialog", "Find", popup, 0, {50, 60, 250, 160}, note);
    Hwnd notFound = m.sim.CreateWindow("Dialog", "Not found", popup, 0, {70, 80, 270, 180}, find);
    m.Start();
    m.Send(UM_SETSTICKY, H(note), 1);
    m.Send(UM_SETSTICKY, H(find), 0); // Find alone on desktop 1
    m.Show(2);
    m.Send(UM_SETSTICKY, H(note), 0); // the Notepad now on desktop 2
    m.Show(1);
    ASSERT_TRUE(m.sim.IsMinimized(note));
    for (Hwnd h : {find, notFound}) {
        EXPECT_TRUE(m.sim.IsVisible(h) && !m.sim.IsMinimized(h)) << m.sim.WindowText(h);
        EXPECT_NE(m.sim.Position(h).left, ParkPosition) << m.sim.WindowText(h);
    }
    m.Show(2);
    EXPECT_FALSE(m.sim.IsMinimized(note));
    EXPECT_TRUE(m.sim.IsMinimized(find) || !m.sim.IsVisible(find));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// The user minimises Main; its program shows its progress pop-up again: the pop-up stands on the
// screen of Main's desktop, and goes down with it when that desktop is left.
TEST(Switching, AnOwnedWindowShownAgainUnderItsMinimisedOwnerGoesWithItsDesktop) {
    Machine m;
    m.Start();
    Hwnd main = m.Window("Main");
    Hwnd progress = m.sim.CreateWindow("Dialog", "Progress", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0,
                                       {50, 60, 250, 160}, main);
    m.sim.ShowWindow(main, SW_MINIMIZE);
    ASSERT_FALSE(m.sim.IsVisible(progress));
    m.sim.ShowWindow(progress, sim::SW_SHOWNA);
    m.Show(2);
    EXPECT_TRUE(m.sim.IsMinimized(progress) || !m.sim.IsVisible(progress));
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(main)); // still its user's minimise
    EXPECT_TRUE(m.sim.IsVisible(progress) && !m.sim.IsMinimized(progress));
}

// As above, with a clock too that refuses its minimise; the switch parks the clock, then its
// minimise of the pop-up sets their program restoring Main, inside our call: Main stands on
// desktop 2's screen by its program's doing, and what we took down comes back up with it, the
// clock at its place, on both systems.
TEST(Switching, AnOwnerItsProgramBringsUpInsideTheSwitchBringsUpWhatWeTookDown) {
    for (bool windows : {true, false}) {
        Machine m;
        m.sim.hidesOwnedWindows = windows;
        m.Start();
        Hwnd main = m.Window("Main");
        Hwnd progress = m.ProgressShownUnderMinimised(main);
        Hwnd clock = m.sim.CreateWindow("Tool", "Clock", WS_POPUP | WS_VISIBLE, 0, {300, 40, 400, 80}, main);
        m.sim.SetHabit(clock, SimMachine::Habit::RefuseMinimize);
        // The pop-up's own box: Windows hides it with the pop-up, and shows it with it, minimised.
        Hwnd cancel = m.sim.CreateWindow("Dialog", "Cancel?", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0,
                                         {80, 90, 200, 150}, progress);
        m.sim.SetWindowProc(progress, [&](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
            if (message == WM_SIZE && wParam == sim::SIZE_MINIMIZED) m.sim.ShowWindow(main, SW_RESTORE);
            return m.sim.DefWindowProc(w, message, wParam, lParam);
        });
        m.Show(2);
        ASSERT_FALSE(m.sim.IsMinimized(main));
        EXPECT_TRUE(m.sim.IsVisible(progress) && !m.sim.IsMinimized(progress)) << windows;
        EXPECT_TRUE(m.sim.IsVisible(cancel) && !m.sim.IsMinimized(cancel)) << windows;
        EXPECT_EQ(m.sim.Position(clock).left, 300) << windows;
        EXPECT_EQ(m.sim.blockedCalls, 0u);
    }
}

// An owner out of sight is seen on no desktop: a box owned by a form with its own taskbar button,
// which Windows hides with the form's own owner, and a box its program shows under a tool form it
// hid, keep desktop 1 while desktop 2 is shown, and come back with it.
TEST(Switching, BoxesOfHiddenOwnersKeepTheirDesktop) {
    for (bool windows : {true, false}) {
        Machine m;
        m.sim.hidesOwnedWindows = windows;
        m.Start();
        const std::uint32_t box = WS_POPUP | WS_CAPTION | WS_VISIBLE;
        Hwnd main = m.Window("Main");
        Hwnd form = m.sim.CreateWindow("Form", "Form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, WS_EX_APPWINDOW,
                                       {10, 10, 200, 200}, main);
        Hwnd formBox = m.sim.CreateWindow("Dialog", "Form's box", box, 0, {50, 60, 250, 160}, form);
        Hwnd hidden = m.sim.CreateWindow("Application", "App", WS_POPUP, 0, {0, 0, 0, 0});
        Hwnd tool = m.sim.CreateWindow("Form", "Tool", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW,
                                       {30, 30, 200, 200}, hidden);
        Hwnd toolBox = m.sim.CreateWindow("Dialog", "Tool's box", box, 0, {70, 80, 270, 180}, tool);
        m.Show(2);
        m.Show(3);
        for (Hwnd h : {formBox, toolBox}) {
            EXPECT_EQ(FindWindowEntry(m.app, h)->Desktop, 1) << windows << " " << m.sim.WindowText(h);
            EXPECT_TRUE(m.sim.IsMinimized(h) || !m.sim.IsVisible(h)) << windows << " " << m.sim.WindowText(h);
        }
        m.Show(1);
        for (Hwnd h : {main, form, formBox, toolBox})
            EXPECT_TRUE(m.sim.IsVisible(h) && !m.sim.IsMinimized(h)) << windows << " " << m.sim.WindowText(h);
    }
}

// A pop-up that refuses minimises, parked with desktop 2: moved by its program, then minimised
// and hidden to its tray, it keeps the restore place its program gave it once desktop 2 is shown.
// Another, which hides itself inside the park's WM_MOVE, hid by its own doing: it stays hidden.
TEST(Switching, ParkedPopupsKeepWhatTheirProgramDidToThem) {
    Machine m;
    m.Start();
    const std::uint32_t box = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    Hwnd moved = m.sim.CreateWindow("Dialog", "Moved", box, 0, {200, 150, 400, 300});
    m.sim.SetHabit(moved, SimMachine::Habit::RefuseMinimize);
    m.Send(UM_MOVETODESKTOP, H(moved), 2);
    ASSERT_EQ(m.sim.Position(moved).left, ParkPosition);
    m.sim.SetHabit(moved, SimMachine::Habit::None);
    m.sim.SetWindowPos(moved, nullptr, 564, 520, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m.sim.ShowWindow(moved, SW_MINIMIZE);
    m.sim.ShowWindow(moved, SW_HIDE);
    m.Show(2);
    EXPECT_EQ(m.sim.NormalPosition(moved).left, 564);
    EXPECT_EQ(m.sim.NormalPosition(moved).top, 520);

    Hwnd hider = m.sim.CreateWindow("Dialog", "Hider", box, 0, {200, 150, 400, 300});
    m.sim.SetHabit(hider, SimMachine::Habit::RefuseMinimize);
    m.sim.SetWindowProc(hider, [&](Hwnd w, Uint msg, Wparam wp, Lparam lp) {
        if (msg == WM_MOVE && m.sim.Position(w).left == ParkPosition) m.sim.ShowWindow(w, SW_HIDE);
        return m.sim.DefWindowProc(w, msg, wp, lp);
    });
    m.Show(1);
    ASSERT_FALSE(m.sim.IsVisible(hider));
    m.Show(2);
    EXPECT_FALSE(m.sim.IsVisible(hider));
}

// Windows 8 and later: the compositor cloaks a store app's suspended frame and every window of the
// system's own virtual desktops not shown, which IsWindowVisible still reports. Such a window is
// not on the screen: no switch minimises or restores it, no move parks it, the Applications list
// leaves it out; uncloaked, it is found by the next refresh as any other.
TEST(Switching, CloakedWindowsAreNeitherMinimisedRestoredParkedNorListed) {
    Machine m;
    Hwnd frame = m.Window("Frame");
    m.sim.SetCloaked(frame, SimMachine::CloakedByApp);
    m.Start();
    Hwnd plain = m.Window("Plain");
    Hwnd away = m.sim.CreateWindow("TestWindow", "Away", WS_POPUP | WS_CAPTION | WS_VISIBLE);
    m.Show(2);
    m.sim.SetCloaked(away, SimMachine::CloakedByShell); // minimised by us, then on another system desktop
    Hwnd later = m.Window("Later");
    m.sim.SetCloaked(later, SimMachine::CloakedByShell);
    const Rect frameAt = m.sim.Position(frame);

    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(plain));
    EXPECT_TRUE(m.sim.IsMinimized(away));   // not restored while cloaked
    EXPECT_FALSE(m.sim.IsMinimized(later)); // not minimised either
    EXPECT_EQ(FindWindowEntry(m.app, later), nullptr);
    EXPECT_EQ(FindWindowEntry(m.app, frame), nullptr);
    EXPECT_TRUE(m.sim.IsVisible(frame));
    EXPECT_EQ(m.sim.Position(frame).left, frameAt.left);

    const SimMenuSnapshot menu = m.OpenMenu(1);
    EXPECT_NE(menu.Find({"&Applications", "Plain"}), nullptr);
    for (const char *title : {"Frame", "Away", "Later"})
        EXPECT_EQ(menu.Find({"&Applications", title}), nullptr) << title;
    // Another program's move or sticky request changes nothing either.
    m.Send(UM_MOVETODESKTOP, reinterpret_cast<Wparam>(frame), 2);
    m.Send(UM_SETSTICKY, reinterpret_cast<Wparam>(later), 1);
    EXPECT_FALSE(m.sim.IsMinimized(frame));
    EXPECT_EQ(m.sim.Position(frame).left, frameAt.left);
    EXPECT_EQ(FindWindowEntry(m.app, later), nullptr);

    // Back on the system desktop the user left: a window like any other, of the desktop shown.
    m.sim.SetCloaked(later, 0);
    m.Show(2);
    EXPECT_TRUE(m.sim.IsMinimized(later));
    ASSERT_NE(FindWindowEntry(m.app, later), nullptr);
    EXPECT_EQ(FindWindowEntry(m.app, later)->Desktop, 1);
    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(later));
}

// Where DwmGetWindowAttribute is missing (Windows 95 to XP) or answers nothing (Wine 8's stub),
// the same windows are switched as they always were.
TEST(Switching, WithoutAnAnsweringDwmapiACloakChangesNothing) {
    for (const bool stub : {false, true}) {
        Machine m;
        m.sim.dwmapi = stub;
        m.sim.dwmapiStub = stub;
        Hwnd frame = m.Window("Frame");
        m.sim.SetCloaked(frame, SimMachine::CloakedByApp);
        m.Start();
        m.Show(2);
        EXPECT_TRUE(m.sim.IsMinimized(frame)) << stub;
        m.Show(1);
        EXPECT_FALSE(m.sim.IsMinimized(frame)) << stub;
        EXPECT_NE(m.OpenMenu(1).Find({"&Applications", "Frame"}), nullptr) << stub;
    }
}

// An elevated program's windows refuse our ShowWindow and SetWindowPos (UIPI), and a posted
// system command is not documented to pass: they stay up, where they stand, on every desktop.
// None is believed away or parked while on the screen, and a move of one leaves it on the desktop
// shown. The plain windows around them are switched as always.
TEST(Switching, AnElevatedProgramsWindowsStayUpAndAreNeverBelievedAway) {
    Machine m;
    m.Start();
    Hwnd plain = m.Window("Plain");
    Hwnd admin = m.Window("Admin");
    Hwnd box =
        m.sim.CreateWindow("TestWindow", "Box", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {200, 150, 400, 300});
    m.sim.ShareThread(box, admin);
    m.sim.SetElevated(admin);
    const Rect boxAt = m.sim.Position(box);

    m.Show(2);
    EXPECT_TRUE(m.sim.IsMinimized(plain));
    for (Hwnd h : {admin, box}) {
        EXPECT_TRUE(m.sim.IsVisible(h) && !m.sim.IsMinimized(h)) << m.sim.WindowText(h);
        const WindowEntry *e = FindWindowEntry(m.app, h);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Desktop, 2) << m.sim.WindowText(h);
        EXPECT_EQ(e->Parked, 0) << m.sim.WindowText(h);
    }
    EXPECT_EQ(m.sim.Position(box).left, boxAt.left);
    EXPECT_GT(m.sim.refusedCalls, 0u);
    EXPECT_EQ(m.sim.CountMessages(admin, WM_SYSCOMMAND) + m.sim.CountMessages(box, WM_SYSCOMMAND), 0u);

    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(plain));
    EXPECT_EQ(FindWindowEntry(m.app, admin)->Desktop, 1);
    // Sent to desktop 3 from the Applications list: it stays, on the desktop shown.
    m.Send(UM_MOVETODESKTOP, reinterpret_cast<Wparam>(admin), 3);
    EXPECT_FALSE(m.sim.IsMinimized(admin));
    EXPECT_EQ(FindWindowEntry(m.app, admin)->Desktop, 1);
    // Minimised by its user through the taskbar, which UIPI does not stop: it stays so.
    {
        SimMachine::AsUser user(m.sim);
        m.sim.ShowWindow(admin, SW_MINIMIZE);
    }
    m.Show(2);
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(admin));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

} // namespace
} // namespace q
