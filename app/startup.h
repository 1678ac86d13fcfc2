// Start-up decisions that do not need the real system: the argument text, and the first
// inventory of windows, wallpaper and settings.
#pragma once

#include "engine/app_state.h"

namespace q {

// What follows the program name on the command line: leading blanks and tabs, the program
// name (quoted or not) and the blanks and tabs after it are skipped; the rest is kept whole.
const char *ArgumentText(const char *commandLine);
// Only the exact text "uninstall" selects the uninstall mode.
bool IsUninstallArgument(const char *argumentText);

// Start-up once the language is chosen: the window table and its first enumeration, the
// wallpaper in force captured into every record, and the settings loaded or first written.
void InitialiseDesktops(AppState &app);

} // namespace q
