// The simulated Windows's own rules. The unit tests are only as good as these: each case here
// is a behaviour of Windows (or Wine) that the program relies on.
#include "tests/sim/sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace q {
namespace {

constexpr std::uint32_t Overlapped = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr Uint F2 = VK_F1 + 1, F3 = VK_F1 + 2, F4 = VK_F1 + 3, F5 = VK_F1 + 4;

bool SameRect(Rect a, Rect b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::vector<Hwnd> Walk(SimMachine &sim) {
    std::vector<Hwnd> seen;
    for (Hwnd w = sim.GetTopWindow(nullptr); w != nullptr; w = sim.GetWindow(w, GW_HWNDNEXT))
        seen.push_back(w);
    return seen;
}

// ---- Windows ----

TEST(SimWindows, MinimiseKeepsTheWindowVisibleAndRestoreBringsItBackOnTop) {
    SimMachine sim;
    const Rect placeA = {10, 20, 310, 220};
    Hwnd a = sim.CreateWindow("Notepad", "A", Overlapped, 0, placeA);
    Hwnd b = sim.CreateWindow("Notepad", "B");
    EXPECT_EQ(sim.Active(), b);

    EXPECT_TRUE(sim.ShowWindow(b, SW_MINIMIZE)); // was visible
    EXPECT_TRUE(sim.IsWindowVisible(b));
    EXPECT_TRUE(sim.IsIconic(b));
    EXPECT_TRUE(sim.GetWindowLongA(b, GWL_STYLE) & WS_MINIMIZE);
    EXPECT_EQ(sim.ZOrder(), (std::vector<Hwnd>{a, b}));
    EXPECT_EQ(sim.Active(), a);

    EXPECT_TRUE(sim.ShowWindow(a, SW_MINIMIZE));
    EXPECT_EQ(sim.Active(), nullptr);
    Rect iconic = {};
    sim.GetWindowRect(a, &iconic);
    EXPECT_EQ(iconic.left, sim::IconicX);

    sim.ShowWindow(a, SW_RESTORE);
    EXPECT_FALSE(sim.IsIconic(a));
    EXPECT_FALSE(sim.GetWindowLongA(a, GWL_STYLE) & WS_MINIMIZE);
    EXPECT_TRUE(SameRect(sim.Position(a), placeA));
    EXPECT_EQ(sim.ZOrder().front(), a);
    EXPECT_EQ(sim.Active(), a);
}

TEST(SimWindows, ParkedWindowSitsAwayButRestoresToItsNormalPlace) {
    SimMachine sim;
    const Rect place = {50, 60, 250, 160};
    Hwnd popup = sim.CreateWindow("Popup", "P", WS_POPUP | WS_VISIBLE, 0, place);
    Hwnd other = sim.CreateWindow("Notepad", "O");

    sim.ShowWindow(popup, SW_MINIMIZE);
    const std::vector<Hwnd> before = sim.ZOrder();
    EXPECT_TRUE(sim.SetWindowPos(popup, nullptr, 3000, 3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    Rect parked = {};
    sim.GetWindowRect(popup, &parked);
    EXPECT_EQ(parked.left, 3000);
    EXPECT_EQ(parked.top, 3000);
    EXPECT_TRUE(sim.IsIconic(popup));
    EXPECT_EQ(sim.ZOrder(), before);
    EXPECT_TRUE(SameRect(sim.NormalPosition(popup), place));

    sim.ShowWindow(popup, SW_RESTORE);
    EXPECT_TRUE(SameRect(sim.Position(popup), place));
    EXPECT_EQ(sim.ZOrder(), (std::vector<Hwnd>{popup, other}));

    // A window that is not minimised moves for good.
    sim.SetWindowPos(other, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    sim.ShowWindow(other, SW_MINIMIZE);
    sim.ShowWindow(other, SW_RESTORE);
    EXPECT_EQ(sim.Position(other).left, 5);
    EXPECT_EQ(sim.Position(other).top, 6);
}

// What some programs do with a minimised window, as Wine's Task Manager and tray programs do.
TEST(SimWindows, OwnersThatHideOrRefuseAMinimisedWindow) {
    SimMachine sim;
    const Rect place = {50, 60, 250, 160};
    Hwnd hider = sim.CreateWindow("Tray", "H");
    Hwnd refuser = sim.CreateWindow("Popup", "R", WS_POPUP | WS_VISIBLE, 0, place);
    sim.SetHabit(hider, SimMachine::Habit::HideWhenMinimized);
    sim.SetHabit(refuser, SimMachine::Habit::RefuseMinimize);

    EXPECT_TRUE(sim.ShowWindow(hider, SW_MINIMIZE));
    EXPECT_FALSE(sim.IsWindowVisible(hider));
    EXPECT_TRUE(sim.IsIconic(hider));  // hidden, still minimised
    sim.ShowWindow(hider, SW_RESTORE); // from its tray icon
    EXPECT_TRUE(sim.IsWindowVisible(hider));
    EXPECT_FALSE(sim.IsIconic(hider));

    sim.ShowWindow(refuser, SW_MINIMIZE);
    EXPECT_FALSE(sim.IsIconic(refuser));
    EXPECT_TRUE(SameRect(sim.Position(refuser), place));
    // Moved while restored, it comes back there from the next minimise.
    sim.SetWindowPos(refuser, nullptr, 3000, 3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    sim.ShowWindow(refuser, SW_MINIMIZE);
    EXPECT_EQ(sim.Position(refuser).left, 3000);
    EXPECT_EQ(sim.Active(), refuser);
}

// Windows' rules for owned windows: a Find box goes down and comes up with its Notepad, in
// the state it had (a minimised one comes back minimised), stays above it, and has no taskbar
// button; one its program hid before stays hidden.
TEST(SimWindows, OwnedWindowsGoDownAndComeUpWithTheirOwner) {
    SimMachine sim;
    Hwnd owner = sim.CreateWindow("Notepad", "N");
    Hwnd find =
        sim.CreateWindow("Dialog", "Find", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {50, 60, 250, 160}, owner);
    Hwnd about =
        sim.CreateWindow("Dialog", "About", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, {0, 0, 90, 90}, owner);
    Hwnd kept = sim.CreateWindow("Dialog", "Replace", WS_POPUP | WS_CAPTION, 0, {0, 0, 90, 90}, owner);
    Hwnd other = sim.CreateWindow("App", "O");
    EXPECT_EQ(sim.GetWindowThreadProcessId(find), sim.GetWindowThreadProcessId(owner));
    EXPECT_EQ(sim.GetWindow(find, sim::GW_OWNER), owner);
    EXPECT_TRUE(sim.HasTaskbarButton(owner));
    EXPECT_FALSE(sim.HasTaskbarButton(find));
    EXPECT_FALSE(sim.HasTaskbarButton(kept));
    Hwnd tool = sim.CreateWindow("Tool", "T", Overlapped, WS_EX_TOOLWINDOW);
    Hwnd app = sim.CreateWindow("Tool", "A", Overlapped, WS_EX_APPWINDOW, {0, 0, 9, 9}, owner);
    EXPECT_FALSE(sim.HasTaskbarButton(tool));
    EXPECT_TRUE(sim.HasTaskbarButton(app));
    sim.DestroyWindow(app);

    // Raised, the owner brings its owned windows with it, above itself.
    sim.SetActiveWindow(owner);
    EXPECT_EQ(Walk(sim), (std::vector<Hwnd>{kept, about, find, owner, tool, other}));
    sim.ShowWindow(about, SW_MINIMIZE);
    const auto below = Walk(sim);
    EXPECT_LT(std::find(below.begin(), below.end(), about), std::find(below.begin(), below.end(), owner));

    sim.messages.clear();
    sim.ShowWindow(owner, SW_MINIMIZE);
    for (Hwnd h : {find, about}) {
        EXPECT_FALSE(sim.IsWindowVisible(h));
        EXPECT_TRUE(sim.HiddenWithOwner(h));
        ASSERT_EQ(sim.CountMessages(h, sim::WM_SHOWWINDOW), 1u);
    }
    EXPECT_EQ(sim.CountMessages(kept, sim::WM_SHOWWINDOW), 0u);
    const auto closing = std::find_if(sim.messages.begin(), sim.messages.end(),
                                      [&](const SimMessage &m) { return m.window == find; });
    EXPECT_EQ(closing->wParam, 0u);
    EXPECT_EQ(closing->lParam, sim::SW_PARENTCLOSING);
    EXPECT_NE(sim.Active(), find);

    sim.messages.clear();
    sim.ShowWindow(owner, SW_RESTORE);
    EXPECT_TRUE(sim.IsWindowVisible(find));
    EXPECT_FALSE(sim.IsIconic(find));
    EXPECT_TRUE(sim.IsWindowVisible(about));
    EXPECT_TRUE(sim.IsIconic(about)); // minimised before: back minimised, out of reach
    EXPECT_FALSE(sim.IsWindowVisible(kept));
    EXPECT_EQ(sim.messages.back().message, sim::WM_SHOWWINDOW);
    EXPECT_EQ(sim.messages.back().wParam, 1u);
    EXPECT_EQ(sim.messages.back().lParam, sim::SW_PARENTOPENING);
    EXPECT_EQ(sim.Active(), owner);
    EXPECT_EQ(Walk(sim)[3], owner);

    // Hidden by its program while its owner is down, it is not brought back; hiding the owner
    // hides nothing, and SW_SHOWNOACTIVATE restores in place without taking the activation.
    sim.ShowWindow(owner, SW_MINIMIZE);
    sim.ShowWindow(find, SW_SHOW);
    sim.ShowWindow(find, SW_HIDE);
    const Hwnd active = sim.Active();
    sim.ShowWindow(owner, sim::SW_SHOWNOACTIVATE);
    EXPECT_FALSE(sim.IsWindowVisible(find));
    EXPECT_NE(active, owner);
    EXPECT_EQ(sim.Active(), active);
    EXPECT_EQ(Walk(sim).back(), owner);
    sim.ShowWindow(owner, SW_HIDE);
    EXPECT_TRUE(sim.IsWindowVisible(about));
}

TEST(SimWindows, RestoringBottomFirstRebuildsTheStackingOrder) {
    SimMachine sim;
    Hwnd c = sim.CreateWindow("App", "C");
    Hwnd b = sim.CreateWindow("App", "B");
    Hwnd a = sim.CreateWindow("App", "A");
    Hwnd unrelated = sim.CreateWindow("App", "U");
    for (Hwnd w : {a, b, c})
        sim.ShowWindow(w, SW_MINIMIZE);
    for (Hwnd w : {c, b, a})
        sim.ShowWindow(w, SW_RESTORE);
    EXPECT_EQ(sim.ZOrder(), (std::vector<Hwnd>{a, b, c, unrelated}));
    EXPECT_EQ(sim.Active(), a);
}

TEST(SimWindows, ShowCommandsAnswerThePreviousVisibility) {
    SimMachine sim;
    Hwnd hidden = sim.CreateWindow("App", "H", WS_OVERLAPPEDWINDOW);
    Hwnd shown = sim.CreateWindow("App", "S");
    EXPECT_EQ(sim.Active(), shown);

    EXPECT_FALSE(sim.ShowWindow(hidden, SW_HIDE));
    EXPECT_FALSE(sim.ShowWindow(hidden, SW_SHOW));
    EXPECT_TRUE(sim.IsWindowVisible(hidden));
    EXPECT_TRUE(sim.ShowWindow(hidden, SW_HIDE));
    EXPECT_FALSE(sim.IsWindowVisible(hidden));

    // Restoring a visible, normal window is a no-op: no activation, no reordering.
    sim.SetActiveWindow(hidden);
    sim.ShowWindow(hidden, SW_SHOW);
    sim.SetActiveWindow(shown);
    EXPECT_TRUE(sim.ShowWindow(hidden, SW_RESTORE));
    EXPECT_EQ(sim.Active(), shown);
    EXPECT_EQ(sim.ZOrder().front(), shown);

    // Hiding the active window hands activation on.
    sim.ShowWindow(shown, SW_HIDE);
    EXPECT_EQ(sim.Active(), hidden);
}

TEST(SimWindows, TheZOrderWalkSeesEveryTopLevelWindow) {
    SimMachine sim;
    Hwnd hidden = sim.CreateWindow("Hidden", "", WS_POPUP);
    Hwnd child = sim.CreateWindow("Child", "", WS_CHILD | WS_VISIBLE);
    Hwnd minimised = sim.CreateWindow("Min", "", Overlapped | WS_MINIMIZE);
    Hwnd top = sim.CreateWindow("Top", "");

    std::vector<Hwnd> enumerated;
    sim.EnumWindows(
        [](Hwnd w, void *context) {
            static_cast<std::vector<Hwnd> *>(context)->push_back(w);
            return true;
        },
        &enumerated);
    EXPECT_EQ(enumerated, (std::vector<Hwnd>{top, child, hidden, minimised}));
    EXPECT_EQ(Walk(sim), enumerated);
    EXPECT_TRUE(sim.GetWindowLongA(child, GWL_STYLE) & WS_CHILD);

    int calls = 0;
    sim.EnumWindows([](Hwnd, void *context) { return ++*static_cast<int *>(context) < 2; }, &calls);
    EXPECT_EQ(calls, 2);
}

TEST(SimWindows, TopmostWindowsStayAboveRestoredOnes) {
    SimMachine sim;
    Hwnd floating = sim.CreateWindow("Floating", "F", WS_POPUP | WS_VISIBLE);
    Hwnd app = sim.CreateWindow("App", "A");
    sim.SetWindowPos(floating, sim::HWND_TOPMOST(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(sim.GetWindowLongA(floating, GWL_EXSTYLE) & WS_EX_TOPMOST);
    sim.ShowWindow(app, SW_MINIMIZE);
    sim.ShowWindow(app, SW_RESTORE);
    EXPECT_EQ(sim.ZOrder(), (std::vector<Hwnd>{floating, app}));
    EXPECT_EQ(sim.Active(), app);

    sim.SetWindowPos(floating, sim::HWND_NOTOPMOST(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_FALSE(sim.GetWindowLongA(floating, GWL_EXSTYLE) & WS_EX_TOPMOST);
    sim.SetForegroundWindow(app);
    EXPECT_EQ(sim.ZOrder().front(), app);
}

TEST(SimWindows, DestroyedAndMadeUpHandlesAreNotWindows) {
    SimMachine sim;
    Hwnd main = sim.CreateWindow("Main", "M", WS_OVERLAPPEDWINDOW);
    Hwnd app = sim.CreateWindow("App", "A");
    int destroyed = 0;
    sim.SetWindowProc(app, [&](Hwnd, Uint message, Wparam, Lparam) {
        destroyed += message == WM_DESTROY;
        return Lresult{0};
    });
    ASSERT_TRUE(sim.RegisterHotKey(app, 1, MOD_ALT, VK_F1));

    EXPECT_TRUE(sim.DestroyWindow(app));
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(sim.IsWindow(app));
    EXPECT_FALSE(sim.IsWindowVisible(app));
    EXPECT_FALSE(sim.DestroyWindow(app));
    EXPECT_FALSE(sim.IsWindow(nullptr));
    EXPECT_FALSE(sim.IsWindow(reinterpret_cast<Hwnd>(std::uintptr_t{0x1234560})));
    EXPECT_EQ(sim.ZOrder(), std::vector<Hwnd>{main});
    EXPECT_FALSE(sim.HotKeyHolder(MOD_ALT, VK_F1)); // released with its window
    EXPECT_EQ(sim.GetWindowLongA(app, GWL_STYLE), 0);
    Rect r = {};
    EXPECT_FALSE(sim.GetWindowRect(app, &r));
}

TEST(SimWindows, TextsAreTruncatedAndAlwaysTerminated) {
    SimMachine sim;
    Hwnd w = sim.CreateWindow("tooltips_class32", "Title");
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(sim.GetClassNameA(w, buffer, 6), 5);
    EXPECT_STREQ(buffer, "toolt");
    EXPECT_EQ(sim.GetWindowTextA(w, buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "Title");
    EXPECT_EQ(sim.GetWindowTextA(w, buffer, 3), 2);
    EXPECT_STREQ(buffer, "Ti");
    EXPECT_EQ(sim.GetWindowTextA(w, buffer, 0), 0);
    EXPECT_TRUE(sim.SetWindowTextA(w, "New"));
    EXPECT_EQ(sim.WindowText(w), "New");
}

TEST(SimWindows, MovesAndSizesAreReportedToTheWindow) {
    SimMachine sim;
    Hwnd w = sim.CreateWindow("App", "A", Overlapped, 0, {0, 0, 100, 50});
    std::vector<SimMessage> got;
    sim.SetWindowProc(w, [&](Hwnd h, Uint m, Wparam wp, Lparam lp) {
        got.push_back({h, m, wp, lp, false});
        return Lresult{0};
    });
    sim.SetWindowPos(w, nullptr, -10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_MOVE);
    EXPECT_EQ(static_cast<std::int16_t>(LoWord(static_cast<std::uintptr_t>(got[0].lParam))), -10);
    EXPECT_EQ(HiWord(static_cast<std::uintptr_t>(got[0].lParam)), 20);
    got.clear();
    sim.SetWindowPos(w, nullptr, 0, 0, 200, 80, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_SIZE);
    EXPECT_EQ(LoWord(static_cast<std::uintptr_t>(got[0].lParam)), 200);
}

TEST(SimWindows, SystemParametersKeepTheAnimationAndRecordTheWallpaper) {
    SimMachine sim;
    AnimationInfo info = {sizeof(AnimationInfo), 7};
    EXPECT_TRUE(sim.SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0));
    EXPECT_EQ(info.iMinAnimate, 1);
    info.iMinAnimate = 0;
    EXPECT_TRUE(sim.SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, SPIF_SENDCHANGE));
    EXPECT_EQ(sim.MinAnimate(), 0);
    AnimationInfo wrong = {4, 1};
    EXPECT_FALSE(sim.SystemParametersInfoA(SPI_SETANIMATION, sizeof wrong, &wrong, 0));
    EXPECT_EQ(sim.MinAnimate(), 0);

    char path[] = "C:\\WINDOWS\\clouds.bmp";
    EXPECT_TRUE(sim.SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path, SPIF_SENDWININICHANGE));
    EXPECT_EQ(sim.ShownWallpaper(), path);
    EXPECT_FALSE(sim.Value(HkeyCurrentUser(), "Control Panel\\desktop", "Wallpaper"));
    sim.SystemParametersInfoA(SPI_SETDESKPATTERN, 0, path, SPIF_UPDATEINIFILE);
    EXPECT_EQ(sim.Value(HkeyCurrentUser(), "Control Panel\\desktop", "Pattern")->Text(), path);
    ASSERT_EQ(sim.parameterCalls.size(), 5u);
    EXPECT_EQ(sim.parameterCalls[3].action, SPI_SETDESKWALLPAPER);
    EXPECT_EQ(sim.parameterCalls[3].winIni, SPIF_SENDWININICHANGE);

    Rect work = {};
    EXPECT_TRUE(sim.SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_TRUE(SameRect(work, sim.workArea));
}

// ---- Messages ----

TEST(SimMessages, SentMessagesRunNowAndPostedOnesWhenPumped) {
    SimMachine sim;
    Hwnd w = sim.CreateWindow("Main", "", WS_OVERLAPPEDWINDOW);
    std::vector<Uint> order;
    sim.SetWindowProc(w, [&](Hwnd h, Uint message, Wparam, Lparam) -> Lresult {
        order.push_back(message);
        if (message == WM_USER) sim.PostMessageA(h, WM_USER + 2, 0, 0);                // runs later
        if (message == WM_USER + 1) return sim.SendMessageA(h, WM_USER + 3, 0, 0) + 1; // nested
        if (message == WM_USER + 3) return 41;
        return 0;
    });
    EXPECT_TRUE(sim.PostMessageA(w, WM_USER, 0, 0));
    EXPECT_EQ(sim.SendMessageA(w, WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(order, (std::vector<Uint>{WM_USER + 1, WM_USER + 3}));
    EXPECT_TRUE(sim.PumpMessages());
    EXPECT_EQ(order, (std::vector<Uint>{WM_USER + 1, WM_USER + 3, WM_USER, WM_USER + 2}));
    EXPECT_EQ(sim.CountMessages(w, WM_USER + 2), 1u);
    EXPECT_TRUE(sim.messages[0].posted);
}

TEST(SimMessages, PumpGivesUpOnEndlessPostingAndDropsMessagesOfDeadWindows) {
    SimMachine sim;
    Hwnd w = sim.CreateWindow("Main", "", WS_OVERLAPPEDWINDOW);
    int delivered = 0;
    sim.SetWindowProc(w, [&](Hwnd h, Uint message, Wparam, Lparam) -> Lresult {
        ++delivered;
        if (message == WM_USER) sim.PostMessageA(h, WM_USER, 0, 0);
        return 0;
    });
    sim.PostMessageA(w, WM_USER, 0, 0);
    EXPECT_FALSE(sim.PumpMessages(50));
    EXPECT_TRUE(sim.PumpOverflowed());

    sim.DestroyWindow(w);
    delivered = 0;
    EXPECT_TRUE(sim.PumpMessages());
    EXPECT_EQ(delivered, 0);
    EXPECT_FALSE(sim.PostMessageA(w, WM_USER, 0, 0));
    EXPECT_EQ(sim.SendMessageA(w, WM_USER, 0, 0), 0);

    sim.PostQuitMessage(3);
    EXPECT_TRUE(sim.QuitPosted());
    EXPECT_EQ(sim.QuitCode(), 3);
}

TEST(SimMessages, DefaultProcedureClosesAndAnswersTexts) {
    SimMachine sim;
    Hwnd w = sim.CreateWindow("Plain", "Old");
    sim.SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<Lparam>("New"));
    EXPECT_EQ(sim.WindowText(w), "New");
    EXPECT_EQ(sim.SendMessageA(w, WM_QUERYENDSESSION, 0, 0), 1);
    sim.PostMessageA(w, WM_CLOSE, 0, 0);
    sim.PumpMessages();
    EXPECT_FALSE(sim.IsWindow(w));
}

TEST(SimMessages, MessageBoxesAreModalAndAnsweredByScript) {
    SimMachine sim;
    Hwnd owner = sim.CreateWindow("Owner", "O");
    sim.AnswerMessageBox(IDNO);
    EXPECT_EQ(sim.MessageBoxA(nullptr, "Quit?", "Confirmation", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(sim.MessageBoxA(nullptr, "Quit?", "Confirmation", MB_YESNO), IDYES);
    sim.defaultMessageBoxAnswer = IDNO;
    EXPECT_EQ(sim.MessageBoxA(nullptr, "Done", "Info", MB_OK), IDOK);

    bool sawItOpen = false;
    sim.messageBoxHook = [&](SimMachine &s, const SimMessageBox &box) {
        sawItOpen = s.IsWindowVisible(box.window) && s.Active() == box.window && !s.IsWindowEnabled(owner) &&
                    box.text == "Taken" && box.caption == "Information";
        return IDOK;
    };
    EXPECT_EQ(sim.MessageBoxA(owner, "Taken", "Information", MB_ICONWARNING), IDOK);
    EXPECT_TRUE(sawItOpen);
    EXPECT_TRUE(sim.IsWindowEnabled(owner));
    EXPECT_EQ(sim.Active(), owner);
    ASSERT_EQ(sim.messageBoxes.size(), 4u);
    EXPECT_EQ(sim.messageBoxes[0].answer, IDNO);
    EXPECT_EQ(sim.messageBoxes[3].owner, owner);
    EXPECT_FALSE(sim.IsWindow(sim.messageBoxes[3].window));
}

// ---- Registry ----

class SimRegistry : public ::testing::Test {
  protected:
    SimMachine sim;
    RegistryPort &reg = sim;

    Hkey Create(const char *path, Dword access = KEY_ALL_ACCESS, Hkey parent = HkeyCurrentUser()) {
        Hkey key = nullptr;
        EXPECT_EQ(reg.RegCreateKeyExA(parent, path, access, &key), ERROR_SUCCESS);
        return key;
    }
};

TEST_F(SimRegistry, NamesCompareWithoutCaseAndValuesKeepTypeAndSize) {
    Hkey key = Create("Software\\Halvern\\Quillane");
    const unsigned char one = 1;
    EXPECT_EQ(reg.RegSetValueExA(key, "Wallpaper", REG_DWORD, &one, 1), ERROR_SUCCESS);
    reg.RegCloseKey(key);

    ASSERT_EQ(reg.RegOpenKeyExA(HkeyCurrentUser(), "SOFTWARE\\halvern\\QUILLANE", KEY_READ, &key),
              ERROR_SUCCESS);
    Dword type = 0;
    unsigned char data[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    Dword size = sizeof data;
    EXPECT_EQ(reg.RegQueryValueExA(key, "WALLPAPER", &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[1], 0xAA); // only the stored byte is written
    reg.RegCloseKey(key);

    EXPECT_EQ(sim.SubKeys(HkeyCurrentUser(), "software"), std::vector<std::string>{"Halvern"});
    EXPECT_EQ(sim.ValueNames(HkeyCurrentUser(), "Software\\Halvern\\Quillane"),
              std::vector<std::string>{"Wallpaper"});
    EXPECT_EQ(sim.Value(HkeyCurrentUser(), "software\\halvern\\quillane", "wallpaper")->data.size(), 1u);
    EXPECT_EQ(sim.OpenKeyCount(), 0u);

    // A string written without its zero gets it counted when a zero follows, as Wine shows.
    key = Create("Software\\Strings");
    const char text[] = "abcxyz";
    EXPECT_EQ(reg.RegSetValueExA(key, "Whole", REG_SZ, text + 3, 3), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegSetValueExA(key, "Cut", REG_SZ, text, 3), ERROR_SUCCESS);
    reg.RegCloseKey(key);
    EXPECT_EQ(sim.Value(HkeyCurrentUser(), "Software\\Strings", "Whole")->data.size(), 4u);
    EXPECT_EQ(sim.Value(HkeyCurrentUser(), "Software\\Strings", "Cut")->data.size(), 3u);
}

TEST_F(SimRegistry, ATooSmallBufferIsLeftUntouched) {
    sim.SetText(HkeyCurrentUser(), "Control Panel\\desktop", "WallpaperStyle", "10");
    Hkey key = nullptr;
    ASSERT_EQ(reg.RegOpenKeyExA(HkeyCurrentUser(), "Control Panel\\desktop", KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    char field[2] = {'2', '\0'};
    Dword size = sizeof field;
    Dword type = 0;
    EXPECT_EQ(reg.RegQueryValueExA(key, "WallpaperStyle", &type, field, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_STREQ(field, "2");

    size = 0;
    EXPECT_EQ(reg.RegQueryValueExA(key, "WallpaperStyle", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    char exact[3] = {'x', 'x', 'x'};
    size = 3;
    EXPECT_EQ(reg.RegQueryValueExA(key, "WallpaperStyle", nullptr, exact, &size), ERROR_SUCCESS);
    EXPECT_STREQ(exact, "10");
    EXPECT_EQ(reg.RegQueryValueExA(key, "Pattern", nullptr, exact, &size), ERROR_FILE_NOT_FOUND);
    reg.RegCloseKey(key);
}

TEST_F(SimRegistry, HandlesAreTrackedAndDieWhenClosed) {
    Hkey missing = reinterpret_cast<Hkey>(std::uintptr_t{1});
    EXPECT_EQ(reg.RegOpenKeyExA(HkeyCurrentUser(), "Software\\Nobody", KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
    EXPECT_FALSE(sim.KeyExists(HkeyCurrentUser(), "Software"));

    Hkey a = Create("Software\\Halvern\\Quillane\\Desktop1");
    Hkey b = Create("software\\halvern\\quillane\\desktop1");
    EXPECT_NE(a, b);
    EXPECT_EQ(sim.OpenKeyCount(), 2u);
    EXPECT_EQ(reg.RegCloseKey(a), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegCloseKey(a), sim::ERROR_INVALID_HANDLE);
    const std::uint32_t value = 5;
    EXPECT_EQ(reg.RegSetValueExA(a, "HotKey", REG_DWORD, &value, 4), sim::ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg.RegSetValueExA(nullptr, "HotKey", REG_DWORD, &value, 4), sim::ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg.RegSetValueExA(b, "HotKey", REG_DWORD, &value, 4), ERROR_SUCCESS);
    reg.RegCloseKey(b);
    EXPECT_EQ(sim.OpenKeyCount(), 0u);
    EXPECT_EQ(sim.Value(HkeyCurrentUser(), "Software\\Halvern\\Quillane\\Desktop1", "HotKey")->Number(), 5u);
}

TEST_F(SimRegistry, KeysWithSubkeysAreNotDeleted) {
    sim.CreateKey(HkeyCurrentUser(), "Software\\Halvern\\Quillane\\Desktop3");
    Hkey settings = Create("Software\\Halvern\\Quillane", KEY_WRITE);
    Hkey open = Create("Software\\Halvern\\Quillane\\Desktop3");

    EXPECT_EQ(reg.RegDeleteKeyA(HkeyCurrentUser(), "Software\\Halvern\\Quillane"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg.RegDeleteKeyA(settings, "DESKTOP3"), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegDeleteKeyA(settings, "Desktop3"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(sim.KeyExists(HkeyCurrentUser(), "Software\\Halvern\\Quillane\\Desktop3"));
    const std::uint32_t value = 1;
    EXPECT_EQ(reg.RegSetValueExA(open, "HotKey", REG_DWORD, &value, 4), sim::ERROR_KEY_DELETED);

    EXPECT_EQ(reg.RegDeleteValueA(settings, "Desktop"), ERROR_FILE_NOT_FOUND);
    reg.RegCloseKey(open);
    reg.RegCloseKey(settings);
    EXPECT_EQ(reg.RegDeleteKeyA(HkeyCurrentUser(), "Software\\Halvern\\Quillane"), ERROR_SUCCESS);
}

// The Windows 95 family: a key goes with everything below it, and a string is kept as its text
// and one zero whatever size it was written with (NT keeps the size, as the tests above show).
TEST_F(SimRegistry, TheWindows95FamilyDeletesWholeTreesAndKeepsStringsShort) {
    sim.version = 0xC0000004;
    sim.CreateKey(HkeyCurrentUser(), "Software\\Halvern\\Quillane\\Desktop3\\Deeper");
    Hkey open = Create("Software\\Halvern\\Quillane\\Desktop3\\Deeper");
    Hkey key = Create("Software\\Strings");
    char field[33] = "Title";
    EXPECT_EQ(reg.RegSetValueExA(key, "Padded", REG_SZ, field, sizeof field), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegSetValueExA(key, "Bare", REG_SZ, field, 5), ERROR_SUCCESS);
    const char wallpaper[260] = {};
    EXPECT_EQ(reg.RegSetValueExA(key, "Empty", REG_SZ, wallpaper, sizeof wallpaper), ERROR_SUCCESS);
    const std::uint32_t number = 7;
    EXPECT_EQ(reg.RegSetValueExA(key, "Number", REG_DWORD, &number, 4), ERROR_SUCCESS);
    reg.RegCloseKey(key);
    EXPECT_EQ(sim.Value(HkeyCurrentUser(), "Software\\Strings", "Padded")->data,
              (std::vector<std::uint8_t>{'T', 'i', 't', 'l', 'e', 0}));
    EXPECT_EQ(sim.Value(HkeyCurrentUser(), "Software\\Strings", "Bare")->data.size(), 6u);
    EXPECT_EQ(sim.Value(HkeyCurrentUser(), "Software\\Strings", "Empty")->data.size(), 1u);
    EXPECT_EQ(sim.Value(HkeyCurrentUser(), "Software\\Strings", "Number")->data.size(), 4u);

    EXPECT_EQ(reg.RegDeleteKeyA(HkeyCurrentUser(), "Software\\Halvern\\Quillane"), ERROR_SUCCESS);
    EXPECT_FALSE(sim.KeyExists(HkeyCurrentUser(), "Software\\Halvern\\Quillane"));
    EXPECT_TRUE(sim.KeyExists(HkeyCurrentUser(), "Software\\Halvern"));
    EXPECT_EQ(reg.RegSetValueExA(open, "HotKey", REG_DWORD, &number, 4), sim::ERROR_KEY_DELETED);
    reg.RegCloseKey(open);
}

TEST_F(SimRegistry, AccessRightsOfHandlesAndUsersAreEnforced) {
    sim.SetText(HkeyCurrentUser(), "Control Panel\\desktop", "Wallpaper", "");
    Hkey query = nullptr;
    ASSERT_EQ(reg.RegOpenKeyExA(HkeyCurrentUser(), "Control Panel\\desktop", KEY_QUERY_VALUE, &query),
              ERROR_SUCCESS);
    EXPECT_EQ(reg.RegSetValueExA(query, "Wallpaper", REG_SZ, "x", 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg.RegDeleteValueA(query, "Wallpaper"), ERROR_ACCESS_DENIED);
    Hkey sub = nullptr;
    EXPECT_EQ(reg.RegCreateKeyExA(query, "New", KEY_READ, &sub), ERROR_ACCESS_DENIED);
    reg.RegCloseKey(query);
    Hkey set = nullptr;
    ASSERT_EQ(reg.RegOpenKeyExA(HkeyCurrentUser(), "Control Panel\\desktop", KEY_SET_VALUE, &set),
              ERROR_SUCCESS);
    char text[8];
    Dword size = sizeof text;
    EXPECT_EQ(reg.RegQueryValueExA(set, "Wallpaper", nullptr, text, &size), ERROR_ACCESS_DENIED);
    reg.RegCloseKey(set);

    // A user without rights on the machine hive.
    const char *run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    sim.SetText(HkeyLocalMachine(), run, "Quillane", "C:\\quillane.exe");
    sim.DenyWrites(HkeyLocalMachine(), "SOFTWARE");
    Hkey key = nullptr;
    EXPECT_EQ(reg.RegOpenKeyExA(HkeyLocalMachine(), run, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg.RegCreateKeyExA(HkeyLocalMachine(), "Software\\Halvern\\X", KEY_READ, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_FALSE(sim.KeyExists(HkeyLocalMachine(), "Software\\Halvern"));
    ASSERT_EQ(reg.RegOpenKeyExA(HkeyLocalMachine(), run, KEY_READ, &key), ERROR_SUCCESS);
    size = sizeof text;
    EXPECT_EQ(reg.RegQueryValueExA(key, "Quillane", nullptr, text, &size), ERROR_MORE_DATA);
    reg.RegCloseKey(key);
    EXPECT_EQ(reg.RegDeleteKeyA(HkeyLocalMachine(), run), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(sim.KeyExists(HkeyLocalMachine(), run));
    EXPECT_EQ(sim.OpenKeyCount(), 0u);
}

// ---- Shell ----

TEST(SimShell, NotifyIconsFollowAddModifyDelete) {
    SimMachine sim;
    Hwnd main = sim.CreateWindow("Main", "", WS_OVERLAPPEDWINDOW);
    NotifyIconData data;
    data.hWnd = main;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    for (Uint id : {1u, 2u, 3u}) {
        data.uID = id;
        data.uCallbackMessage = WM_USER + id;
        data.hIcon = sim.LoadIconA(id == 1 ? 10 : 11);
        std::snprintf(data.szTip, sizeof data.szTip, "Desktop %u", id);
        EXPECT_TRUE(sim.Shell_NotifyIconA(NIM_ADD, &data));
    }
    EXPECT_FALSE(sim.Shell_NotifyIconA(NIM_ADD, &data));

    NotifyIconData change;
    change.hWnd = main;
    change.uID = 2;
    change.uFlags = NIF_ICON;
    change.hIcon = sim.LoadIconA(10);
    change.uCallbackMessage = 999;
    std::strcpy(change.szTip, "ignored");
    EXPECT_TRUE(sim.Shell_NotifyIconA(NIM_MODIFY, &change));
    const SimIcon *two = sim.NotifyIcon(main, 2);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(SimMachine::IconId(two->icon), 10);
    EXPECT_EQ(two->callbackMessage, WM_USER + 2);
    EXPECT_EQ(two->tip, "Desktop 2");

    change.uID = 1;
    EXPECT_TRUE(sim.Shell_NotifyIconA(NIM_DELETE, &change));
    EXPECT_FALSE(sim.Shell_NotifyIconA(NIM_DELETE, &change));
    change.uID = 9;
    EXPECT_FALSE(sim.Shell_NotifyIconA(NIM_MODIFY, &change));
    ASSERT_EQ(sim.NotifyIcons().size(), 2u);
    EXPECT_EQ(sim.NotifyIcons()[0].id, 2u);
    EXPECT_EQ(sim.notifyCalls.size(), 8u);
}

TEST(SimShell, ClickingAnIconPostsTheMouseSequence) {
    SimMachine sim;
    Hwnd main = sim.CreateWindow("Main", "", WS_OVERLAPPEDWINDOW);
    std::vector<Lparam> mouse;
    sim.SetWindowProc(main, [&](Hwnd, Uint message, Wparam wParam, Lparam lParam) {
        if (message == WM_USER + 2 && wParam == 0) mouse.push_back(lParam);
        return Lresult{0};
    });
    NotifyIconData data;
    data.hWnd = main;
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = WM_USER + 2;
    sim.Shell_NotifyIconA(NIM_ADD, &data);
    EXPECT_TRUE(sim.ClickNotifyIcon(main, 0, true));
    EXPECT_EQ(mouse, (std::vector<Lparam>{WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_FALSE(sim.ClickNotifyIcon(main, 5));
}

TEST(SimShell, HotKeyCombinationsHaveOneHolder) {
    SimMachine sim;
    Hwnd main = sim.CreateWindow("Main", "", WS_OVERLAPPEDWINDOW);
    std::vector<Wparam> pressed;
    sim.SetWindowProc(main, [&](Hwnd, Uint message, Wparam wParam, Lparam) {
        if (message == WM_HOTKEY) pressed.push_back(wParam);
        return Lresult{0};
    });
    sim.HoldHotKeyElsewhere(MOD_SHIFT, F2);

    EXPECT_TRUE(sim.RegisterHotKey(main, 1, MOD_CONTROL | MOD_ALT, VK_F1));
    EXPECT_FALSE(sim.RegisterHotKey(main, 2, MOD_CONTROL | MOD_ALT, VK_F1)); // same window, other id
    EXPECT_FALSE(sim.RegisterHotKey(main, 2, MOD_SHIFT, F2));                // another program's
    EXPECT_TRUE(sim.RegisterHotKey(main, 2, MOD_SHIFT, F3));
    EXPECT_FALSE(sim.RegisterHotKey(reinterpret_cast<Hwnd>(std::uintptr_t{0x99990}), 3, 0, F4));

    EXPECT_TRUE(sim.PressHotKey(MOD_CONTROL | MOD_ALT, VK_F1));
    EXPECT_FALSE(sim.PressHotKey(MOD_SHIFT, F2));
    EXPECT_FALSE(sim.PressHotKey(0, VK_F1));
    EXPECT_EQ(pressed, std::vector<Wparam>{1});

    // As Wine does, registering an identifier again moves it to the new combination.
    EXPECT_TRUE(sim.RegisterHotKey(main, 1, 0, F5));
    EXPECT_FALSE(sim.HotKeyHolder(MOD_CONTROL | MOD_ALT, VK_F1));
    EXPECT_EQ(sim.HotKeyHolder(0, F5)->id, 1);

    EXPECT_TRUE(sim.UnregisterHotKey(main, 1));
    EXPECT_FALSE(sim.UnregisterHotKey(main, 1));
    EXPECT_TRUE(sim.HotKeyHolder(MOD_SHIFT, F2)->foreign);
    EXPECT_EQ(sim.HotKeys().size(), 2u);
}

// ---- Resources and menus ----

TEST(SimResources, StringsIconsAndLocale) {
    SimMachine sim;
    char buffer[5];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(sim.LoadStringA(101, buffer, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "Desk");
    EXPECT_EQ(sim.LoadStringA(9, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(sim.LoadStringA(101, buffer, 0), 0);

    EXPECT_EQ(SimMachine::IconId(sim.LoadIconA(11)), 11);
    EXPECT_EQ(sim.LoadIconA(10), sim.LoadIconA(10));
    EXPECT_EQ(sim.LoadIconA(12), nullptr);
    EXPECT_EQ(SimMachine::IconId(nullptr), -1);

    EXPECT_EQ(sim.GetUserDefaultLCID(), 0x0409u);
    sim.SetUserDefaultLCID(0x0C0C);
    EXPECT_EQ(sim.GetUserDefaultLCID(), 0x0C0Cu);

    // Directories come whole or not at all; a short buffer learns the size it needs.
    char directory[10];
    std::memset(directory, 'x', sizeof directory);
    sim.systemDirectory = "C:\\WINNT\\system32";
    EXPECT_EQ(sim.GetSystemDirectoryA(directory, sizeof directory), 18u);
    EXPECT_EQ(directory[0], 'x');
    sim.windowsDirectory = "C:\\WINNT";
    EXPECT_EQ(sim.GetWindowsDirectoryA(directory, sizeof directory), 8u);
    EXPECT_STREQ(directory, "C:\\WINNT");
}

TEST(SimMenus, LoadedMenusAreFreshTreesThatDestroyWhole) {
    SimMachine sim;
    Hmenu first = sim.LoadMenuA(101);
    Hmenu second = sim.LoadMenuA(101);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(sim.LoadMenuA(7), nullptr);
    Hmenu track = sim.GetSubMenu(first, 0);
    EXPECT_NE(track, sim.GetSubMenu(second, 0));

    // The template's states and pop-up identifiers come through.
    MenuItemInfo info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    ASSERT_TRUE(sim.GetMenuItemInfoA(track, 120, false, &info));
    EXPECT_TRUE(info.fState & MFS_CHECKED);
    ASSERT_TRUE(sim.GetMenuItemInfoA(track, 2, true, &info));
    EXPECT_EQ(info.wID, 130u);
    EXPECT_EQ(info.hSubMenu, sim.GetSubMenu(track, 2));

    const std::size_t live = sim.LiveMenuCount();
    EXPECT_TRUE(sim.DestroyMenu(first));
    EXPECT_FALSE(sim.IsMenu(track));
    EXPECT_EQ(sim.LiveMenuCount(), live / 2);
    EXPECT_FALSE(sim.DestroyMenu(first));
    sim.DestroyMenu(second);
    EXPECT_EQ(sim.LiveMenuCount(), 0u);
}

TEST(SimMenus, ItemsAreFoundByPositionOrByCommandInPopups) {
    SimMachine sim;
    Hmenu root = sim.CreatePopupMenu();
    Hmenu sub = sim.CreatePopupMenu();
    EXPECT_TRUE(sim.AppendMenuA(sub, MF_STRING | MF_CHECKED, 401, "&Rename"));
    EXPECT_TRUE(sim.AppendMenuA(sub, MF_SEPARATOR, 0, nullptr));
    EXPECT_TRUE(sim.AppendMenuA(sub, MF_STRING | MF_GRAYED, 402, "&Delete"));
    EXPECT_TRUE(sim.AppendMenuA(root, MF_POPUP, reinterpret_cast<std::uintptr_t>(sub), "Desktop 1"));
    EXPECT_TRUE(sim.AppendMenuA(root, MF_STRING, 110, "&Create"));
    EXPECT_FALSE(sim.AppendMenuA(root, MF_POPUP, 12345, "bad"));

    char text[5];
    MenuItemInfo info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    info.dwTypeData = text;
    info.cch = sizeof text;
    ASSERT_TRUE(sim.GetMenuItemInfoA(root, 401, false, &info));
    EXPECT_STREQ(text, "&Ren");
    EXPECT_EQ(info.cch, 4u);
    EXPECT_TRUE(info.fState & MFS_CHECKED);
    info.fMask = MIIM_TYPE;
    info.dwTypeData = nullptr;
    ASSERT_TRUE(sim.GetMenuItemInfoA(root, 402, false, &info));
    EXPECT_EQ(info.cch, 7u);
    EXPECT_FALSE(sim.GetMenuItemInfoA(root, 403, false, &info));

    MenuItemInfo state;
    state.fMask = MIIM_STATE;
    state.fState = MFS_DEFAULT;
    EXPECT_TRUE(sim.SetMenuItemInfoA(root, 402, false, &state));
    MenuItemInfo separator;
    separator.fMask = MIIM_TYPE;
    separator.fType = MFT_SEPARATOR;
    EXPECT_TRUE(sim.InsertMenuItemA(root, 0, true, &separator));
    char first[] = "First";
    MenuItemInfo item;
    item.fMask = MIIM_TYPE | MIIM_ID;
    item.dwTypeData = first;
    item.cch = sizeof first;
    item.wID = 7;
    EXPECT_TRUE(sim.InsertMenuItemA(root, 0, true, &item));
    EXPECT_TRUE(sim.InsertMenuItemA(root, 0xFFFFFFFFu, true, &item));
    EXPECT_EQ(sim.Snapshot(root).Describe(), "First =7\n"
                                             "-\n"
                                             "Desktop 1 >\n"
                                             "  [x] &Rename =401\n"
                                             "  -\n"
                                             "  <b>&Delete =402\n"
                                             "&Create =110\n"
                                             "First =7\n");

    // Removing a pop-up does not destroy it.
    EXPECT_TRUE(sim.RemoveMenu(root, 2, MF_BYPOSITION));
    EXPECT_TRUE(sim.IsMenu(sub));
    EXPECT_TRUE(sim.RemoveMenu(root, 110, 0));
    EXPECT_EQ(sim.Snapshot(root).Texts(), (std::vector<std::string>{"First", "-", "First"}));
    sim.DestroyMenu(root);
    sim.DestroyMenu(sub);
    EXPECT_EQ(sim.LiveMenuCount(), 0u);
}

TEST(SimMenus, TrackingShowsTheMenuAndPostsTheChoice) {
    SimMachine sim;
    Hwnd main = sim.CreateWindow("Main", "", WS_OVERLAPPEDWINDOW);
    std::vector<Uint> commands;
    sim.SetWindowProc(main, [&](Hwnd, Uint message, Wparam wParam, Lparam) {
        if (message == WM_COMMAND) commands.push_back(static_cast<Uint>(wParam));
        return Lresult{0};
    });
    Hmenu menu = sim.CreatePopupMenu();
    sim.AppendMenuA(menu, MF_STRING, 101, "&About...");
    sim.AppendMenuA(menu, MF_STRING | MF_GRAYED, 110, "&Create");

    bool menuWindowOpen = false;
    sim.menuChooser = [&](SimMachine &s, Hmenu shown) -> Uint {
        menuWindowOpen = s.ClassName(s.ZOrder().front()) == "#32768";
        return s.Snapshot(shown).CommandAt({"&About..."});
    };
    sim.SetForegroundWindow(main);
    EXPECT_TRUE(sim.TrackPopupMenuEx(menu, TPM_RIGHTBUTTON, 10, 20, main));
    EXPECT_TRUE(menuWindowOpen);
    EXPECT_TRUE(commands.empty()); // posted, not sent
    sim.PumpMessages();
    EXPECT_EQ(commands, std::vector<Uint>{101});
    EXPECT_EQ(sim.Active(), main);

    // A greyed item cannot be chosen; neither can one that is not there.
    sim.menuChooser = nullptr;
    sim.ChooseMenuCommand(110);
    sim.ChooseMenuCommand(555);
    sim.TrackPopupMenuEx(menu, TPM_RIGHTBUTTON, 0, 0, main);
    sim.TrackPopupMenuEx(menu, TPM_RIGHTBUTTON, 0, 0, main);
    sim.PumpMessages();
    EXPECT_EQ(commands.size(), 1u);
    ASSERT_EQ(sim.trackedMenus.size(), 3u);
    EXPECT_TRUE(sim.trackedMenus[0].ownerWasForeground);
    EXPECT_EQ(sim.trackedMenus[1].refused, 110u);
    EXPECT_EQ(sim.trackedMenus[2].chosen, 0u);
    EXPECT_EQ(sim.trackedMenus[0].shown.Describe(), "&About... =101\n(grey) &Create =110\n");
    sim.DestroyMenu(menu);
}

// ---- Dialogs ----

// A dialog procedure of the kind the program has: initialises its controls, reads them on OK.
struct FormHandler : DialogHandler {
    SimMachine &sim;
    std::vector<Uint> messages;
    std::string typed;
    bool shiftAtClick = false;
    bool visibleAtInit = true;
    bool endAtInit = false;
    explicit FormHandler(SimMachine &machine) : sim(machine) {}

    std::intptr_t DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam) override {
        messages.push_back(message);
        if (message == WM_INITDIALOG) {
            visibleAtInit = sim.IsWindowVisible(dialog);
            sim.SetWindowTextA(dialog, "Caption");
            sim.SendMessageA(sim.GetDlgItem(dialog, 100), EM_LIMITTEXT, 5, 0);
            sim.SendMessageA(sim.GetDlgItem(dialog, 100), WM_SETTEXT, 0, reinterpret_cast<Lparam>("Longer"));
            if (endAtInit) sim.EndDialog(dialog, 3);
            return 1;
        }
        if (message != WM_COMMAND) return 0;
        if (wParam == 101)
            shiftAtClick = sim.SendMessageA(sim.GetDlgItem(dialog, 101), BM_GETCHECK, 0, 0) != 0;
        if (wParam == IDOK) {
            char text[33];
            sim.GetWindowTextA(sim.GetDlgItem(dialog, 100), text, sizeof text);
            typed = text;
            sim.EndDialog(dialog, 10);
        }
        if (wParam == IDCANCEL) sim.EndDialog(dialog, 20);
        return 1;
    }
};

TEST(SimDialogs, AScriptedUserFillsInTheDialogAndConfirms) {
    SimMachine sim;
    Hwnd owner = sim.CreateWindow("Main", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    FormHandler handler(sim);
    Hwnd seen = nullptr;
    sim.ScriptDialog([&](SimMachine &s, Hwnd dialog) {
        seen = dialog;
        EXPECT_TRUE(s.IsWindowVisible(dialog));
        EXPECT_EQ(s.Active(), dialog);
        EXPECT_FALSE(s.IsWindowEnabled(owner));
        EXPECT_EQ(s.ControlText(dialog, 100), "Longer"); // WM_SETTEXT ignores the limit
        EXPECT_FALSE(s.Type(dialog, 100, "Bureau"));     // typing does not
        EXPECT_EQ(s.ControlText(dialog, 100), "Burea");
        EXPECT_TRUE(s.Click(dialog, IDOK));
        EXPECT_FALSE(s.Click(dialog, IDOK)); // gone
    });
    EXPECT_EQ(sim.DialogBoxParamA(101, owner, &handler), 10);
    EXPECT_FALSE(handler.visibleAtInit);
    EXPECT_EQ(handler.typed, "Burea");
    EXPECT_FALSE(sim.IsWindow(seen));
    EXPECT_TRUE(sim.IsWindowEnabled(owner));
    EXPECT_EQ(sim.Active(), owner);
    EXPECT_EQ(handler.messages.front(), WM_INITDIALOG);
    EXPECT_EQ(handler.messages.back(), WM_DESTROY);
    ASSERT_EQ(sim.dialogRuns.size(), 1u);
    EXPECT_EQ(sim.dialogRuns[0].caption, "Caption");
    EXPECT_FALSE(sim.dialogRuns[0].cancelledByMachine);
}

TEST(SimDialogs, ADialogLeftOpenIsCancelledAndTheCloseBoxMeansCancel) {
    SimMachine sim;
    FormHandler handler(sim);
    EXPECT_EQ(sim.DialogBoxParamA(1, nullptr, &handler), 20);
    EXPECT_TRUE(sim.dialogRuns.back().cancelledByMachine);

    sim.ScriptDialog([](SimMachine &s, Hwnd dialog) { EXPECT_TRUE(s.CloseDialog(dialog)); });
    EXPECT_EQ(sim.DialogBoxParamA(1, nullptr, &handler), 20);
    EXPECT_FALSE(sim.dialogRuns.back().cancelledByMachine);

    handler.endAtInit = true;
    bool scriptRan = false;
    sim.ScriptDialog([&](SimMachine &, Hwnd) { scriptRan = true; });
    EXPECT_EQ(sim.DialogBoxParamA(1, nullptr, &handler), 3);
    EXPECT_FALSE(scriptRan);
    EXPECT_EQ(sim.DialogBoxParamA(99, nullptr, &handler), -1);
}

TEST(SimDialogs, ControlsBehaveLikeTheStandardOnes) {
    SimMachine sim;
    FormHandler handler(sim);
    sim.defaultDialogScript = [&](SimMachine &s, Hwnd dialog) {
        Hwnd list = s.GetDlgItem(dialog, 104);
        for (const char *key : {"F1", "F2", "F3"})
            s.SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<Lparam>(key));
        EXPECT_EQ(s.SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_EQ(s.SendMessageA(list, LB_SETCURSEL, 2, 0), 2);
        EXPECT_EQ(s.SendMessageA(list, LB_SETCURSEL, 3, 0), LB_ERR);
        EXPECT_EQ(s.ListSelection(dialog, 104), 2);
        char text[8];
        EXPECT_EQ(s.SendMessageA(list, sim::LB_GETTEXT, 1, reinterpret_cast<Lparam>(text)), 2);
        EXPECT_STREQ(text, "F2");
        EXPECT_EQ(s.SendMessageA(list, sim::LB_GETCOUNT, 0, 0), 3);
        s.SendMessageA(list, LB_SETCOLUMNWIDTH, 40, 0);
        EXPECT_EQ(s.ListColumnWidth(dialog, 104), 40);
        EXPECT_TRUE(s.SelectListItem(dialog, 104, 0));
        EXPECT_FALSE(s.SelectListItem(dialog, 104, 3));
        // Messages of one control class do nothing to another.
        EXPECT_EQ(s.SendMessageA(s.GetDlgItem(dialog, 101), LB_ADDSTRING, 0, reinterpret_cast<Lparam>("x")),
                  0);

        Hicon icon = s.LoadIconA(1);
        s.SendMessageA(s.GetDlgItem(dialog, 50), STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<Lparam>(icon));
        EXPECT_EQ(s.ControlImage(dialog, 50), icon);

        // An automatic check box is ticked before its owner hears of the click.
        EXPECT_TRUE(s.Click(dialog, 101));
        EXPECT_TRUE(handler.shiftAtClick);
        EXPECT_TRUE(s.IsChecked(dialog, 101));
        s.SendMessageA(s.GetDlgItem(dialog, 101), BM_SETCHECK, BST_UNCHECKED, 0);
        EXPECT_FALSE(s.IsChecked(dialog, 101));

        // Disabled controls and a dialog behind a message box take no clicks.
        s.EnableWindow(s.GetDlgItem(dialog, 102), false);
        EXPECT_FALSE(s.Click(dialog, 102));
        EXPECT_FALSE(s.SelectListItem(dialog, 102, 0));
        EXPECT_FALSE(s.Click(dialog, 500)); // a plain label
        s.messageBoxHook = [dialog](SimMachine &inner, const SimMessageBox &) {
            EXPECT_FALSE(inner.Click(dialog, 1));
            return IDOK;
        };
        s.MessageBoxA(dialog, "Taken", "Information", MB_ICONWARNING);
        EXPECT_TRUE(s.Click(dialog, IDCANCEL));
    };
    EXPECT_EQ(sim.DialogBoxParamA(103, nullptr, &handler), 20);
    EXPECT_EQ(sim.dialogRuns.back().caption, "Caption");
}

TEST(SimToolbar, ButtonsWrapToTheParentsClientWidthAndHiddenOnesTakeNoPlace) {
    SimMachine sim;
    Hwnd parent = sim.CreateWindow("Parent", "p", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_EX_TOOLWINDOW,
                                   Rect{0, 0, 200, 100});
    ToolbarButton buttons[4];
    for (int i = 0; i < 4; ++i)
        buttons[i].idCommand = 200 + i;
    buttons[3].fsState = TBSTATE_HIDDEN;
    Hwnd toolbar = sim.CreateToolbarEx(parent, WS_CHILD | WS_VISIBLE, 101, 1, 100, buttons, 4, 32, 32, 2, 2);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(sim.Parent(toolbar), parent);
    Rect b{};
    ASSERT_EQ(sim.SendMessageA(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<Lparam>(&b)), 1);
    const int w = b.right - b.left;
    // Room for two buttons: three visible ones take two rows.
    Rect outer{0, 0, 2 * w, 10};
    sim.AdjustWindowRectEx(&outer, WS_CAPTION | WS_THICKFRAME, false, WS_EX_TOOLWINDOW);
    sim.SetWindowPos(parent, nullptr, 0, 0, outer.right - outer.left, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(sim.ClientSize(parent).x, 2 * w);
    sim.SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    EXPECT_EQ(sim.ToolbarRows(toolbar), 2);
    sim.SendMessageA(toolbar, TB_HIDEBUTTON, 202, 1);
    EXPECT_EQ(sim.ToolbarRows(toolbar), 1);
    EXPECT_TRUE(sim.ToolbarButtonHidden(toolbar, 202));
    sim.SendMessageA(toolbar, TB_CHECKBUTTON, 201, 1);
    EXPECT_TRUE(sim.ToolbarButtonChecked(toolbar, 201));
    EXPECT_FALSE(sim.ToolbarButtonChecked(toolbar, 200));

    // The system menu is made once per window and keeps what the program changes in it.
    Hmenu menu = sim.GetSystemMenu(parent, false);
    EXPECT_EQ(sim.GetSystemMenu(parent, false), menu);
    EXPECT_TRUE(sim.DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND));
    EXPECT_EQ(sim.Snapshot(sim.GetSystemMenu(parent, false)).Texts(),
              (std::vector<std::string>{"&Move", "&Size", "-"}));
}

// A window's properties are named without case, reach no procedure and outlast the program that
// set them; the end of a program destroys its own windows without a message to its procedures.
TEST(SimWindows, PropertiesOutlastTheProgramThatSetThemAndItsEndSendsItNothing) {
    SimMachine sim;
    Hwnd other = sim.CreateWindow("Other", "o");
    std::size_t ours = 0;
    sim.RegisterClass("Ours", [&](Hwnd, Uint, Wparam, Lparam) {
        ++ours;
        return Lresult{0};
    });
    Hwnd ourWindow = sim.CreateWindowExA(0, "Ours", "m", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, 0);
    ASSERT_NE(ourWindow, nullptr);
    EXPECT_TRUE(sim.SetPropA(other, "QuillaneAway", 2));
    EXPECT_EQ(sim.GetPropA(other, "quillaneaway"), 2);
    EXPECT_EQ(sim.GetPropA(other, "Missing"), 0);
    const std::size_t before = ours;
    sim.EndProgram();
    EXPECT_EQ(ours, before);
    EXPECT_FALSE(sim.IsWindow(ourWindow));
    EXPECT_TRUE(sim.IsWindow(other));
    EXPECT_EQ(sim.PropertyNames(other), (std::vector<std::string>{"quillaneaway"}));
    EXPECT_EQ(sim.RemovePropA(other, "QUILLANEAWAY"), 2);
    EXPECT_TRUE(sim.PropertyNames(other).empty());
    EXPECT_EQ(sim.RemovePropA(other, "QuillaneAway"), 0);
}

// The later systems' two rules as the machine models them (sources in sim.h): a cloak answered by
// DwmGetWindowAttribute where dwmapi.dll answers, and UIPI between the program and an elevated
// program, whose own calls and the user's still work.
TEST(SimLaterSystems, CloaksAnswerWhereDwmapiDoesAndElevatedWindowsRefuseThePrograms) {
    SimMachine sim;
    Hwnd w = sim.CreateWindow("App", "W");
    sim.SetCloaked(w, SimMachine::CloakedByShell);
    Dword cloak = 0;
    EXPECT_EQ(sim.DwmGetWindowAttribute(w, DWMWA_CLOAKED, &cloak, sizeof cloak), 0);
    EXPECT_EQ(cloak, SimMachine::CloakedByShell);
    EXPECT_TRUE(sim.IsWindowVisible(w)); // a cloak hides nothing from the calls
    sim.dwmapi = false;
    EXPECT_LT(sim.DwmGetWindowAttribute(w, DWMWA_CLOAKED, &cloak, sizeof cloak), 0);
    sim.dwmapi = true;
    sim.dwmapiStub = true;
    EXPECT_LT(sim.DwmGetWindowAttribute(w, DWMWA_CLOAKED, &cloak, sizeof cloak), 0);

    Hwnd admin = sim.CreateWindow("App", "Admin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, {100, 100, 500, 400});
    sim.SetElevated(admin);
    int sizes = 0;
    sim.SetWindowProc(admin, [&](Hwnd h, Uint message, Wparam wp, Lparam lp) {
        if (message == WM_SIZE) ++sizes;
        if (message == WM_SYSCOMMAND || message == WM_USER)
            ADD_FAILURE() << "message " << message << " passed";
        return sim.DefWindowProc(h, message, wp, lp);
    });
    sim.ShowWindow(admin, SW_MINIMIZE);
    sim.SetWindowPos(admin, nullptr, 3000, 3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    WindowPlacement placement;
    sim.GetWindowPlacement(admin, &placement);
    placement.showCmd = SW_SHOWMINIMIZED;
    sim.SetWindowPlacement(admin, &placement);
    EXPECT_FALSE(sim.IsMinimized(admin));
    EXPECT_EQ(sim.Position(admin).left, 100);
    EXPECT_EQ(sizes, 0);
    EXPECT_EQ(sim.refusedCalls, 3u);
    // Messages: the posted system command and private messages are dropped; WM_NULL answers.
    EXPECT_TRUE(sim.PostMessageA(admin, WM_SYSCOMMAND, 0xF020, 0));
    EXPECT_EQ(sim.SendMessageA(admin, WM_USER, 0, 0), 0);
    sim.PumpMessages();
    std::uintptr_t answer = 1;
    EXPECT_EQ(sim.SendMessageTimeoutA(admin, WM_NULL, 0, 0, SMTO_BLOCK, 200, &answer), 1);
    EXPECT_EQ(sim.SendMessageTimeoutA(admin, WM_SYSCOMMAND, 0xF020, 0, SMTO_BLOCK, 200, &answer), 0);
    // Its user through the taskbar, and its own program (which restores it at every minimise).
    sim.SetHabit(admin, SimMachine::Habit::RefuseMinimize);
    {
        SimMachine::AsUser user(sim);
        sim.ShowWindow(admin, SW_MINIMIZE);
    }
    EXPECT_FALSE(sim.IsMinimized(admin)); // minimised, then restored by its program
    EXPECT_EQ(sizes, 2);
    EXPECT_FALSE(sim.IsElevated(w));
    EXPECT_TRUE(sim.IsElevated(admin));
}

} // namespace
} // namespace q
