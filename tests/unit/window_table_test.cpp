// The window table on its own: growth, purge, refresh, the enumeration filter, the stacking
// capture and the rank sort.
#include "engine/window_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <vector>

#include "engine/desktops.h"
#include "engine/guards.h"
#include "tests/unit/machine.h"

namespace q {
namespace {

constexpr std::uint32_t Overlapped = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

Hwnd Handle(int i) {
    return reinterpret_cast<Hwnd>(std::uintptr_t{0x7000} + 4 * static_cast<std::uintptr_t>(i));
}

// Fails every allocation while `refuse` is set.
bool refuse = false;
void *Refusing(std::size_t bytes) {
    return refuse ? nullptr : std::malloc(bytes);
}
Allocator RefusingAllocator() {
    return Allocator{Refusing, std::free};
}

std::vector<Hwnd> Tracked(const AppState &app) {
    std::vector<Hwnd> windows;
    for (std::int32_t i = 0; i < app.Windows.Count; ++i)
        windows.push_back(app.Windows.Entries[i].Window);
    return windows;
}

TEST(WindowTable, SixtyFifthEntryGrowsTheTableAndKeepsEveryEntryInOrder) {
    test::Machine m;
    const BorrowedCurrentDesktop onTwo(m.app, 2); // CurrentDesktop names desktop 2
    ASSERT_TRUE(CreateWindowTable(m.app));
    EXPECT_EQ(m.app.Windows.Capacity, 64);
    for (int i = 0; i < 65; ++i) {
        std::uint32_t style = i % 3 == 0 ? WS_POPUP | WS_MINIMIZE : WS_OVERLAPPEDWINDOW;
        ASSERT_NE(AddWindowEntry(m.app, style, Handle(i)), nullptr);
    }
    EXPECT_EQ(m.app.Windows.Count, 65);
    EXPECT_EQ(m.app.Windows.Capacity, 128);
    for (int i = 0; i < 65; ++i) {
        const WindowEntry &e = m.app.Windows.Entries[i];
        EXPECT_EQ(e.Window, Handle(i)) << i;
        EXPECT_EQ(e.Desktop, 2);
        EXPECT_EQ(e.Sticky, 0);
        EXPECT_EQ(e.Minimized, i % 3 == 0 ? 1 : 0) << i;
        EXPECT_EQ(e.Popup, i % 3 == 0 ? WS_POPUP : 0u) << i;
    }
    // The floating window is sticky from the moment it is entered.
    m.app.FloatingWindow = Handle(99);
    EXPECT_EQ(AddWindowEntry(m.app, 0, Handle(99))->Sticky, 1);
}

TEST(WindowTable, FailedGrowthLeavesTheTableAsItWasAndTheWindowUntracked) {
    test::Machine m;
    refuse = true;
    m.app.Memory = RefusingAllocator();
    EXPECT_FALSE(CreateWindowTable(m.app));
    EXPECT_EQ(AddWindowEntry(m.app, 0, Handle(0)), nullptr);
    EXPECT_EQ(m.app.Windows.Count, 0);

    refuse = false; // the first add makes the table after all
    for (int i = 0; i < 64; ++i)
        m.sim.CreateWindow("Notepad", "w");
    m.sim.EnumWindows(EnumAddProc, &m.app);
    ASSERT_EQ(m.app.Windows.Count, 64);
    EXPECT_EQ(m.app.Windows.Capacity, 64);
    for (std::int32_t i = 0; i < 64; ++i)
        m.app.Windows.Entries[i].ZRank = i + 1;
    const WindowEntry *before = m.app.Windows.Entries;
    const std::vector<Hwnd> tracked = Tracked(m.app);

    refuse = true;
    Hwnd late = m.sim.CreateWindow("Notepad", "late");
    UpdateWindowTable(m.app);
    EXPECT_EQ(FindWindowEntry(m.app, late), nullptr);
    EXPECT_EQ(m.app.Windows.Entries, before);
    EXPECT_EQ(m.app.Windows.Capacity, 64);
    EXPECT_EQ(Tracked(m.app), tracked);
    for (std::int32_t i = 0; i < m.app.Windows.Count; ++i)
        EXPECT_EQ(m.app.Windows.Entries[i].ZRank, i + 1);

    refuse = false;
    UpdateWindowTable(m.app);
    EXPECT_NE(FindWindowEntry(m.app, late), nullptr);
    EXPECT_EQ(m.app.Windows.Capacity, 128);
    std::vector<Hwnd> now = Tracked(m.app);
    now.pop_back();
    EXPECT_EQ(now, tracked);
    EXPECT_EQ(m.app.Windows.Entries[63].ZRank, 64);
}

TEST(WindowTable, PurgeMovesTheLastEntryIntoTheGapAndTestsItAgain) {
    test::Machine m;
    CreateWindowTable(m.app);
    std::vector<Hwnd> w;
    for (int i = 0; i < 5; ++i)
        w.push_back(m.sim.CreateWindow("Notepad", "w"));
    for (Hwnd h : w)
        AddWindowEntry(m.app, Overlapped, h);
    m.sim.DestroyWindow(w[0]);
    m.sim.DestroyWindow(w[4]);
    PurgeWindowTable(m.app);
    EXPECT_EQ(Tracked(m.app), (std::vector<Hwnd>{w[3], w[1], w[2]}));

    for (Hwnd h : {w[1], w[2], w[3]})
        m.sim.DestroyWindow(h);
    PurgeWindowTable(m.app);
    EXPECT_EQ(m.app.Windows.Count, 0);
}

TEST(WindowTable, RefreshClaimsRestoredWindowsAndMarksThoseTheUserMinimised) {
    test::Machine m;
    StartWithDesktops(m.app, 3);
    CreateWindowTable(m.app);
    Hwnd restored = m.sim.CreateWindow("Notepad", "restored from the taskbar");
    Hwnd userMin = m.sim.CreateWindow("Notepad", "minimised by the user");
    Hwnd parked = m.sim.CreateWindow("Notepad", "minimised by a switch");
    Hwnd gone = m.sim.CreateWindow("Notepad", "closed");
    m.sim.EnumWindows(EnumAddProc, &m.app);
    FindWindowEntry(m.app, restored)->Desktop = 2;
    FindWindowEntry(m.app, restored)->Minimized = 1;
    FindWindowEntry(m.app, restored)->Sticky = 1;
    FindWindowEntry(m.app, parked)->Desktop = 3;
    m.sim.ShowWindow(userMin, SW_MINIMIZE);
    m.sim.ShowWindow(parked, SW_MINIMIZE);
    m.sim.DestroyWindow(gone);
    Hwnd fresh = m.sim.CreateWindow("Notepad", "new", Overlapped | WS_POPUP);

    UpdateWindowTable(m.app);
    EXPECT_EQ(FindWindowEntry(m.app, restored)->Desktop, 1);
    EXPECT_EQ(FindWindowEntry(m.app, restored)->Minimized, 0);
    EXPECT_EQ(FindWindowEntry(m.app, restored)->Sticky, 1); // never touched by a refresh
    EXPECT_EQ(FindWindowEntry(m.app, userMin)->Minimized, 1);
    EXPECT_EQ(FindWindowEntry(m.app, parked)->Desktop, 3);
    EXPECT_EQ(FindWindowEntry(m.app, parked)->Minimized, 0);
    EXPECT_EQ(FindWindowEntry(m.app, gone), nullptr);
    ASSERT_NE(FindWindowEntry(m.app, fresh), nullptr);
    EXPECT_EQ(FindWindowEntry(m.app, fresh)->Popup, WS_POPUP);
    EXPECT_EQ(m.app.Windows.Count, 4);
}

TEST(WindowTable, OnlyTheTaskbarTheDesktopAndToolTipsAreLeftOutExactCase) {
    test::Machine m;
    CreateWindowTable(m.app);
    std::vector<Hwnd> skipped, kept;
    for (const char *name : {"Shell_TrayWnd", "Progman", "tooltips_class32"})
        skipped.push_back(m.sim.CreateWindow(name, ""));
    for (const char *name : {"shell_traywnd", "PROGMAN", "Tooltips_Class32", "Shell_TrayWnd2"})
        kept.push_back(m.sim.CreateWindow(name, ""));
    kept.push_back(m.sim.CreateWindow("Notepad", "hidden", WS_OVERLAPPEDWINDOW));
    m.sim.EnumWindows(EnumAddProc, &m.app);
    Hwnd later = m.sim.CreateWindow("tooltips_class32", "");
    UpdateWindowTable(m.app);
    for (Hwnd h : skipped)
        EXPECT_EQ(FindWindowEntry(m.app, h), nullptr) << m.sim.ClassName(h);
    EXPECT_EQ(FindWindowEntry(m.app, later), nullptr);
    for (Hwnd h : kept)
        EXPECT_NE(FindWindowEntry(m.app, h), nullptr) << m.sim.ClassName(h);
    EXPECT_EQ(m.app.Windows.Count, static_cast<std::int32_t>(kept.size()));
}

TEST(WindowTable, CaptureRanksOneDesktopTopDownWithTheWindowWalkedJustAbove) {
    test::Machine m;
    StartWithDesktops(m.app, 3);
    CreateWindowTable(m.app);
    // Created bottom first: the stacking order is a, x, b, k, u, c from the top.
    Hwnd c = m.sim.CreateWindow("Notepad", "c");
    Hwnd u = m.sim.CreateWindow("Untracked", "u"); // not in the table at all
    Hwnd k = m.sim.CreateWindow("Child", "k", WS_CHILD | WS_VISIBLE);
    Hwnd b = m.sim.CreateWindow("Notepad", "b");
    Hwnd x = m.sim.CreateWindow("Notepad", "x");
    Hwnd a = m.sim.CreateWindow("Notepad", "a");
    for (Hwnd h : {a, x, b, k, c})
        AddWindowEntry(m.app, 0, h);
    FindWindowEntry(m.app, x)->Desktop = 2;
    FindWindowEntry(m.app, x)->ZRank = 7;
    ASSERT_EQ(m.sim.ZOrder(), (std::vector<Hwnd>{a, x, b, k, u, c}));

    CaptureZOrder(m.app, 1);
    struct Expected {
        Hwnd window;
        std::int32_t rank;
        Hwnd above;
    } expected[] = {{a, 1, nullptr}, {b, 2, x}, {c, 3, u}};
    for (const Expected &e : expected) {
        EXPECT_EQ(FindWindowEntry(m.app, e.window)->ZRank, e.rank) << m.sim.WindowText(e.window);
        EXPECT_EQ(FindWindowEntry(m.app, e.window)->WindowAbove, e.above) << m.sim.WindowText(e.window);
    }
    EXPECT_EQ(FindWindowEntry(m.app, x)->ZRank, 7); // another desktop keeps its own ranks
    EXPECT_EQ(FindWindowEntry(m.app, k)->ZRank, 0); // child windows are walked, never ranked
}

TEST(WindowTable, SortByZRankPutsTheBottomWindowFirstAndKeepsEqualRanksInOrder) {
    RankedWindow items[] = {{Handle(1), 2}, {Handle(2), 5}, {Handle(3), 5}, {Handle(4), 1}};
    SortByZRank(4, items);
    const Hwnd sorted[] = {Handle(2), Handle(3), Handle(1), Handle(4)};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(items[i].Window, sorted[i]) << i;

    RankedWindow rising[] = {{Handle(1), 1}, {Handle(2), 2}, {Handle(3), 3}, {Handle(4), 0}, {Handle(5), 0}};
    SortByZRank(5, rising);
    const Hwnd expected[] = {Handle(3), Handle(2), Handle(1), Handle(4), Handle(5)};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rising[i].Window, expected[i]) << i;

