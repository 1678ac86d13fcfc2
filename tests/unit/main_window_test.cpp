// The main window as the user and other programs reach it: icon clicks, hot keys, display
// modes, closing, logging off, quitting, the one-background option and the About box.
#include "machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q::test {
namespace {

constexpr int PictureShown = 10; // icon resource of the desktop being shown
constexpr int PictureOther = 11; // the same picture in greys

// The icons must always match the display mode, the desktops and the one shown.
void ExpectIconsMatchState(Machine &m) {
    const std::vector<SimIcon> &icons = m.sim.NotifyIcons();
    const Hwnd main = m.app.MainWindow;
    if (m.app.DisplayMode == 1) {
        ASSERT_EQ(icons.size(), static_cast<std::size_t>(m.app.DesktopCount()));
        for (int n = 1; n <= m.app.DesktopCount(); ++n) {
            const SimIcon *icon = m.sim.NotifyIcon(main, static_cast<Uint>(n));
            ASSERT_NE(icon, nullptr) << "desktop " << n;
            EXPECT_EQ(icon->callbackMessage, WM_USER + static_cast<Uint>(n));
            EXPECT_EQ(SimMachine::IconId(icon->icon), n == m.Current() ? PictureShown : PictureOther);
            EXPECT_EQ(icon->tip, m.app.Record(n).DesktopTitle);
        }
    } else {
        ASSERT_EQ(icons.size(), 1u);
        const SimIcon *icon = m.sim.NotifyIcon(main, 0);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->callbackMessage, WM_USER + static_cast<Uint>(m.Current()));
        EXPECT_EQ(SimMachine::IconId(icon->icon), PictureShown);
        EXPECT_EQ(icon->tip, "Quillane");
    }
    EXPECT_EQ(m.sim.IsVisible(m.app.FloatingWindow), m.app.DisplayMode == 3);
}

std::size_t SwitchesAnnounced(Machine &m) {
    return m.sim.CountMessages(m.app.FloatingWindow, UM_DESKTOPSWITCH);
}

std::vector<std::string> ValuesSetSince(Machine &m, std::size_t from) {
    std::vector<std::string> names;
    for (std::size_t i = from; i < m.sim.registryCalls.size(); ++i)
        if (m.sim.registryCalls[i].operation == "set") names.push_back(m.sim.registryCalls[i].name);
    return names;
}

bool HoldsHotKey(Machine &m, int id) {
    for (const SimHotKey &k : m.sim.HotKeys())
        if (!k.foreign && k.window == m.app.MainWindow && k.id == id) return true;
    return false;
}

TEST(MainWindow, StartsWithTheIconsOfTheStoredDisplayMode) {
    for (int mode = 1; mode <= 3; ++mode) {
        SCOPED_TRACE("display mode " + std::to_string(mode));
        Machine m;
        m.StoreDesktops({"Home", "Work", "Play"}, mode);
        m.Start();
        EXPECT_EQ(m.app.DisplayMode, mode);
        ExpectIconsMatchState(m);
        EXPECT_EQ(m.sim.CountMessages(m.app.FloatingWindow, UM_INITSYSMENU), 1u);
    }
}

TEST(MainWindow, IconsFollowSwitchesAndEveryDisplayModeChangeIsStored) {
    Machine m;
    m.StoreDesktops({"Home", "Work", "Play"});
    m.Start();
    ExpectIconsMatchState(m);
    // Covers all nine transitions, the identical ones included.
    const int modes[] = {1, 2, 2, 3, 3, 1, 3, 2, 1};
    int next = 2;
    for (int mode : modes) {
        const int from = m.app.DisplayMode;
        SCOPED_TRACE("mode " + std::to_string(from) + " to " + std::to_string(mode));
        const std::size_t calls = m.sim.registryCalls.size();
        m.Command(DisplayModeCommand(mode));
        EXPECT_EQ(m.app.DisplayMode, mode);
        ExpectIconsMatchState(m);
        EXPECT_EQ(ValuesSetSince(m, calls), std::vector<std::string>{"Display"});
        std::optional<SimValue> display = m.sim.Value(HkeyCurrentUser(), SettingsPath, "Display");
        ASSERT_TRUE(display.has_value());
        EXPECT_EQ(display->type, REG_DWORD);
        EXPECT_EQ(display->data.size(), 4u);
        EXPECT_EQ(display->Number(), static_cast<std::uint32_t>(mode));

        // A left click on the main icon is a click on the shown desktop: nothing happens.
        if (mode != 1) {
            const std::size_t switches = SwitchesAnnounced(m);
            ASSERT_TRUE(m.sim.ClickNotifyIcon(m.app.MainWindow, 0));
            EXPECT_EQ(SwitchesAnnounced(m), switches);
        }
        if (mode == 1)
            ASSERT_TRUE(m.sim.ClickNotifyIcon(m.app.MainWindow, static_cast<Uint>(next)));
        else
            m.Show(next);
        EXPECT_EQ(m.Current(), next);
        ExpectIconsMatchState(m);
        next = next % 3 + 1;
    }
}

