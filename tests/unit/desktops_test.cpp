// Creating and deleting desktops, and sending windows between desktops: the records, hot keys,
// icons, stored subkeys and windows that follow the desktop numbers.
#include "engine/desktops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/unit/machine.h"

namespace q {
namespace {

using test::Machine;
using test::Minimisations;
using test::Stacking;

const std::string Settings = test::SettingsPath;
const std::string Live = test::WallpaperValuesPath;
std::string Sub(int n) {
    return test::DesktopPath(n);
}
constexpr Uint F1 = VK_F1, F2 = VK_F1 + 1, F3 = VK_F1 + 2, F4 = VK_F1 + 3;

void StoreDesktops(SimMachine &sim, const std::vector<std::string> &titles,
                   const std::vector<std::uint32_t> &keys = {},
                   const std::vector<std::string> &wallpapers = {}) {
    sim.SetNumber(HkeyCurrentUser(), Settings, "Desktop", static_cast<std::uint32_t>(titles.size()));
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const std::string key = Sub(static_cast<int>(i) + 1);
        sim.SetText(HkeyCurrentUser(), key, "DesktopTitle", titles[i], 33);
        if (i < keys.size()) sim.SetNumber(HkeyCurrentUser(), key, "HotKey", keys[i]);
        if (i < wallpapers.size()) sim.SetText(HkeyCurrentUser(), key, "Wallpaper", wallpapers[i], 260);
    }
}

std::vector<std::string> Titles(AppState &app) {
    std::vector<std::string> titles;
    for (int n = 1; n <= app.DesktopCount(); ++n)
        titles.push_back(app.Record(n).DesktopTitle);
    return titles;
}

int HotKeyId(const SimMachine &sim, Uint modifiers, Uint key) {
    auto holder = sim.HotKeyHolder(modifiers, key);
    return holder ? holder->id : 0;
}

Uint EntryIndex(const AppState &app, Hwnd window) {
    for (std::int32_t i = 0; i < app.Windows.Count; ++i)
        if (app.Windows.Entries[i].Window == window) return static_cast<Uint>(i);
    ADD_FAILURE() << "window not in the table";
    return 0;
}
Wparam H(Hwnd window) {
    return reinterpret_cast<Wparam>(window);
}

TEST(Desktops, NewDesktopCopiesTheShownOneUnderItsDefaultTitle) {
    Machine m;
    m.sim.SetText(HkeyCurrentUser(), Live, "Wallpaper", "C:\\start.bmp");
    StoreDesktops(m.sim, {"One", "Two", "Three"}, {0, MOD_CONTROL << 16 | F2});
    m.Start();
    m.Show(2);
    m.sim.SetText(HkeyCurrentUser(), Live, "Wallpaper", "C:\\now.bmp"); // the user's choice
    m.sim.messages.clear();
    m.Command(CmdCreateDesktop);

    EXPECT_EQ(m.app.DesktopCount(), 4);
    EXPECT_EQ(m.app.CurrentDesktop(), 2);
    EXPECT_STREQ(m.app.Record(4).DesktopTitle, "Desktop 4");
    EXPECT_STREQ(m.app.Record(4).Wallpaper, "C:\\now.bmp");
    EXPECT_EQ(m.app.Record(4).HotKey, MOD_CONTROL << 16 | F2);
    EXPECT_EQ(m.sim.HotKeys().size(), 1u); // the copy is not registered
    EXPECT_EQ(HotKeyId(m.sim, MOD_CONTROL, F2), 2);
    const SimIcon *icon = m.sim.NotifyIcon(m.app.MainWindow, 4);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(SimMachine::IconId(icon->icon), 11);
    EXPECT_EQ(icon->callbackMessage, UM_DESKTOP(4));
    EXPECT_EQ(icon->tip, "Desktop 4");
    EXPECT_EQ(m.sim.CountMessages(m.app.FloatingWindow, UM_DESKTOPADDED), 1u);
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), Settings, "Desktop")->Number(), 4u);
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), Sub(4), "DesktopTitle")->Text(), "Desktop 4");
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), Sub(4), "Wallpaper")->Text(), "C:\\now.bmp");
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), Sub(4), "HotKey")->Number(), MOD_CONTROL << 16 | F2);

    m.Show(1);
    m.sim.PressHotKey(MOD_CONTROL, F2);
    EXPECT_EQ(m.app.CurrentDesktop(), 2);

    for (int i = 0; i < 4; ++i)
        m.Command(CmdCreateDesktop);
    ASSERT_EQ(m.app.DesktopCount(), 8);
    m.sim.registryCalls.clear();
    m.sim.messages.clear();
    m.Command(CmdCreateDesktop); // nothing beyond 8
    EXPECT_EQ(m.app.DesktopCount(), 8);
    EXPECT_EQ(m.sim.NotifyIcons().size(), 8u);
    EXPECT_EQ(m.sim.CountRegistryCalls("set"), 0u);
    EXPECT_EQ(m.sim.CountMessages(m.app.FloatingWindow, UM_DESKTOPADDED), 0u);
}

