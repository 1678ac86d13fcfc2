// Re-entrancy, hung windows, foreign messages and a restarted taskbar on the simulated machine.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "engine/hung.h"
#include "tests/unit/machine.h"
#include "tests/unit/random_world.h"
#include "ui/command_menu.h"

namespace q::test {
namespace {

Wparam H(Hwnd h) {
    return reinterpret_cast<Wparam>(h);
}

std::string Title(Machine &m, int n) {
    return m.app.Record(n).DesktopTitle;
}

Uint EntryIndex(const AppState &app, Hwnd window) {
    for (std::int32_t i = 0; i < app.Windows.Count; ++i)
        if (app.Windows.Entries[i].Window == window) return static_cast<Uint>(i);
    return 0xFFFF;
}

// Delete of "Play" while desktop 1 is shown: inside the question the user clicks desktop 2's
// icon, presses a hot key and another program asks for two more deletions. One question, about
// Play; Yes deletes Play and comes back to desktop 1.
TEST(Confirmations, TheDeletionDeletesTheDesktopItsQuestionNamed) {
    Machine m;
    m.StoreDesktops({"Home", "Work", "Play"});
    m.StoreHotKey(2, VK_F1 + 1);
    Hwnd r = m.Window("R");
    m.Start();
    m.sim.messageBoxHook = [&](SimMachine &sim, const SimMessageBox &) {
        sim.ClickNotifyIcon(m.app.MainWindow, 2);
        sim.PressHotKey(0, VK_F1 + 1);
        sim.PostMessageA(m.app.MainWindow, WM_COMMAND, CmdDeleteCurrentDesktop, 0);
        sim.SendMessageA(m.app.MainWindow, WM_COMMAND, DesktopCommandId(1, DesktopDelete), 0);
        return IDYES;
    };
    m.Command(DesktopCommandId(3, DesktopDelete));
    ASSERT_EQ(m.sim.messageBoxes.size(), 1u);
    EXPECT_NE(m.sim.messageBoxes[0].text.find("\"Play\""), std::string::npos);
    EXPECT_EQ(m.app.DesktopCount(), 2);
    EXPECT_EQ(Title(m, 1), "Home");
    EXPECT_EQ(Title(m, 2), "Work");
    EXPECT_EQ(m.Current(), 1);
    EXPECT_FALSE(m.sim.IsMinimized(r));
}

// Six deletions at once with four desktops: one question, three desktops, and the program goes on.
TEST(Confirmations, DeletionsArrivingInsideTheQuestionAskNothing) {
    Machine m;
    m.StoreDesktops({"A", "B", "C", "D"});
    m.Start();
    for (int i = 0; i < 6; ++i)
        m.sim.PostMessageA(m.app.MainWindow, WM_COMMAND, CmdDeleteCurrentDesktop, 0);
    m.sim.PumpMessages();
    EXPECT_EQ(m.sim.messageBoxes.size(), 1u);
    EXPECT_EQ(m.app.DesktopCount(), 3);
    EXPECT_EQ(Title(m, 1), "B");
    m.Command(CmdCreateDesktop);
    EXPECT_EQ(m.app.DesktopCount(), 4);
}

// While Rename of desktop 2 is open (desktop 3 shown), a deletion, a create, a move and a switch
// from other programs change nothing; Quit asks nothing.
TEST(Confirmations, NothingChangesTheDesktopsWhileADialogIsOpen) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    Hwnd w = m.Window("W");
    m.Start();
    m.Show(3);
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd dialog) {
        for (Uint id : {112u, 110u, 102u, 432u})
            sim.SendMessageA(m.app.MainWindow, WM_COMMAND, id, 0);
        sim.SendMessageA(m.app.MainWindow, UM_MOVETODESKTOP, H(w), 2);
        sim.SendMessageA(m.app.MainWindow, UM_DESKTOP(1), 0, WM_LBUTTONDOWN);
        sim.Click(dialog, IDCANCEL);
    });
    m.Command(DesktopCommandId(2, DesktopRename));
    EXPECT_TRUE(m.sim.messageBoxes.empty());
    EXPECT_EQ(m.app.DesktopCount(), 3);
    EXPECT_EQ(m.Current(), 3);
    EXPECT_EQ(FindWindowEntry(m.app, w)->Desktop, 1);
    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(w));
}

// Inside the quit question, switches and the menu still work; creating, deleting and moving do
// nothing; Yes then saves and closes as usual.
TEST(Confirmations, TheQuitQuestionLetsSwitchesThroughButNoChanges) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    Hwnd w = m.Window("W");
    m.Start();
    m.sim.messageBoxHook = [&](SimMachine &sim, const SimMessageBox &) {
        sim.ClickNotifyIcon(m.app.MainWindow, 2);
        EXPECT_EQ(m.Current(), 2);
        for (Uint id : {110u, 112u, 402u})
            sim.SendMessageA(m.app.MainWindow, WM_COMMAND, id, 0);
        sim.SendMessageA(m.app.MainWindow, UM_MOVETODESKTOP, H(w), 3);
        return IDYES;
    };
    m.Command(CmdQuit);
    EXPECT_EQ(m.sim.messageBoxes.size(), 1u);
    EXPECT_EQ(m.app.DesktopCount(), 3);
    EXPECT_TRUE(m.sim.QuitPosted());
    EXPECT_EQ(m.Current(), 1); // shown inside the question, back to 1 when closing
    EXPECT_FALSE(m.sim.IsMinimized(w));
}

