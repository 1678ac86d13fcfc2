// The desktop engine and the settings on the real system: real top-level windows switched by
// the core through q::Win32Ports(), and the registry of the Wine prefix read back with the API.

// The core first: <windows.h> (through harness.h) would turn its constants into macros.
#include "app/startup.h"
#include "config/settings.h"
#include "engine/desktops.h"
#include "engine/switching.h"
#include "engine/window_table.h"
#include "platform/win32/win32_platform.h"

#include "tests/wine/harness.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using wt::Kind;

constexpr char SettingsKey[] = "Software\\Halvern\\Quillane";
constexpr char DesktopValues[] = "Control Panel\\desktop";

RECT Box(LONG left, LONG top, LONG width, LONG height) {
    return RECT{left, top, left + width, top + height};
}

// One run of the program in miniature: its own windows, the tracked table, and the windows
// the test made, all destroyed at the end of the scenario.
struct Desk {
    q::AppState app;
    std::vector<HWND> made;

    Desk() { q::ConnectPorts(app, q::Win32Ports()); }
    Desk(const Desk &) = delete;
    Desk &operator=(const Desk &) = delete;
    ~Desk() {
        for (HWND w : made)
            DestroyWindow(w);
        wt::Pump(50);
        q::FreeWindowTable(app);
    }

    HWND Make(Kind kind, const char *title, RECT rect) {
        HWND w = wt::MakeWindow(kind, title, rect);
        made.push_back(w);
        return w;
    }

    // The main window (hidden) and the floating window (a tool window, like the program's).
    void MakeProgramWindows() {
        app.MainWindow = Make(Kind::Hidden, "main", Box(0, 0, 100, 100));
        app.FloatingWindow = Make(Kind::Tool, "floating", Box(800, 40, 150, 60));
    }

    // Start-up's first inventory (table, first enumeration, wallpaper capture); the desktops are
    // the test's, not the settings'.
    void Start(int desktopCount) {
        wt::Pump(100);
        q::TakeInventory(app);
        q::StartWithDesktops(app, desktopCount); // desktop 1 shown, as at every start
    }

    q::WindowEntry *Entry(HWND w) { return q::FindWindowEntry(app, w); }

    void Switch(int n) {
        q::SwitchDesktop(app, n);
        wt::Pump(50);
    }
};

bool AllIconic(const std::vector<HWND> &windows) {
    for (HWND w : windows)
        if (!IsIconic(w)) return false;
    return true;
}

bool NoneIconic(const std::vector<HWND> &windows) {
    for (HWND w : windows)
        if (IsIconic(w)) return false;
    return true;
}

// The last private message a test window received, as "message wParam lParam".
std::string LastPrivate(HWND w) {
    wt::WindowLog *log = wt::LogOf(w);
    if (log == nullptr || log->Private.empty()) return "none";
    const auto &m = log->Private.back();
    char text[64];
    std::snprintf(text, sizeof text, "%u %u %d", m.Number, static_cast<unsigned>(m.wParam),
                  static_cast<int>(m.lParam));
    return text;
}

std::string MessageText(UINT number, unsigned wParam, int lParam) {
    char text[64];
    std::snprintf(text, sizeof text, "%u %u %d", number, wParam, lParam);
    return text;
}

