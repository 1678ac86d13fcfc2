#include "config/settings.h"

#include "config/registry_io.h"
#include "config/wallpaper.h"
#include "engine/desktops.h"
#include "engine/names.h"
#include "platform/format.h"
#include "res/text_lookup.h"

namespace q {

std::int32_t BoundDesktopCount(std::int32_t stored) {
    if (stored < MinDesktops) return MinDesktops;
    if (stored > MaxDesktops) return MaxDesktops;
    return stored;
}

std::int32_t BoundDisplayMode(std::int32_t stored) {
    return stored >= DisplayTaskBar && stored <= DisplayFloating ? stored : DisplayTaskBar;
}

std::int32_t BoundRowsFloating(std::int32_t stored) {
    if (stored < 1) return 1;
    if (stored > MaxDesktops) return MaxDesktops;
    return stored;
}

std::uint32_t BoundTopMost(std::uint32_t stored) {
    return stored & WS_EX_TOPMOST;
}

void DesktopKeyName(int n, char (&name)[DesktopKeyNameSize]) {
    FormatText(name, sizeof name, "Desktop%d", n);
}

namespace {

// Reads of one load: a value of another type than the program writes, or one too long for its
// field, counts as missing; anything the registry would not say marks the settings unreadable.
struct SettingsReader {
    AppState &app;
    RegistryPort &reg;