// The user minimises W, the menu's refresh marks it, the user restores it while the question is
// open: the deletion does not minimise it for good.
TEST(Confirmations, TheDeletionSeesWindowsAsTheyAreWhenTheUserAnswers) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    Hwnd w = m.Window("W");
    m.Start();
    m.Show(2);
    m.sim.ShowWindow(w, SW_RESTORE); // restored from the taskbar: a window of desktop 2 ...
    m.OpenMenu(2);                   // ... once the table is refreshed
    m.sim.ShowWindow(w, SW_MINIMIZE);
    m.OpenMenu(2);
    EXPECT_EQ(FindWindowEntry(m.app, w)->Minimized, 1);
    m.sim.messageBoxHook = [&](SimMachine &sim, const SimMessageBox &) {
        sim.ShowWindow(w, SW_RESTORE);
        return IDYES;
    };
    m.Command(CmdDeleteCurrentDesktop);
    EXPECT_EQ(m.app.DesktopCount(), 2);
    EXPECT_FALSE(m.sim.IsMinimized(w));
    m.Show(1);
    m.Show(2);
    EXPECT_FALSE(m.sim.IsMinimized(w));
}

// A window whose thread stopped answering is left as it is and keeps its desktop; a switch asked
// for from inside the switch does not start; once it answers, it follows its desktop again.
TEST(HungWindows, AreLeftAsTheyAreAndFollowTheirDesktopOnceTheyAnswer) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    Hwnd a = m.Window("A");
    Hwnd h = m.Window("H");
    m.Start();
    m.sim.SetWindowProc(a, [&](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
        if (message == WM_SIZE) m.sim.SendMessageA(m.app.MainWindow, UM_DESKTOP(3), 0, WM_LBUTTONDOWN);
        return m.sim.DefWindowProc(w, message, wParam, lParam);
    });
    m.sim.SetHung(h, true);
    m.Show(2);
    EXPECT_EQ(m.Current(), 2);
    EXPECT_TRUE(m.sim.IsMinimized(a));
    EXPECT_FALSE(m.sim.IsMinimized(h));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
    m.Show(3);
    EXPECT_EQ(FindWindowEntry(m.app, h)->Desktop, 1);
    m.sim.SetHung(h, false);
    m.Show(2);
    EXPECT_TRUE(m.sim.IsMinimized(h));
    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(h));
    EXPECT_FALSE(m.sim.IsMinimized(a));
    m.sim.SetHung(h, true);
    m.Send(UM_MOVETODESKTOP, H(h), 2); // would wait for it: left as it is
    EXPECT_FALSE(m.sim.IsMinimized(h));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// Other programs cannot move, stick, hide or show our own windows.
TEST(ForeignMessages, NeverMoveTheProgramsOwnWindows) {
    Machine m;
    m.Start();
    for (Hwnd own : {m.app.MainWindow, m.app.FloatingWindow}) {
        m.Send(UM_MOVETODESKTOP, H(own), 2);
        m.Send(UM_SETSTICKY, H(own), 1);
    }
    m.Show(2);
    m.Show(1);
    EXPECT_FALSE(m.sim.IsVisible(m.app.MainWindow));
    EXPECT_FALSE(m.sim.IsVisible(m.app.FloatingWindow));
    const WindowEntry *main = FindWindowEntry(m.app, m.app.MainWindow);
    EXPECT_TRUE(main == nullptr || main->Sticky == 0);
}

// An Applications command names the window its menu showed, though a switch inside the menu
// reordered the table; without a menu, the identifiers name nothing.
TEST(ForeignMessages, ApplicationsCommandsNameTheWindowTheMenuShowed) {
    Machine m;
    Hwnd x = m.Window("X");
    Hwnd y = m.Window("Y");
    Hwnd w = m.Window("W");
    m.Start();
    m.Command(WindowCommandId(EntryIndex(m.app, w), 2));
    EXPECT_EQ(FindWindowEntry(m.app, w)->Desktop, 1);
    m.sim.menuChooser = [&](SimMachine &sim, Hmenu) {
        const Uint id = WindowCommandId(EntryIndex(m.app, w), 2);
        sim.DestroyWindow(x); // the purge moves the last entry into its place
        sim.SendMessageA(m.app.MainWindow, UM_DESKTOP(2), 0, WM_LBUTTONDOWN);
        sim.SendMessageA(m.app.MainWindow, UM_DESKTOP(1), 0, WM_LBUTTONDOWN);
        return id;
    };
    m.OpenMenu(1);
    EXPECT_EQ(FindWindowEntry(m.app, w)->Desktop, 2);
    EXPECT_EQ(FindWindowEntry(m.app, y)->Desktop, 1);
    EXPECT_TRUE(m.sim.IsMinimized(w));
    EXPECT_FALSE(m.sim.IsMinimized(y));
}

