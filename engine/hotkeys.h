// Each desktop's system-wide hot key, registered for the main window under the desktop's number.
#pragma once

#include "engine/app_state.h"

namespace q {

// A stored hot key: the modifiers (MOD_SHIFT, MOD_CONTROL, MOD_ALT) in the high word, the
// virtual key in the low word; 0 for none.
constexpr std::uint32_t PackHotKey(Uint modifiers, Uint key) {
    return modifiers << 16 | key;
}
constexpr Uint HotKeyModifiers(std::uint32_t value) {
    return value >> 16;
}
constexpr Uint HotKeyKey(std::uint32_t value) {
    return value & 0xFFFF;
}

// Registers desktop n's stored hot key, if it has one; false when it has none or the system
// refused it (another program, or a lower desktop, holds the combination).
bool RegisterDesktopHotKey(AppState &app, int n);
// Releases desktop n's registration, if it has a hot key.
void UnregisterDesktopHotKey(AppState &app, int n);
// WM_CREATE: desktops 1..DesktopCount in ascending order, so a lower desktop wins a shared key.
void RegisterAllHotKeys(AppState &app);
// WM_HOTKEY with identifier `id`.
void OnHotKey(AppState &app, Wparam id);

} // namespace q
