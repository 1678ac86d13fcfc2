#include "config/wallpaper.h"

#include <cstring>

#include "config/registry_io.h"
#include "engine/names.h"

namespace q {

Hkey OpenDesktopValues(AppState &app, Dword access) {
    Hkey key = nullptr;
    if (app.Sys->registry.RegOpenKeyExA(HkeyCurrentUser(), names::DesktopValuesKey, access, &key) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

void CloseDesktopValues(AppState &app, Hkey key) {
    if (key != nullptr) app.Sys->registry.RegCloseKey(key);
}

void CaptureWallpaper(AppState &app, Hkey key, DesktopRecord &record) {
    RegistryPort &reg = app.Sys->registry;
    ReadText(reg, key, names::ValueWallpaper, record.Wallpaper, sizeof record.Wallpaper);
    ReadText(reg, key, names::ValuePattern, record.Pattern, sizeof record.Pattern);
    ReadText(reg, key, names::ValueTileWallpaper, record.TileWallpaper, sizeof record.TileWallpaper);
    ReadText(reg, key, names::ValueWallpaperStyle, record.WallpaperStyle, sizeof record.WallpaperStyle);
}

namespace {

// A live value that is there but that no record can hold (too long, or not a text) is the
// user's own and stays: putting ours over it would lose it for good.
bool Replaceable(RegistryPort &reg, Hkey key, const char *name, Dword size) {
    char scratch[WallpaperTextSize];
    const Stored found = ReadText(reg, key, name, scratch, size);
    return found == Stored::Taken || found == Stored::Missing;
}

void ApplyStyle(RegistryPort &reg, Hkey key, const char *name, const char *field) {
    if (Replaceable(reg, key, name, StyleTextSize))
        WriteShortText(reg, key, name, field, StyleTextSize, StoredStyleSize);
}

} // namespace

void ApplyWallpaper(AppState &app, Hkey key, const DesktopRecord &record,
                    const DesktopRecord *compared) {
    RegistryPort &reg = app.Sys->registry;
    WindowPort &win = app.Sys->window;
    ApplyStyle(reg, key, names::ValueTileWallpaper, record.TileWallpaper);
    ApplyStyle(reg, key, names::ValueWallpaperStyle, record.WallpaperStyle);
    // SystemParametersInfoA takes a writable text; hand it a copy of the field.
    char text[WallpaperTextSize];
    if ((compared == nullptr || std::strcmp(record.Wallpaper, compared->Wallpaper) != 0) &&
        Replaceable(reg, key, names::ValueWallpaper, sizeof record.Wallpaper)) {
        std::memcpy(text, record.Wallpaper, sizeof text);
        win.SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, text, SPIF_SENDWININICHANGE);
        WriteText(reg, key, names::ValueWallpaper, record.Wallpaper, sizeof record.Wallpaper);
    }
    if ((compared == nullptr || std::strcmp(record.Pattern, compared->Pattern) != 0) &&
        Replaceable(reg, key, names::ValuePattern, sizeof record.Pattern)) {
        std::memcpy(text, record.Pattern, sizeof text);
        win.SystemParametersInfoA(SPI_SETDESKPATTERN, 0, text, SPIF_SENDWININICHANGE);
        WriteText(reg, key, names::ValuePattern, record.Pattern, sizeof record.Pattern);
    }
}

void CaptureStartupWallpaper(AppState &app) {
    Hkey key = OpenDesktopValues(app, KEY_QUERY_VALUE);
    CaptureWallpaper(app, key, app.Record(1));
    CloseDesktopValues(app, key);
    for (int n = 2; n <= StartupWallpaperIndex; ++n) app.Desktops.Records[n] = app.Record(1);
}

void ExchangeWallpaper(AppState &app, int left, int entered) {
    Hkey key = OpenDesktopValues(app, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (left != 0) CaptureWallpaper(app, key, app.Record(left));
    if (entered != 0) ApplyWallpaper(app, key, app.Record(entered), left != 0 ? &app.Record(left) : nullptr);
    CloseDesktopValues(app, key);
}

} // namespace q
