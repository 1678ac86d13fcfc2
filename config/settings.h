// The settings key under HKEY_CURRENT_USER and its "DesktopN" subkeys.
#pragma once

#include "engine/app_state.h"
#include "engine/store_port.h" // SaveFlags

namespace q {

// Stored values are bounded to what the program can use: "Desktop" MinDesktops..MaxDesktops, "Display" 1..3
// (anything else is the default 1), "RowsFloating" 1..MaxDesktops, "TopMost" keeps only WS_EX_TOPMOST.
std::int32_t BoundDesktopCount(std::int32_t stored);
std::int32_t BoundDisplayMode(std::int32_t stored);
std::int32_t BoundRowsFloating(std::int32_t stored);
std::uint32_t BoundTopMost(std::uint32_t stored);

// Start-up's choice of settings: LoadSettings when the key opens for reading; the first-run
// defaults and their save when there is no key; the same defaults, never saved, when the key
// exists but cannot be read (SettingsUnreadable). True when loaded.
bool LoadOrCreateSettings(AppState &app);
// Reads the open settings key into AppState and the desktop records, then puts desktop 1's
// wallpaper in force. A value of another type than the program writes counts as missing; a
// part that exists but cannot be read sets SettingsUnreadable.
void LoadSettings(AppState &app, Hkey key);
// Writes nothing to the settings key while SettingsUnreadable is set.
void SaveSettings(AppState &app, unsigned flags);
// The options the interface's commands change (LoadSettings sets them too, and nothing else).
// The display mode is stored at once; the other two with the caller's next save.
void WriteDisplayMode(AppState &app, std::int32_t mode);
void SetOwnWallpapers(AppState &app, std::uint8_t own);
void SetRowsFloating(AppState &app, std::int32_t rows);

// "Desktop" followed by the number of desktop n (1..MaxDesktops).
void DesktopKeyName(int n, char (&name)[DesktopKeyNameSize]);

} // namespace q
