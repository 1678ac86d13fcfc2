// The floating window on the simulated machine: the row a resize snaps to, the rows kept when
// desktops come and go, the buttons, the tool tips and the completed system menu.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "engine/guards.h"
#include "tests/unit/machine.h"

namespace q::test {
namespace {

std::uint32_t StoredRows(const Machine &m) {
    auto value = m.sim.Value(HkeyCurrentUser(), SettingsPath, "RowsFloating");
    return value ? value->Number() : 0;
}

// A machine started in mode 3 with `count` desktops in `rows` rows (0: no stored row count).
void StartFloating(Machine &m, int count, int rows = 0) {
    std::vector<std::string> titles;
    for (int n = 1; n <= count; ++n)
        titles.push_back("D" + std::to_string(n));
    m.StoreDesktops(titles, 3);
    if (rows != 0)
        m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "RowsFloating", static_cast<std::uint32_t>(rows));
    m.Start();
}

Point Size(const Rect &r) {
    return {r.right - r.left, r.bottom - r.top};
}
Point Centre(const Rect &r) {
    return {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
}

// What a drag proposes and what the window made of it.
Rect Drag(Machine &m, Uint edge, std::int32_t width, std::int32_t height) {
    const Rect c = m.sim.Position(m.app.FloatingWindow);
    Rect p{c.left, c.top, c.left + width, c.top + height};
    m.sim.SendMessageA(m.app.FloatingWindow, WM_SIZING, edge, reinterpret_cast<Lparam>(&p));
    return p;
}

// The end of a drag: the window takes the rectangle it chose.
void Apply(Machine &m, const Rect &p) {
    m.sim.SetWindowPos(m.app.FloatingWindow, nullptr, p.left, p.top, p.right - p.left, p.bottom - p.top,
                       SWP_NOZORDER);
}

std::string Shown(const Machine &m) {
    std::string out;
    for (int n = 1; n <= MaxDesktops; ++n) {
        const auto id = static_cast<int>(ButtonCommand(n));
        if (!m.sim.ToolbarButtonHidden(m.app.Ui.FloatingToolbar, id))
            out += (m.sim.ToolbarButtonChecked(m.app.Ui.FloatingToolbar, id) ? "[" : "") + std::to_string(n) +
                   (m.sim.ToolbarButtonChecked(m.app.Ui.FloatingToolbar, id) ? "] " : " ");
    }
    return out;
}

TEST(FloatingWindow, FirstStartPlacesOneRowAtTheTopRightAndAStoredPlaceIsKeptWhileReachable) {
    Machine m;
    StartFloating(m, 3);
    const Rect r = m.sim.Position(m.app.FloatingWindow);
    EXPECT_EQ(r.right, sim::ScreenWidth);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(m.sim.ToolbarRows(m.app.Ui.FloatingToolbar), 1);
    EXPECT_EQ(Shown(m), "[1] 2 3 ");
    EXPECT_TRUE(m.sim.IsVisible(m.app.FloatingWindow));

    // Some of the caption in the work area: exactly where it was, also partly outside it or
    // over the taskbar. Caption out of reach (the frame alone does not count): as at a first
    // start.
    struct Case {
        std::int32_t x, y, left, top;
    };
    const std::int32_t height = Size(r).y;
    const std::int32_t right = sim::ScreenWidth - Size(r).x;
    for (Case c :
         {Case{300, 200, 300, 200}, Case{-500, 3000, right, 0}, Case{300, -height + 2, right, 0},
          Case{-20, 700, -20, 700}, Case{1000, -5, 1000, -5}, Case{300, 748 - sim::FrameWidth, right, 0},
          Case{sim::ScreenWidth - sim::FrameWidth, 300, right, 0}}) {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        Machine stored;
        stored.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "FloatingX", static_cast<std::uint32_t>(c.x));
        stored.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "FloatingY", static_cast<std::uint32_t>(c.y));
        StartFloating(stored, 3);
        EXPECT_EQ(stored.sim.Position(stored.app.FloatingWindow).left, c.left);
        EXPECT_EQ(stored.sim.Position(stored.app.FloatingWindow).top, c.top);
    }