TEST(MainWindow, DesktopMessagesAnswerOnlyButtonDownsForExistingDesktops) {
    Machine m;
    m.StoreDesktops({"Home", "Work", "Play"});
    Hwnd editor = m.Window("Editor");
    m.Start();

    // Any program can post these: numbers beyond the desktops and other mouse messages.
    for (int n = 4; n <= 9; ++n) {
        m.Send(WM_USER + static_cast<Uint>(n), 0, WM_LBUTTONDOWN);
        m.Send(WM_USER + static_cast<Uint>(n), 0, WM_RBUTTONDOWN);
    }
    for (Lparam mouse : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP})
        m.Send(UM_DESKTOP(2), 0, static_cast<Lparam>(mouse));
    m.Show(1); // already shown
    EXPECT_EQ(m.Current(), 1);
    EXPECT_FALSE(m.sim.IsMinimized(editor));
    EXPECT_TRUE(m.sim.trackedMenus.empty());
    EXPECT_EQ(SwitchesAnnounced(m), 0u);
    ExpectIconsMatchState(m);

    m.Show(3);
    EXPECT_EQ(m.Current(), 3);
    EXPECT_TRUE(m.sim.IsMinimized(editor));
}

TEST(MainWindow, EditDialogsBlockIconClicksAndHotKeys) {
    // Rename (desktop 3) and Hot key (desktop 3) dialogs.
    for (Uint command : {421u, 423u}) {
        SCOPED_TRACE("command " + std::to_string(command));
        Machine m;
        m.StoreDesktops({"Home", "Work", "Play"});
        m.StoreHotKey(2, VK_F1 + 1);
        Hwnd editor = m.Window("Editor");
        m.Start();
        int editedDuringDialog = 0;
        m.sim.ScriptDialog([&](SimMachine &sim, Hwnd) {
            editedDuringDialog = m.Current();
            m.Show(2);
            m.OpenMenu(2);
            sim.ClickNotifyIcon(m.app.MainWindow, 2);
            sim.ClickNotifyIcon(m.app.MainWindow, 2, true);
            sim.PressHotKey(0, VK_F1 + 1);
        });
        m.Command(command);
        EXPECT_EQ(editedDuringDialog, 3);
        EXPECT_EQ(m.Current(), 1);
        EXPECT_FALSE(m.sim.IsMinimized(editor));
        EXPECT_TRUE(m.sim.trackedMenus.empty());
        EXPECT_EQ(SwitchesAnnounced(m), 0u);
        // Usable again once the dialog is closed.
        m.sim.PressHotKey(0, VK_F1 + 1);
        EXPECT_EQ(m.Current(), 2);
    }
}