TEST(Desktops, DeletingTheShownMiddleDesktopRenumbersEverythingAfterIt) {
    Machine m;
    StoreDesktops(m.sim, {"One", "Two", "Three", "Four"}, {F1, F2, F3, F4});
    m.Start();
    Hwnd w1 = m.Window("W1");
    m.Show(2);
    Hwnd w2b = m.Window("W2b");
    Hwnd w2a = m.Window("W2a");
    m.Show(3);
    Hwnd w3m = m.Window("W3m");
    Hwnd w3 = m.Window("W3");
    Hwnd sticky = m.Window("S");
    m.Send(UM_SETSTICKY, H(sticky), 1); // of desktop 3 on record, which is merged
    m.sim.ShowWindow(w3m, SW_MINIMIZE); // by the user
    m.Show(4);
    Hwnd w4 = m.Window("W4");
    m.Show(3); // a switch claims the sticky window for the desktop it leaves
    m.Show(2);
    ASSERT_EQ(FindWindowEntry(m.app, sticky)->Desktop, 3);
    m.sim.messages.clear();
    m.Command(CmdDeleteCurrentDesktop);

    EXPECT_EQ(m.app.DesktopCount(), 3);
    EXPECT_EQ(m.app.CurrentDesktop(), 2);
    EXPECT_EQ(Titles(m.app), (std::vector<std::string>{"One", "Three", "Four"}));
    EXPECT_EQ(HotKeyId(m.sim, 0, F1), 1);
    EXPECT_EQ(HotKeyId(m.sim, 0, F3), 2);
    EXPECT_EQ(HotKeyId(m.sim, 0, F4), 3);
    EXPECT_FALSE(m.sim.HotKeyHolder(0, F2)); // free for other programs
    ASSERT_EQ(m.sim.NotifyIcons().size(), 3u);
    for (int n = 1; n <= 3; ++n) {
        const SimIcon *icon = m.sim.NotifyIcon(m.app.MainWindow, static_cast<Uint>(n));
        ASSERT_NE(icon, nullptr) << n;
        EXPECT_EQ(icon->callbackMessage, UM_DESKTOP(n));
        EXPECT_EQ(icon->tip, Titles(m.app)[static_cast<std::size_t>(n - 1)]);
        EXPECT_EQ(SimMachine::IconId(icon->icon), n == 2 ? 10 : 11) << n;
    }
    EXPECT_EQ(m.sim.CountMessages(m.app.FloatingWindow, UM_DESKTOPREMOVED), 1u);
    EXPECT_EQ(m.sim.SubKeys(HkeyCurrentUser(), Settings).size(), 3u);
    EXPECT_FALSE(m.sim.KeyExists(HkeyCurrentUser(), Sub(4)));
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), Sub(2), "DesktopTitle")->Text(), "Three");
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), Sub(3), "HotKey")->Number(), F4);

    // The deleted desktop's windows are shown with those of its successor, in one stacking order.
    for (Hwnd h : {w2a, w2b, w3})
        EXPECT_FALSE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
    for (Hwnd h : {w1, w3m, w4})
        EXPECT_TRUE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
    EXPECT_EQ(Stacking(m.sim, {w2a, w2b, w3}), (std::vector<Hwnd>{w2a, w2b, w3}));
    EXPECT_EQ(m.sim.Active(), w2a);
    EXPECT_EQ(FindWindowEntry(m.app, w3)->Desktop, 2);
    EXPECT_EQ(FindWindowEntry(m.app, w4)->Desktop, 3);
    EXPECT_EQ(Minimisations(m.sim, sticky), 0u);
    EXPECT_FALSE(m.sim.IsMinimized(sticky));

    m.sim.PressHotKey(0, F4);
    EXPECT_EQ(m.app.CurrentDesktop(), 3);
    EXPECT_FALSE(m.sim.IsMinimized(w4));
    EXPECT_TRUE(m.sim.IsMinimized(w3));
}