    // The taskbar at the top: the first place is below it.
    Machine top;
    top.sim.workArea = Rect{0, 28, sim::ScreenWidth, 768};
    StartFloating(top, 2);
    EXPECT_EQ(top.sim.Position(top.app.FloatingWindow).top, 28);
    EXPECT_EQ(top.sim.Position(top.app.FloatingWindow).right, sim::ScreenWidth);
}

// The caption and the buttons: the window inside its frame.
Rect Inner(const Rect &r) {
    return Rect{r.left + sim::FrameWidth, r.top + sim::FrameWidth, r.right - sim::FrameWidth,
                r.bottom - sim::FrameWidth};
}

// The window at the top right, as a first start leaves it. A desktop more keeps the left edge
// and would push the window past the screen's edge: it moves left just enough for its caption
// and buttons; a deletion keeps the left edge where it is; a row change keeps the centre and
// moves only where the caption would leave the screen. In the middle of the screen nothing
// moves; at the bottom edge the window moves up just enough.
TEST(FloatingWindow, SizesTheProgramGivesKeepTheirAnchorAndMoveOnlyToStayReachable) {
    Machine m;
    StartFloating(m, 3);
    const Rect first = m.sim.Position(m.app.FloatingWindow);
    auto inside = [&](const char *what) {
        SCOPED_TRACE(what);
        const Rect r = m.sim.Position(m.app.FloatingWindow);
        const Rect in = Inner(r);
        EXPECT_GE(in.left, 0);
        EXPECT_LE(in.right, sim::ScreenWidth);
        EXPECT_GE(in.top, 0);
        EXPECT_LE(in.bottom, 748);
        EXPECT_EQ(Size(r).x, m.app.Ui.RowSizes[m.app.RowsFloating].width);
    };
    Rect p = Drag(m, WMSZ_BOTTOM, 10, m.app.Ui.RowSizes[3].height + 1);
    EXPECT_EQ(m.app.RowsFloating, 8);
    EXPECT_EQ(Inner(p).top, 0); // centred, it would begin above the screen
    EXPECT_LE(std::abs(Centre(p).x - Centre(first).x), 1);
    Apply(m, p);
    Apply(m, Drag(m, WMSZ_TOP, 10, 1));
    inside("back to one row");
    EXPECT_EQ(m.sim.Position(m.app.FloatingWindow).right, sim::ScreenWidth);
    for (int n = 4; n <= 8; ++n) {
        m.Command(CmdCreateDesktop);
        ASSERT_EQ(m.app.DesktopCount(), n);
        inside("created");
        EXPECT_EQ(Inner(m.sim.Position(m.app.FloatingWindow)).right, sim::ScreenWidth);
    }
    const Rect eight = m.sim.Position(m.app.FloatingWindow);
    m.Command(CmdDeleteCurrentDesktop);
    inside("deleted");
    EXPECT_EQ(m.sim.Position(m.app.FloatingWindow).left, eight.left);
    EXPECT_EQ(m.sim.Position(m.app.FloatingWindow).top, eight.top);

    Machine bottom;
    bottom.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "FloatingX", 300);
    StartFloating(bottom, 3, 3);
    const std::int32_t height = Size(bottom.sim.Position(bottom.app.FloatingWindow)).y;
    bottom.sim.SetWindowPos(bottom.app.FloatingWindow, nullptr, 300, 748 - height, 0, 0,
                            SWP_NOZORDER | SWP_NOSIZE);
    bottom.Command(CmdCreateDesktop);
    ASSERT_EQ(bottom.app.RowsFloating, 4);
    Rect r = bottom.sim.Position(bottom.app.FloatingWindow);
    EXPECT_EQ(Inner(r).bottom, 748);
    EXPECT_GT(Size(r).y, height);
    EXPECT_EQ(r.left, 300);
    r = Drag(bottom, WMSZ_RIGHT, 500, Size(r).y);
    EXPECT_LE(Inner(r).bottom, 748);
    EXPECT_EQ(bottom.app.RowsFloating, 1);

    Machine middle;
    middle.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "FloatingX", 300);
    middle.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "FloatingY", 200);
    StartFloating(middle, 3);
    middle.Command(CmdCreateDesktop);
    middle.Command(CmdCreateDesktop);
    r = middle.sim.Position(middle.app.FloatingWindow);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 200);
}

