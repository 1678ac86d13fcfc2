#include "config/engine_store.h"

#include "config/settings.h"
#include "config/wallpaper.h"

namespace q {

namespace {

struct RegistryStore final : StorePort {
    void SaveSettings(AppState &app, unsigned flags) const override { q::SaveSettings(app, flags); }
    void ExchangeWallpaper(AppState &app, int left, int entered) const override {
        q::ExchangeWallpaper(app, left, entered);
    }
};

const RegistryStore store;

} // namespace

const StorePort &EngineStore() { return store; }

} // namespace q