TEST(MainWindow, HotKeysSwitchByTheirIdentifierAndOtherIdentifiersDoNothing) {
    Machine m;
    m.StoreDesktops({"Home", "Work", "Play"});
    m.StoreHotKey(1, MOD_CONTROL << 16 | VK_F1);
    m.StoreHotKey(2, VK_F1 + 1);
    m.StoreHotKey(3, MOD_SHIFT << 16 | (VK_F1 + 2));
    m.Start();

    ASSERT_TRUE(m.sim.PressHotKey(0, VK_F1 + 1));
    EXPECT_EQ(m.Current(), 2);
    const std::size_t switches = SwitchesAnnounced(m);
    ASSERT_TRUE(m.sim.PressHotKey(0, VK_F1 + 1)); // the shown desktop's own key
    for (Wparam id : {Wparam{0}, Wparam{4}, Wparam{8}, Wparam{9}, Wparam{0xBFFF}, Wparam{0xC001}})
        EXPECT_EQ(m.Send(WM_HOTKEY, id, 0), 0);
    EXPECT_EQ(m.Current(), 2);
    EXPECT_EQ(SwitchesAnnounced(m), switches);

    ASSERT_TRUE(m.sim.PressHotKey(MOD_SHIFT, VK_F1 + 2));
    EXPECT_EQ(m.Current(), 3);
    ASSERT_TRUE(m.sim.PressHotKey(MOD_CONTROL, VK_F1));
    EXPECT_EQ(m.Current(), 1);
}

TEST(MainWindow, StartUpRegistersLowerDesktopsFirstAndSkipsKeysHeldElsewhere) {
    const std::uint32_t ctrlF5 = MOD_CONTROL << 16 | (VK_F1 + 4);
    Machine m;
    m.StoreDesktops({"Home", "Work", "Play"});
    m.StoreHotKey(1, ctrlF5);
    m.StoreHotKey(2, VK_F1 + 5);
    m.StoreHotKey(3, ctrlF5);
    m.sim.HoldHotKeyElsewhere(0, VK_F1 + 5);
    m.Start();

    std::optional<SimHotKey> holder = m.sim.HotKeyHolder(MOD_CONTROL, VK_F1 + 4);
    ASSERT_TRUE(holder.has_value());
    EXPECT_EQ(holder->window, m.app.MainWindow);
    EXPECT_EQ(holder->id, 1);
    EXPECT_FALSE(HoldsHotKey(m, 2));
    EXPECT_FALSE(HoldsHotKey(m, 3));
    EXPECT_TRUE(m.sim.HotKeyHolder(0, VK_F1 + 5)->foreign);
    // The refused keys stay stored.
    EXPECT_EQ(m.app.Record(2).HotKey, VK_F1 + 5);
    EXPECT_EQ(m.app.Record(3).HotKey, ctrlF5);

    EXPECT_FALSE(m.sim.PressHotKey(0, VK_F1 + 5));
    EXPECT_EQ(m.Current(), 1);
    m.Show(3);
    m.sim.PressHotKey(MOD_CONTROL, VK_F1 + 4);
    EXPECT_EQ(m.Current(), 1);
}

TEST(MainWindow, CloseShowsDesktopOneThenLeavesNoIconsNorHotKeys) {
    for (int mode = 1; mode <= 3; ++mode) {
        SCOPED_TRACE("display mode " + std::to_string(mode));
        Machine m;
        m.StoreDesktops({"Home", "Work", "Play"}, mode);
        m.StoreHotKey(1, VK_F1);
        m.StoreHotKey(3, VK_F1 + 2);
        Hwnd editor = m.Window("Editor");
        m.Start();
        m.Show(3);
        Hwnd game = m.Window("Game");
        int shownAtDestroy = 0;
        std::size_t iconsAtDestroy = 99;
        bool hotKeysAtDestroy = true;
        m.spy = [&](Uint message) {
            if (message != WM_DESTROY) return;
            shownAtDestroy = m.Current();
            iconsAtDestroy = m.sim.NotifyIcons().size();
            hotKeysAtDestroy = HoldsHotKey(m, 1) || HoldsHotKey(m, 3);
        };
        const std::size_t calls = m.sim.registryCalls.size();

        m.Send(WM_CLOSE);
        EXPECT_EQ(shownAtDestroy, 1);
        EXPECT_EQ(iconsAtDestroy, 0u);
        EXPECT_FALSE(hotKeysAtDestroy);
        EXPECT_FALSE(m.sim.IsWindow(m.app.MainWindow));
        EXPECT_TRUE(m.sim.QuitPosted());
        EXPECT_EQ(m.sim.QuitCode(), 0);
        EXPECT_FALSE(m.sim.IsMinimized(editor));
        EXPECT_TRUE(m.sim.IsMinimized(game));
        // Nothing is saved on the way out.
        for (std::size_t i = calls; i < m.sim.registryCalls.size(); ++i)
            EXPECT_EQ(m.sim.registryCalls[i].path.find("Halvern"), std::string::npos)
                << m.sim.registryCalls[i].name;
    }
}

