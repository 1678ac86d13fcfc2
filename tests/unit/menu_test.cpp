// The command menu as the user sees it after a right click, and what its items do.
#include "machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q::test {
namespace {

// Picks the command at the end of a path of item texts, as the user would click it.
void ChooseByText(Machine &m, std::vector<std::string> path) {
    m.sim.menuChooser = [path](SimMachine &sim, Hmenu menu) { return sim.Snapshot(menu).CommandAt(path); };
}

// A desktop's submenu as its texts and states, e.g. "(grey) &Delete".
std::vector<std::string> Items(const SimMenuItem *popup) {
    std::vector<std::string> texts;
    if (popup == nullptr) return texts;
    for (const SimMenuItem &item : popup->items)
        texts.push_back(item.Separator() ? "-" : std::string(item.Greyed() ? "(grey) " : "") + item.text);
    return texts;
}

TEST(CommandMenu, TaskBarModeShowsTheClickedDesktopAndEveryVisibleWindow) {
    Machine m;
    m.StoreDesktops({"Home", "Work", "Play"});
    Hwnd editor = m.Window("Editor");
    Hwnd mail = m.Window("Mail");
    m.Window("Hidden", WS_OVERLAPPEDWINDOW);
    Hwnd clock = m.Window("Clock");
    m.Start();
    m.Send(UM_MOVETODESKTOP, reinterpret_cast<Wparam>(mail), 2);
    m.Send(UM_SETSTICKY, reinterpret_cast<Wparam>(clock), 1);
    ASSERT_TRUE(m.sim.IsMinimized(mail));
    // The table holds the windows as first enumerated, top first: Clock, Hidden, Mail, Editor.
    ASSERT_EQ(m.app.Windows.Entries[3].Window, editor);

    EXPECT_EQ(m.OpenMenu(2).Describe(CommandName), R"(Work >
  Activate =Activate(2)
  -
  &Rename =Rename(2)
  &Delete =Delete(2)
  Define the &hot key =HotKey(2)
-
&Create a new desktop =CreateDesktop
-
&Applications >
  Clock >
    [x] &Sticky =Sticky(0)
    -
    Home =ToDesktop(0, 1)
    Work =ToDesktop(0, 2)
    Play =ToDesktop(0, 3)
  Mail >
    &Sticky =Sticky(2)
    -
    Home =ToDesktop(2, 1)
    [x] Work =ToDesktop(2, 2)
    Play =ToDesktop(2, 3)
  Editor >
    &Sticky =Sticky(3)
    -
    [x] Home =ToDesktop(3, 1)
    Work =ToDesktop(3, 2)
    Play =ToDesktop(3, 3)
-
&Only one background =OneBackground
&Desktops displaying >
  [x] In the &tasks bar =DisplayTaskBar
  In this &menu =DisplayMenu
  In a &floating window =DisplayFloating
-
&About... =About
&Quit =Quit
)");

    // The shown desktop's own item: in bold, and nothing to activate.
    SimMenuSnapshot own = m.OpenMenu(1);
    ASSERT_FALSE(own.items.empty());
    EXPECT_TRUE(own.items[0].Default());
    EXPECT_EQ(own.items[0].text, "Home");
    EXPECT_EQ(Items(&own.items[0]), (std::vector<std::string>{"&Rename", "&Delete", "Define the &hot key"}));
}

TEST(CommandMenu, MenuAndFloatingModesListEveryDesktopInOrderWithTheShownOneBold) {
    for (int mode = 2; mode <= 3; ++mode) {
        SCOPED_TRACE("display mode " + std::to_string(mode));
        Machine m;
        m.StoreDesktops({"A", "B", "C"}, mode);
        m.Start();
        m.Show(2);
        ASSERT_TRUE(m.sim.ClickNotifyIcon(m.app.MainWindow, 0, true));
        ASSERT_EQ(m.sim.trackedMenus.size(), 1u);
        const SimMenuSnapshot &menu = m.sim.trackedMenus[0].shown;

        EXPECT_EQ(menu.Texts(),
                  (std::vector<std::string>{"A", "B", "C", "-", "&Create a new desktop", "-", "&Applications",
                                            "-", "&Only one background", "&Desktops displaying", "-",
                                            "&About...", "&Quit"}));
        EXPECT_FALSE(menu.items[0].Default());
        EXPECT_TRUE(menu.items[1].Default());
        EXPECT_FALSE(menu.items[2].Default());
        EXPECT_EQ(Items(menu.Find({"A"})),
                  (std::vector<std::string>{"Activate", "-", "&Rename", "&Delete", "Define the &hot key"}));
        EXPECT_EQ(Items(menu.Find({"B"})),
                  (std::vector<std::string>{"&Rename", "&Delete", "Define the &hot key"}));
        EXPECT_EQ(menu.CommandAt({"C", "Activate"}), DesktopCommandId(3, DesktopActivate));
        EXPECT_EQ(menu.CommandAt({"C", "Define the &hot key"}), DesktopCommandId(3, DesktopHotKey));
        for (int shown = DisplayTaskBar; shown <= DisplayFloating; ++shown)
            EXPECT_EQ(menu.FindCommand(DisplayModeCommand(shown))->Checked(), shown == mode) << shown;
    }
}

TEST(CommandMenu, GreyingAndCheckMarksFollowTheDesktopCountAndTheBackgroundOption) {
    const std::vector<std::string> titles = {"D1", "D2", "D3", "D4", "D5", "D6", "D7", "D8"};
    for (int count : {2, 3, 7, 8}) {
        SCOPED_TRACE(std::to_string(count) + " desktops");
        Machine m;
        m.StoreDesktops(std::vector<std::string>(titles.begin(), titles.begin() + count), 2);
        m.Start();
        SimMenuSnapshot menu = m.OpenMenu(1);
        EXPECT_EQ(menu.FindCommand(CmdCreateDesktop)->Greyed(), count == 8);
        // The template has the check mark; one background per desktop clears it.
        EXPECT_FALSE(menu.FindCommand(CmdOneBackground)->Checked());
        for (int n = 1; n <= count; ++n) {
            SCOPED_TRACE("desktop " + std::to_string(n));
            const SimMenuItem *desktop = menu.Find({titles[static_cast<std::size_t>(n) - 1]});
            ASSERT_NE(desktop, nullptr);
            for (const SimMenuItem &item : desktop->items)
                if (!item.Separator()) {
                    EXPECT_EQ(item.Greyed(), item.text == "&Delete" && count == 2) << item.text;
                }
        }
        m.Command(CmdOneBackground);
        EXPECT_TRUE(m.OpenMenu(1).FindCommand(CmdOneBackground)->Checked());
    }
}

TEST(CommandMenu, IsDestroyedAfterEveryOpening) {
    Machine m;
    m.StoreDesktops({"Home", "Work", "Play"});
    m.Window("Editor");
    m.Window("Mail");
    m.Start();
    m.sim.SetCursor({300, 200});
    const std::size_t live = m.sim.LiveMenuCount();

    m.OpenMenu(1);
    EXPECT_EQ(m.sim.LiveMenuCount(), live);
    m.sim.ChooseMenuCommand(DisplayModeCommand(DisplayMenu));
    m.OpenMenu(2);
    EXPECT_EQ(m.app.DisplayMode, 2);
    m.OpenMenu(1);
    EXPECT_EQ(m.sim.LiveMenuCount(), live);
    ASSERT_EQ(m.sim.trackedMenus.size(), 3u);
    for (const SimTrackedMenu &tracked : m.sim.trackedMenus) {
        // At the cursor, with the main window in front so that a click elsewhere dismisses it.
        EXPECT_EQ(tracked.x, 300);
        EXPECT_EQ(tracked.y, 200);
        EXPECT_TRUE(tracked.ownerWasForeground);
        EXPECT_FALSE(m.sim.IsMenu(tracked.menu));
    }
}

TEST(CommandMenu, ChosenItemsSwitchMoveAndStickWindows) {
    Machine m;
    m.StoreDesktops({"A", "B", "C"});
    Hwnd editor = m.Window("Editor");
    Hwnd mail = m.Window("Mail");
    m.Start();

    ChooseByText(m, {"B", "Activate"});
    m.OpenMenu(2);
    EXPECT_EQ(m.Current(), 2);
    EXPECT_TRUE(m.sim.IsMinimized(editor));
    m.Show(1);

    // Sent to another desktop: minimised at once.
    ChooseByText(m, {"&Applications", "Mail", "B"});
    m.OpenMenu(1);
    EXPECT_EQ(m.Current(), 1);
    EXPECT_TRUE(m.sim.IsMinimized(mail));
    EXPECT_FALSE(m.sim.IsMinimized(editor));
    m.sim.menuChooser = nullptr;
    SimMenuSnapshot menu = m.OpenMenu(1);
    EXPECT_TRUE(menu.Find({"&Applications", "Mail", "B"})->Checked());
    EXPECT_FALSE(menu.Find({"&Applications", "Mail", "A"})->Checked());

    // Sticky: back on the shown desktop, and on every other one.
    ChooseByText(m, {"&Applications", "Mail", "&Sticky"});
    m.OpenMenu(1);
    EXPECT_FALSE(m.sim.IsMinimized(mail));
    m.sim.menuChooser = nullptr;
    menu = m.OpenMenu(1);
    EXPECT_TRUE(menu.Find({"&Applications", "Mail", "&Sticky"})->Checked());
    for (const char *desktop : {"A", "B", "C"})
        EXPECT_FALSE(menu.Find({"&Applications", "Mail", desktop})->Checked()) << desktop;
    m.Show(3);
    EXPECT_FALSE(m.sim.IsMinimized(mail));
    EXPECT_TRUE(m.sim.IsMinimized(editor));

    // Sent to a desktop again, it is sticky no more.
    ChooseByText(m, {"&Applications", "Mail", "C"});
    m.OpenMenu(3);
    m.Show(1);
    EXPECT_TRUE(m.sim.IsMinimized(mail));
}

TEST(CommandMenu, FrenchTextsWhenTheLanguageIsFrench) {
    Machine m;
    m.sim.SetUserDefaultLCID(0x040C);
    m.Window("Lettre");
    m.Start();
    ASSERT_EQ(m.app.LanguageBase, 0);
    EXPECT_EQ(Utf8(m.OpenMenu(2).Describe(CommandName)), R"(Bureau 2 >
  Activer =Activate(2)
  -
  &Renommer =Rename(2)
  (grey) &Supprimer =Delete(2)
  Définir le racc&ourci =HotKey(2)
-
&Créer un nouveau bureau =CreateDesktop
-
&Applications >
  Lettre >
    &Affiché dans tous les bureaux =Sticky(0)
    -
    [x] Bureau 1 =ToDesktop(0, 1)
    Bureau 2 =ToDesktop(0, 2)
-
&Fond d'écran unique =OneBackground
Affichage des b&ureaux >
  [x] Dans la &barre des tâches =DisplayTaskBar
  Dans le &menu =DisplayMenu
  Dans une &fenêtre flottante =DisplayFloating
-
A &Propos... =About
&Quitter =Quit
)");
}

TEST(CommandMenu, ApplicationsItemsKeepTheirTitlesShortAndTheirIdentifiersInSixteenBits) {
    Machine m;
    m.StoreDesktops({"A", "B"});
    const std::string longTitle(200, 'x');
    Hwnd first = m.Window(longTitle.c_str()); // enumerated last, so at the end of the table
    m.Window("");
    for (int i = 0; i < 4100; ++i)
        m.Window(("W" + std::to_string(i)).c_str());
    m.Start();
    m.sim.recordCalls = false;

    SimMenuSnapshot menu = m.OpenMenu(1);
    const SimMenuItem *applications = menu.Find({"&Applications"});
    ASSERT_NE(applications, nullptr);
    // Most windows are listed, but none whose command would not fit WM_COMMAND's low word.
    EXPECT_GT(applications->items.size(), 4000u);
    EXPECT_LT(applications->items.size(), 4102u);
    Uint highest = 0;
    for (const SimMenuItem &window : applications->items)
        for (const SimMenuItem &item : window.items)
            highest = std::max(highest, item.id);
    EXPECT_LE(highest, 0xFFFFu);

    // The last listed window's last item sends that window, and no other, to desktop 2.
    const SimMenuItem &last = applications->items.back();
    const Uint command = last.items.back().id;
    const Hwnd target = m.app.Windows.Entries[WindowIndexOfCommand(command)].Window;
    EXPECT_EQ(m.sim.WindowText(target), last.text);
    m.Command(command);
    EXPECT_TRUE(m.sim.IsMinimized(target));
    EXPECT_FALSE(m.sim.IsMinimized(first));

    // Titles are cut at 127 characters; an empty one gives an empty item.
    Machine small;
    small.Window(longTitle.c_str());
    small.Window("");
    small.Start();
    SimMenuSnapshot shortMenu = small.OpenMenu(1);
    const SimMenuItem *listed = shortMenu.Find({"&Applications"});
    ASSERT_NE(listed, nullptr);
    ASSERT_EQ(listed->items.size(), 2u);
    EXPECT_EQ(listed->items[0].text, "");
    EXPECT_EQ(listed->items[1].text, longTitle.substr(0, 127));
}

} // namespace
} // namespace q::test