// A second monitor to the right of the primary one, taller and without a taskbar, and a third
// to its left: a place on either is kept at start-up and through every size, which moves the
// window only to keep it on the monitor it is on. Without monitors' calls (Windows 95, NT 4.0)
// or once the monitor is gone, the same place counts as out of reach.
TEST(FloatingWindow, APlaceOnAnyMonitorIsKeptAndSizesStayOnThatMonitor) {
    const std::vector<SimMachine::Monitor> monitors = {
        {Rect{0, 0, 1024, 768}, Rect{0, 0, 1024, 748}},
        {Rect{1024, 0, 2304, 1024}, Rect{1024, 0, 2304, 1024}},
        {Rect{-1280, 0, 0, 1024}, Rect{-1280, 0, 0, 1024}},
    };
    auto started = [&](Machine &m, std::int32_t x, std::int32_t y, bool withMonitors, int rows = 0) {
        if (withMonitors) m.sim.monitors = monitors;
        m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "FloatingX", static_cast<std::uint32_t>(x));
        m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "FloatingY", static_cast<std::uint32_t>(y));
        StartFloating(m, 3, rows);
        return m.sim.Position(m.app.FloatingWindow);
    };
    {
        Machine m;
        m.sim.monitors = monitors;
        EXPECT_EQ(m.sim.GetSystemMetrics(SM_XVIRTUALSCREEN), -1280);
        EXPECT_EQ(m.sim.GetSystemMetrics(SM_CXVIRTUALSCREEN), 2304 + 1280);
        EXPECT_EQ(m.sim.GetSystemMetrics(SM_CYVIRTUALSCREEN), 1024);
    }

    // Partly past the second monitor's right edge and below the primary screen's bottom: kept.
    Machine m;
    Rect r = started(m, 2250, 950, true);
    EXPECT_EQ(r.left, 2250);
    EXPECT_EQ(r.top, 950);
    const std::int32_t width = Size(r).x;
    ASSERT_GT(Inner(r).right, 2304);
    ASSERT_LE(Inner(r).bottom, 1024);
    m.Command(
        CmdCreateDesktop); // the left edge kept would leave the buttons past the edge: left, just enough
    r = m.sim.Position(m.app.FloatingWindow);
    EXPECT_GT(Size(r).x, width);
    EXPECT_EQ(Inner(r).right, 2304);
    EXPECT_EQ(r.top, 950);
    const Rect four = r;
    m.Command(CmdDeleteCurrentDesktop);
    r = m.sim.Position(m.app.FloatingWindow);
    EXPECT_EQ(r.left, four.left);
    EXPECT_EQ(r.top, 950);
    Rect p = Drag(m, WMSZ_BOTTOM, 10, m.app.Ui.RowSizes[3].height + 1); // taller, centred: up just enough
    EXPECT_EQ(m.app.RowsFloating, 8);
    EXPECT_EQ(Inner(p).bottom, 1024);
    EXPECT_GE(Inner(p).left, 1024);
    EXPECT_LE(Inner(p).right, 2304);

    Machine left;
    r = started(left, -700, 950, true, 1);
    EXPECT_EQ(r.left, -700);
    EXPECT_EQ(r.top, 950);
    left.Command(CmdCreateDesktop);
    r = left.sim.Position(left.app.FloatingWindow);
    EXPECT_EQ(r.left, -700);
    EXPECT_EQ(r.top, 950);
    EXPECT_LE(Inner(r).right, 0);

    // No virtual screen, or no monitor there any more: the top right of the primary screen.
    for (bool withMonitors : {false, true}) {
        Machine gone;
        if (withMonitors) gone.sim.monitors = {monitors[0]};
        r = started(gone, 2100, 900, false);
        EXPECT_EQ(r.right, sim::ScreenWidth);
        EXPECT_EQ(r.top, 0);
    }
}

