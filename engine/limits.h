// How many desktops there can be, and the sizes that follow from it. Raise MaxDesktops and
// everything below, the command table (engine/commands.h) and the arrays sized by them follow;
// a static_assert stops the build wherever a fixed limit of the system or of a port cannot.
#pragma once

namespace q {

constexpr int MaxDesktops = 8;
constexpr int MinDesktops = 2;

// Index 0 of the desktop records is unused so that desktop n is record n; the record after the
// last desktop's keeps the background the program started with.
constexpr int StartupWallpaperIndex = MaxDesktops + 1;
constexpr int DesktopRecordCount = StartupWallpaperIndex + 1;

constexpr int DecimalDigits(int value) {
    return value < 10 ? 1 : 1 + DecimalDigits(value / 10);
}
// A desktop's registry key, "Desktop" and its number, with the terminating zero.
constexpr int DesktopKeyNameSize = static_cast<int>(sizeof "Desktop") + DecimalDigits(MaxDesktops);

} // namespace q
