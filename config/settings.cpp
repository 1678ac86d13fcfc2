#include "config/settings.h"

#include "config/registry_io.h"
#include "config/wallpaper.h"
#include "engine/names.h"
#include "ui/texts.h"

namespace q {

std::int32_t BoundDesktopCount(std::int32_t stored) {
    if (stored < MinDesktops) return MinDesktops;
    if (stored > MaxDesktops) return MaxDesktops;
    return stored;
}

std::int32_t BoundDisplayMode(std::int32_t stored) { return stored >= 1 && stored <= 3 ? stored : 1; }

std::int32_t BoundRowsFloating(std::int32_t stored) {
    if (stored < 1) return 1;
    if (stored > MaxDesktops) return MaxDesktops;
    return stored;
}

std::uint32_t BoundTopMost(std::uint32_t stored) { return stored & WS_EX_TOPMOST; }

void DesktopKeyName(int n, char (&name)[9]) {
    const char templateName[] = "Desktop ";
    for (int i = 0; i < 9; ++i) name[i] = templateName[i];
    name[7] = static_cast<char>('1' + (n - 1));
}

void LoadSettings(AppState &app, Hkey key) {
    RegistryPort &reg = app.Sys->registry;
    std::int32_t count = app.Desktops.DesktopCount;
    if (ReadNumber(reg, key, names::ValueDesktop, count)) app.Desktops.DesktopCount = BoundDesktopCount(count);
    ReadByte(reg, key, names::ValueWallpaperFlag, app.OwnWallpapers);
    std::int32_t number = 0;
    if (ReadNumber(reg, key, names::ValueDisplay, number)) app.DisplayMode = BoundDisplayMode(number);
    if (ReadNumber(reg, key, names::ValueRowsFloating, number)) app.RowsFloating = BoundRowsFloating(number);
    ReadNumber(reg, key, names::ValueFloatingX, app.FloatingX);
    ReadNumber(reg, key, names::ValueFloatingY, app.FloatingY);
    if (ReadNumber(reg, key, names::ValueTopMost, number))
        app.TopMost = BoundTopMost(static_cast<std::uint32_t>(number));

    for (int n = 1; n <= app.DesktopCount(); ++n) {
        DesktopRecord &record = app.Record(n);
        char name[9];
        DesktopKeyName(n, name);
        Hkey desktop = nullptr;
        if (reg.RegOpenKeyExA(key, name, KEY_QUERY_VALUE, &desktop) != ERROR_SUCCESS) desktop = nullptr;
        ReadText(reg, desktop, names::ValueWallpaper, record.Wallpaper, sizeof record.Wallpaper);
        ReadText(reg, desktop, names::ValuePattern, record.Pattern, sizeof record.Pattern);
        ReadText(reg, desktop, names::ValueTileWallpaper, record.TileWallpaper, sizeof record.TileWallpaper);
        ReadText(reg, desktop, names::ValueWallpaperStyle, record.WallpaperStyle, sizeof record.WallpaperStyle);
        ReadText(reg, desktop, names::ValueDesktopTitle, record.DesktopTitle, sizeof record.DesktopTitle);
        std::int32_t hotKey = 0;
        record.HotKey = ReadNumber(reg, desktop, names::ValueHotKey, hotKey) ? static_cast<std::uint32_t>(hotKey) : 0;
        if (desktop != nullptr) reg.RegCloseKey(desktop);
    }
    reg.RegCloseKey(key);

    Hkey values = OpenDesktopValues(app, KEY_SET_VALUE);
    ApplyWallpaper(app, values, app.Record(1), nullptr);
    CloseDesktopValues(app, values);
}

bool LoadOrCreateSettings(AppState &app) {
    Hkey key = nullptr;
    if (app.Sys->registry.RegOpenKeyExA(HkeyCurrentUser(), names::SettingsKey, KEY_READ, &key) == ERROR_SUCCESS) {
        LoadSettings(app, key);
        return true;
    }
    app.Desktops.DesktopCount = MinDesktops;
    DefaultTitle(app, 1, app.Record(1).DesktopTitle);
    DefaultTitle(app, 2, app.Record(2).DesktopTitle);
    SaveSettings(app, RestoreStartupWallpaper | SaveDesktopSet);
    return false;
}

namespace {

void SaveDesktop(RegistryPort &reg, Hkey settings, int n, const DesktopRecord &record) {
    char name[9];
    DesktopKeyName(n, name);
    Hkey key = nullptr;
    if (reg.RegCreateKeyExA(settings, name, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    WriteText(reg, key, names::ValueWallpaper, record.Wallpaper, sizeof record.Wallpaper);
    WriteText(reg, key, names::ValuePattern, record.Pattern, sizeof record.Pattern);
    WriteText(reg, key, names::ValueTileWallpaper, record.TileWallpaper, sizeof record.TileWallpaper);
    WriteText(reg, key, names::ValueWallpaperStyle, record.WallpaperStyle, sizeof record.WallpaperStyle);
    WriteText(reg, key, names::ValueDesktopTitle, record.DesktopTitle, sizeof record.DesktopTitle);
    WriteNumber(reg, key, names::ValueHotKey, record.HotKey);
    reg.RegCloseKey(key);
}

} // namespace

void SaveSettings(AppState &app, unsigned flags) {
    RegistryPort &reg = app.Sys->registry;
    if ((flags & SaveDesktopSet) != 0) {
        // While a dialog is open CurrentDesktop names the edited desktop, and after a deletion
        // the values in force are the deleted desktop's: neither belongs in a record.
        bool capture = app.DialogOpen == 0 && (flags & WithoutCapture) == 0;
        bool restore = (flags & RestoreStartupWallpaper) != 0;
        if (capture || restore) {
            Hkey values = OpenDesktopValues(app, KEY_QUERY_VALUE | KEY_SET_VALUE);
            DesktopRecord &current = app.Record(app.CurrentDesktop());
            if (capture) CaptureWallpaper(app, values, current);
            if (restore) ApplyWallpaper(app, values, app.Desktops.StartupWallpaper(), &current);
            CloseDesktopValues(app, values);
        }
    }

    Hkey key = nullptr;
    if (reg.RegCreateKeyExA(HkeyCurrentUser(), names::SettingsKey, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    if ((flags & SaveDesktopSet) != 0) {
        WriteNumber(reg, key, names::ValueDesktop, static_cast<std::uint32_t>(app.DesktopCount()));
        WriteNumber(reg, key, names::ValueWallpaperFlag, app.OwnWallpapers, 1);
        for (int n = 1; n <= app.DesktopCount(); ++n) SaveDesktop(reg, key, n, app.Record(n));
        for (int n = app.DesktopCount() + 1; n <= MaxDesktops; ++n) {
            char name[9];
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

void WriteDisplayMode(AppState &app) {
    RegistryPort &reg = app.Sys->registry;
    Hkey key = nullptr;
    if (reg.RegCreateKeyExA(HkeyCurrentUser(), names::SettingsKey, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    WriteNumber(reg, key, names::ValueDisplay, static_cast<std::uint32_t>(app.DisplayMode));
    reg.RegCloseKey(key);
}

} // namespace q
