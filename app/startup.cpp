#include "app/startup.h"

#include <cstring>

#include "config/engine_store.h"
#include "config/settings.h"
#include "config/wallpaper.h"
#include "engine/hung.h"
#include "engine/left_away.h"
#include "engine/names.h"
#include "engine/window_table.h"
#include "ui/engine_notices.h"
#include "ui/floating_window.h"

namespace q {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

const char *ArgumentText(const char *commandLine) {
    const char *p = commandLine;
    while (IsBlank(*p))
        ++p;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && !IsBlank(*p))
            ++p;
    }
    while (IsBlank(*p))
        ++p;
    return p;
}

bool IsUninstallArgument(const char *argumentText) {
    return std::strcmp(argumentText, names::UninstallArgument) == 0;
}

void ConnectPorts(AppState &app, Platform &sys) {
    app.Sys = &sys;
    app.Notify = &EngineNotices();
    app.Store = &EngineStore();
}

void TakeInventory(AppState &app) {
    // Without memory for the table the program still runs: the first window added tries again.
    CreateWindowTable(app);
    app.Sys->window.EnumWindows(EnumAddProc, &app);
    CaptureStartupWallpaper(app);
}

bool StartProgram(AppState &app, WindowClasses &classes) {
    TakeInventory(app);
    LoadOrCreateSettings(app);
    // After the settings: a window an ended run left away goes back to its desktop if it exists.
    TakeBackWindows(app);
    classes.Register();
    WindowPort &win = app.Sys->window;
    // The floating window's WM_CREATE sizes it for its buttons; the main window is never shown.
    app.FloatingWindow =
        win.CreateWindowExA(app.Loaded.TopMost | FloatingExStyle, names::FloatingClass, names::WindowTitle,
                            FloatingStyle, app.Loaded.FloatingX, app.Loaded.FloatingY, 200, 70, nullptr, 0);
    app.MainWindow = win.CreateWindowExA(0, names::MainClass, names::WindowTitle, WS_OVERLAPPEDWINDOW, 100,
                                         100, 240, 168, nullptr, 0);
    // A window given back above whose thread did not answer catches up once it does, as after a
    // switch; the catch-up's timer needs the main window.
    if (app.MainWindow != nullptr && app.Switch.HungCount != 0) CatchUpLater(app);
    return app.MainWindow != nullptr;
}

} // namespace q
