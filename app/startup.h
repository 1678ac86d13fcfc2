// Start-up, in the one order that quillane.exe, the unit tests' machine, the Wine tests and the
// benchmarks all run: the argument text, then everything from the language choice to the main
// window.
#pragma once

#include "engine/app_state.h"

namespace q {

// What follows the program name on the command line: leading blanks and tabs, the program
// name (quoted or not) and the blanks and tabs after it are skipped; the rest is kept whole.
const char *ArgumentText(const char *commandLine);
// Only the exact text "uninstall" selects the uninstall mode.
bool IsUninstallArgument(const char *argumentText);

// The system's ports in `app`, and the interface and the settings behind the engine's own.
void ConnectPorts(AppState &app, Platform &sys);

// The program's window classes, registered by start-up once the settings are read: their
// procedures are the caller's (the system's, or the simulated machine's).
struct WindowClasses {
    virtual void Register() = 0;

  protected:
    ~WindowClasses() = default;
};

// The first inventory: the window table and its first enumeration, then the wallpaper in force
// captured into every record. The engine's tests and benchmarks stop here.
void TakeInventory(AppState &app);
// Start-up once the language is chosen: the inventory, the settings loaded or first written,
// the window classes, the floating window (placed by the settings), then the main window, whose
// WM_CREATE adds the icons and hot keys. False when the main window could not be made.
bool StartProgram(AppState &app, WindowClasses &classes);

} // namespace q
