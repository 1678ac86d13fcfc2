// The stored settings through the real save and load, and the per-desktop wallpaper as the
// system values under "Control Panel\desktop" show it.
#include "config/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "config/wallpaper.h"
#include "engine/desktops.h"
#include "engine/guards.h"
#include "tests/unit/machine.h"

namespace q {
namespace {

using test::Machine;

const std::string Settings = test::SettingsPath;
const std::string Live = test::WallpaperValuesPath;
std::string Sub(int n) {
    return test::DesktopPath(n);
}

// The user's background as the system keeps it.
void SetLive(SimMachine &sim, const std::string &wallpaper, const std::string &pattern = "(None)",
             const std::string &tile = "0", const std::string &style = "2") {
    sim.SetText(HkeyCurrentUser(), Live, "Wallpaper", wallpaper);
    sim.SetText(HkeyCurrentUser(), Live, "Pattern", pattern);
    sim.SetText(HkeyCurrentUser(), Live, "TileWallpaper", tile);
    sim.SetText(HkeyCurrentUser(), Live, "WallpaperStyle", style);
}

testing::AssertionResult Stored(const SimMachine &sim, const std::string &path, const char *name, Dword type,
                                std::size_t size) {
    auto value = sim.Value(HkeyCurrentUser(), path, name);
    if (!value) return testing::AssertionFailure() << path << " " << name << " missing";
    if (value->type != type || value->data.size() != size)
        return testing::AssertionFailure()
               << path << " " << name << ": type " << value->type << " size " << value->data.size();
    return testing::AssertionSuccess();
}
std::string Text(const SimMachine &sim, const std::string &path, const char *name) {
    auto value = sim.Value(HkeyCurrentUser(), path, name);
    return value ? value->Text() : "<missing>";
}
std::uint32_t Number(const SimMachine &sim, const std::string &path, const char *name) {
    auto value = sim.Value(HkeyCurrentUser(), path, name);
    return value ? value->Number() : 0xDEADBEEF;
}
std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<SimParameterCall> WallpaperCalls(const SimMachine &sim) {
    std::vector<SimParameterCall> calls;
    for (const SimParameterCall &c : sim.parameterCalls)
        if (c.action == SPI_SETDESKWALLPAPER || c.action == SPI_SETDESKPATTERN) calls.push_back(c);
    return calls;
}

bool TouchedLiveValues(const SimMachine &sim) {
    return std::any_of(sim.registryCalls.begin(), sim.registryCalls.end(), [](const SimRegistryCall &c) {
        return c.path.find("Control Panel") != std::string::npos ||
               c.name.find("Control Panel") != std::string::npos;
    });
}

// A second run of the program on the same registry, up to the load.
void LoadAgain(SimMachine &sim, AppState &app) {
    app.Sys = &sim.Ports();
    app.LanguageBase = ChooseLanguage(app);
    CaptureStartupWallpaper(app);
    ASSERT_TRUE(LoadOrCreateSettings(app));
}

TEST(Settings, FirstRunStoresTheDefaultSetWithExactTypesAndSizes) {
    for (Uint lcid : {0x0409u, 0x040Cu}) {
        Machine m;
        m.sim.SetUserDefaultLCID(lcid);
        SetLive(m.sim, "C:\\WINDOWS\\Clouds.bmp", "170 85 170 85 170 85 170 85", "1", "0");
        m.Start();
        const std::string word = lcid == 0x040C ? "Bureau " : "Desktop ";
        SCOPED_TRACE(word);
        EXPECT_EQ(Sorted(m.sim.ValueNames(HkeyCurrentUser(), Settings)),
                  (std::vector<std::string>{"Desktop", "RowsFloating", "Wallpaper"}));
        EXPECT_TRUE(Stored(m.sim, Settings, "Desktop", REG_DWORD, 4));
        EXPECT_EQ(Number(m.sim, Settings, "Desktop"), 2u);
        EXPECT_TRUE(Stored(m.sim, Settings, "Wallpaper", REG_DWORD, 1));
        EXPECT_EQ(Number(m.sim, Settings, "Wallpaper"), 1u);
        EXPECT_TRUE(Stored(m.sim, Settings, "RowsFloating", REG_DWORD, 4));
        EXPECT_EQ(Number(m.sim, Settings, "RowsFloating"), 1u);
        EXPECT_EQ(Sorted(m.sim.SubKeys(HkeyCurrentUser(), Settings)),
                  (std::vector<std::string>{"Desktop1", "Desktop2"}));
        for (int n = 1; n <= 2; ++n) {
            EXPECT_TRUE(Stored(m.sim, Sub(n), "Wallpaper", REG_SZ, 260));
            EXPECT_TRUE(Stored(m.sim, Sub(n), "Pattern", REG_SZ, 260));
            EXPECT_TRUE(Stored(m.sim, Sub(n), "TileWallpaper", REG_SZ, 2));
            EXPECT_TRUE(Stored(m.sim, Sub(n), "WallpaperStyle", REG_SZ, 2));
            EXPECT_TRUE(Stored(m.sim, Sub(n), "DesktopTitle", REG_SZ, 33));
            EXPECT_TRUE(Stored(m.sim, Sub(n), "HotKey", REG_DWORD, 4));
            EXPECT_EQ(Text(m.sim, Sub(n), "Wallpaper"), "C:\\WINDOWS\\Clouds.bmp");
            EXPECT_EQ(Text(m.sim, Sub(n), "Pattern"), "170 85 170 85 170 85 170 85");
            EXPECT_EQ(Text(m.sim, Sub(n), "TileWallpaper"), "1");
            EXPECT_EQ(Text(m.sim, Sub(n), "DesktopTitle"), word + std::to_string(n));
            EXPECT_EQ(Number(m.sim, Sub(n), "HotKey"), 0u);
        }
        EXPECT_TRUE(WallpaperCalls(m.sim).empty()); // the start-up background is already in force
    }
}

TEST(Settings, EverythingSavedIsLoadedBackByTheNextRun) {
    Machine m;
    SetLive(m.sim, "C:\\one.bmp");
    m.Start();
    m.Command(CmdCreateDesktop);
    m.Command(DisplayModeCommand(DisplayMenu)); // single icon: the only writer of "Display"
    std::strcpy(m.app.Record(3).DesktopTitle, "A title of exactly 32 characters");
    std::strcpy(m.app.Record(2).Wallpaper, "D:\\two.bmp");
    std::strcpy(m.app.Record(2).TileWallpaper, "1");
    m.app.Record(1).HotKey = (MOD_CONTROL | MOD_ALT) << 16 | (VK_F1 + 4);
    m.app.Record(3).HotKey = VK_F1;
    SetOwnWallpapers(m.app, 0);
    SetRowsFloating(m.app, 3);
    m.sim.SetWindowPos(m.app.FloatingWindow, nullptr, -7, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SaveSettings(m.app, SaveDesktopSet | SaveFloatingPosition);

    EXPECT_TRUE(Stored(m.sim, Settings, "Wallpaper", REG_DWORD, 1));
    EXPECT_EQ(Number(m.sim, Settings, "Wallpaper"), 0u);
    EXPECT_TRUE(Stored(m.sim, Settings, "Display", REG_DWORD, 4));
    EXPECT_TRUE(Stored(m.sim, Settings, "FloatingX", REG_DWORD, 4));
    EXPECT_EQ(Number(m.sim, Settings, "FloatingX"), 0xFFFFFFF9u);
    EXPECT_TRUE(Stored(m.sim, Settings, "TopMost", REG_DWORD, 4));
    EXPECT_TRUE(Stored(m.sim, Sub(3), "DesktopTitle", REG_SZ, 33));
    EXPECT_EQ(Number(m.sim, Sub(1), "HotKey"), 0x00030074u);

    AppState again;
    LoadAgain(m.sim, again);
    EXPECT_EQ(again.DesktopCount(), 3);
    EXPECT_EQ(again.OwnWallpapers, 0);
    EXPECT_EQ(again.DisplayMode, 2);
    EXPECT_EQ(again.RowsFloating, 3);
    EXPECT_EQ(again.Loaded.FloatingX, -7);
    EXPECT_EQ(again.Loaded.FloatingY, 40);
    EXPECT_EQ(again.Loaded.TopMost, 8u);
    for (int n = 1; n <= 3; ++n) {
        const DesktopRecord &saved = m.app.Record(n), &loaded = again.Record(n);
        SCOPED_TRACE(n);
        EXPECT_STREQ(loaded.Wallpaper, saved.Wallpaper);
        EXPECT_STREQ(loaded.Pattern, saved.Pattern);
        EXPECT_STREQ(loaded.TileWallpaper, saved.TileWallpaper);
        EXPECT_STREQ(loaded.WallpaperStyle, saved.WallpaperStyle);
        EXPECT_STREQ(loaded.DesktopTitle, saved.DesktopTitle);
        EXPECT_EQ(loaded.HotKey, saved.HotKey);
    }
    // The next run puts desktop 1's background in force even with one background for all.
    EXPECT_EQ(m.sim.ShownWallpaper(), "C:\\one.bmp");

    StartWithDesktops(again, 2);
    m.sim.CreateKey(HkeyCurrentUser(), Settings + "\\Desktop8");
    SaveSettings(again, SaveDesktopSet);
    EXPECT_EQ(Sorted(m.sim.SubKeys(HkeyCurrentUser(), Settings)),
              (std::vector<std::string>{"Desktop1", "Desktop2"}));
    EXPECT_EQ(Number(m.sim, Settings, "Desktop"), 2u);
}

// Windows 95 keeps each string as its text and one zero, NT the whole field; both load back
// what the program stored, and each save leaves exactly its desktops' subkeys (a surplus subkey
// that holds a key of someone else's goes on 95, and stays on NT, which refuses it).
TEST(Settings, BothSystemFamiliesLoadBackWhatWasStored) {
    for (Dword version : {0x05650004u, 0xC0000004u}) {
        const bool windows95 = (version & 0x80000000u) != 0;
        SCOPED_TRACE(windows95 ? "Windows 95" : "NT 4.0");
        Machine m;
        m.sim.version = version;
        SetLive(m.sim, "C:\\one.bmp", "(None)", "1", "10");
        m.Start();
        m.Command(CmdCreateDesktop);
        std::strcpy(m.app.Record(3).DesktopTitle, "A title of exactly 32 characters");
        m.app.Record(2).HotKey = VK_F1 + 1;
        m.sim.CreateKey(HkeyCurrentUser(), Settings + "\\Desktop5\\Theirs");
        SaveSettings(m.app, SaveDesktopSet);

        EXPECT_TRUE(Stored(m.sim, Sub(3), "DesktopTitle", REG_SZ, 33));
        EXPECT_TRUE(Stored(m.sim, Sub(1), "DesktopTitle", REG_SZ, windows95 ? 10 : 33));
        EXPECT_TRUE(Stored(m.sim, Sub(1), "Wallpaper", REG_SZ, windows95 ? 11 : 260));
        EXPECT_TRUE(Stored(m.sim, Sub(2), "WallpaperStyle", REG_SZ, 3));
        EXPECT_TRUE(Stored(m.sim, Sub(2), "TileWallpaper", REG_SZ, 2));
        EXPECT_TRUE(Stored(m.sim, Settings, "Wallpaper", REG_DWORD, 1));
        EXPECT_EQ(m.sim.KeyExists(HkeyCurrentUser(), Sub(5)), !windows95);

        AppState again;
        LoadAgain(m.sim, again);
        EXPECT_EQ(again.DesktopCount(), 3);
        for (int n = 1; n <= 3; ++n) {
            SCOPED_TRACE(n);
            EXPECT_STREQ(again.Record(n).DesktopTitle, m.app.Record(n).DesktopTitle);
            EXPECT_STREQ(again.Record(n).Wallpaper, "C:\\one.bmp");
            EXPECT_STREQ(again.Record(n).WallpaperStyle, "10");
            EXPECT_EQ(again.Record(n).HotKey, m.app.Record(n).HotKey);
        }
    }
}

TEST(Settings, MissingValuesAndSubkeysKeepTheirDefaults) {
    Machine m;
    SetLive(m.sim, "C:\\live.bmp", "(None)", "0", "0");
    m.sim.SetNumber(HkeyCurrentUser(), Settings, "Language", 100);
    m.Start(); // loaded, not a first run
    // Only the floating window's first placement saves, and only what it may: the row count.
    EXPECT_EQ(m.sim.ValueNames(HkeyCurrentUser(), Settings),
              (std::vector<std::string>{"Language", "RowsFloating"}));
    EXPECT_EQ(m.app.DesktopCount(), 2);
    EXPECT_EQ(m.app.DisplayMode, 1);
    EXPECT_EQ(m.app.OwnWallpapers, 1);
    EXPECT_EQ(m.app.RowsFloating, 1);
    EXPECT_EQ(m.app.Loaded.FloatingX, 3000);
    EXPECT_EQ(m.app.Loaded.FloatingY, 3000);
    EXPECT_TRUE(m.sim.GetWindowLongA(m.app.FloatingWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    for (int n = 1; n <= 2; ++n) {
        EXPECT_STREQ(m.app.Record(n).DesktopTitle, "");
        EXPECT_STREQ(m.app.Record(n).Wallpaper, "C:\\live.bmp");
        EXPECT_EQ(m.app.Record(n).HotKey, 0u);
    }
    EXPECT_TRUE(m.sim.HotKeys().empty());

    // A failed "HotKey" read gives no hot key, whatever the record held.
    m.sim.SetNumber(HkeyCurrentUser(), Sub(1), "HotKey", VK_F1);
    m.sim.SetText(HkeyCurrentUser(), Sub(2), "DesktopTitle", "Two", 33);
    AppState again;
    again.Sys = &m.sim.Ports();
    again.Record(2).HotKey = VK_F1 + 1;
    Hkey key = nullptr;
    ASSERT_EQ(m.sim.RegOpenKeyExA(HkeyCurrentUser(), Settings.c_str(), KEY_READ, &key), ERROR_SUCCESS);
    LoadSettings(again, key);
    EXPECT_EQ(again.Record(1).HotKey, VK_F1);
    EXPECT_EQ(again.Record(2).HotKey, 0u);
    EXPECT_STREQ(again.Record(2).DesktopTitle, "Two");
    EXPECT_EQ(m.sim.OpenKeyCount(), 0u);
}

TEST(Settings, StoredValuesOutsideTheLimitsAreBounded) {
    struct Case {
        const char *name;
        std::uint32_t stored;
        std::int32_t expected;
    } cases[] = {
        {"Desktop", 0, 2},          {"Desktop", 1, 2},          {"Desktop", 9, 8},
        {"Desktop", 0xFFFFFFFF, 2}, {"Desktop", 5, 5},          {"Display", 0, 1},
        {"Display", 4, 1},          {"Display", 0x80000002, 1}, {"Display", 3, 3},
        {"RowsFloating", 0, 1},     {"RowsFloating", 9, 8},     {"RowsFloating", 0xFFFFFFFF, 1},
        {"RowsFloating", 4, 4},     {"TopMost", 0xFFFFFFFF, 8}, {"TopMost", 0x107, 0},
        {"TopMost", 8, 8},
    };
    for (const Case &c : cases) {
        Machine m;
        m.sim.SetNumber(HkeyCurrentUser(), Settings, c.name, c.stored);
        LoadAgain(m.sim, m.app);
        const std::string name = c.name;
        std::int32_t got = name == "Desktop"   ? m.app.DesktopCount()
                           : name == "Display" ? m.app.DisplayMode
                           : name == "TopMost" ? static_cast<std::int32_t>(m.app.Loaded.TopMost)
                                               : m.app.RowsFloating;
        EXPECT_EQ(got, c.expected) << c.name << " " << c.stored;
    }

    // The flag is one byte; a four-byte value does not fit and is not taken.
    for (Dword size : {1u, 4u}) {
        Machine m;
        m.sim.SetNumber(HkeyCurrentUser(), Settings, "Wallpaper", 0, size);
        LoadAgain(m.sim, m.app);
        EXPECT_EQ(m.app.OwnWallpapers, size == 1 ? 0 : 1) << size;
    }

    struct Language {
        Uint lcid;
        std::int64_t stored; // -1: none
        std::int32_t expected;
    } languages[] = {{0x040C, 5, 0},  {0x0409, 5, 100}, {0x0409, 0, 0},  {0x040C, 100, 100},
                     {0x080C, -1, 0}, {0x0407, 1, 100}, {0x040C, 101, 0}};
    for (const Language &l : languages) {
        Machine m;
        m.sim.SetUserDefaultLCID(l.lcid);
        if (l.stored >= 0)
            m.sim.SetNumber(HkeyCurrentUser(), Settings, "Language", static_cast<std::uint32_t>(l.stored));
        EXPECT_EQ(ChooseLanguage(m.app), l.expected) << l.lcid << " " << l.stored;
    }
}

TEST(Settings, TextsThatDoNotFitTheirFieldAreNotTaken) {
    Machine m;
    SetLive(m.sim, "C:\\live.bmp", "(None)", "0", "2");
    m.sim.SetNumber(HkeyCurrentUser(), Settings, "Desktop", 2);
    m.sim.SetValue(HkeyCurrentUser(), Sub(1), "DesktopTitle", REG_SZ, std::vector<std::uint8_t>(33, 'X'));
    m.sim.SetValue(HkeyCurrentUser(), Sub(1), "TileWallpaper", REG_SZ,
                   std::vector<std::uint8_t>(StyleTextSize, '1'));
    m.sim.SetText(HkeyCurrentUser(), Sub(1), "Wallpaper", std::string(260, 'w'));
    m.sim.SetText(HkeyCurrentUser(), Sub(1), "Pattern", "0 0 0 0 0 0 0 0");
    const std::string whole = "A title of exactly 32 characters";
    m.sim.SetText(HkeyCurrentUser(), Sub(2), "DesktopTitle", whole);
    m.sim.SetText(HkeyCurrentUser(), Sub(2), "WallpaperStyle", "10");
    m.Start();
    EXPECT_STREQ(m.app.Record(1).DesktopTitle, "");
    EXPECT_STREQ(m.app.Record(1).TileWallpaper, "0");
    EXPECT_STREQ(m.app.Record(1).Wallpaper, "C:\\live.bmp");
    EXPECT_STREQ(m.app.Record(1).Pattern, "0 0 0 0 0 0 0 0");
    EXPECT_EQ(m.app.Record(2).DesktopTitle, whole);
    EXPECT_STREQ(m.app.Record(2).WallpaperStyle, "10");
}

TEST(Settings, FloatingWindowValuesAreWrittenOnlyOnceTheWindowExists) {
    Machine m;
    m.sim.SetNumber(HkeyCurrentUser(), Settings, "TopMost", 0);
    m.sim.SetNumber(HkeyCurrentUser(), Settings, "FloatingX", 200);
    m.sim.SetNumber(HkeyCurrentUser(), Settings, "FloatingY", 300);
    // A move reported while the floating window is being created: it is not set yet.
    SaveSettings(m.app, SaveFloatingPosition);
    EXPECT_EQ(Number(m.sim, Settings, "TopMost"), 0u);
    EXPECT_EQ(Number(m.sim, Settings, "FloatingX"), 200u);
    EXPECT_TRUE(Stored(m.sim, Settings, "RowsFloating", REG_DWORD, 4));

    m.Start();
    EXPECT_FALSE(m.sim.GetWindowLongA(m.app.FloatingWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(m.sim.Position(m.app.FloatingWindow).left, 200);
    m.sim.SetWindowPos(m.app.FloatingWindow, sim::HWND_TOPMOST(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SaveSettings(m.app, SaveDesktopSet); // any save carries the top-most state, not the position
    EXPECT_TRUE(Stored(m.sim, Settings, "TopMost", REG_DWORD, 4));
    EXPECT_EQ(Number(m.sim, Settings, "TopMost"), 8u);
    EXPECT_EQ(Number(m.sim, Settings, "FloatingX"), 200u);
    // The floating window saves its position itself when it moves.
    m.sim.SetWindowPos(m.app.FloatingWindow, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(Number(m.sim, Settings, "FloatingX"), 10u);
    EXPECT_EQ(Number(m.sim, Settings, "FloatingY"), 20u);
}

TEST(Settings, SavesTakeTheLiveBackgroundExceptWhileADialogIsOpenOrAfterADeletion) {
    Machine m;
    SetLive(m.sim, "C:\\start.bmp");
    m.Start();
    m.sim.SetText(HkeyCurrentUser(), Live, "Wallpaper", "C:\\chosen.bmp"); // the user's own settings
    m.sim.registryCalls.clear();
    {
        const BorrowedCurrentDesktop dialog(m.app, 1);
        SaveSettings(m.app, SaveDesktopSet);
    }
    SaveSettings(m.app, SaveDesktopSet | WithoutCapture);
    EXPECT_FALSE(TouchedLiveValues(m.sim));
    EXPECT_STREQ(m.app.Record(1).Wallpaper, "C:\\start.bmp");
    EXPECT_EQ(Text(m.sim, Sub(1), "Wallpaper"), "C:\\start.bmp");

    SetOwnWallpapers(m.app, 0); // captured whatever the option says
    SaveSettings(m.app, SaveDesktopSet);
    EXPECT_STREQ(m.app.Record(1).Wallpaper, "C:\\chosen.bmp");
    EXPECT_EQ(Text(m.sim, Sub(1), "Wallpaper"), "C:\\chosen.bmp");
}

TEST(Settings, OneBackgroundOptionPutsTheStartupBackgroundBackWhereItDiffers) {
    Machine m;
    SetLive(m.sim, "C:\\start.bmp", "(None)", "0", "0");
    m.Start();
    SetLive(m.sim, "C:\\chosen.bmp", "(None)", "1", "2");
    m.sim.parameterCalls.clear();
    m.Command(CmdOneBackground);
    EXPECT_EQ(m.app.OwnWallpapers, 0);
    EXPECT_EQ(Number(m.sim, Settings, "Wallpaper"), 0u);
    EXPECT_EQ(Text(m.sim, Sub(1), "Wallpaper"), "C:\\chosen.bmp"); // taken before the restore
    EXPECT_EQ(Text(m.sim, Sub(1), "TileWallpaper"), "1");
    const auto calls = WallpaperCalls(m.sim);
    ASSERT_EQ(calls.size(), 1u); // the pattern is the same
    EXPECT_EQ(calls[0].action, SPI_SETDESKWALLPAPER);
    EXPECT_EQ(calls[0].text, "C:\\start.bmp");
    EXPECT_EQ(calls[0].winIni, SPIF_SENDWININICHANGE);
    EXPECT_TRUE(Stored(m.sim, Live, "Wallpaper", REG_SZ, 260));
    EXPECT_EQ(Text(m.sim, Live, "Wallpaper"), "C:\\start.bmp");
    EXPECT_TRUE(Stored(m.sim, Live, "TileWallpaper", REG_SZ, 2));
    EXPECT_EQ(Text(m.sim, Live, "TileWallpaper"), "0");
    m.Command(CmdOneBackground);
    EXPECT_EQ(m.app.OwnWallpapers, 1);
    EXPECT_EQ(Number(m.sim, Settings, "Wallpaper"), 1u);
}

// Desktops 1 to 3 stored with backgrounds that differ only in places.
void StoreBackgrounds(SimMachine &sim) {
    sim.SetNumber(HkeyCurrentUser(), Settings, "Desktop", 3);
    const char *wallpapers[] = {"C:\\one.bmp", "C:\\one.bmp", "c:\\ONE.bmp"};
    const char *tiles[] = {"0", "1", "0"};
    const char *styles[] = {"0", "2", "0"};
    for (int n = 1; n <= 3; ++n) {
        sim.SetText(HkeyCurrentUser(), Sub(n), "Wallpaper", wallpapers[n - 1], 260);
        sim.SetText(HkeyCurrentUser(), Sub(n), "Pattern", "(None)", 260);
        sim.SetText(HkeyCurrentUser(), Sub(n), "TileWallpaper", tiles[n - 1], 2);
        sim.SetText(HkeyCurrentUser(), Sub(n), "WallpaperStyle", styles[n - 1], 2);
    }
}

TEST(Wallpaper, SwitchesSetTheWallpaperOnlyWhereTheTextDiffers) {
    Machine m;
    SetLive(m.sim, "C:\\start.bmp");
    StoreBackgrounds(m.sim);
    m.Start();
    EXPECT_EQ(m.sim.ShownWallpaper(), "C:\\one.bmp");
    EXPECT_EQ(Text(m.sim, Live, "Wallpaper"), "C:\\one.bmp");

    m.sim.parameterCalls.clear();
    m.sim.registryCalls.clear();
    m.Show(2); // tile and style only
    EXPECT_TRUE(WallpaperCalls(m.sim).empty());
    EXPECT_EQ(Text(m.sim, Live, "TileWallpaper"), "1");
    EXPECT_EQ(Text(m.sim, Live, "WallpaperStyle"), "2");
    EXPECT_TRUE(Stored(m.sim, Live, "WallpaperStyle", REG_SZ, 2));
    EXPECT_EQ(m.sim.CountRegistryCalls("set", "Control Panel"), 2u);

    m.Show(3); // letter case counts
    auto calls = WallpaperCalls(m.sim);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].action, SPI_SETDESKWALLPAPER);
    EXPECT_EQ(calls[0].text, "c:\\ONE.bmp");
    EXPECT_TRUE(Stored(m.sim, Live, "Wallpaper", REG_SZ, 260));
    EXPECT_EQ(Text(m.sim, Live, "Wallpaper"), "c:\\ONE.bmp");

    // The user's own choice on desktop 3 is kept for desktop 3 at the next switch.
    m.sim.SetText(HkeyCurrentUser(), Live, "Pattern", "1 2 3 4 5 6 7 8");
    m.sim.parameterCalls.clear();
    m.Show(1);
    EXPECT_STREQ(m.app.Record(3).Pattern, "1 2 3 4 5 6 7 8");
    EXPECT_EQ(m.sim.ShownWallpaper(), "C:\\one.bmp");
    EXPECT_EQ(m.sim.ShownPattern(), "(None)");
    EXPECT_EQ(WallpaperCalls(m.sim).size(), 2u);
}

TEST(Wallpaper, WithOneBackgroundForAllSwitchesLeaveTheSystemValuesAlone) {
    Machine m;
    SetLive(m.sim, "C:\\start.bmp");
    StoreBackgrounds(m.sim);
    m.sim.SetText(HkeyCurrentUser(), Sub(2), "Wallpaper", "C:\\two.bmp", 260);
    m.sim.SetNumber(HkeyCurrentUser(), Settings, "Wallpaper", 0, 1);
    m.Start();
    EXPECT_EQ(m.sim.ShownWallpaper(), "C:\\one.bmp"); // start-up applies desktop 1 regardless
    m.sim.parameterCalls.clear();
    m.sim.registryCalls.clear();
    m.Show(2);
    m.Show(3);
    m.Show(1);
    EXPECT_FALSE(TouchedLiveValues(m.sim));
    EXPECT_TRUE(WallpaperCalls(m.sim).empty());
}

TEST(Wallpaper, StylesOfTwoDigitsFollowTheirDesktop) {
    Machine m;
    SetLive(m.sim, "C:\\start.bmp", "(None)", "0", "10");
    m.Start();
    EXPECT_TRUE(Stored(m.sim, Sub(1), "WallpaperStyle", REG_SZ, 3));
    EXPECT_EQ(Text(m.sim, Sub(1), "WallpaperStyle"), "10");
    EXPECT_TRUE(Stored(m.sim, Sub(1), "TileWallpaper", REG_SZ, 2)); // one digit: as always
    EXPECT_EQ(Text(m.sim, Live, "WallpaperStyle"), "10");

    m.Show(2);
    m.sim.SetText(HkeyCurrentUser(), Live, "WallpaperStyle", "22"); // chosen on desktop 2
    m.Show(1);
    EXPECT_EQ(Text(m.sim, Live, "WallpaperStyle"), "10");
    EXPECT_TRUE(Stored(m.sim, Live, "WallpaperStyle", REG_SZ, 3));
    m.Show(2);
    EXPECT_EQ(Text(m.sim, Live, "WallpaperStyle"), "22");
    m.sim.SetText(HkeyCurrentUser(), Live, "WallpaperStyle", "6");
    m.Command(CmdCreateDesktop); // saves desktop 2's "6", and desktop 3 starts with it
    AppState again;
    LoadAgain(m.sim, again);
    EXPECT_STREQ(again.Record(1).WallpaperStyle, "10");
    EXPECT_STREQ(again.Record(2).WallpaperStyle, "6");
    EXPECT_STREQ(again.Record(3).WallpaperStyle, "6");
}

TEST(Wallpaper, ALiveValueNoFieldHoldsIsNeverWrittenOver) {
    const std::string longPath = "C:\\" + std::string(300, 'w') + ".bmp";
    const std::string longStyle(StyleTextSize, '7');
    Machine m;
    SetLive(m.sim, longPath, "(None)", "0", longStyle);
    StoreBackgrounds(m.sim);
    m.Start(); // desktop 1's stored background would replace both
    EXPECT_EQ(Text(m.sim, Live, "Wallpaper"), longPath);
    EXPECT_EQ(Text(m.sim, Live, "WallpaperStyle"), longStyle);
    EXPECT_EQ(Text(m.sim, Live, "TileWallpaper"), "0"); // fits: desktop 1's own is put in force
    m.Show(3);
    m.Show(1);
    m.Command(CmdQuit); // quit: the start-up background where it differs
    EXPECT_EQ(Text(m.sim, Live, "Wallpaper"), longPath);
    EXPECT_EQ(Text(m.sim, Live, "WallpaperStyle"), longStyle);
    for (const SimParameterCall &call : WallpaperCalls(m.sim))
        EXPECT_NE(call.action, SPI_SETDESKWALLPAPER);
    EXPECT_STREQ(m.app.Record(1).Wallpaper, "C:\\one.bmp"); // not taken either

    // Values of a type the system does not use for them are left alone too.
    Machine other;
    SetLive(other.sim, "C:\\start.bmp");
    other.sim.SetNumber(HkeyCurrentUser(), Live, "TileWallpaper", 1);
    other.Start();
    EXPECT_EQ(other.sim.Value(HkeyCurrentUser(), Live, "TileWallpaper")->type, REG_DWORD);
}

// ---- Saves cut short ----

// One desktop as a later run loads it.
struct Loaded {
    std::string wallpaper, pattern, tile, style, title;
    std::uint32_t hotKey;
    bool operator==(const Loaded &o) const {
        return wallpaper == o.wallpaper && pattern == o.pattern && tile == o.tile && style == o.style &&
               title == o.title && hotKey == o.hotKey;
    }
};
std::vector<Loaded> DesktopSet(AppState &app) {
    std::vector<Loaded> set;
    for (int n = 1; n <= app.DesktopCount(); ++n) {
        const DesktopRecord &r = app.Record(n);
        set.push_back({r.Wallpaper, r.Pattern, r.TileWallpaper, r.WallpaperStyle, r.DesktopTitle, r.HotKey});
    }
    return set;
}

// `count` desktops that differ in every stored value; desktop 1's background is in force.
void StoreDistinctDesktops(Machine &m, int count) {
    const char *styles[] = {"0", "2", "6", "1", "0", "2", "6", "1"};
    for (int n = 1; n <= count; ++n) {
        const std::string digit = std::to_string(n);
        m.sim.SetText(HkeyCurrentUser(), Sub(n), "Wallpaper", "C:\\wall" + digit + ".bmp", 260);
        m.sim.SetText(HkeyCurrentUser(), Sub(n), "Pattern", digit + " 0 0 0 0 0 0 0", 260);
        m.sim.SetText(HkeyCurrentUser(), Sub(n), "TileWallpaper", n % 2 == 0 ? "1" : "0", 2);
        m.sim.SetText(HkeyCurrentUser(), Sub(n), "WallpaperStyle", styles[n - 1], 2);
        m.sim.SetText(HkeyCurrentUser(), Sub(n), "DesktopTitle", "Title " + digit, 33);
        m.sim.SetNumber(HkeyCurrentUser(), Sub(n), "HotKey", MOD_ALT << 16 | (VK_F1 + n - 1));
    }
    m.sim.SetNumber(HkeyCurrentUser(), Settings, "Desktop", static_cast<std::uint32_t>(count));
    SetLive(m.sim, "C:\\wall1.bmp", "1 0 0 0 0 0 0 0", "0", "0");
}

// `part` in order inside `whole`.
bool InOrder(const std::vector<Loaded> &part, const std::vector<Loaded> &whole) {
    std::size_t i = 0;
    for (const Loaded &d : whole)
        if (i < part.size() && d == part[i]) ++i;
    return i == part.size();
}

struct CutFigures {
    std::size_t writes = 0;  // registry writes of the whole operation, each one a cut point
    std::size_t neither = 0; // cuts after which the next run loads neither the old nor the new set
    std::size_t lost = 0;    // cuts after which a desktop of the new set is not loaded whole, or a
                             // desktop appears that is neither the new set's nor an extra one
};

// Runs `change` on `stored` distinct desktops, killed before each of its registry writes in
// turn, and loads what each cut leaves in a second run.
CutFigures CutEveryWrite(int stored, int shown, Uint command) {
    auto prepare = [&](Machine &m) {
        StoreDistinctDesktops(m, stored);
        m.Start();
        if (shown != 1) m.Show(shown);
    };
    CutFigures figures;
    std::vector<Loaded> before, after;
    {
        Machine m;
        prepare(m);
        before = DesktopSet(m.app);
        const std::size_t start = m.sim.registryWrites;
        m.Command(command);
        figures.writes = m.sim.registryWrites - start;
        after = DesktopSet(m.app);
    }
    for (std::size_t cut = 0; cut < figures.writes; ++cut) {
        Machine m;
        prepare(m);
        m.sim.CutRegistryWrites(cut);
        m.Command(command);
        m.sim.ResumeRegistryWrites();
        AppState again;
        LoadAgain(m.sim, again);
        const std::vector<Loaded> loaded = DesktopSet(again);
        if (loaded == before || loaded == after) continue;
        ++figures.neither;
        // What a shrinking save may leave: the new set whole and in order, and at most the one
        // desktop more that the old count still names.
        if (!InOrder(after, loaded) || loaded.size() > std::max(before.size(), after.size())) ++figures.lost;
    }
    return figures;
}

TEST(Settings, ASaveCutShortAtAnyWriteLosesNoDesktop) {
    // Growing: the new subkey is written whole before "Desktop" names it.
    CutFigures created = CutEveryWrite(3, 1, CmdCreateDesktop);
    EXPECT_EQ(created.neither, 0u) << created.writes << " cuts of a creation 3 -> 4";
    EXPECT_EQ(created.lost, 0u);

    // Shrinking by the last desktop: "Desktop" shrinks before the subkey goes.
    CutFigures last = CutEveryWrite(4, 4, CmdDeleteCurrentDesktop);
    EXPECT_EQ(last.neither, 0u) << last.writes << " cuts of a deletion of desktop 4 of 4";
    EXPECT_EQ(last.lost, 0u);

    // Renumbering: desktops 3 and 4 move down while "Desktop" still says 4, so until it says 3
    // one desktop too many is loaded (a copy of a neighbour, or the deleted one partly
    // overwritten), never one too few. No order of single writes can do better: with 4 slots
    // and one count, any first write either shrinks the count (losing desktop 4) or changes a
    // slot that the old count still shows.
    CutFigures middle = CutEveryWrite(4, 2, CmdDeleteCurrentDesktop);
    EXPECT_EQ(middle.lost, 0u) << middle.writes << " cuts of a deletion of desktop 2 of 4, " << middle.neither
                               << " neither old nor new";
    EXPECT_LE(middle.neither, 2u * 7u + 1u); // the two rewritten subkeys and the count
}

// ---- Settings that cannot be read ----

// Every value of the settings key and its subkeys, as "path\\name type:bytes".
std::vector<std::string> SettingsSnapshot(const SimMachine &sim) {
    std::vector<std::string> lines;
    std::vector<std::string> paths{Settings};
    for (const std::string &sub : sim.SubKeys(HkeyCurrentUser(), Settings))
        paths.push_back(Settings + "\\" + sub);
    for (const std::string &path : paths)
        for (const std::string &name : sim.ValueNames(HkeyCurrentUser(), path)) {
            auto value = sim.Value(HkeyCurrentUser(), path, name);
            lines.push_back(path + "\\" + name + " " + std::to_string(value->type) + ":" +
                            std::string(value->data.begin(), value->data.end()));
        }
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(Settings, SettingsThatCannotBeReadAreNeverOverwritten) {
    struct Case {
        std::string path; // where reading fails
        std::int32_t error;
        int loadedCount; // desktops of the run
    } cases[] = {
        {Settings, ERROR_ACCESS_DENIED, 2}, // its security denies reading, not writing
        {Settings, sim::ERROR_BADDB, 2},    // a broken hive
        {Sub(3), ERROR_ACCESS_DENIED, 4},   // one desktop's subkey
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.error));
        Machine m;
        StoreDistinctDesktops(m, 4);
        m.sim.SetNumber(HkeyCurrentUser(), Settings, "Display", 2);
        const std::vector<std::string> stored = SettingsSnapshot(m.sim);
        m.sim.FailReads(HkeyCurrentUser(), c.path, c.error);
        m.Start();
        EXPECT_EQ(m.app.Loaded.SettingsUnreadable, 1);
        EXPECT_EQ(m.app.DesktopCount(), c.loadedCount);
        if (c.loadedCount == 2) { // the first run's desktops, in memory only
            EXPECT_STREQ(m.app.Record(1).DesktopTitle, "Desktop 1");
            EXPECT_STREQ(m.app.Record(2).DesktopTitle, "Desktop 2");
        } else {
            EXPECT_STREQ(m.app.Record(2).DesktopTitle, "Title 2");
            EXPECT_STREQ(m.app.Record(3).DesktopTitle, "");
        }
        // Every kind of save the user can cause.
        m.Command(CmdCreateDesktop);
        m.Command(DisplayModeCommand(DisplayMenu));
        m.Command(CmdOneBackground);
        m.Show(2);
        m.Command(CmdDeleteCurrentDesktop);
        m.sim.SetWindowPos(m.app.FloatingWindow, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SaveSettings(m.app, SaveFloatingPosition);
        m.Command(CmdQuit);
        EXPECT_EQ(SettingsSnapshot(m.sim), stored);
        EXPECT_EQ(m.sim.CountRegistryCalls("set", "Quillane") +
                      m.sim.CountRegistryCalls("deletekey", "Quillane"),
                  0u);
    }

    // A key that is simply not there is a first run, and saved.
    Machine m;
    m.sim.FailReads(HkeyCurrentUser(), Sub(1), ERROR_ACCESS_DENIED);
    m.Start();
    EXPECT_EQ(m.app.Loaded.SettingsUnreadable, 0);
    EXPECT_EQ(Number(m.sim, Settings, "Desktop"), 2u);
}

TEST(Settings, ValuesOfAnotherTypeThanWrittenAreMissing) {
    auto bytes = [](const std::string &text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    Machine m;
    SetLive(m.sim, "C:\\live.bmp", "(None)", "0", "2");
    m.sim.SetValue(HkeyCurrentUser(), Settings, "Desktop", REG_SZ, bytes(std::string("5\0", 2)));
    m.sim.SetValue(HkeyCurrentUser(), Settings, "Wallpaper", REG_BINARY, {0});
    m.sim.SetValue(HkeyCurrentUser(), Settings, "Display", REG_BINARY, {3, 0, 0, 0});
    m.sim.SetValue(HkeyCurrentUser(), Settings, "RowsFloating", REG_SZ, bytes(std::string("3\0", 2)));
    m.sim.SetValue(HkeyCurrentUser(), Settings, "FloatingX", REG_BINARY, {10, 0, 0, 0});
    m.sim.SetValue(HkeyCurrentUser(), Settings, "TopMost", REG_SZ, {0, 0, 0, 0});
    m.sim.SetValue(HkeyCurrentUser(), Settings, "Language", REG_BINARY, {0, 0, 0, 0}); // any type
    m.sim.SetValue(HkeyCurrentUser(), Sub(1), "DesktopTitle", REG_BINARY, bytes(std::string("Raw\0", 4)));
    m.sim.SetValue(HkeyCurrentUser(), Sub(1), "HotKey", REG_SZ, {0x70, 0, 0, 0});
    m.sim.SetValue(HkeyCurrentUser(), Sub(1), "Wallpaper", 2 /* REG_EXPAND_SZ */, bytes("C:\\x.bmp"));
    m.sim.SetText(HkeyCurrentUser(), Sub(2), "DesktopTitle", "Two");
    m.sim.SetNumber(HkeyCurrentUser(), Sub(2), "HotKey", 0x70);
    m.Start();
    EXPECT_EQ(m.app.Loaded.SettingsUnreadable, 0);
    EXPECT_EQ(m.app.LanguageBase, 0);
    EXPECT_EQ(m.app.DesktopCount(), 2);
    EXPECT_EQ(m.app.OwnWallpapers, 1);
    EXPECT_EQ(m.app.DisplayMode, 1);
    EXPECT_EQ(m.app.RowsFloating, 1);
    EXPECT_EQ(m.app.Loaded.FloatingX, 3000);
    EXPECT_EQ(m.app.Loaded.TopMost, 8u);
    EXPECT_STREQ(m.app.Record(1).DesktopTitle, "");
    EXPECT_EQ(m.app.Record(1).HotKey, 0u);
    EXPECT_STREQ(m.app.Record(1).Wallpaper, "C:\\live.bmp");
    EXPECT_STREQ(m.app.Record(2).DesktopTitle, "Two");
    EXPECT_EQ(m.app.Record(2).HotKey, 0x70u);
    // The next save stores them as the program writes them.
    m.Command(CmdCreateDesktop);
    EXPECT_TRUE(Stored(m.sim, Settings, "Desktop", REG_DWORD, 4));
    EXPECT_TRUE(Stored(m.sim, Settings, "Wallpaper", REG_DWORD, 1));
    EXPECT_TRUE(Stored(m.sim, Sub(1), "DesktopTitle", REG_SZ, 33));
}

} // namespace
} // namespace q
