// Names that are never translated: window classes, registry keys and values, fixed texts.
#pragma once

#include "res/texts.h"

namespace q::names {

constexpr const char MainClass[] = "Quillane";
constexpr const char FloatingClass[] = "QuillaneFloating";
constexpr const char BitmapClass[] = "BitmapBackground";
constexpr const char WindowTitle[] = Q_TEXT_TITLE;
constexpr const char MainIconTip[] = Q_TEXT_PRODUCT;
constexpr const char UninstallArgument[] = "uninstall";
// The marks on the windows a switch or a move left away (engine/left_away.h).
constexpr const char AwayProperty[] = "QuillaneAway";
constexpr const char ParkedAtProperty[] = "QuillaneParkedAt";

// The settings key; start-up's language read and the uninstall mode spell it in capitals,
// which names the same key.
#define Q_SETTINGS_BELOW_SOFTWARE "\\Halvern\\Quillane"
constexpr const char SettingsKey[] = "Software" Q_SETTINGS_BELOW_SOFTWARE;
constexpr const char SettingsKeyUpper[] = "SOFTWARE" Q_SETTINGS_BELOW_SOFTWARE;
#undef Q_SETTINGS_BELOW_SOFTWARE
constexpr const char DesktopValuesKey[] = "Control Panel\\desktop";

constexpr const char ValueLanguage[] = "Language";
constexpr const char ValueDesktop[] = "Desktop";
constexpr const char ValueWallpaperFlag[] = "Wallpaper";
constexpr const char ValueDisplay[] = "Display";
constexpr const char ValueRowsFloating[] = "RowsFloating";
constexpr const char ValueFloatingX[] = "FloatingX";
constexpr const char ValueFloatingY[] = "FloatingY";
constexpr const char ValueTopMost[] = "TopMost";

constexpr const char ValueWallpaper[] = "Wallpaper";
constexpr const char ValuePattern[] = "Pattern";
constexpr const char ValueTileWallpaper[] = "TileWallpaper";
constexpr const char ValueWallpaperStyle[] = "WallpaperStyle";
constexpr const char ValueDesktopTitle[] = "DesktopTitle";
constexpr const char ValueHotKey[] = "HotKey";

} // namespace q::names