SCENARIO("a round trip to desktop 2 brings desktop 1 back as it was") {
    Desk d;
    d.MakeProgramWindows();
    HWND popup = d.Make(Kind::Popup, "P", Box(600, 300, 200, 150));
    HWND c = d.Make(Kind::Overlapped, "C", Box(200, 200, 300, 200));
    HWND b = d.Make(Kind::Overlapped, "B", Box(150, 150, 300, 200));
    HWND hidden = d.Make(Kind::Hidden, "H", Box(50, 50, 200, 100));
    HWND minimisedEarly = d.Make(Kind::Overlapped, "M1", Box(300, 400, 200, 100));
    ShowWindow(minimisedEarly, SW_MINIMIZE);
    HWND minimisedLater = d.Make(Kind::Overlapped, "M2", Box(350, 450, 200, 100));
    HWND a = d.Make(Kind::Overlapped, "A", Box(100, 100, 300, 200));
    REQUIRE(popup && c && b && hidden && minimisedEarly && minimisedLater && a);
    const std::vector<HWND> shown{a, b, c, popup};
    REQUIRE(wt::PumpUntil([&] { return GetForegroundWindow() == a; }, 3000));
    const std::vector<HWND> order = wt::ZOrder(shown);
    CHECK_EQ(order, (std::vector<HWND>{a, b, c, popup}));
    const RECT rects[] = {wt::WindowRect(a), wt::WindowRect(b), wt::WindowRect(c), wt::WindowRect(popup)};

    d.Start(2);
    // Minimised by the user after start-up: the refresh before the switch must notice it.
    ShowWindow(minimisedLater, SW_MINIMIZE);

    d.Switch(2);
    CHECK_EQ(d.app.CurrentDesktop(), 2);
    CHECK(wt::PumpUntil([&] { return AllIconic(shown); }, 2000));
    for (HWND w : shown)
        CHECK(IsWindowVisible(w)); // minimised, never hidden
    for (size_t i = 0; i < shown.size(); ++i)
        CHECK_EQ(wt::NormalRect(shown[i]), rects[i]);
    CHECK(!IsWindowVisible(hidden));
    CHECK(!IsIconic(hidden));
    CHECK(IsIconic(minimisedEarly));
    CHECK(IsIconic(minimisedLater));
    CHECK(!IsIconic(d.app.FloatingWindow));
    CHECK(IsWindowVisible(d.app.FloatingWindow));
    CHECK_EQ(LastPrivate(d.app.FloatingWindow), MessageText(q::UM_DESKTOPSWITCH, 2, 1));

    d.Switch(1);
    CHECK_EQ(d.app.CurrentDesktop(), 1);
    CHECK(wt::PumpUntil([&] { return NoneIconic(shown) && GetForegroundWindow() == a; }, 2000));
    CHECK_EQ(wt::ZOrder(shown), order);
    CHECK_EQ(GetForegroundWindow(), a);
    CHECK_EQ(GetActiveWindow(), a);
    for (size_t i = 0; i < shown.size(); ++i) {
        CHECK_EQ(wt::WindowRect(shown[i]), rects[i]);
        CHECK_EQ(wt::LogOf(shown[i])->Minimized, 1);
        CHECK_EQ(wt::LogOf(shown[i])->Restored, 1);
    }
    CHECK(IsIconic(minimisedEarly));
    CHECK(IsIconic(minimisedLater));
    CHECK_EQ(wt::LogOf(minimisedEarly)->Restored, 0);
    CHECK_EQ(wt::LogOf(minimisedLater)->Restored, 0);
    CHECK(!IsWindowVisible(hidden));
    CHECK(!IsIconic(hidden));
    CHECK_EQ(wt::LogOf(hidden)->Shown, 0);
    CHECK_EQ(wt::LogOf(hidden)->Minimized, 0);
    CHECK_EQ(wt::LogOf(d.app.FloatingWindow)->Minimized, 0);
    CHECK_EQ(LastPrivate(d.app.FloatingWindow), MessageText(q::UM_DESKTOPSWITCH, 1, 2));

    // A second round trip after the user raised C: the new stacking order is the one kept.
    wt::Raise(c);
    REQUIRE(wt::PumpUntil([&] { return GetForegroundWindow() == c; }, 2000));
    const std::vector<HWND> raised = wt::ZOrder(shown);
    CHECK_EQ(raised.front(), c);
    d.Switch(2);
    CHECK(wt::PumpUntil([&] { return AllIconic(shown); }, 2000));
    d.Switch(1);
    CHECK(wt::PumpUntil([&] { return NoneIconic(shown) && GetForegroundWindow() == c; }, 2000));
    CHECK_EQ(wt::ZOrder(shown), raised);
}

