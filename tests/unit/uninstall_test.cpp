// The uninstall mode on the simulated machine: what is left in the registry, the second-phase
// command line, and the closing message.
#include "machine.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/uninstall.h"

namespace q::test {
namespace {

constexpr char RunPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char RemovalPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillane";
constexpr char InstalledCommand[] = "C:\\WINNT\\system32\\Shellext\\quillane.exe uninstall";
constexpr Dword Windows95 = 0xC0000004;
constexpr char FirstPartEnglish[] =
    "First part of uninstall finished. Please click on the OK button and restart the uninstall procedure.";
constexpr char FirstPartFrench[] =
    "Première partie de la désinstallation terminée. Veuillez cliquer sur le bouton OK "
    "puis relancer la désinstallation.";

std::string Line95(const std::string &windows, const std::string &system) {
    return windows + "\\rundll.exe setupx.dll,InstallHinfSection DefaultUninstall 4 " + system +
           "\\Shellext\\quillane.inf";
}
std::string LineNT(const std::string &system) {
    return system + "\\rundll32.exe syssetup.dll,SetupInfObjectInstallAction DefaultUninstall 4 " + system +
           "\\Shellext\\quillane.inf";
}

// A directory of exactly n characters.
std::string Directory(std::size_t n) {
    return "C:\\" + std::string(n - 3, 'd');
}

std::string Built(Machine &m, bool windows95, int &length) {
    char line[SecondPhaseLineSize];
    std::memset(line, 'x', sizeof line);
    length = SecondPhaseLine(m.app, windows95, line);
    return line;
}

TEST(SecondPhaseLine, BothFamiliesNameTheSetupEngineAndTheInstalledFile) {
    Machine m;
    m.sim.windowsDirectory = "C:\\WINDOWS";
    m.sim.systemDirectory = "C:\\WINDOWS\\SYSTEM";
    int length = 0;
    std::string line = Built(m, true, length);
    EXPECT_EQ(line, "C:\\WINDOWS\\rundll.exe setupx.dll,InstallHinfSection DefaultUninstall 4 "
                    "C:\\WINDOWS\\SYSTEM\\Shellext\\quillane.inf");
    EXPECT_EQ(length, 110);

    m.sim.windowsDirectory = "C:\\WINNT";
    m.sim.systemDirectory = "C:\\WINNT\\system32";
    line = Built(m, false, length);
    EXPECT_EQ(line, "C:\\WINNT\\system32\\rundll32.exe syssetup.dll,SetupInfObjectInstallAction "
                    "DefaultUninstall 4 C:\\WINNT\\system32\\Shellext\\quillane.inf");
    EXPECT_EQ(length, static_cast<int>(line.size()));

    m.sim.version = 0x05650004;
    EXPECT_FALSE(IsWindows95Family(m.app));
    m.sim.version = Windows95;
    EXPECT_TRUE(IsWindows95Family(m.app));
}

// Up to 259 characters the whole line is written; one more and there is none, never a cut one.
// Directories longer than the whole buffer too; under ASan nothing is written past the buffer.
TEST(SecondPhaseLine, ALineThatWouldNotFitIsEmptyNeverCut) {
    struct Case {
        bool windows95;
        std::size_t windows, system;
    };
    const Case cases[] = {
        {true, 10, 17}, {true, 100, 76}, {true, 100, 77}, {true, 300, 17}, {true, 10, 300},
        {false, 0, 19}, {false, 0, 81},  {false, 0, 82},  {false, 0, 600},
    };
    for (const Case &c : cases) {
        Machine m;
        if (c.windows > 0) m.sim.windowsDirectory = Directory(c.windows);
        m.sim.systemDirectory = Directory(c.system);
        std::string whole = c.windows95 ? Line95(m.sim.windowsDirectory, m.sim.systemDirectory)
                                        : LineNT(m.sim.systemDirectory);
        SCOPED_TRACE(std::to_string(whole.size()) + " characters");
        int length = -1;
        std::string line = Built(m, c.windows95, length);
        if (whole.size() <= 259) {
            EXPECT_EQ(line, whole);
            EXPECT_EQ(length, static_cast<int>(whole.size()));
        } else {
            EXPECT_EQ(line, "");
            EXPECT_EQ(length, 0);
        }
    }

    // A directory the system cannot give: no line either.
    Machine m;
    m.sim.systemDirectory = "";
    int length = -1;
    EXPECT_EQ(Built(m, false, length), "");
    EXPECT_EQ(length, 0);
}

struct Installed : Machine {
    Installed() {
        // Three desktops, and a Desktop8 an older run left behind.
        StoreDesktops({"Mail", "Code", "Web"});
        sim.SetText(HkeyCurrentUser(), DesktopPath(8), "DesktopTitle", "Old", TitleSize);
        sim.SetText(HkeyCurrentUser(), "Software\\Halvern\\Other", "Kept", "yes");
        sim.SetText(HkeyLocalMachine(), RunPath, "Quillane", "C:\\WINNT\\system32\\Shellext\\quillane.exe");
        sim.SetText(HkeyLocalMachine(), RunPath, "Other", "other.exe");
        sim.SetText(HkeyLocalMachine(), RemovalPath, "UninstallString", InstalledCommand);
        sim.SetText(HkeyLocalMachine(), RemovalPath, "DisplayName", "Quillane v2.0");
        sim.SetUserDefaultLCID(0x040C);
    }
    int Uninstall() {
        app.LanguageBase = ChooseLanguage(app);
        return RunUninstall(app);
    }
    std::string Removal(const char *name, Dword &size) const {
        std::optional<SimValue> v = sim.Value(HkeyLocalMachine(), RemovalPath, name);
        if (!v) return "missing";
        EXPECT_EQ(v->type, REG_SZ);
        size = static_cast<Dword>(v->data.size());
        return std::string(v->data.begin(), v->data.end());
    }
};

TEST(Uninstall, RemovesSettingsAndAutostartAndPointsTheEntryAtTheSecondPhase) {
    Installed m;
    m.sim.SetNumber(HkeyCurrentUser(), SettingsPath, "Language", 100);
    for (int run = 1; run <= 2; ++run) { // a second run finds nothing to delete and writes the same
        SCOPED_TRACE("run " + std::to_string(run));
        EXPECT_EQ(m.Uninstall(), 0);
        EXPECT_FALSE(m.sim.KeyExists(HkeyCurrentUser(), SettingsPath));
        EXPECT_EQ(m.sim.SubKeys(HkeyCurrentUser(), "Software\\Halvern"), std::vector<std::string>{"Other"});
        EXPECT_EQ(m.sim.ValueNames(HkeyLocalMachine(), RunPath), std::vector<std::string>{"Other"});
        Dword size = 0;
        const std::string line = LineNT("C:\\WINNT\\system32");
        // Written without their zero, which the system then counts, as for every string.
        EXPECT_EQ(m.Removal("UninstallString", size), line + '\0');
        EXPECT_EQ(size, line.size() + 1);
        EXPECT_EQ(m.Removal("DisplayName", size),
                  std::string("Quillane v2.0 - uninstall not complete") + '\0');
        EXPECT_EQ(m.sim.OpenKeyCount(), 0u);

        // English as stored on a French system; the second run finds no stored language.
        ASSERT_EQ(m.sim.messageBoxes.size(), static_cast<std::size_t>(run));
        const SimMessageBox &box = m.sim.messageBoxes.back();
        EXPECT_EQ(Utf8(box.text), run == 1 ? FirstPartEnglish : FirstPartFrench);
        EXPECT_EQ(box.caption, "Quillane v2.0");
        EXPECT_EQ(box.type, MB_OK);
        EXPECT_EQ(box.owner, nullptr);
    }
}

// On Windows 95 the removal entry names setupx.dll through rundll.exe in the Windows folder;
// the settings go there too, a subkey some other program left under them included (NT keeps
// the settings key then, since it refuses a key that still has subkeys).
TEST(Uninstall, BothSystemFamiliesLeaveWhatTheirSecondPhaseNeeds) {
    for (Dword version : {0x05650004u, Windows95}) {
        const bool windows95 = version == Windows95;
        SCOPED_TRACE(windows95 ? "Windows 95" : "NT 4.0");
        Installed m;
        m.sim.version = version;
        m.sim.windowsDirectory = windows95 ? "C:\\WINDOWS" : "C:\\WINNT";
        m.sim.systemDirectory = windows95 ? "C:\\WINDOWS\\SYSTEM" : "C:\\WINNT\\system32";
        m.sim.CreateKey(HkeyCurrentUser(), DesktopPath(2) + "\\Theirs");
        EXPECT_EQ(m.Uninstall(), 0);
        EXPECT_FALSE(m.sim.KeyExists(HkeyCurrentUser(), DesktopPath(1)));
        EXPECT_EQ(m.sim.KeyExists(HkeyCurrentUser(), SettingsPath), !windows95);
        EXPECT_EQ(m.sim.ValueNames(HkeyLocalMachine(), RunPath), std::vector<std::string>{"Other"});
        Dword size = 0;
        const std::string line =
            windows95 ? Line95(m.sim.windowsDirectory, m.sim.systemDirectory) : LineNT(m.sim.systemDirectory);
        EXPECT_EQ(m.Removal("UninstallString", size), line + '\0');
        EXPECT_EQ(size, windows95 ? 111u : line.size() + 1);
        EXPECT_EQ(m.Removal("DisplayName", size),
                  std::string("Quillane v2.0 - uninstall not complete") + '\0');
        EXPECT_EQ(m.sim.messageBoxes.size(), 1u);
        EXPECT_EQ(m.sim.OpenKeyCount(), 0u);
    }
}

// A user without rights on the machine's keys: the settings still go and the message still
// comes. A system directory too long for a whole line keeps the installed command.
TEST(Uninstall, WhatCannotBeWrittenIsLeftAsItWas) {
    Installed m;
    m.sim.DenyWrites(HkeyLocalMachine(), "SOFTWARE\\Microsoft");
    EXPECT_EQ(m.Uninstall(), 0);
    EXPECT_FALSE(m.sim.KeyExists(HkeyCurrentUser(), SettingsPath));
    EXPECT_EQ(m.sim.ValueNames(HkeyLocalMachine(), RunPath), (std::vector<std::string>{"Other", "Quillane"}));
    Dword size = 0;
    EXPECT_EQ(m.Removal("DisplayName", size), std::string("Quillane v2.0") + '\0');
    EXPECT_EQ(m.sim.messageBoxes.size(), 1u);
    EXPECT_EQ(m.sim.OpenKeyCount(), 0u);

    Installed tooLong;
    tooLong.sim.systemDirectory = Directory(200);
    tooLong.Uninstall();
    EXPECT_EQ(tooLong.Removal("UninstallString", size), std::string(InstalledCommand) + '\0');
    EXPECT_EQ(tooLong.Removal("DisplayName", size),
              std::string("Quillane v2.0 - uninstall not complete") + '\0');
}

} // namespace
} // namespace q::test
