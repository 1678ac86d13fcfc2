// What the engine asks of the configuration store: to keep the settings, and each desktop's
// wallpaper. The engine knows nothing of the registry (config/engine_store.h answers).
#pragma once

#include "engine/app_state.h"

namespace q {

enum SaveFlags : unsigned {
    RestoreStartupWallpaper = 1,
    SaveDesktopSet = 2,
    SaveFloatingPosition = 4,
    // The save after the shown desktop was deleted: the values in force belong to the deleted
    // desktop, so no record takes them.
    WithoutCapture = 8,
};

struct StorePort {
    // Every change that is to last.
    virtual void SaveSettings(AppState &app, unsigned flags) const = 0;
    // The wallpaper in force goes into desktop `left`'s record, then desktop `entered`'s is put
    // in force (only what differs from left's); 0 for either skips its step.
    virtual void ExchangeWallpaper(AppState &app, int left, int entered) const = 0;

  protected:
    ~StorePort() = default;
};

} // namespace q