// Alt+F4 or another program's WM_CLOSE would leave the user without the desktops' buttons.
TEST(FloatingWindow, CloseLeavesTheWindow) {
    Machine m;
    StartFloating(m, 2);
    m.sim.SendMessageA(m.app.FloatingWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(m.sim.IsWindow(m.app.FloatingWindow));
    EXPECT_TRUE(m.sim.IsVisible(m.app.FloatingWindow));
}

TEST(FloatingWindow, SizingSnapsToTheRowSizesByWidthOrHeightCentredAndSaved) {
    Machine m;
    m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "FloatingX", 400);
    m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "FloatingY", 300);
    StartFloating(m, 3);
    const RowSize(&s)[MaxDesktops + 2] = m.app.Ui.RowSizes;
    EXPECT_EQ(s[0].width, 0);
    EXPECT_EQ(s[9].height, 0);
    for (int r = 4; r <= 8; ++r)
        EXPECT_EQ(Size({0, 0, s[r].width, s[r].height}).x, s[3].width);
    EXPECT_GT(s[1].width, s[2].width);
    EXPECT_GT(s[2].width, s[3].width);

    const Point centre = Centre(m.sim.Position(m.app.FloatingWindow));
    // The height decides for the top and bottom edges: just above the 3-row height is 8 rows.
    Rect p = Drag(m, WMSZ_BOTTOM, 10, s[3].height + 1);
    EXPECT_EQ(m.app.RowsFloating, 8);
    EXPECT_EQ(StoredRows(m), 8u);
    EXPECT_EQ(Size(p).x, s[8].width);
    EXPECT_EQ(Size(p).y, s[8].height);
    EXPECT_LE(std::abs(Centre(p).x - centre.x), 1);
    EXPECT_LE(std::abs(Centre(p).y - centre.y), 1);
    Drag(m, WMSZ_TOP, 10, s[3].height);
    EXPECT_EQ(m.app.RowsFloating, 3);
    Drag(m, WMSZ_TOP, 10, 1); // below the one-row height counts as it
    EXPECT_EQ(m.app.RowsFloating, 1);

    // The width decides for the sides and corners; a threshold goes on to the next candidate.
    const std::int32_t mid12 = s[2].width + (s[1].width - s[2].width) / 2;
    const std::int32_t mid23 = s[3].width + (s[2].width - s[3].width) / 2;
    Drag(m, WMSZ_LEFT, mid12 + 1, 500);
    EXPECT_EQ(m.app.RowsFloating, 1);
    Drag(m, WMSZ_RIGHT, mid12, 1);
    EXPECT_EQ(m.app.RowsFloating, 2);
    Drag(m, WMSZ_BOTTOMRIGHT, mid23, 1);
    EXPECT_EQ(m.app.RowsFloating, 3);
    Drag(m, WMSZ_TOPLEFT, s[3].width + 1, 1);
    EXPECT_EQ(m.app.RowsFloating, 3);
    p = Drag(m, WMSZ_BOTTOMLEFT, s[8].width, 1);
    EXPECT_EQ(m.app.RowsFloating, 8);
    EXPECT_EQ(Size(p).x, s[8].width);

    // Any other edge leaves the proposal and the row count, and still saves.
    m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "RowsFloating", 5);
    p = Drag(m, 0, 77, 66);
    EXPECT_EQ(Size(p).x, 77);
    EXPECT_EQ(m.app.RowsFloating, 8);
    EXPECT_EQ(StoredRows(m), 8u);
}

