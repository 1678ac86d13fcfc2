// Each desktop's own wallpaper and pattern, exchanged through "Control Panel\desktop".
#pragma once

#include "engine/app_state.h"

namespace q {

// The data size of "TileWallpaper" and "WallpaperStyle" for one digit, as earlier versions
// wrote and read them; longer texts are written whole.
constexpr Dword StoredStyleSize = 2;

// Opens "Control Panel\desktop" for one step; nullptr when it cannot be opened.
Hkey OpenDesktopValues(AppState &app, Dword access);
void CloseDesktopValues(AppState &app, Hkey key);

// Reads the four live values into `record`; a value that cannot be read keeps its field.
void CaptureWallpaper(AppState &app, Hkey key, DesktopRecord &record);
// Puts `record` in force. With `compared`, the wallpaper and the pattern are set only where
// their text differs (byte-wise, case counts) from the compared record's. A live value that no
// field can hold is left as it is. The key must be open for querying too.
void ApplyWallpaper(AppState &app, Hkey key, const DesktopRecord &record, const DesktopRecord *compared);

// The start-up capture: desktop 1's record takes the live values and is copied into
// records 2 to StartupWallpaperIndex (StartupWallpaper among them).
void CaptureStartupWallpaper(AppState &app);
// The switch step from desktop `left` to desktop `entered`, in one opening of the key. Without
// `left` (0) the wallpaper in force is not captured and `entered`'s is applied whole; without
// `entered` the capture is all.
void ExchangeWallpaper(AppState &app, int left, int entered);

} // namespace q