// "TaskbarCreated": the icons come back with the shown desktop's picture and the titles, also
// when it arrives during a dialog (added when it closes); in mode 2 the single icon comes back.
TEST(Taskbar, IconsComeBackWhenTheTaskbarRestarts) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    m.Start();
    m.Show(2);
    m.sim.RestartTaskbar();
    ASSERT_EQ(m.sim.NotifyIcons().size(), 3u);
    for (Uint n = 1; n <= 3; ++n) {
        const SimIcon *icon = m.sim.NotifyIcon(m.app.MainWindow, n);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(SimMachine::IconId(icon->icon), n == 2 ? 10 : 11);
        EXPECT_EQ(icon->tip, Title(m, static_cast<int>(n)));
        EXPECT_EQ(icon->callbackMessage, UM_DESKTOP(static_cast<int>(n)));
    }
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd dialog) {
        sim.RestartTaskbar();
        EXPECT_TRUE(sim.NotifyIcons().empty());
        sim.Click(dialog, IDCANCEL);
    });
    m.Command(DesktopCommandId(3, DesktopRename)); // Rename of desktop 3
    ASSERT_EQ(m.sim.NotifyIcons().size(), 3u);
    EXPECT_EQ(SimMachine::IconId(m.sim.NotifyIcon(m.app.MainWindow, 2)->icon), 10);
    EXPECT_EQ(SimMachine::IconId(m.sim.NotifyIcon(m.app.MainWindow, 3)->icon), 11);
    m.Send(m.sim.RegisterWindowMessageA("TaskbarCreated")); // the icons are still there
    EXPECT_EQ(m.sim.NotifyIcons().size(), 3u);
    m.Command(DisplayModeCommand(DisplayMenu));
    m.sim.RestartTaskbar();
    ASSERT_EQ(m.sim.NotifyIcons().size(), 1u);
    EXPECT_EQ(m.sim.NotifyIcon(m.app.MainWindow, 0)->callbackMessage, UM_DESKTOP(2));
}

// A taskbar that restarts without the broadcast: a second start puts the lost icons back and
// shows the About box; where the icons are still there it only brings them up to date.
TEST(Taskbar, ASecondStartBringsBackIconsTheTaskbarLostSilently) {
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        Machine m;
        m.StoreDesktops({"One", "Two", "Three"});
        m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "Display", static_cast<std::uint32_t>(mode));
        m.Start();
        m.Show(3);
        m.sim.RestartTaskbar(false);
        EXPECT_TRUE(m.sim.NotifyIcons().empty());
        m.sim.PumpMessages();
        EXPECT_TRUE(m.sim.NotifyIcons().empty()); // nothing told the program

        m.sim.notifyCalls.clear();
        std::size_t iconsUnderTheBox = 0;
        m.sim.ScriptDialog([&](SimMachine &sim, Hwnd box) {
            iconsUnderTheBox = sim.NotifyIcons().size();
            sim.CloseDialog(box);
        });
        m.sim.PostMessageA(m.app.MainWindow, WM_COMMAND, CmdAbout, 0);
        m.sim.PumpMessages();
        EXPECT_EQ(m.sim.dialogRuns.size(), 1u);
        EXPECT_EQ(iconsUnderTheBox, mode == 1 ? 3u : 1u); // back before the box shows
        if (mode == 1) {
            ASSERT_EQ(m.sim.NotifyIcons().size(), 3u);
            for (Uint n = 1; n <= 3; ++n) {
                const SimIcon *icon = m.sim.NotifyIcon(m.app.MainWindow, n);
                ASSERT_NE(icon, nullptr);
                EXPECT_EQ(SimMachine::IconId(icon->icon), n == 3 ? 10 : 11);
                EXPECT_EQ(icon->tip, Title(m, static_cast<int>(n)));
                EXPECT_EQ(icon->callbackMessage, UM_DESKTOP(static_cast<int>(n)));
            }
        } else {
            ASSERT_EQ(m.sim.NotifyIcons().size(), 1u);
            EXPECT_EQ(m.sim.NotifyIcon(m.app.MainWindow, 0)->callbackMessage, UM_DESKTOP(3));
        }
        const std::size_t added = m.sim.NotifyIcons().size();

        // A third start with the icons in place: each is modified, none added twice.
        m.sim.notifyCalls.clear();
        m.sim.PostMessageA(m.app.MainWindow, WM_COMMAND, CmdAbout, 0);
        m.sim.PumpMessages();
        EXPECT_EQ(m.sim.dialogRuns.size(), 2u);
        EXPECT_EQ(m.sim.NotifyIcons().size(), added);
        EXPECT_EQ(m.sim.notifyCalls.size(), added);
        for (const SimNotifyCall &call : m.sim.notifyCalls) {
            EXPECT_EQ(call.message, NIM_MODIFY);
            EXPECT_TRUE(call.result);
        }
    }
}