// Windows' rule: a sticky Main's minimise hides its Find box, minimised as a switch left it, and
// Main's restore shows it again as it was. Main's program minimises Main again inside the switch's
// restore of it; the deletion that follows restores Main, and Find with it, on the screen.
TEST(Desktops, TheDeletionBringsBackTheBoxesOfAStickyOwnerItRestores) {
    Machine m;
    StoreDesktops(m.sim, {"One", "Two", "Three"});
    m.Start();
    m.Show(3);
    Hwnd main = m.Window("Main");
    Hwnd find = m.sim.CreateWindow("Dialog", "Find", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {50, 60, 250, 160},
                                   main);
    m.Send(UM_SETSTICKY, H(main), 1); // of desktop 3 on record, the successor of the one deleted
    m.sim.ShowWindow(main, SW_MINIMIZE); // by its user, and Find hidden with it
    m.sim.ShowWindow(find, sim::SW_SHOWNA); // shown again by its program
    bool again = true;
    m.sim.SetWindowProc(main, [&](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
        if (message == WM_SIZE && wParam == sim::SIZE_RESTORED && again) {
            again = false;
            m.sim.ShowWindow(w, SW_MINIMIZE);
        }
        return m.sim.DefWindowProc(w, message, wParam, lParam);
    });
    m.Show(2);
    ASSERT_TRUE(m.sim.IsMinimized(main));
    ASSERT_FALSE(m.sim.IsVisible(find));
    ASSERT_TRUE(m.sim.IsMinimized(find));
    m.Command(CmdDeleteCurrentDesktop);
    ASSERT_EQ(m.app.CurrentDesktop(), 2);
    EXPECT_FALSE(m.sim.IsMinimized(main));
    EXPECT_TRUE(m.sim.IsVisible(find));
    EXPECT_FALSE(m.sim.IsMinimized(find));
    EXPECT_NE(m.sim.Position(find).left, ParkPosition);
}

TEST(Desktops, DeletingTheLastDesktopMergesItsWindowsIntoTheNewLast) {
    Machine m;
    m.sim.SetNumber(HkeyCurrentUser(), Settings, "Display", 2);
    StoreDesktops(m.sim, {"One", "Two", "Three"});
    m.Start();
    Hwnd x1 = m.Window("X1");
    m.Show(2);
    Hwnd x2 = m.Window("X2");
    m.Show(3);
    Hwnd x3 = m.Window("X3");
    m.Show(1); // a deletion does not enumerate: let a switch enter X3
    m.Show(3);
    m.Command(CmdDeleteCurrentDesktop);

    EXPECT_EQ(m.app.DesktopCount(), 2);
    EXPECT_EQ(m.app.CurrentDesktop(), 2);
    EXPECT_EQ(m.sim.NotifyIcon(m.app.MainWindow, 0)->callbackMessage, UM_DESKTOP(2));
    EXPECT_FALSE(m.sim.IsMinimized(x2));
    EXPECT_FALSE(m.sim.IsMinimized(x3));
    EXPECT_TRUE(m.sim.IsMinimized(x1));
    EXPECT_EQ(FindWindowEntry(m.app, x3)->Desktop, 2);

    m.sim.messages.clear();
    m.sim.ClickNotifyIcon(m.app.MainWindow, 0); // the single icon reports the desktop shown
    EXPECT_EQ(m.sim.CountMessages(m.app.FloatingWindow, UM_DESKTOPSWITCH), 0u);
    EXPECT_EQ(m.app.CurrentDesktop(), 2);
}

