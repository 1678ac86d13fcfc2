// Compiled alone, once per CASE, by the Ownership tests (tests/unit/CMakeLists.txt): every case
// but 0 writes what its layer does not own, and must not compile. Case 0 reads all of it.
#include "engine/app_state.h"

namespace q {

int Reads(const AppState &app) {
    return app.CurrentDesktop() + app.DesktopCount() + app.DisplayMode + app.RowsFloating + app.OwnWallpapers +
           app.DialogOpen + app.UnderWay.Switching + app.UnderWay.QuitAsking + app.UnderWay.Closed;
}

void Writes(AppState &app) {
#if CASE == 1 // the interface shows another desktop without a switch
    app.Desktops.CurrentDesktop.Set(EngineKey(), 2);
#elif CASE == 2 // a field assigned whole, key or no key
    app.DisplayMode = OwnedBy<SettingsKey, std::int32_t>(DisplayFloating);
#elif CASE == 3 // a flag stored rather than held by its guard
    app.UnderWay.Switching = 1;
#elif CASE == 4 // a counter stepped by hand
    ++app.UnderWay.QuitAsking;
#else
    app = AppState{}; // a whole new record, as a test's restart makes
#endif
}

} // namespace q
