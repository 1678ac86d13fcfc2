// The program's one record of everything it knows: desktops, tracked windows, options.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ports.h"

namespace q {

constexpr int MaxDesktops = 8;
constexpr int MinDesktops = 2;
constexpr int TitleSize = 33;     // 32 characters and the terminating zero
constexpr int TitleMaxLength = 32;
constexpr int WallpaperTextSize = 260;
constexpr int StyleTextSize = 2;

struct DesktopRecord {
    char Pattern[WallpaperTextSize];
    char Wallpaper[WallpaperTextSize];
    char WallpaperStyle[StyleTextSize];
    char TileWallpaper[StyleTextSize];
    char DesktopTitle[TitleSize];
    std::uint32_t HotKey;
};

// Index 0 is unused so that desktop n is Records[n]; Records[9] is StartupWallpaper.
constexpr int StartupWallpaperIndex = 9;

struct DesktopTable {
    DesktopRecord Records[StartupWallpaperIndex + 1];
    std::int32_t DesktopCount = 2;
    std::int32_t CurrentDesktop = 1;

    DesktopRecord &Desktop(int n) { return Records[n]; }
    const DesktopRecord &Desktop(int n) const { return Records[n]; }
    DesktopRecord &StartupWallpaper() { return Records[StartupWallpaperIndex]; }
};

struct WindowEntry {
    Hwnd Window;
    std::int32_t Desktop;
    std::int32_t ZRank;
    Hwnd WindowAbove;
    std::uint8_t Sticky;
    std::uint8_t Minimized;
    std::uint32_t Popup;
};

struct RankedWindow {
    Hwnd Window;
    std::int32_t Rank;
};

// Heap memory for the window table and the restore lists. A failure answers nullptr; the
// callers keep what they had (see AddWindowEntry and the restore passes).
struct Allocator {
    void *(*Allocate)(std::size_t bytes);
    void (*Release)(void *block);
};
Allocator DefaultAllocator();

struct WindowTable {
    WindowEntry *Entries = nullptr;
    std::int32_t Count = 0;
    std::int32_t Capacity = 0;
};

constexpr std::int32_t WindowTableStep = 64;

// Outer size of the floating window for one row count.
struct RowSize {
    std::int32_t width;
    std::int32_t height;
};

enum class DisplayModes : std::int32_t { TaskBar = 1, Menu = 2, Floating = 3 };

struct AppState {
    Platform *Sys = nullptr;
    Allocator Memory = DefaultAllocator();

    Hwnd MainWindow = nullptr;
    Hwnd FloatingWindow = nullptr;
    DesktopTable Desktops = {};
    WindowTable Windows;
    std::int32_t LanguageBase = 100;
    std::int32_t DisplayMode = 1;
    std::uint8_t OwnWallpapers = 1;
    std::int32_t RowsFloating = 1;
    std::uint8_t DialogOpen = 0;
    std::uint8_t AboutOpen = 0;
    Hwnd AboutWindow = nullptr;

    // Read from the settings only to create the floating window (start-up).
    std::int32_t FloatingX = 3000;
    std::int32_t FloatingY = 3000;
    std::uint32_t TopMost = 8;

    // Remembered by MinimizeAnimation(off) for MinimizeAnimation(back).
    std::int32_t SavedMinAnimate = 0;

    // The floating window's toolbar and its outer size for 1..8 rows; entries 0 and 9 stay
    // (0, 0) and bound the row choice.
    Hwnd FloatingToolbar = nullptr;
    RowSize RowSizes[MaxDesktops + 2] = {};

    int CurrentDesktop() const { return Desktops.CurrentDesktop; }
    int DesktopCount() const { return Desktops.DesktopCount; }
    DesktopRecord &Record(int n) { return Desktops.Desktop(n); }
};

// Private messages of the main window and the floating window.
constexpr Uint UM_DESKTOP_BASE = WM_USER;      // UM_DESKTOP n is WM_USER + n
constexpr Uint UM_DESKTOPADDED = WM_USER + 1;  // to the floating window
constexpr Uint UM_DESKTOPREMOVED = WM_USER + 2;
constexpr Uint UM_DESKTOPSWITCH = WM_USER + 3;
constexpr Uint UM_INITSYSMENU = WM_USER + 4;
constexpr Uint UM_SETSTICKY = WM_USER + 33;
constexpr Uint UM_MOVETODESKTOP = WM_USER + 34;
constexpr Uint UM_DESKTOP(int n) { return WM_USER + static_cast<Uint>(n); }

} // namespace q