TEST(Desktops, DeletingAnotherDesktopComesBackToTheFormerOneUnderItsNewNumber) {
    Machine m;
    StoreDesktops(m.sim, {"One", "Two", "Three", "Four"});
    m.Start();
    m.Show(2);
    Hwnd w2 = m.Window("W2");
    m.Show(4);
    Hwnd w4 = m.Window("W4");
    m.Command(DesktopCommandId(2, DesktopDelete)); // Delete in desktop 2's submenu

    EXPECT_EQ(m.app.DesktopCount(), 3);
    EXPECT_EQ(m.app.CurrentDesktop(), 3);
    EXPECT_EQ(Titles(m.app), (std::vector<std::string>{"One", "Three", "Four"}));
    EXPECT_FALSE(m.sim.IsMinimized(w4));
    EXPECT_TRUE(m.sim.IsMinimized(w2));
    EXPECT_EQ(FindWindowEntry(m.app, w4)->Desktop, 3);
    EXPECT_EQ(FindWindowEntry(m.app, w2)->Desktop, 2);

    m.sim.AnswerMessageBox(IDNO);
    m.Command(DesktopCommandId(2, DesktopDelete)); // "Three" this time, refused
    ASSERT_EQ(m.sim.messageBoxes.size(), 2u);
    EXPECT_EQ(m.app.DesktopCount(), 3);
    EXPECT_EQ(m.app.CurrentDesktop(), 3);
    EXPECT_EQ(Titles(m.app), (std::vector<std::string>{"One", "Three", "Four"}));
    EXPECT_FALSE(m.sim.IsMinimized(w4));
    EXPECT_TRUE(m.sim.IsMinimized(w2));
}

TEST(Desktops, ConfirmationShowsAFullLengthFrenchTitleAndTwoDesktopsStay) {
    Machine m;
    m.sim.SetUserDefaultLCID(0x040C);
    const std::string title = "Mon bureau de travail principal!";
    ASSERT_EQ(title.size(), 32u);
    StoreDesktops(m.sim, {"Un", title, "Trois"});
    m.Start();
    m.Show(2);
    m.sim.AnswerMessageBox(IDNO);
    m.Command(CmdDeleteCurrentDesktop);
    ASSERT_EQ(m.sim.messageBoxes.size(), 1u);
    const SimMessageBox &box = m.sim.messageBoxes[0];
    EXPECT_EQ(box.text, "Voulez-vous vraiment supprimer le bureau nomm\xE9 \"" + title + "\" ?");
    EXPECT_EQ(box.caption, "Confirmation");
    EXPECT_EQ(box.type, MB_ICONQUESTION | MB_YESNO);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(m.app.DesktopCount(), 3);
    EXPECT_EQ(m.sim.NotifyIcons().size(), 3u);

    Machine two;
    two.Start();
    two.Command(CmdDeleteCurrentDesktop);
    EXPECT_TRUE(two.sim.messageBoxes.empty());
    EXPECT_EQ(two.app.DesktopCount(), 2);
}

