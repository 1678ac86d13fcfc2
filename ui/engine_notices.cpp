#include "ui/engine_notices.h"

#include "ui/icons.h"

namespace q {

namespace {

// The floating window learns through its own messages, sent, as other programs' would be.
void TellFloatingWindow(AppState &app, Uint message, Wparam wParam = 0, Lparam lParam = 0) {
    app.Sys->message.SendMessageA(app.FloatingWindow, message, wParam, lParam);
}

struct ShownNotices final : NotifyPort {
    void SwitchBegins(AppState &app, int left, int entered) const override {
        SwitchIcons(app, left, entered);
        TellFloatingWindow(app, UM_DESKTOPSWITCH, static_cast<Wparam>(entered), static_cast<Lparam>(left));
    }
    void DesktopAdded(AppState &app, int n) const override {
        AddDesktopIcon(app, n);
        TellFloatingWindow(app, UM_DESKTOPADDED);
    }
    void DesktopRenamed(AppState &app, int n) const override { RenumberDesktopIcon(app, n); }
    void DesktopRemoved(AppState &app, int n) const override {
        RemoveDesktopIcon(app, n);
        TellFloatingWindow(app, UM_DESKTOPREMOVED);
        MarkCurrentDesktopIcon(app);
    }
    void LostIconsMayReturn(AppState &app) const override { AddIconsAgain(app); }
};

const ShownNotices notices;

} // namespace

const NotifyPort &EngineNotices() { return notices; }

} // namespace q