SCENARIO("a sticky window is shown on every desktop, the floating window is never touched") {
    Desk d;
    d.MakeProgramWindows();
    HWND a = d.Make(Kind::Overlapped, "A", Box(100, 100, 300, 200));
    HWND sticky = d.Make(Kind::Overlapped, "S", Box(500, 120, 250, 180));
    HWND stickyPopup = d.Make(Kind::Popup, "SP", Box(520, 420, 200, 120));
    HWND stickyMinimised = d.Make(Kind::Tool, "SM", Box(80, 450, 200, 120));
    REQUIRE(a && sticky && stickyPopup && stickyMinimised);
    const RECT stickyRect = wt::WindowRect(sticky);
    const RECT stickyPopupRect = wt::WindowRect(stickyPopup);
    d.Start(3);
    ShowWindow(stickyMinimised, SW_MINIMIZE);
    for (HWND w : {sticky, stickyPopup, stickyMinimised}) {
        q::WindowEntry *entry = d.Entry(w);
        REQUIRE(entry != nullptr);
        entry->Sticky = 1;
    }
    d.Entry(stickyPopup)->Desktop = 3; // on record a third desktop's: sticky wins
    q::WindowEntry *floating = d.Entry(d.app.FloatingWindow);
    REQUIRE(floating != nullptr);
    CHECK_EQ(floating->Sticky, 1);

    const std::vector<HWND> stickies{sticky, stickyPopup, stickyMinimised};
    d.Switch(2);
    CHECK(wt::PumpUntil([&] { return IsIconic(a) && NoneIconic(stickies); }, 2000));
    CHECK(IsIconic(a));
    for (HWND w : stickies) {
        CHECK(!IsIconic(w));
        CHECK(IsWindowVisible(w));
        CHECK(wt::LogOf(w)->Minimized >= 1);
        CHECK(wt::LogOf(w)->Restored >= 1);
    }
    CHECK_EQ(wt::WindowRect(sticky), stickyRect);
    CHECK_EQ(wt::WindowRect(stickyPopup), stickyPopupRect);

    const int restoredBefore = wt::LogOf(sticky)->Restored;
    d.Switch(1);
    CHECK(wt::PumpUntil([&] { return !IsIconic(a) && NoneIconic(stickies); }, 2000));
    CHECK_EQ(wt::LogOf(sticky)->Restored, restoredBefore + 1);
    CHECK_EQ(wt::WindowRect(sticky), stickyRect);
    CHECK_EQ(wt::WindowRect(stickyPopup), stickyPopupRect);

    CHECK(!IsIconic(d.app.FloatingWindow));
    CHECK_EQ(wt::LogOf(d.app.FloatingWindow)->Minimized, 0);
    CHECK_EQ(wt::LogOf(d.app.FloatingWindow)->Restored, 0);
}