TEST(MainWindow, EndSessionQueryIsAgreedAndChangesNothing) {
    Machine m;
    m.StoreDesktops({"Home", "Work"});
    m.StoreHotKey(2, VK_F1);
    Hwnd editor = m.Window("Editor");
    m.Start();
    m.Show(2);
    const std::size_t notifies = m.sim.notifyCalls.size();
    const std::size_t calls = m.sim.registryCalls.size();

    EXPECT_EQ(m.Send(WM_QUERYENDSESSION), 1);
    EXPECT_EQ(m.Current(), 2);
    EXPECT_TRUE(m.sim.IsMinimized(editor));
    EXPECT_EQ(m.sim.notifyCalls.size(), notifies);
    EXPECT_TRUE(ValuesSetSince(m, calls).empty());
    EXPECT_TRUE(HoldsHotKey(m, 2));
    EXPECT_TRUE(m.sim.IsWindow(m.app.MainWindow));
    EXPECT_FALSE(m.sim.QuitPosted());
}

// Started with "start.bmp" in force, then desktop 2 shown and given "mine.bmp" by the user.
void StartOnDesktop2WithItsOwnWallpaper(Machine &m) {
    m.sim.SetText(HkeyCurrentUser(), WallpaperValuesPath, "Wallpaper", "start.bmp");
    m.StoreDesktops({"Home", "Work"});
    m.Start();
    m.Show(2);
    m.sim.SetText(HkeyCurrentUser(), WallpaperValuesPath, "Wallpaper", "mine.bmp");
}

TEST(MainWindow, QuitAsksFirstAndOnlyYesSavesThenCloses) {
    Machine m;
    StartOnDesktop2WithItsOwnWallpaper(m);

    const std::size_t calls = m.sim.registryCalls.size();
    m.sim.AnswerMessageBox(IDNO);
    m.Command(CmdQuit);
    ASSERT_EQ(m.sim.messageBoxes.size(), 1u);
    const SimMessageBox &question = m.sim.messageBoxes[0];
    EXPECT_EQ(question.owner, nullptr);
    EXPECT_EQ(question.text, "If you quit this application, you will loose the multi-desktops property.\n"
                             "Would you really quit Quillane ?");
    EXPECT_EQ(question.caption, "Confirmation");
    EXPECT_EQ(question.type, MB_ICONQUESTION | MB_YESNO);
    EXPECT_TRUE(ValuesSetSince(m, calls).empty());
    EXPECT_EQ(m.sim.NotifyIcons().size(), 2u);
    EXPECT_FALSE(m.sim.QuitPosted());

    std::string savedAtClose;
    std::size_t iconsAtClose = 0;
    m.spy = [&](Uint message) {
        if (message != WM_CLOSE) return;
        savedAtClose = m.sim.Value(HkeyCurrentUser(), DesktopPath(2), "Wallpaper")->Text();
        iconsAtClose = m.sim.NotifyIcons().size();
    };
    m.sim.AnswerMessageBox(IDYES);
    m.Command(CmdQuit);
    EXPECT_EQ(savedAtClose, "mine.bmp");
    EXPECT_EQ(iconsAtClose, 2u);
    EXPECT_EQ(m.sim.ShownWallpaper(), "start.bmp");
    EXPECT_TRUE(m.sim.NotifyIcons().empty());
    EXPECT_TRUE(m.sim.QuitPosted());
    EXPECT_EQ(m.sim.QuitCode(), 0);
}