TEST(FloatingWindow, AddingAndDeletingDesktopsKeepRowsButtonsAndSize) {
    struct Case {
        int count, rows;
        bool add;
        int rowsAfter;
    };
    // A single column grows by a row; several buttons per row keep the rows; a deletion drops
    // a row when the rest fit in one row fewer.
    for (Case c : {Case{3, 3, true, 4}, Case{4, 2, true, 2}, Case{3, 8, true, 4}, Case{3, 2, false, 1},
                   Case{4, 2, false, 2}, Case{3, 3, false, 2}}) {
        SCOPED_TRACE(std::to_string(c.count) + " desktops in " + std::to_string(c.rows) + " rows, " +
                     (c.add ? "add" : "delete"));
        Machine m;
        StartFloating(m, c.count, c.rows);
        m.Command(c.add ? 110 : 112);
        ASSERT_EQ(m.app.DesktopCount(), c.count + (c.add ? 1 : -1));
        EXPECT_EQ(m.app.RowsFloating, c.rowsAfter);
        EXPECT_EQ(StoredRows(m), static_cast<std::uint32_t>(c.rowsAfter));
        EXPECT_EQ(m.sim.ToolbarRows(m.app.Ui.FloatingToolbar),
                  LaidOutRows(m.app.DesktopCount(), c.rowsAfter));
        const Rect r = m.sim.Position(m.app.FloatingWindow);
        EXPECT_EQ(Size(r).x, m.app.Ui.RowSizes[c.rowsAfter].width);
        EXPECT_EQ(Size(r).y, m.app.Ui.RowSizes[c.rowsAfter].height);
        EXPECT_TRUE(m.sim.IsVisible(m.app.FloatingWindow));
    }
}

TEST(FloatingWindow, ButtonsFollowSwitchesDeletionsAndAdditionsInEveryMode) {
    Machine m;
    m.StoreDesktops({"D1", "D2", "D3"}, 1);
    m.Start();
    EXPECT_FALSE(m.sim.IsVisible(m.app.FloatingWindow));
    m.Show(3);
    EXPECT_EQ(Shown(m), "1 2 [3] ");
    m.Command(CmdDeleteCurrentDesktop); // the shown last desktop
    EXPECT_EQ(Shown(m), "1 [2] ");
    EXPECT_FALSE(m.sim.IsVisible(m.app.FloatingWindow)); // hidden while resized, shown only in mode 3
    m.Command(CmdCreateDesktop);
    EXPECT_EQ(Shown(m), "1 [2] 3 ");
    EXPECT_EQ(m.sim.ToolbarRows(m.app.Ui.FloatingToolbar), 1);
    m.Command(DisplayModeCommand(DisplayFloating));
    EXPECT_TRUE(m.sim.IsVisible(m.app.FloatingWindow));
    EXPECT_EQ(Size(m.sim.Position(m.app.FloatingWindow)).x, m.app.Ui.RowSizes[1].width);
}

TEST(FloatingWindow, ButtonClicksAskTheMainWindowToSwitchUnlessADialogIsOpen) {
    Machine m;
    StartFloating(m, 3);
    Hwnd a = m.Window("A");
    m.sim.SendMessageA(m.app.FloatingWindow, WM_COMMAND, ButtonCommand(3), 0);
    EXPECT_EQ(m.Current(), 1); // posted, not sent
    m.sim.PumpMessages();
    EXPECT_EQ(m.Current(), 3);
    EXPECT_TRUE(m.sim.IsMinimized(a));
    EXPECT_EQ(Shown(m), "1 2 [3] ");

    {
        const BorrowedCurrentDesktop dialog(m.app, 3); // as the Rename dialog of desktop 3 holds it
        m.sim.SendMessageA(m.app.FloatingWindow, WM_COMMAND, ButtonCommand(1), 0);
        m.sim.PumpMessages();
        EXPECT_EQ(m.Current(), 3);
    }
    m.sim.SendMessageA(m.app.FloatingWindow, WM_COMMAND, ButtonCommand(1), 0);
    m.sim.PumpMessages();
    EXPECT_EQ(m.Current(), 1);
    EXPECT_FALSE(m.sim.IsMinimized(a));
}