TEST(Desktops, DeletingTheShownDesktopPutsItsSuccessorsWallpaperInForce) {
    Machine m;
    m.sim.SetText(HkeyCurrentUser(), Live, "Wallpaper", "C:\\start.bmp");
    StoreDesktops(m.sim, {"One", "Two", "Three"}, {}, {"C:\\a.bmp", "C:\\b.bmp", "C:\\c.bmp"});
    m.Start();
    m.Show(2);
    ASSERT_EQ(m.sim.ShownWallpaper(), "C:\\b.bmp");
    m.Command(CmdDeleteCurrentDesktop);
    EXPECT_EQ(m.sim.ShownWallpaper(), "C:\\c.bmp");
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), Live, "Wallpaper")->Text(), "C:\\c.bmp");
    EXPECT_STREQ(m.app.Record(2).Wallpaper, "C:\\c.bmp");
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), Sub(2), "Wallpaper")->Text(), "C:\\c.bmp");
    m.Show(1);
    EXPECT_STREQ(m.app.Record(2).Wallpaper, "C:\\c.bmp");
    EXPECT_EQ(m.sim.ShownWallpaper(), "C:\\a.bmp");
}

TEST(Moves, MovedWindowsLeaveAtOnceAndFollowTheirDesktop) {
    Machine m;
    m.Start();
    m.Command(CmdCreateDesktop);
    Hwnd o = m.Window("O");
    Hwnd k = m.Window("K");
    m.Send(UM_MOVETODESKTOP, H(o), 3); // not yet in the table: entered, then moved
    EXPECT_TRUE(m.sim.IsMinimized(o));
    EXPECT_EQ(m.sim.Position(o).left, 3000);
    EXPECT_EQ(m.sim.Position(o).top, 3000);
    m.Show(3);
    EXPECT_FALSE(m.sim.IsMinimized(o));
    EXPECT_TRUE(m.sim.IsMinimized(k));
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(o));
    EXPECT_FALSE(m.sim.IsMinimized(k));

    // The sticky item: brought to the desktop shown, then kept on every desktop.
    m.OpenMenu(1);
    m.Command(WindowCommandId(EntryIndex(m.app, o), 0));
    EXPECT_FALSE(m.sim.IsMinimized(o));
    EXPECT_EQ(FindWindowEntry(m.app, o)->Desktop, 1);
    EXPECT_EQ(FindWindowEntry(m.app, o)->Sticky, 1);
    const std::size_t before = Minimisations(m.sim, o);
    m.Show(2);
    EXPECT_FALSE(m.sim.IsMinimized(o));
    EXPECT_EQ(Minimisations(m.sim, o), before + 1);

    // Moved to the desktop shown: restored, and no longer sticky.
    m.sim.ShowWindow(o, SW_MINIMIZE);
    m.OpenMenu(2);
    m.Command(WindowCommandId(EntryIndex(m.app, o), 2));
    EXPECT_FALSE(m.sim.IsMinimized(o));
    EXPECT_EQ(FindWindowEntry(m.app, o)->Sticky, 0);
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(o));

    // Minimised by the user, it stays so on the desktop it is sent to.
    m.sim.ShowWindow(k, SW_MINIMIZE);
    m.Show(2);
    m.Send(UM_MOVETODESKTOP, H(k), 3);
    m.Show(3);
    EXPECT_TRUE(m.sim.IsMinimized(k));

    m.Send(UM_SETSTICKY, H(k), 1);
    EXPECT_EQ(FindWindowEntry(m.app, k)->Sticky, 1);
    m.Send(UM_SETSTICKY, H(k), 0x10000); // only the low word counts
    EXPECT_EQ(FindWindowEntry(m.app, k)->Sticky, 0);
}