SCENARIO("windows moved to desktop 2 come back with it and keep their order there") {
    Desk d;
    d.MakeProgramWindows();
    HWND f = d.Make(Kind::Overlapped, "F", Box(400, 250, 300, 200));
    HWND e = d.Make(Kind::Popup, "E", Box(420, 280, 250, 150));
    HWND a = d.Make(Kind::Overlapped, "A", Box(100, 100, 300, 200));
    REQUIRE(a && e && f);
    const RECT rectE = wt::WindowRect(e);
    const RECT rectF = wt::WindowRect(f);
    d.Start(2);
    // What a move does: the entry names the other desktop and the window is minimised.
    for (HWND w : {e, f}) {
        d.Entry(w)->Desktop = 2;
        ShowWindow(w, SW_MINIMIZE);
    }
    REQUIRE(AllIconic({e, f}));

    d.Switch(2);
    CHECK(wt::PumpUntil([&] { return IsIconic(a) && NoneIconic({e, f}); }, 2000));
    CHECK(IsIconic(a));
    CHECK_EQ(wt::WindowRect(e), rectE);
    CHECK_EQ(wt::WindowRect(f), rectF);

    // The user raises the lower of the two; leaving and coming back keeps it on top.
    const HWND lower = wt::ZOrder({e, f}).back();
    const HWND upper = lower == e ? f : e;
    wt::Raise(lower);
    REQUIRE(wt::PumpUntil([&] { return GetForegroundWindow() == lower; }, 2000));
    d.Switch(1);
    CHECK(wt::PumpUntil([&] { return AllIconic({e, f}) && !IsIconic(a); }, 2000));
    CHECK_EQ(GetForegroundWindow(), a);
    d.Switch(2);
    CHECK(wt::PumpUntil([&] { return NoneIconic({e, f}) && GetForegroundWindow() == lower; }, 2000));
    CHECK_EQ(wt::ZOrder({e, f}), (std::vector<HWND>{lower, upper}));

    // Back on desktop 1 the user restores E from the taskbar: E now belongs to desktop 1 and
    // goes away with desktop 1's windows.
    d.Switch(1);
    REQUIRE(wt::PumpUntil([&] { return AllIconic({e, f}); }, 2000));
    ShowWindow(e, SW_RESTORE);
    REQUIRE(wt::PumpUntil([&] { return !IsIconic(e); }, 2000));
    d.Switch(2);
    CHECK(wt::PumpUntil([&] { return IsIconic(e) && IsIconic(a) && !IsIconic(f); }, 2000));
    CHECK(IsIconic(e));
    CHECK(!IsIconic(f));
    CHECK_EQ(d.Entry(e)->Desktop, 1);
    d.Switch(1);
    CHECK(wt::PumpUntil([&] { return !IsIconic(e) && !IsIconic(a) && IsIconic(f); }, 2000));
    CHECK_EQ(wt::WindowRect(e), rectE);
}

// ---------------------------------------------------------------------------------------------
// Wallpaper

// A small solid bitmap, so that the wallpaper texts name files the system can show.
bool WriteBitmap(const char *path, BYTE red, BYTE green, BYTE blue) {
    const int side = 16;
    const DWORD pixels = side * side * 3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixels;
    info.biSize = sizeof info;
    info.biWidth = side;
    info.biHeight = side;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = pixels;
    std::vector<BYTE> data(pixels);
    for (DWORD i = 0; i < pixels; i += 3) {
        data[i] = blue;
        data[i + 1] = green;
        data[i + 2] = red;
    }
    FILE *out = std::fopen(path, "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(data.data(), data.size(), 1, out) == 1;
    return std::fclose(out) == 0 && ok;
}

wt::RegValue Live(const char *name) {
    return wt::ReadValue(HKEY_CURRENT_USER, DesktopValues, name);
}

// "REG_SZ 260 text" and the like: type, data size and contents in one comparable text.
std::string Shape(const wt::RegValue &v) {
    if (!v.Found()) return "missing";
    char text[400];
    if (v.Type == REG_SZ)
        std::snprintf(text, sizeof text, "REG_SZ %lu %s", static_cast<unsigned long>(v.Size),
                      v.Text().c_str());
    else if (v.Type == REG_DWORD)
        std::snprintf(text, sizeof text, "REG_DWORD %lu %lu", static_cast<unsigned long>(v.Size),
                      static_cast<unsigned long>(v.Number()));
    else
        std::snprintf(text, sizeof text, "type %lu size %lu", static_cast<unsigned long>(v.Type),
                      static_cast<unsigned long>(v.Size));
    return text;
}

std::string Sz(int size, const char *text) {
    return "REG_SZ " + std::to_string(size) + " " + text;
}
std::string Dword(int size, unsigned long value) {
    return "REG_DWORD " + std::to_string(size) + " " + std::to_string(value);
}

std::string SystemWallpaper() {
    char text[MAX_PATH] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof text, text, 0);
    return text;
}

