// What the engine tells the layers above it: what happened to the desktops, or is about to.
// The engine knows nothing of how it is shown (ui/engine_notices.h shows it).
#pragma once

#include "engine/app_state.h"

namespace q {

struct NotifyPort {
    // A switch from `left` to `entered` begins: no window is hidden yet and CurrentDesktop is
    // still `left`.
    virtual void SwitchBegins(AppState &app, int left, int entered) const = 0;
    // Desktop n, the last one, was added with its title.
    virtual void DesktopAdded(AppState &app, int n) const = 0;
    // In a deletion, desktop n took the record (and the title) of the desktop above it.
    virtual void DesktopRenamed(AppState &app, int n) const = 0;
    // Desktop n, the last number, is gone; DesktopCount and CurrentDesktop are already the new
    // ones, the windows not yet shown again.
    virtual void DesktopRemoved(AppState &app, int n) const = 0;
    // What held the program back ended while the icons were lost (IconsLost): they may be
    // added again.
    virtual void LostIconsMayReturn(AppState &app) const = 0;

  protected:
    ~NotifyPort() = default;
};

} // namespace q
