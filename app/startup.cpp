#include "app/startup.h"

#include <cstring>

#include "config/settings.h"
#include "config/wallpaper.h"
#include "engine/names.h"
#include "engine/window_table.h"

namespace q {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
} // namespace

const char *ArgumentText(const char *commandLine) {
    const char *p = commandLine;
    while (IsBlank(*p)) ++p;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && !IsBlank(*p)) ++p;
    }
    while (IsBlank(*p)) ++p;
    return p;
}

bool IsUninstallArgument(const char *argumentText) {
    return std::strcmp(argumentText, names::UninstallArgument) == 0;
}

void InitialiseDesktops(AppState &app) {
    // Without memory for the table the program still runs: the first window added tries again.
    CreateWindowTable(app);
    app.Sys->window.EnumWindows(EnumAddProc, &app);
    CaptureStartupWallpaper(app);
    LoadOrCreateSettings(app);
}

} // namespace q