void Copy(char *field, size_t size, const char *text) {
    std::snprintf(field, size, "%s", text);
}
template <size_t N> void Copy(char (&field)[N], const char *text) {
    Copy(field, N, text);
}

SCENARIO("each desktop keeps its own wallpaper through Control Panel\\desktop") {
    CreateDirectoryA("C:\\quillane-test", nullptr);
    REQUIRE(WriteBitmap("C:\\quillane-test\\one.bmp", 200, 40, 40));
    REQUIRE(WriteBitmap("C:\\quillane-test\\two.bmp", 40, 160, 40));
    REQUIRE(WriteBitmap("C:\\quillane-test\\three.bmp", 40, 40, 200));
    // The background in force before the program starts.
    REQUIRE(wt::WriteText(HKEY_CURRENT_USER, DesktopValues, "Wallpaper", "C:\\quillane-test\\one.bmp") == 0);
    REQUIRE(wt::WriteText(HKEY_CURRENT_USER, DesktopValues, "Pattern", "(None)") == 0);
    REQUIRE(wt::WriteText(HKEY_CURRENT_USER, DesktopValues, "TileWallpaper", "0") == 0);
    REQUIRE(wt::WriteText(HKEY_CURRENT_USER, DesktopValues, "WallpaperStyle", "2") == 0);

    Desk d;
    d.MakeProgramWindows();
    d.Start(3);
    CHECK_EQ(d.app.Desktops.StartupWallpaper().Wallpaper, "C:\\quillane-test\\one.bmp");
    CHECK_EQ(d.app.Record(3).Pattern, "(None)");
    CHECK_EQ(d.app.Record(2).WallpaperStyle, "2");

    q::DesktopRecord &two = d.app.Record(2);
    Copy(two.Wallpaper, "C:\\quillane-test\\two.bmp");
    Copy(two.Pattern, "170 85 170 85 170 85 170 85");
    Copy(two.TileWallpaper, "1");
    Copy(two.WallpaperStyle, "0");
    // While desktop 1 is shown the user picks another wallpaper in the system's settings.
    REQUIRE(wt::WriteText(HKEY_CURRENT_USER, DesktopValues, "Wallpaper", "C:\\quillane-test\\three.bmp") ==
            0);
    // Desktop 3 shows what desktop 1 will have, apart from the tiling.
    q::DesktopRecord &three = d.app.Record(3);
    Copy(three.Wallpaper, "C:\\quillane-test\\three.bmp");
    Copy(three.TileWallpaper, "1");

    d.Switch(2);
    CHECK_EQ(Shape(Live("Wallpaper")), Sz(260, "C:\\quillane-test\\two.bmp"));
    CHECK_EQ(Shape(Live("Pattern")), Sz(260, "170 85 170 85 170 85 170 85"));
    CHECK_EQ(Shape(Live("TileWallpaper")), Sz(2, "1"));
    CHECK_EQ(Shape(Live("WallpaperStyle")), Sz(2, "0"));
    CHECK_EQ(SystemWallpaper(), "C:\\quillane-test\\two.bmp");
    // The record of the desktop left took the live values, the user's change among them.
    CHECK_EQ(d.app.Record(1).Wallpaper, "C:\\quillane-test\\three.bmp");
    CHECK_EQ(d.app.Record(1).Pattern, "(None)");
    CHECK_EQ(d.app.Record(1).TileWallpaper, "0");

    d.Switch(1);
    CHECK_EQ(Shape(Live("Wallpaper")), Sz(260, "C:\\quillane-test\\three.bmp"));
    CHECK_EQ(Shape(Live("Pattern")), Sz(260, "(None)"));
    CHECK_EQ(Shape(Live("TileWallpaper")), Sz(2, "0"));
    CHECK_EQ(Shape(Live("WallpaperStyle")), Sz(2, "2"));
    CHECK_EQ(SystemWallpaper(), "C:\\quillane-test\\three.bmp");
    CHECK_EQ(d.app.Record(2).Wallpaper, "C:\\quillane-test\\two.bmp");

    // Same wallpaper and pattern on desktop 3: only the tiling is written, nothing repainted.
    // Wine broadcasts no setting change without SPIF_UPDATEINIFILE, so the witness of "no
    // SystemParametersInfoA call" is a system wallpaper that differs from the registry's.
    char witness[] = "C:\\quillane-test\\one.bmp";
    REQUIRE(SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, witness, 0));
    d.Switch(3);
    CHECK_EQ(Shape(Live("TileWallpaper")), Sz(2, "1"));
    CHECK_EQ(Shape(Live("Wallpaper")), Sz(260, "C:\\quillane-test\\three.bmp"));
    CHECK_EQ(SystemWallpaper(), "C:\\quillane-test\\one.bmp");

    // One background for all: switching leaves Control Panel\desktop alone.
    q::SetOwnWallpapers(d.app, 0);
    const char userChoice[] = "C:\\quillane-test\\one.bmp";
    REQUIRE(wt::WriteText(HKEY_CURRENT_USER, DesktopValues, "Wallpaper", userChoice) == 0);
    d.Switch(2);
    CHECK_EQ(Shape(Live("Wallpaper")), Sz(sizeof userChoice, userChoice));
    CHECK_EQ(Shape(Live("TileWallpaper")), Sz(2, "1"));
    CHECK_EQ(d.app.Record(3).Wallpaper, "C:\\quillane-test\\three.bmp");
    CHECK_EQ(SystemWallpaper(), "C:\\quillane-test\\one.bmp");
}