    // Long lists with many equal ranks: merging and the fallback without room give the one order.
    std::mt19937 random(7);
    for (int count : {2, 3, 17, 64, 333}) {
        std::vector<RankedWindow> list;
        for (int i = 0; i < count; ++i)
            list.push_back({Handle(i), static_cast<std::int32_t>(random() % 9)});
        std::vector<RankedWindow> merged = list, inserted = list, scratch(list.size());
        SortByZRank(count, merged.data(), scratch.data());
        SortByZRank(count, inserted.data());
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(merged[static_cast<std::size_t>(i)].Window,
                      inserted[static_cast<std::size_t>(i)].Window);
            if (i > 0) {
                const RankedWindow &a = merged[static_cast<std::size_t>(i) - 1],
                                   &b = merged[static_cast<std::size_t>(i)];
                ASSERT_TRUE(a.Rank > b.Rank || (a.Rank == b.Rank && a.Window < b.Window))
                    << count << " " << i;
            }
        }
    }
}

// Random adds, refreshes and purges on the simulated machine, some of them without memory:
// after each, every handle ever seen leads to the first entry of its window, or to none.
TEST(WindowTable, IndexAgreesWithTheTableThroughRandomAddsRefreshesAndPurges) {
    test::Machine m;
    m.app.Memory = RefusingAllocator();
    refuse = false;
    ASSERT_TRUE(CreateWindowTable(m.app));
    std::mt19937 random(20261209);
    std::vector<Hwnd> alive, seen;
    auto check = [&](int step, const char *operation) {
        const WindowTable &t = m.app.Windows;
        std::map<Hwnd, const WindowEntry *> first;
        for (std::int32_t i = t.Count - 1; i >= 0; --i)
            first[t.Entries[i].Window] = &t.Entries[i];
        for (Hwnd h : seen) {
            auto it = first.find(h);
            ASSERT_EQ(FindWindowEntry(m.app, h), it == first.end() ? nullptr : it->second)
                << "step " << step << " after " << operation;
        }
    };
    for (int step = 0; step < 600; ++step) {
        refuse = random() % 10 == 0;
        switch (random() % 6) {
        case 0:
        case 1: // new windows, entered one by one as a window move does, or by the next refresh
            for (int k = static_cast<int>(random() % 12); k >= 0; --k) {
                Hwnd h =
                    m.sim.CreateWindow("Notepad", "w", random() % 2 ? Overlapped : Overlapped | WS_MINIMIZE);
                alive.push_back(h);
                seen.push_back(h);
                if (random() % 2) AddWindowEntry(m.app, Overlapped, h);
            }
            check(step, "add");
            break;
        case 2: // a window entered twice, as the start-up enumeration could meet it again
            if (!alive.empty()) AddWindowEntry(m.app, Overlapped, alive[random() % alive.size()]);
            check(step, "add again");
            break;
        case 3: // windows destroyed
            for (int k = static_cast<int>(random() % 8); k >= 0 && !alive.empty(); --k) {
                std::size_t at = random() % alive.size();
                m.sim.DestroyWindow(alive[at]);
                alive.erase(alive.begin() + static_cast<std::ptrdiff_t>(at));
            }
            PurgeWindowTable(m.app);
            check(step, "purge");
            break;
        default: {
            const BorrowedCurrentDesktop shown(m.app, 1 + static_cast<int>(random() % 3));
            UpdateWindowTable(m.app);
            check(step, "refresh");
            if (!refuse) {
                EXPECT_NE(m.app.Windows.Index, nullptr) << "step " << step;
            }
            break;
        }
        }
    }
    refuse = false;
    EXPECT_GT(m.app.Windows.Count, 100); // the table grew well past its first steps
}

} // namespace
} // namespace q