// Windows' rule, owners of owners: Main owns Find, which owns its "Not found" box (listed first).
// The user minimises Main, its program shows Find again; the switch away takes down the box, then
// Find, whose minimise hides the box, minimised. Main sent to the desktop shown comes back with
// Find, whose restore shows the box minimised: it comes back too.
TEST(Moves, AnOwnerSentToTheDesktopShownBringsBackTheBoxesOfItsBoxes) {
    Machine m;
    const std::uint32_t box = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    Hwnd main = m.Window("Main");
    Hwnd find = m.sim.CreateWindow("Dialog", "Find", box, 0, {50, 60, 250, 160}, main);
    Hwnd notFound = m.sim.CreateWindow("Dialog", "Not found", box, 0, {70, 80, 270, 180}, find);
    m.Start();
    ASSERT_LT(EntryIndex(m.app, notFound), EntryIndex(m.app, find));
    m.sim.ShowWindow(main, SW_MINIMIZE);     // by its user: Find hidden with it
    m.sim.ShowWindow(find, sim::SW_SHOWNA); // shown again by its program
    m.Show(2);
    ASSERT_FALSE(m.sim.IsVisible(notFound));
    ASSERT_TRUE(m.sim.IsMinimized(notFound));
    m.Send(UM_MOVETODESKTOP, H(main), 2);
    for (Hwnd h : {main, find, notFound}) {
        EXPECT_TRUE(m.sim.IsVisible(h)) << m.sim.WindowText(h);
        EXPECT_FALSE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
        EXPECT_NE(m.sim.Position(h).left, ParkPosition) << m.sim.WindowText(h);
    }
}

// Windows' rule: Main owns Find, which owns its "Not found" box, minimised (it has no taskbar
// button). Find sent alone to desktop 2 hides the box with it; sent back, Find goes with Main
// again, and its restore shows the box minimised: the box comes back on the screen with it.
TEST(Moves, ABoxSentBackBesideItsOwnerBringsBackItsOwnBoxes) {
    Machine m;
    m.Start();
    const std::uint32_t box = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    Hwnd main = m.Window("Main");
    Hwnd find = m.sim.CreateWindow("Dialog", "Find", box, 0, {50, 60, 250, 160}, main);
    Hwnd notFound = m.sim.CreateWindow("Dialog", "Not found", box, 0, {70, 80, 270, 180}, find);
    m.sim.ShowWindow(notFound, SW_MINIMIZE);
    m.Send(UM_MOVETODESKTOP, H(find), 2);
    ASSERT_FALSE(m.sim.IsVisible(notFound));
    m.Send(UM_MOVETODESKTOP, H(find), 1);
    for (Hwnd h : {main, find, notFound}) {
        EXPECT_TRUE(m.sim.IsVisible(h)) << m.sim.WindowText(h);
        EXPECT_FALSE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
        EXPECT_NE(m.sim.Position(h).left, ParkPosition) << m.sim.WindowText(h);
    }
}

// The user minimises Main; its program shows its progress pop-up again, which the switch away
// parks (it comes straight back from our minimise, as when its user restores it meanwhile). Main
// sent to the desktop shown comes back, and the pop-up with it, at its own place.
TEST(Moves, AnOwnerSentToTheDesktopShownGivesItsParkedPopupItsPlaceBack) {
    for (bool windows : {true, false}) {
        Machine m;
        m.sim.hidesOwnedWindows = windows;
        m.Start();
        Hwnd main = m.Window("Main");
        Hwnd progress = m.ProgressShownUnderMinimised(main);
        m.sim.SetHabit(progress, SimMachine::Habit::RefuseMinimize);
        m.Show(2);
        ASSERT_EQ(m.sim.Position(progress).left, ParkPosition) << windows;
        m.Send(UM_MOVETODESKTOP, H(main), 2);
        EXPECT_TRUE(m.sim.IsVisible(main) && !m.sim.IsMinimized(main)) << windows;
        EXPECT_TRUE(m.sim.IsVisible(progress) && !m.sim.IsMinimized(progress)) << windows;
        EXPECT_EQ(m.sim.Position(progress).left, 50) << windows;
        EXPECT_EQ(m.sim.Position(progress).top, 60) << windows;
    }
}