// ---------------------------------------------------------------------------------------------
// Settings

wt::RegValue Setting(const char *name) {
    return wt::ReadValue(HKEY_CURRENT_USER, SettingsKey, name);
}

std::string DesktopKey(int n) {
    return std::string(SettingsKey) + "\\Desktop" + std::to_string(n);
}

wt::RegValue DesktopSetting(int n, const char *name) {
    return wt::ReadValue(HKEY_CURRENT_USER, DesktopKey(n).c_str(), name);
}

constexpr char Title32[] = "Thirty-two characters long title";
static_assert(sizeof Title32 == 33, "a title that fills the field");

// Four desktops with their own titles, hot keys and backgrounds.
void FillDesktops(q::AppState &app) {
    const char *titles[] = {"", "Work", "Mail", Title32, ""};
    const std::uint32_t hotKeys[] = {0, (MOD_CONTROL | MOD_ALT) << 16 | VK_F1, 0, MOD_SHIFT << 16 | VK_F24,
                                     0};
    for (int n = 1; n <= 4; ++n) {
        q::DesktopRecord &r = app.Record(n);
        Copy(r.DesktopTitle, titles[n]);
        r.HotKey = hotKeys[n];
        std::string wallpaper = "C:\\walls\\desk" + std::to_string(n) + ".bmp";
        Copy(r.Wallpaper, wallpaper.c_str());
        Copy(r.Pattern, n % 2 == 0 ? "(None)" : "0 24 60 126 255 126 60 24");
        Copy(r.TileWallpaper, n % 2 == 0 ? "1" : "0");
        Copy(r.WallpaperStyle, n == 4 ? "2" : "0");
    }
}