TEST(MainWindow, OneBackgroundToggleIsSavedAndStopsTheExchange) {
    Machine m;
    StartOnDesktop2WithItsOwnWallpaper(m);

    m.Command(CmdOneBackground);
    std::optional<SimValue> flag = m.sim.Value(HkeyCurrentUser(), SettingsPath, "Wallpaper");
    ASSERT_TRUE(flag.has_value());
    EXPECT_EQ(flag->type, REG_DWORD);
    EXPECT_EQ(flag->data, std::vector<std::uint8_t>{0});
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), DesktopPath(2), "Wallpaper")->Text(), "mine.bmp");
    EXPECT_EQ(m.sim.ShownWallpaper(), "start.bmp");
    // One background for all: switching leaves it alone.
    const std::size_t wallpaperCalls = m.sim.parameterCalls.size();
    m.Show(1);
    m.Show(2);
    for (std::size_t i = wallpaperCalls; i < m.sim.parameterCalls.size(); ++i)
        EXPECT_NE(m.sim.parameterCalls[i].action, SPI_SETDESKWALLPAPER);

    // Back to one background per desktop, from desktop 1: desktop 2 kept its own.
    m.Show(1);
    m.Command(CmdOneBackground);
    EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), SettingsPath, "Wallpaper")->data, std::vector<std::uint8_t>{1});
    m.Show(2);
    EXPECT_EQ(m.sim.ShownWallpaper(), "mine.bmp");
}

TEST(MainWindow, AboutBoxOpensOnceAndBlocksNothing) {
    Machine m;
    m.StoreDesktops({"Home", "Work"});
    m.Start();
    bool restoredAndActive = false;
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd box) {
        m.Show(2); // not blocked
        sim.ShowWindow(box, SW_MINIMIZE);
        m.Command(CmdAbout); // a second start, or About from the menu again
        restoredAndActive = !sim.IsMinimized(box) && sim.Active() == box;
        sim.SetActiveWindow(m.Window("Notes"));
        m.Command(CmdAbout);
        restoredAndActive = restoredAndActive && sim.Active() == box;
        sim.Click(box, IDOK);
    });
    m.Command(CmdAbout);
    ASSERT_EQ(m.sim.dialogRuns.size(), 1u);
    EXPECT_EQ(m.sim.dialogRuns[0].resource, 102);
    EXPECT_EQ(m.sim.dialogRuns[0].owner, m.app.MainWindow);
    EXPECT_TRUE(restoredAndActive);
    EXPECT_EQ(m.Current(), 2);

    // Closed, so the next request opens a new box.
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd box) { sim.CloseDialog(box); });
    m.Command(CmdAbout);
    EXPECT_EQ(m.sim.dialogRuns.size(), 2u);
    EXPECT_FALSE(m.sim.dialogRuns[1].cancelledByMachine);
}

TEST(MainWindow, CommandsNoMenuProducesChangeNothing) {
    Machine m;
    m.StoreDesktops({"Home", "Work", "Play"});
    Hwnd editor = m.Window("Editor");
    m.Start();
    const std::size_t notifies = m.sim.notifyCalls.size();
    const std::size_t calls = m.sim.registryCalls.size();
    // Next to each command and range, a fourth and a fifth desktop's (three exist), the unused end
    // of a desktop's range and of the last one's, and an entry far past the window table.
    const Uint none[] = {0u,
                         CmdAbout - 1,
                         CmdQuit + 1,
                         CmdCreateDesktop + 1,
                         CmdCreateDesktop + 3,
                         CmdOneBackground - 1,
                         CmdOneBackground + 1,
                         DesktopCommandId(1, DesktopHotKey) + 1,
                         DesktopCommandId(2, DesktopActivate) - 1,
                         DesktopCommandId(4, DesktopActivate),
                         DesktopCommandId(5, DesktopHotKey),
                         DesktopCommandId(MaxDesktops, DesktopHotKey) + 1,
                         CmdLastDesktopCommand + 1,
                         CmdFirstDisplayMode - 1,
                         CmdLastDisplayMode + 1,
                         1000u,
                         CmdFirstWindowCommand - 1,
                         WindowCommandId(500, 1)};
    for (Uint id : none) {
        m.Command(id);
    }
    EXPECT_EQ(m.sim.notifyCalls.size(), notifies);
    EXPECT_TRUE(ValuesSetSince(m, calls).empty());
    EXPECT_TRUE(m.sim.messageBoxes.empty());
    EXPECT_TRUE(m.sim.dialogRuns.empty());
    EXPECT_TRUE(m.sim.trackedMenus.empty());
    EXPECT_EQ(m.Current(), 1);
    EXPECT_EQ(m.app.DesktopCount(), 3);
    EXPECT_FALSE(m.sim.IsMinimized(editor));
    EXPECT_FALSE(m.sim.QuitPosted());
}

} // namespace
} // namespace q::test