TEST(FloatingWindow, ToolTipsReadTheTitleAfreshAndOnlyForExistingDesktops) {
    Machine m;
    StartFloating(m, 2);
    ToolTipTextA tip{};
    tip.hdr.code = static_cast<Uint>(TTN_NEEDTEXTA);
    tip.hdr.idFrom = ButtonCommand(2);
    m.sim.SendMessageA(m.app.FloatingWindow, WM_NOTIFY, ButtonCommand(2), reinterpret_cast<Lparam>(&tip));
    ASSERT_NE(tip.lpszText, nullptr);
    EXPECT_STREQ(tip.lpszText, "D2");
    std::strcpy(m.app.Record(2).DesktopTitle, "Mail");
    m.sim.SendMessageA(m.app.FloatingWindow, WM_NOTIFY, ButtonCommand(2), reinterpret_cast<Lparam>(&tip));
    EXPECT_STREQ(tip.lpszText, "Mail");

    ToolTipTextA beyond{};
    beyond.hdr.code = static_cast<Uint>(TTN_NEEDTEXTA);
    beyond.hdr.idFrom = ButtonCommand(8);
    m.sim.SendMessageA(m.app.FloatingWindow, WM_NOTIFY, ButtonCommand(8), reinterpret_cast<Lparam>(&beyond));
    EXPECT_EQ(beyond.lpszText, nullptr);
}

TEST(FloatingWindow, SystemMenuIsCompletedOnceAndItsCommandsAct) {
    for (int language : {100, 0}) {
        Machine m;
        m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "Language", static_cast<std::uint32_t>(language));
        m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "TopMost", 0);
        StartFloating(m, 2);
        Hmenu system = m.sim.SystemMenu(m.app.FloatingWindow);
        ASSERT_NE(system, nullptr);
        // The system's own commands (SC_MOVE, SC_SIZE and above) by their numbers, ours by name.
        const auto systemName = [](Uint id) {
            return id >= sim::SC_SIZE ? std::to_string(id) : CommandName(id);
        };
        const std::string english =
            "&Move =61456\n&Size =61440\n-\n&Always on top =AlwaysOnTop\n-\n"
            "&Desktops displaying >\n  In the &tasks bar =DisplayTaskBar\n  In this &menu =DisplayMenu\n"
            "  [x] In a &floating window =DisplayFloating\n-\n";
        const std::string french =
            "&Move =61456\n&Size =61440\n-\nToujours &visible =AlwaysOnTop\n-\n"
            "Affichage des b&ureaux >\n  Dans la &barre des t\xc3\xa2"
            "ches =DisplayTaskBar\n"
            "  Dans le &menu =DisplayMenu\n  [x] Dans une &fen\xc3\xaatre flottante =DisplayFloating\n-\n";
        EXPECT_EQ(Utf8(m.sim.Snapshot(system).Describe(systemName)), language == 100 ? english : french);

        // "Always on top" toggles the style and the tick; the next save of any kind stores it.
        m.sim.SendMessageA(m.app.FloatingWindow, WM_SYSCOMMAND, CmdAlwaysOnTop, 0);
        EXPECT_TRUE(m.sim.GetWindowLongA(m.app.FloatingWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(m.sim.Snapshot(system).items[3].Checked());
        EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), SettingsPath, "TopMost")->Number(), 0u);
        m.sim.SetWindowPos(m.app.FloatingWindow, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), SettingsPath, "TopMost")->Number(), 8u);
        EXPECT_EQ(m.sim.Value(HkeyCurrentUser(), SettingsPath, "FloatingX")->Number(), 40u);
        m.sim.SendMessageA(m.app.FloatingWindow, WM_SYSCOMMAND, CmdAlwaysOnTop, 0);
        EXPECT_FALSE(m.sim.GetWindowLongA(m.app.FloatingWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_FALSE(m.sim.Snapshot(system).items[3].Checked());

        // The mode commands reach the main window, as system commands or plain ones.
        m.sim.SendMessageA(m.app.FloatingWindow, WM_SYSCOMMAND, DisplayModeCommand(DisplayMenu), 0);
        EXPECT_EQ(m.app.DisplayMode, 2);
        EXPECT_FALSE(m.sim.IsVisible(m.app.FloatingWindow));
        m.sim.SendMessageA(m.app.FloatingWindow, WM_COMMAND, DisplayModeCommand(DisplayFloating), 0);
        EXPECT_EQ(m.app.DisplayMode, 3);
        EXPECT_TRUE(m.sim.IsVisible(m.app.FloatingWindow));
    }
}

} // namespace
} // namespace q::test