SCENARIO("settings are written with the registry types and sizes of the settings key") {
    wt::DeleteTree(HKEY_CURRENT_USER, SettingsKey);
    REQUIRE(!wt::KeyExists(HKEY_CURRENT_USER, SettingsKey));
    REQUIRE(wt::WriteText(HKEY_CURRENT_USER, DesktopValues, "Wallpaper", "C:\\walls\\live.bmp") == 0);

    Desk d;
    d.Start(4);
    FillDesktops(d.app);
    q::SetOwnWallpapers(d.app, 1);
    q::SetRowsFloating(d.app, 3);
    q::SaveSettings(d.app, q::SaveDesktopSet);

    CHECK_EQ(Shape(Setting("Desktop")), Dword(4, 4));
    CHECK_EQ(Shape(Setting("Wallpaper")), Dword(1, 1));
    CHECK_EQ(Shape(Setting("RowsFloating")), Dword(4, 3));
    // Written by their own occasions only, never by this save.
    CHECK_EQ(Shape(Setting("Display")), "missing");
    CHECK_EQ(Shape(Setting("TopMost")), "missing");
    CHECK_EQ(Shape(Setting("FloatingX")), "missing");
    CHECK_EQ(Shape(Setting("Language")), "missing");

    // Desktop 1's record took the background in force before it was written.
    CHECK_EQ(Shape(DesktopSetting(1, "Wallpaper")), Sz(260, "C:\\walls\\live.bmp"));
    for (int n = 1; n <= 4; ++n) {
        const q::DesktopRecord &r = d.app.Record(n);
        if (n != 1) CHECK_EQ(Shape(DesktopSetting(n, "Wallpaper")), Sz(260, r.Wallpaper));
        CHECK_EQ(Shape(DesktopSetting(n, "Pattern")), Sz(260, r.Pattern));
        CHECK_EQ(Shape(DesktopSetting(n, "TileWallpaper")), Sz(2, r.TileWallpaper));
        CHECK_EQ(Shape(DesktopSetting(n, "WallpaperStyle")), Sz(2, r.WallpaperStyle));
        CHECK_EQ(Shape(DesktopSetting(n, "DesktopTitle")), Sz(33, r.DesktopTitle));
        CHECK_EQ(Shape(DesktopSetting(n, "HotKey")), Dword(4, r.HotKey));
    }
    CHECK_EQ(Shape(DesktopSetting(3, "DesktopTitle")), Sz(33, Title32));
    CHECK_EQ(DesktopSetting(1, "HotKey").Number(), 0x00030070u);
    CHECK(!wt::KeyExists(HKEY_CURRENT_USER, DesktopKey(5).c_str()));

    // The key names are matched without case: the capitalised spelling reads the same values.
    CHECK_EQ(Shape(wt::ReadValue(HKEY_CURRENT_USER, "SOFTWARE\\Halvern\\Quillane", "Desktop")), Dword(4, 4));

    // Loaded by a later run: start-up captures the live background, then reads the key.
    REQUIRE(wt::WriteText(HKEY_CURRENT_USER, DesktopValues, "Wallpaper", "C:\\walls\\other.bmp") == 0);
    Desk later;
    later.Start(2);
    HKEY key = nullptr;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS);
    q::LoadSettings(later.app, key);
    CHECK_EQ(later.app.DesktopCount(), 4);
    CHECK_EQ(later.app.OwnWallpapers, 1);
    CHECK_EQ(later.app.RowsFloating, 3);
    CHECK_EQ(later.app.DisplayMode, 1);
    CHECK_EQ(later.app.Loaded.FloatingX, 3000);
    CHECK_EQ(later.app.Loaded.FloatingY, 3000);
    CHECK_EQ(later.app.Record(1).Wallpaper, "C:\\walls\\live.bmp");
    for (int n = 2; n <= 4; ++n)
        CHECK_EQ(later.app.Record(n).Wallpaper, d.app.Record(n).Wallpaper);
    for (int n = 1; n <= 4; ++n) {
        CHECK_EQ(later.app.Record(n).Pattern, d.app.Record(n).Pattern);
        CHECK_EQ(later.app.Record(n).TileWallpaper, d.app.Record(n).TileWallpaper);
        CHECK_EQ(later.app.Record(n).WallpaperStyle, d.app.Record(n).WallpaperStyle);
        CHECK_EQ(later.app.Record(n).DesktopTitle, d.app.Record(n).DesktopTitle);
        CHECK_EQ(later.app.Record(n).HotKey, d.app.Record(n).HotKey);
    }
    CHECK_EQ(later.app.Record(5).Wallpaper, "C:\\walls\\other.bmp"); // not loaded: start-up's
    // Desktop 1's background is put in force by the load.
    CHECK_EQ(Shape(Live("Wallpaper")), Sz(260, "C:\\walls\\live.bmp"));
    CHECK_EQ(Shape(Live("Pattern")), Sz(260, d.app.Record(1).Pattern));

    // Fewer desktops: the surplus subkeys go, a one-background flag of 0 is one byte.
    q::StartWithDesktops(d.app, 2);
    q::SetOwnWallpapers(d.app, 0);
    q::SaveSettings(d.app, q::SaveDesktopSet);
    CHECK_EQ(Shape(Setting("Desktop")), Dword(4, 2));
    CHECK_EQ(Shape(Setting("Wallpaper")), Dword(1, 0));
    CHECK(wt::KeyExists(HKEY_CURRENT_USER, DesktopKey(1).c_str()));
    CHECK(wt::KeyExists(HKEY_CURRENT_USER, DesktopKey(2).c_str()));
    CHECK(!wt::KeyExists(HKEY_CURRENT_USER, DesktopKey(3).c_str()));
    CHECK(!wt::KeyExists(HKEY_CURRENT_USER, DesktopKey(4).c_str()));

    Desk third;
    third.Start(2);
    key = nullptr;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS);
    q::LoadSettings(third.app, key);
    CHECK_EQ(third.app.DesktopCount(), 2);
    CHECK_EQ(third.app.OwnWallpapers, 0);
    CHECK_EQ(third.app.Record(1).DesktopTitle, "Work");
    CHECK_EQ(third.app.Record(2).DesktopTitle, "Mail");
    CHECK_EQ(third.app.Record(3).DesktopTitle, "");
}