// WM_CLOSE (as an uninstall start posts it) inside each modal loop of the program and inside a
// switch, with desktop 3 shown: the program ends with desktop 1 on the screen, its pop-up where
// it stood, no icon, and nothing the open question or dialog was about changed afterwards.
TEST(Close, ShowsDesktopOneWhateverIsOpenWhenItArrives) {
    const char *contexts[] = {"delete question", "quit question", "Rename", "Hot key",
                              "About",           "menu",          "switch"};
    for (const char *context : contexts) {
        SCOPED_TRACE(context);
        const std::string in = context;
        Machine m;
        m.StoreDesktops({"Home", "Work", "Play"});
        m.StoreHotKey(2, VK_F1 + 1);
        Hwnd a = m.Window("A");
        Hwnd p = m.Window("P", WS_POPUP | WS_CAPTION | WS_VISIBLE);
        const Rect stood = m.sim.Position(p);
        m.Start();
        m.Show(3);
        Hwnd b = m.Window("B");
        m.OpenMenu(3); // B joins desktop 3
        const Hwnd main = m.app.MainWindow;
        auto close = [&] { m.sim.SendMessageA(main, WM_CLOSE, 0, 0); };
        m.sim.messageBoxHook = [&](SimMachine &, const SimMessageBox &) {
            close();
            return IDYES;
        };
        m.sim.defaultDialogScript = [&](SimMachine &sim, Hwnd dialog) {
            close();
            sim.Type(dialog, IdTitleEdit, "Changed");
            sim.Click(dialog, IdNoHotKey);
            sim.Click(dialog, IDOK);
        };
        m.sim.menuChooser = [&](SimMachine &, Hmenu) {
            close();
            return CmdCreateDesktop;
        };
        if (in == "delete question") m.Command(CmdDeleteCurrentDesktop);
        if (in == "quit question") m.Command(CmdQuit);
        if (in == "Rename") m.Command(DesktopCommandId(2, DesktopRename));
        if (in == "Hot key") m.Command(DesktopCommandId(2, DesktopHotKey));
        if (in == "About") m.Command(CmdAbout);
        if (in == "menu") m.OpenMenu(3);
        if (in == "switch") {
            m.sim.SetWindowProc(b, [&](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
                if (message == WM_SIZE) close();
                return m.sim.DefWindowProc(w, message, wParam, lParam);
            });
            m.Show(2);
        }
        EXPECT_FALSE(m.sim.IsWindow(main));
        EXPECT_TRUE(m.sim.QuitPosted());
        EXPECT_EQ(m.Current(), 1);
        EXPECT_FALSE(m.sim.IsMinimized(a));
        EXPECT_FALSE(m.sim.IsMinimized(p));
        EXPECT_EQ(m.sim.Position(p).left, stood.left);
        EXPECT_TRUE(m.sim.IsMinimized(b));
        EXPECT_TRUE(m.sim.NotifyIcons().empty());
        EXPECT_TRUE(m.sim.HotKeys().empty());
        EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), SettingsPath, "Desktop")->Number(), 3u);
        EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), DesktopPath(2), "DesktopTitle")->Text(), "Work");
        EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), DesktopPath(2), "HotKey")->Number(), VK_F1 + 1);
    }
}

// The Applications menu listed T; its program hides it (gone to its tray icon) before the user
// picks a desktop or Sticky: T stays hidden and keeps its desktop, through later switches too.
TEST(ForeignMessages, AWindowItsProgramHidMeanwhileIsNotMoved) {
    for (const char *target : {"Work", "&Sticky"}) {
        SCOPED_TRACE(target);
        Machine m;
        m.StoreDesktops({"Home", "Work"});
        Hwnd t = m.Window("T");
        m.Start();
        m.sim.menuChooser = [&](SimMachine &sim, Hmenu menu) {
            sim.ShowWindow(t, SW_HIDE);
            return sim.Snapshot(menu).CommandAt({"&Applications", "T", target});
        };
        m.OpenMenu(1);
        ASSERT_NE(m.sim.trackedMenus.at(0).chosen, 0u);
        EXPECT_FALSE(m.sim.IsVisible(t));
        EXPECT_EQ(FindWindowEntry(m.app, t)->Desktop, 1);
        EXPECT_EQ(FindWindowEntry(m.app, t)->Sticky, 0);
        m.Show(2);
        m.Show(1);
        EXPECT_FALSE(m.sim.IsVisible(t));
    }
}

// A fixed sequence of random events; QUILLANE_RANDOM_STEPS runs longer (bench/random_run is the
// optimised long run).
TEST(RandomSequence, EveryEventKeepsTheDesktopsAndTheWindows) {
    const char *configured = std::getenv("QUILLANE_RANDOM_STEPS");
    const long steps = configured != nullptr ? std::atol(configured) : 20000;
    RandomWorld world(20261209);
    for (long i = 0; i < steps; ++i)
        if (!world.Step()) break;
    EXPECT_EQ(world.Failure(), "");
    EXPECT_GT(world.sweeps, 0u);
}

