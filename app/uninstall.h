// The uninstall mode, the first of the two removal phases: the settings and the autostart
// value go, and the removal entry is pointed at the installation file's uninstall section,
// which the system's setup engine runs the next time the user asks for removal.
#pragma once

#include "engine/app_state.h"

namespace q {

constexpr int SecondPhaseLineSize = 260;

// From GetVersion's high bit, which only the Windows 95 family sets.
bool IsWindows95Family(AppState &app);

// The command of the second phase, built in `line`: the Windows directory (Windows 95 family)
// or the system directory (NT family) with the setup engine's call, then the full path of
// quillane.inf in the system directory's "Shellext" folder. Returns its length. A line that
// would not fit, or whose pieces cannot be had, is "" and 0: a cut line would run something else.
int SecondPhaseLine(AppState &app, bool windows95, char (&line)[SecondPhaseLineSize]);

// Every step runs whether or not the ones before it succeeded; the final message is in the
// language chosen before the settings went. Returns the exit code, 0.
int RunUninstall(AppState &app);

} // namespace q