// Main and its form are away with desktop 1; its program shows the form again on desktop 2's
// screen, and the user sends it back to desktop 1. Inside our minimise its program restores it
// (it refuses minimises) and its user restores Main from the taskbar: Main stands on desktop 2's
// screen and belongs to it now, and the form goes alone, rather than away with an owner left up.
TEST(Moves, AWindowWhoseOwnerItsUserBringsUpMeanwhileGoesAlone) {
    for (bool windows : {true, false}) {
        Machine m;
        m.sim.hidesOwnedWindows = windows;
        m.Start();
        Hwnd main = m.Window("Main");
        Hwnd form = m.sim.CreateWindow("Form", "Form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, {50, 60, 250, 160},
                                       main);
        m.Show(2);
        ASSERT_TRUE(m.sim.IsMinimized(main)) << windows;
        m.sim.ShowWindow(form, SW_SHOWNORMAL); // its program shows it again
        m.sim.SetWindowProc(form, [&](Hwnd w, Uint msg, Wparam wp, Lparam lp) {
            if (msg == WM_SIZE && m.sim.IsMinimized(w)) {
                SimMachine::AsUser user(m.sim);
                m.sim.ShowWindow(w, SW_RESTORE);
                m.sim.ShowWindow(main, SW_RESTORE);
            }
            return m.sim.DefWindowProc(w, msg, wp, lp);
        });
        m.Send(UM_MOVETODESKTOP, H(form), 1);
        ASSERT_TRUE(m.sim.IsVisible(main) && !m.sim.IsMinimized(main)) << windows;
        EXPECT_EQ(FindWindowEntry(m.app, main)->Desktop, 2) << windows;
        EXPECT_EQ(FindWindowEntry(m.app, form)->Desktop, 1) << windows;
        EXPECT_EQ(FindWindowEntry(m.app, form)->Alone, 1) << windows;
    }
}

TEST(Moves, MovesToNoDesktopOrOfNoWindowAndStaleCommandsAreIgnored) {
    Machine m;
    m.Start();
    Hwnd w = m.Window("W");
    m.Show(2);
    m.Show(1);
    const std::int32_t count = m.app.Windows.Count;
    for (Lparam target : {0, 3, 9, 0x20000})
        m.Send(UM_MOVETODESKTOP, H(w), target);
    EXPECT_FALSE(m.sim.IsMinimized(w));
    EXPECT_EQ(FindWindowEntry(m.app, w)->Desktop, 1);

    Hwnd closed = m.Window("closed");
    m.sim.DestroyWindow(closed);
    for (Hwnd h : {closed, reinterpret_cast<Hwnd>(std::uintptr_t{0x4444})}) {
        m.Send(UM_MOVETODESKTOP, H(h), 2);
        m.Send(UM_SETSTICKY, H(h), 1);
    }
    EXPECT_EQ(m.app.Windows.Count, count);

    m.sim.messages.clear();
    m.Command(WindowCommandId(static_cast<Uint>(count), 2)); // an entry the table no longer has
    m.Command(WindowCommandId(EntryIndex(m.app, w), 3));     // a desktop that does not exist
    m.Command(WindowCommandId(EntryIndex(m.app, w), 15));
    EXPECT_EQ(m.sim.CountMessages(m.app.MainWindow, UM_MOVETODESKTOP), 0u);
    EXPECT_FALSE(m.sim.IsMinimized(w));

    // The floating window belongs on every desktop: no move parks it where no switch restores it.
    m.Command(DisplayModeCommand(DisplayFloating)); // the floating window shown
    m.Send(UM_MOVETODESKTOP, H(m.app.FloatingWindow), 2);
    m.Send(UM_SETSTICKY, H(m.app.FloatingWindow), 0);
    EXPECT_FALSE(m.sim.IsMinimized(m.app.FloatingWindow));
    EXPECT_TRUE(m.sim.IsVisible(m.app.FloatingWindow));
    EXPECT_EQ(FindWindowEntry(m.app, m.app.FloatingWindow)->Sticky, 1);
}

} // namespace
} // namespace q