// A thread that stops answering keeps all its windows as they are, with one question for the
// thread: its window on the desktop left stays shown and its window on the desktop entered
// stays minimised, each keeping its desktop; once the thread answers, both follow them again.
TEST(HungWindows, AThreadThatStopsKeepsAllItsWindowsAsTheyAre) {
    Machine m;
    Hwnd a = m.Window("A");
    Hwnd p1 = m.Window("P1");
    Hwnd p2 = m.Window("P2");
    m.sim.ShareThread(p2, p1);
    m.Start();
    m.Send(UM_MOVETODESKTOP, H(p2), 2);
    ASSERT_TRUE(m.sim.IsMinimized(p2));
    m.sim.SetHung(p1, true);
    ASSERT_TRUE(m.sim.IsHung(p2));
    const std::size_t asked = m.sim.answerChecks;
    m.Show(2);
    EXPECT_EQ(m.sim.answerChecks - asked, 2u); // A's thread and the program's, not each window
    EXPECT_TRUE(m.sim.IsMinimized(a));
    EXPECT_FALSE(m.sim.IsMinimized(p1));
    EXPECT_TRUE(m.sim.IsMinimized(p2));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(a));
    EXPECT_EQ(FindWindowEntry(m.app, p1)->Desktop, 1);
    EXPECT_EQ(FindWindowEntry(m.app, p2)->Desktop, 2);
    m.sim.SetHung(p1, false);
    m.Show(2);
    EXPECT_TRUE(m.sim.IsMinimized(p1));
    EXPECT_FALSE(m.sim.IsMinimized(p2));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// A pop-up that refuses its minimise is sent to desktop 2 with its box: it is parked, and the box,
