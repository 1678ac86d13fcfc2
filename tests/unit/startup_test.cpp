// Start-up: the argument text, the language, and what a first run leaves in the registry.
#include "machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q::test {
namespace {

TEST(Startup, OnlyTheExactArgumentUninstallSelectsTheUninstallMode) {
    struct Case {
        const char *commandLine;
        const char *argument;
        bool uninstall;
    };
    const Case cases[] = {
        {"quillane.exe uninstall", "uninstall", true},
        {"\"C:\\Program Files\\Quillane\\quillane.exe\" uninstall", "uninstall", true},
        {" \t\"C:\\My Tools\\quillane.exe\"\t \tuninstall", "uninstall", true},
        {"\"C:\\My Tools\\quillane.exe\"uninstall", "uninstall", true},
        {"C:\\WINDOWS\\QUILLANE.EXE   uninstall", "uninstall", true},
        {"quillane.exe Uninstall", "Uninstall", false},
        {"quillane.exe uninstall ", "uninstall ", false},
        {"quillane.exe uninstall\t", "uninstall\t", false},
        {"quillane.exe uninstall now", "uninstall now", false},
        {"quillane.exe uninstalled", "uninstalled", false},
        {"quillane.exe", "", false},
        {"quillane.exe \t ", "", false},
        {"\"C:\\My Tools\\quillane.exe\"", "", false},
        // An unclosed quote makes the rest the program's name.
        {"\"C:\\My Tools\\quillane.exe uninstall", "", false},
        {"", "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.commandLine);
        const char *argument = ArgumentText(c.commandLine);
        EXPECT_STREQ(argument, c.argument);
        EXPECT_EQ(IsUninstallArgument(argument), c.uninstall);
    }
}

TEST(Startup, LanguageComesFromTheStoredValueOrElseTheLocale) {
    struct Case {
        const char *what;
        bool stored;
        std::uint32_t language;
        Uint lcid;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"French (Canada) locale", false, 0, 0x0C0C, 0},
        {"French (Switzerland) locale", false, 0, 0x100C, 0},
        {"German locale", false, 0, 0x0407, 100},
        {"English locale", false, 0, 0x0409, 100},
        {"stored English on a French system", true, 100, 0x040C, 100},
        {"stored French on an English system", true, 0, 0x0409, 0},
        {"stored nonsense on a French system", true, 5, 0x040C, 0},
        {"stored nonsense on a German system", true, 5, 0x0407, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Machine m;
        m.sim.SetUserDefaultLCID(c.lcid);
        if (c.stored) m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "Language", c.language);
        m.Start();
        EXPECT_EQ(m.app.LanguageBase, c.expected);
        // The program never writes it.
        std::optional<SimValue> language = m.sim.Value(HkeyCurrentUser(), SettingsPath, "Language");
        EXPECT_EQ(language.has_value(), c.stored);
    }

    // Any type will do, as long as it holds the number.
    Machine m;
    m.sim.SetUserDefaultLCID(0x0409);
    m.sim.SetValue(HkeyCurrentUser(), SettingsPath, "Language", REG_BINARY, {0, 0, 0, 0});
    m.Start();
    EXPECT_EQ(m.app.LanguageBase, 0);
}

TEST(Startup, FirstRunCreatesExactlyTheSettingsOfTwoDesktops) {
    struct Case {
        Uint lcid;
        const char *word;
    };
    for (const Case &c : {Case{0x040C, "Bureau"}, Case{0x0409, "Desktop"}}) {
        SCOPED_TRACE(c.word);
        Machine m;
        m.sim.SetUserDefaultLCID(c.lcid);
        m.sim.SetText(HkeyCurrentUser(), WallpaperValuesPath, "Wallpaper", "C:\\WINDOWS\\clouds.bmp");
        m.sim.SetText(HkeyCurrentUser(), WallpaperValuesPath, "Pattern", "(None)");
        m.sim.SetText(HkeyCurrentUser(), WallpaperValuesPath, "TileWallpaper", "1");
        m.sim.SetText(HkeyCurrentUser(), WallpaperValuesPath, "WallpaperStyle", "0");
        m.Start();

        // No "Display", "TopMost", "FloatingX", "FloatingY" or "Language" yet.
        EXPECT_EQ(m.sim.ValueNames(HkeyCurrentUser(), SettingsPath),
                  (std::vector<std::string>{"Desktop", "RowsFloating", "Wallpaper"}));
        struct Number {
            const char *name;
            std::size_t size;
            std::uint32_t value;
        };
        for (const Number &n :
             {Number{"Desktop", 4, 2}, Number{"Wallpaper", 1, 1}, Number{"RowsFloating", 4, 1}}) {
            std::optional<SimValue> v = m.sim.Value(HkeyCurrentUser(), SettingsPath, n.name);
            ASSERT_TRUE(v.has_value()) << n.name;
            EXPECT_EQ(v->type, REG_DWORD) << n.name;
            EXPECT_EQ(v->data.size(), n.size) << n.name;
            EXPECT_EQ(v->Number(), n.value) << n.name;
        }

        EXPECT_EQ(m.sim.SubKeys(HkeyCurrentUser(), SettingsPath),
                  (std::vector<std::string>{"Desktop1", "Desktop2"}));
        for (int d = 1; d <= 2; ++d) {
            SCOPED_TRACE("desktop " + std::to_string(d));
            const std::string path = DesktopPath(d);
            EXPECT_EQ(m.sim.ValueNames(HkeyCurrentUser(), path),
                      (std::vector<std::string>{"DesktopTitle", "HotKey", "Pattern", "TileWallpaper",
                                                "Wallpaper", "WallpaperStyle"}));
            struct Text {
                const char *name;
                std::size_t size;
                std::string text;
            };
            const Text texts[] = {{"Wallpaper", 260, "C:\\WINDOWS\\clouds.bmp"},
                                  {"Pattern", 260, "(None)"},
                                  {"TileWallpaper", 2, "1"},
                                  {"WallpaperStyle", 2, "0"},
                                  {"DesktopTitle", 33, std::string(c.word) + " " + std::to_string(d)}};
            for (const Text &t : texts) {
                std::optional<SimValue> v = m.sim.Value(HkeyCurrentUser(), path, t.name);
                ASSERT_TRUE(v.has_value()) << t.name;
                EXPECT_EQ(v->type, REG_SZ) << t.name;
                EXPECT_EQ(v->data.size(), t.size) << t.name;
                EXPECT_EQ(v->Text(), t.text) << t.name;
            }
            std::optional<SimValue> hotKey = m.sim.Value(HkeyCurrentUser(), path, "HotKey");
            EXPECT_EQ(hotKey->type, REG_DWORD);
            EXPECT_EQ(hotKey->data.size(), 4u);
            EXPECT_EQ(hotKey->Number(), 0u);
            EXPECT_EQ(m.sim.NotifyIcon(m.app.MainWindow, static_cast<Uint>(d))->tip,
                      std::string(c.word) + " " + std::to_string(d));
        }
        EXPECT_EQ(m.app.DesktopCount(), 2);
        EXPECT_EQ(m.app.DisplayMode, 1);
    }
}

TEST(Startup, AStoredThirtyTwoCharacterTitleIsShownWhole) {
    const std::string title = "Projects, mail and the long list"; // 32 characters
    ASSERT_EQ(title.size(), 32u);
    Machine m;
    m.StoreDesktops({"Home", title});
    m.Start();
    EXPECT_EQ(m.app.Record(2).DesktopTitle, title);
    EXPECT_EQ(m.sim.NotifyIcon(m.app.MainWindow, 2)->tip, title);
    EXPECT_EQ(m.OpenMenu(2).items.at(0).text, title);
    std::string shown;
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd dialog) { shown = sim.ControlText(dialog, 100); });
    m.Command(DesktopCommandId(2, DesktopRename));
    EXPECT_EQ(shown, title);
}

} // namespace
} // namespace q::test