    bool Taken(Stored found) {
        if (found == Stored::Unreadable) app.Loaded.SettingsUnreadable = 1;
        return found == Stored::Taken;
    }
    bool Number(Hkey key, const char *name, std::int32_t &value, Dword size = 4) {
        return Taken(ReadDword(reg, key, name, value, size));
    }
    bool Text(Hkey key, const char *name, char *field, Dword size) {
        return Taken(ReadText(reg, key, name, field, size));
    }
};

} // namespace

void LoadSettings(AppState &app, Hkey key) {
    RegistryPort &reg = app.Sys->registry;
    SettingsReader read{app, reg};
    std::int32_t number = 0;
    if (read.Number(key, names::ValueDesktop, number)) StartWithDesktops(app, BoundDesktopCount(number));
    // One byte, although of type REG_DWORD: as it has always been written.
    if (read.Number(key, names::ValueWallpaperFlag, number, 1))
        SetOwnWallpapers(app, static_cast<std::uint8_t>(number));
    if (read.Number(key, names::ValueDisplay, number))
        app.DisplayMode.Set(SettingsKey(), BoundDisplayMode(number));
    if (read.Number(key, names::ValueRowsFloating, number)) SetRowsFloating(app, BoundRowsFloating(number));
    read.Number(key, names::ValueFloatingX, app.Loaded.FloatingX);
    read.Number(key, names::ValueFloatingY, app.Loaded.FloatingY);
    if (read.Number(key, names::ValueTopMost, number))
        app.Loaded.TopMost = BoundTopMost(static_cast<std::uint32_t>(number));

    for (int n = 1; n <= app.DesktopCount(); ++n) {
        DesktopRecord &record = app.Record(n);
        char name[DesktopKeyNameSize];
        DesktopKeyName(n, name);
        Hkey desktop = nullptr;
        const std::int32_t opened = reg.RegOpenKeyExA(key, name, KEY_QUERY_VALUE, &desktop);
        if (opened != ERROR_SUCCESS) {
            desktop = nullptr;
            if (opened != ERROR_FILE_NOT_FOUND) app.Loaded.SettingsUnreadable = 1;
        }
        read.Text(desktop, names::ValueWallpaper, record.Wallpaper, sizeof record.Wallpaper);
        read.Text(desktop, names::ValuePattern, record.Pattern, sizeof record.Pattern);
        read.Text(desktop, names::ValueTileWallpaper, record.TileWallpaper, sizeof record.TileWallpaper);
        read.Text(desktop, names::ValueWallpaperStyle, record.WallpaperStyle, sizeof record.WallpaperStyle);
        read.Text(desktop, names::ValueDesktopTitle, record.DesktopTitle, sizeof record.DesktopTitle);
        std::int32_t hotKey = 0;
        record.HotKey =
            read.Number(desktop, names::ValueHotKey, hotKey) ? static_cast<std::uint32_t>(hotKey) : 0;
        if (desktop != nullptr) reg.RegCloseKey(desktop);
    }
    reg.RegCloseKey(key);

    // Opened for querying too: the apply looks at each live value before it replaces it.
    Hkey values = OpenDesktopValues(app, KEY_QUERY_VALUE | KEY_SET_VALUE);
    ApplyWallpaper(app, values, app.Record(1), nullptr);
    CloseDesktopValues(app, values);
}

bool LoadOrCreateSettings(AppState &app) {
    Hkey key = nullptr;
    const std::int32_t opened =
        app.Sys->registry.RegOpenKeyExA(HkeyCurrentUser(), names::SettingsKey, KEY_READ, &key);
    if (opened == ERROR_SUCCESS) {
        LoadSettings(app, key);
        return true;
    }
    StartWithDesktops(app, MinDesktops);
    DefaultTitle(app.Sys->resource, app.LanguageBase, 1, app.Record(1).DesktopTitle, TitleSize);
    DefaultTitle(app.Sys->resource, app.LanguageBase, 2, app.Record(2).DesktopTitle, TitleSize);
    // Settings that exist but cannot be read are the user's all the same: a first-run save
    // would put two default desktops in their place.
    if (opened != ERROR_FILE_NOT_FOUND) {
        app.Loaded.SettingsUnreadable = 1;
        return false;
    }
    SaveSettings(app, RestoreStartupWallpaper | SaveDesktopSet);
    return false;
}

namespace {

void SaveDesktop(RegistryPort &reg, Hkey settings, int n, const DesktopRecord &record) {
    char name[DesktopKeyNameSize];
    DesktopKeyName(n, name);
    Hkey key = nullptr;
    if (reg.RegCreateKeyExA(settings, name, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    WriteText(reg, key, names::ValueWallpaper, record.Wallpaper, sizeof record.Wallpaper);
    WriteText(reg, key, names::ValuePattern, record.Pattern, sizeof record.Pattern);
    WriteShortText(reg, key, names::ValueTileWallpaper, record.TileWallpaper, sizeof record.TileWallpaper,
                   StoredStyleSize);
    WriteShortText(reg, key, names::ValueWallpaperStyle, record.WallpaperStyle, sizeof record.WallpaperStyle,
                   StoredStyleSize);
    WriteText(reg, key, names::ValueDesktopTitle, record.DesktopTitle, sizeof record.DesktopTitle);
    WriteNumber(reg, key, names::ValueHotKey, record.HotKey);
    reg.RegCloseKey(key);
}

} // namespace

void SaveSettings(AppState &app, unsigned flags) {
    RegistryPort &reg = app.Sys->registry;
    if ((flags & SaveDesktopSet) != 0) {
        // While a dialog is open CurrentDesktop names the edited desktop, and after a deletion
        // the values in force are the deleted desktop's: neither belongs in a record. Nor do they
        // while a switch, a deletion or a move is under way: another program's message to the
        // floating window (WM_SIZING) can ask for a save inside our calls to its windows, when
        // the values in force may already be those of the desktop entered. Such a save keeps
        // the records as they are; the switch itself takes the desktop left's values in.
        bool capture = app.DialogOpen == 0 && app.UnderWay.Switching == 0 && (flags & WithoutCapture) == 0;
        bool restore = (flags & RestoreStartupWallpaper) != 0;
        if (capture || restore) {
            Hkey values = OpenDesktopValues(app, KEY_QUERY_VALUE | KEY_SET_VALUE);
            DesktopRecord &current = app.Record(app.CurrentDesktop());
            if (capture) CaptureWallpaper(app, values, current);
            if (restore) ApplyWallpaper(app, values, app.Desktops.StartupWallpaper(), &current);
            CloseDesktopValues(app, values);
        }
    }

    if (app.Loaded.SettingsUnreadable != 0) return;
    Hkey key = nullptr;
    if (reg.RegCreateKeyExA(HkeyCurrentUser(), names::SettingsKey, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    if ((flags & SaveDesktopSet) != 0) {
        // In an order that a cut at any write leaves loadable with every desktop: the subkeys
        // first, so that a larger "Desktop" never names one not yet written; the surplus
        // subkeys last, once a smaller "Desktop" no longer names them. Renumbered subkeys are
        // rewritten upwards: each desktop moving down stays whole one place higher until its
        // own subkey is rewritten.
        for (int n = 1; n <= app.DesktopCount(); ++n)
            SaveDesktop(reg, key, n, app.Record(n));
        WriteNumber(reg, key, names::ValueDesktop, static_cast<std::uint32_t>(app.DesktopCount()));
        WriteNumber(reg, key, names::ValueWallpaperFlag, app.OwnWallpapers, 1);
        for (int n = app.DesktopCount() + 1; n <= MaxDesktops; ++n) {
            char name[DesktopKeyNameSize];
            DesktopKeyName(n, name);
            reg.RegDeleteKeyA(key, name);
        }
    }
    WriteNumber(reg, key, names::ValueRowsFloating, static_cast<std::uint32_t>(app.RowsFloating));
    WindowPort &win = app.Sys->window;
    if (win.IsWindow(app.FloatingWindow)) {
        auto exStyle = static_cast<std::uint32_t>(win.GetWindowLongA(app.FloatingWindow, GWL_EXSTYLE));
        WriteNumber(reg, key, names::ValueTopMost, exStyle & WS_EX_TOPMOST);
        if ((flags & SaveFloatingPosition) != 0) {
            Rect rect{};
            win.GetWindowRect(app.FloatingWindow, &rect);
            WriteNumber(reg, key, names::ValueFloatingX, static_cast<std::uint32_t>(rect.left));
            WriteNumber(reg, key, names::ValueFloatingY, static_cast<std::uint32_t>(rect.top));
        }
    }
    reg.RegCloseKey(key);
}

void WriteDisplayMode(AppState &app, std::int32_t mode) {
    app.DisplayMode.Set(SettingsKey(), mode);
    if (app.Loaded.SettingsUnreadable != 0) return;
    RegistryPort &reg = app.Sys->registry;
    Hkey key = nullptr;
    if (reg.RegCreateKeyExA(HkeyCurrentUser(), names::SettingsKey, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    WriteNumber(reg, key, names::ValueDisplay, static_cast<std::uint32_t>(app.DisplayMode));
    reg.RegCloseKey(key);
}

void SetOwnWallpapers(AppState &app, std::uint8_t own) {
    app.OwnWallpapers.Set(SettingsKey(), own);
}

void SetRowsFloating(AppState &app, std::int32_t rows) {
    app.RowsFloating.Set(SettingsKey(), rows);
}

} // namespace q