// which the system showed again with it, is minimised. Its thread stops before desktop 2 is shown:
// both are left behind; once it answers the pop-up gets its place back and the box comes up too.
TEST(HungWindows, AnOwnerLeftBehindAtTheParkBringsUpItsBoxOnceItAnswers) {
    Machine m;
    const std::uint32_t popup = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    Hwnd main = m.sim.CreateWindow("Tool", "Main", popup, 0, {40, 50, 240, 150});
    Hwnd box = m.sim.CreateWindow("Dialog", "Box", popup, 0, {60, 70, 260, 170}, main);
    m.sim.SetHabit(main, SimMachine::Habit::RefuseMinimize);
    m.Start();
    m.Send(UM_MOVETODESKTOP, H(main), 2);
    ASSERT_EQ(m.sim.Position(main).left, ParkPosition);
    ASSERT_TRUE(m.sim.IsMinimized(box));
    m.sim.SetHung(main, true);
    m.Show(2);
    EXPECT_EQ(m.sim.Position(main).left, ParkPosition);
    m.sim.SetHung(main, false);
    m.sim.AdvanceTime(CatchUpPeriod + CatchUpTimeout);
    EXPECT_EQ(m.sim.Position(main).left, 40);
    EXPECT_TRUE(m.sim.IsVisible(box) && !m.sim.IsMinimized(box));
    EXPECT_EQ(m.sim.Position(box).left, 60);
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// A window's thread answers when the switch begins, then stops pumping while the switch
// minimises another window: it is asked right before the first call into it, found out and
// left as it is. Asked once at the start, the switch would have waited for it for good.
TEST(HungWindows, AThreadThatStopsDuringTheSwitchIsFoundOutBeforeItsFirstCall) {
    Machine m;
    Hwnd a = m.Window("A");
    Hwnd b = m.Window("B"); // on top: the passes come to it first
    m.Start();
    m.sim.SetWindowProc(b, [&](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
        if (message == WM_SIZE && wParam == sim::SIZE_MINIMIZED) m.sim.SetHung(a, true);
        return m.sim.DefWindowProc(w, message, wParam, lParam);
    });
    m.Show(2);
    EXPECT_EQ(m.Current(), 2);
    EXPECT_TRUE(m.sim.IsMinimized(b));
    EXPECT_FALSE(m.sim.IsMinimized(a));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
    m.sim.SetHung(a, false);
    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(a));
    EXPECT_FALSE(m.sim.IsMinimized(b));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// A program with four windows on one thread that, once the minimise or restore of its first
// window has returned, works for `busy` ms (a message it posted itself in that WM_SIZE).
struct SlowProgram {
    Machine &m;
    std::vector<Hwnd> windows;
    Dword busy;
    SlowProgram(Machine &machine, Dword work) : m(machine), busy(work) {
        for (const char *title : {"S1", "S2", "S3", "S4"}) {
            windows.push_back(m.Window(title));
            if (windows.size() > 1) m.sim.ShareThread(windows.back(), windows.front());
        }
        m.sim.SetWindowProc(windows.front(), [this](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
            if (message == WM_SIZE) m.sim.KeepBusy(w, busy);
            return m.sim.DefWindowProc(w, message, wParam, lParam);
        });
    }
    int Minimised() const {
        return static_cast<int>(
            std::count_if(windows.begin(), windows.end(), [&](Hwnd h) { return m.sim.IsMinimized(h); }));
    }
};

// Slower than a question used to wait, well within the time a slow machine needs: nothing is left
// behind, on the way there, back and at the quit, and every call waited for the thread instead.
TEST(SlowThreads, AreWaitedForAndNothingIsLeftBehind) {
    Machine m;
    SlowProgram p(m, 450);
    Hwnd other = m.Window("Other");
    m.Start();
    const std::vector<Hwnd> order =
        Stacking(m.sim, {p.windows[0], p.windows[1], p.windows[2], p.windows[3], other});
    m.Show(2);
    EXPECT_EQ(p.Minimised(), 4);
    EXPECT_TRUE(m.sim.IsMinimized(other));
    m.Show(1);
    EXPECT_EQ(p.Minimised(), 0);
    EXPECT_EQ(Stacking(m.sim, {p.windows[0], p.windows[1], p.windows[2], p.windows[3], other}), order);
    EXPECT_EQ(m.app.Switch.HungCount, 0);
    EXPECT_GE(m.sim.waited, 450u); // the calls after its first restore waited for it
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// Busy for longer than the allowance when a pass comes to it: the switch leaves the thread's
// windows as they are, at the cost of the allowance once; once the thread is done they follow
// their desktop within a second, restored in their place in the order. While the thread is still
// busy, each turn of the catch-up waits for it a short while only.
TEST(SlowThreads, WindowsLeftBehindCatchUpOnceTheirThreadAnswers) {
    Machine m;
    SlowProgram p(m, 0);
    Hwnd other = m.Window("Other");
    m.Start();
    const std::vector<Hwnd> all = {p.windows[0], p.windows[1], p.windows[2], p.windows[3], other};
    const std::vector<Hwnd> order = Stacking(m.sim, all);
    m.sim.KeepBusy(p.windows[0], 6000);
    Dword before = m.sim.waited;
    m.Show(2);
    EXPECT_EQ(m.sim.waited - before, AnswerAllowance);
    EXPECT_EQ(p.Minimised(), 0);
    EXPECT_TRUE(m.sim.IsMinimized(other));
    before = m.sim.waited;
    m.sim.AdvanceTime(6000 - AnswerAllowance - 100);
    EXPECT_EQ(p.Minimised(), 0);
    EXPECT_LE(m.sim.waited - before, (6000 - AnswerAllowance) / CatchUpPeriod * CatchUpTimeout);
    m.sim.AdvanceTime(100 + 1000);
    EXPECT_EQ(p.Minimised(), 4);
    EXPECT_FALSE(m.sim.HasTimer(m.app.MainWindow, CatchUpTimer));

    m.sim.KeepBusy(p.windows[0], 6000);
    m.Show(1);
    EXPECT_EQ(p.Minimised(), 4);
    m.sim.AdvanceTime(6000 - AnswerAllowance + 1000);
    EXPECT_EQ(p.Minimised(), 0);
    EXPECT_EQ(Stacking(m.sim, all), order);
    EXPECT_EQ(m.sim.Active(), other); // the user's window keeps the activation
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// What the user or the program did to a window left behind, between its thread's answer and the
// catch-up's turn, stands: one moved stays on the screen, and is the shown desktop's from then on;
// one hidden stays hidden; the one left untouched goes with its desktop.
TEST(SlowThreads, TheUsersActsOnWindowsLeftBehindWin) {
    Machine m;
    SlowProgram p(m, 0);
    m.Start();
    m.sim.KeepBusy(p.windows[0], 60000);
    m.Show(2);
    ASSERT_EQ(p.Minimised(), 0);
    m.sim.SetHung(p.windows[0], false); // done at last
    m.sim.SetWindowPos(p.windows[0], nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    m.sim.ShowWindow(p.windows[1], SW_HIDE);
    m.sim.ShowWindow(p.windows[2], SW_MINIMIZE);
    m.sim.AdvanceTime(1000);
    EXPECT_FALSE(m.sim.IsMinimized(p.windows[0]));
    EXPECT_FALSE(m.sim.IsVisible(p.windows[1]));
    EXPECT_TRUE(m.sim.IsMinimized(p.windows[2]));
    EXPECT_TRUE(m.sim.IsMinimized(p.windows[3]));
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(p.windows[0])); // desktop 2's since the user moved it there
    EXPECT_FALSE(m.sim.IsVisible(p.windows[1]));
    EXPECT_TRUE(m.sim.IsMinimized(p.windows[2])); // its user's minimise
    EXPECT_FALSE(m.sim.IsMinimized(p.windows[3]));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// Fifteen windows of one program on one thread: a switch asks the thread once a pass, not before
// each window; a call into another program's window between two of them has it asked again.
TEST(SlowThreads, AreAskedOnceAPassUnlessAnotherProgramWasCalledSince) {
    Machine m;
    std::vector<Hwnd> windows;
    for (int i = 0; i < 15; ++i) {
        windows.push_back(m.Window(("P" + std::to_string(i)).c_str()));
        if (i > 0) m.sim.ShareThread(windows.back(), windows.front());
    }
    m.Start();
    std::size_t asked = m.sim.answerChecks;
    m.Show(2);
    EXPECT_EQ(m.sim.answerChecks - asked, 1u);
    asked = m.sim.answerChecks;
    m.Show(1);
    EXPECT_EQ(m.sim.answerChecks - asked, 1u);
    m.Window("Between"); // on top, restored between the program's windows
    m.Show(2);
    asked = m.sim.answerChecks;
    m.Show(1);
    EXPECT_LE(m.sim.answerChecks - asked, 3u);
    for (Hwnd h : windows)
        EXPECT_FALSE(m.sim.IsMinimized(h));
}

// The quit from desktop 2 restores desktop 1 while the program is busy: the program stays, without
// its icons, until the windows left minimised come back, then ends; with a thread that never
// answers it ends after QuitCatchUpLimit.
TEST(SlowThreads, TheQuitBringsBackWhatItLeftBehindBeforeTheProgramEnds) {
    Machine m;
    SlowProgram p(m, 0);
    m.Start();
    m.Show(2);
    ASSERT_EQ(p.Minimised(), 4);
    m.sim.KeepBusy(p.windows[0], 6000);
    m.Send(WM_CLOSE);
    EXPECT_GT(p.Minimised(), 0);
    EXPECT_TRUE(m.sim.IsWindow(m.app.MainWindow));
    EXPECT_TRUE(m.sim.NotifyIcons().empty());
    m.sim.AdvanceTime(5000);
    EXPECT_EQ(p.Minimised(), 0);
    EXPECT_FALSE(m.sim.IsWindow(m.app.MainWindow));

    Machine n;
    Hwnd stuck = n.Window("Stuck");
    n.Start();
    n.Show(2);
    n.sim.SetHung(stuck, true);
    n.Send(WM_CLOSE);
    EXPECT_TRUE(n.sim.IsMinimized(stuck));
    n.sim.AdvanceTime(QuitCatchUpLimit + 1000);
    EXPECT_FALSE(n.sim.IsWindow(n.app.MainWindow));
    EXPECT_EQ(n.sim.blockedCalls, 0u);
}

// Left minimised on desktop 1 by a busy thread, then cloaked (the user went to another of the
// system's desktops) before the catch-up's turn: once uncloaked it is still desktop 1's, not taken
// for one its user minimised, and the next return of desktop 1 restores it.
TEST(SlowThreads, AWindowLeftBehindAndCloakedIsRestoredWithItsDesktopOnceUncloaked) {
    Machine m;
    Hwnd w = m.Window("W");
    m.Start();
    m.Show(2);
    ASSERT_TRUE(m.sim.IsMinimized(w));
    m.sim.KeepBusy(w, 6000);
    m.Show(1);
    ASSERT_TRUE(m.sim.IsMinimized(w));
    m.sim.SetCloaked(w, SimMachine::CloakedByShell);
    m.sim.AdvanceTime(7000);
    EXPECT_TRUE(m.sim.IsMinimized(w)); // nothing of ours touches a cloaked window
    m.sim.SetCloaked(w, 0);
    m.Show(2);
    m.Show(1);
    EXPECT_FALSE(m.sim.IsMinimized(w));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// A pop-up that refuses the minimise is parked by the switch to desktop 2; at the quit its thread
// is busy, and it is cloaked (the user went to another of the system's desktops). The quit still
// gives it its place back once its thread answers: after the quit nothing else would, and it would
// appear off the screen once uncloaked.
TEST(SlowThreads, TheQuitGivesAParkedWindowItsPlaceBackThoughItIsCloaked) {
    Machine m;
    Hwnd pop =
        m.sim.CreateWindow("TestWindow", "Pop", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {50, 60, 250, 160});
    m.sim.SetHabit(pop, SimMachine::Habit::RefuseMinimize);
    m.Start();
    m.Show(2);
    ASSERT_EQ(m.sim.Position(pop).left, ParkPosition);
    m.sim.KeepBusy(pop, 6000);
    m.sim.SetCloaked(pop, SimMachine::CloakedByShell);
    m.Send(WM_CLOSE);
    m.sim.AdvanceTime(7000);
    EXPECT_FALSE(m.sim.IsWindow(m.app.MainWindow));
    m.sim.SetCloaked(pop, 0);
    EXPECT_EQ(m.sim.Position(pop).left, 50);
    EXPECT_EQ(m.sim.Position(pop).top, 60);
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// A pop-up of desktop 2 that refuses the minimise stands at the park when the quit comes from
// desktop 3, and its thread does not answer; once it answers, its program hides it before the
// catch-up's turn. What its program did stands, but the place is still given back: shown again
// later, it appears where it stood, not off the screen.
TEST(SlowThreads, TheQuitGivesAParkedWindowItsPlaceBackWhateverItsProgramDidSince) {
    Machine m;
    m.StoreDesktops({"One", "Two", "Three"});
    m.Start();
    m.Show(2);
    Hwnd pop =
        m.sim.CreateWindow("TestWindow", "Pop", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {50, 60, 250, 160});
    m.sim.SetHabit(pop, SimMachine::Habit::RefuseMinimize);
    m.Show(3);
    ASSERT_EQ(m.sim.Position(pop).left, ParkPosition);
    m.sim.SetHung(pop, true);
    m.Send(WM_CLOSE);
    ASSERT_TRUE(m.sim.IsWindow(m.app.MainWindow));
    m.sim.SetHung(pop, false);
    m.sim.ShowWindow(pop, SW_HIDE);
    m.sim.AdvanceTime(1000);
    EXPECT_FALSE(m.sim.IsWindow(m.app.MainWindow));
    EXPECT_FALSE(m.sim.IsVisible(pop));
    m.sim.ShowWindow(pop, SW_SHOW);
    EXPECT_EQ(m.sim.Position(pop).left, 50);
    EXPECT_EQ(m.sim.Position(pop).top, 60);
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// Where the system leaves owned windows up (Wine 8): the user has minimised a Notepad, its Find box
// stays up, and their stopped thread leaves Find on desktop 2's screen. The thread answers again;
// before the catch-up's turn the user sends the Notepad to desktop 3, which takes Find down with it:
// Find is no longer left behind, nor taken for a window its user minimised, and it comes back on
// desktop 3.
TEST(SlowThreads, AMoveOfAnOwnerTakesItsOwnedWindowsLeftBehindAlong) {
    Machine m;
    m.sim.hidesOwnedWindows = false;
    m.StoreDesktops({"One", "Two", "Three"});
    m.Start();
    Hwnd note = m.Window("Notepad");
    Hwnd find = m.sim.CreateWindow("Dialog", "Find", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {50, 60, 250, 160},
                                   note);
    m.sim.ShowWindow(note, SW_MINIMIZE);
    m.sim.SetHung(note, true);
    m.Show(2);
    ASSERT_TRUE(HeldBack(m.app, find));
    ASSERT_FALSE(m.sim.IsMinimized(find));
    m.sim.SetHung(note, false);
    m.Send(UM_MOVETODESKTOP, H(note), 3);
    EXPECT_TRUE(m.sim.IsMinimized(find));
    EXPECT_FALSE(HeldBack(m.app, find));
    m.sim.AdvanceTime(1000);
    EXPECT_EQ(FindWindowEntry(m.app, find)->Minimized, 0);
    m.Show(3);
    EXPECT_FALSE(m.sim.IsMinimized(find));
    EXPECT_NE(m.sim.Position(find).left, ParkPosition);
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// Where the system leaves owned windows up (Wine 8), a Notepad on desktop 2 with a Find box that
// hides itself when minimised and a palette: the quit from desktop 3 leaves the Notepad minimised,
// and its thread is busy then. Once it answers, both owned windows come back on the screen (they
// have no taskbar button to come back by), below desktop 1's window, which keeps the activation.
TEST(SlowThreads, TheQuitBringsBackOwnedWindowsOfAnotherDesktopOnceTheirThreadAnswers) {
    Machine m;
    m.sim.hidesOwnedWindows = false;
    m.StoreDesktops({"One", "Two", "Three"});
    m.Start();
    Hwnd plain = m.Window("Plain");
    m.Show(2);
    Hwnd note = m.Window("Notepad");
    const std::uint32_t box = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    Hwnd find = m.sim.CreateWindow("Dialog", "Find", box, 0, {50, 60, 250, 160}, note);
    Hwnd palette = m.sim.CreateWindow("Dialog", "Palette", box, 0, {70, 80, 270, 180}, note);
    m.sim.SetHabit(find, SimMachine::Habit::HideWhenMinimized);
    m.Show(3);
    ASSERT_FALSE(m.sim.IsVisible(find));
    ASSERT_TRUE(m.sim.IsMinimized(palette));
    m.sim.KeepBusy(note, 6000);
    m.Send(WM_CLOSE);
    m.sim.AdvanceTime(6000);
    EXPECT_FALSE(m.sim.IsWindow(m.app.MainWindow));
    EXPECT_TRUE(m.sim.IsMinimized(note)); // within reach on the taskbar
    for (Hwnd h : {find, palette}) {
        EXPECT_TRUE(m.sim.IsVisible(h)) << m.sim.WindowText(h);
        EXPECT_FALSE(m.sim.IsMinimized(h)) << m.sim.WindowText(h);
        EXPECT_NE(m.sim.Position(h).left, ParkPosition) << m.sim.WindowText(h);
    }
    EXPECT_EQ(m.sim.Active(), plain);
    EXPECT_EQ(m.sim.ZOrder(true).front(), plain);
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

// A box that hides itself when minimised, whose owner the system leaves it up with (Wine): the switch
// to desktop 2 takes it down and it hides. Its thread stops before the quit: once it answers, the
// box comes back on the screen with its owner, rather than being left to an owner whose restore
// shows nothing.
TEST(SlowThreads, TheQuitBringsBackABoxLeftBehindWithItsOwner) {
    Machine m;
    m.sim.hidesOwnedWindows = false;
    Hwnd main = m.Window("Main");
    Hwnd box = m.sim.CreateWindow("Dialog", "Box", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {50, 60, 250, 160}, main);
    m.sim.SetHabit(box, SimMachine::Habit::HideWhenMinimized);
    m.Start();
    m.Show(2);
    ASSERT_FALSE(m.sim.IsVisible(box));
    m.sim.SetHung(main, true);
    m.Send(WM_CLOSE);
    EXPECT_TRUE(m.sim.IsWindow(m.app.MainWindow));
    m.sim.SetHung(main, false);
    m.sim.AdvanceTime(CatchUpPeriod + CatchUpTimeout);
    EXPECT_FALSE(m.sim.IsWindow(m.app.MainWindow));
    EXPECT_TRUE(m.sim.IsVisible(main) && !m.sim.IsMinimized(main));
    EXPECT_TRUE(m.sim.IsVisible(box) && !m.sim.IsMinimized(box));
    EXPECT_EQ(m.sim.blockedCalls, 0u);
}

} // namespace
} // namespace q::test