SCENARIO("the floating window's position and top-most state reach the settings") {
    wt::DeleteTree(HKEY_CURRENT_USER, SettingsKey);
    Desk d;
    wt::WindowShape shape;
    shape.kind = Kind::Tool;
    shape.title = "floating";
    shape.rect = Box(-40, 333, 150, 60);
    shape.extraExStyle = WS_EX_TOPMOST;
    d.app.FloatingWindow = wt::MakeWindow(shape);
    d.made.push_back(d.app.FloatingWindow);
    REQUIRE(d.app.FloatingWindow != nullptr);
    d.Start(2);
    const RECT where = wt::WindowRect(d.app.FloatingWindow);

    q::SaveSettings(d.app, q::SaveFloatingPosition);
    CHECK_EQ(Shape(Setting("FloatingX")), Dword(4, static_cast<DWORD>(where.left)));
    CHECK_EQ(Shape(Setting("FloatingY")), Dword(4, static_cast<DWORD>(where.top)));
    CHECK_EQ(Shape(Setting("TopMost")), Dword(4, 8));
    CHECK_EQ(Shape(Setting("RowsFloating")), Dword(4, 1));
    CHECK_EQ(Shape(Setting("Desktop")), "missing"); // no desktop set asked for

    // No longer top-most: the next save of any kind says so.
    SetWindowPos(d.app.FloatingWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    REQUIRE((GetWindowLongA(d.app.FloatingWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0);
    q::SaveSettings(d.app, q::SaveDesktopSet);
    CHECK_EQ(Shape(Setting("TopMost")), Dword(4, 0));

    Desk later;
    later.Start(2);
    HKEY key = nullptr;
    REQUIRE(RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS);
    q::LoadSettings(later.app, key);
    CHECK_EQ(later.app.Loaded.FloatingX, where.left);
    CHECK_EQ(later.app.Loaded.FloatingY, where.top);
    CHECK_EQ(later.app.Loaded.TopMost, 0u);
}

} // namespace

int main(int argc, char **argv) {
    return wt::RunAll(argc, argv);
}
