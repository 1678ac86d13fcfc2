#include "engine/left_away.h"

#include "engine/hung.h"
#include "engine/names.h"
#include "engine/window_table.h"

namespace q {

namespace {

// The away mark: the desktop (1 to 8) in the low four bits, and HidItself once the window hid
// itself inside our minimise (a window hidden later by its program is its program's, as for the
// running program). Never 0, which GetPropA answers for a window without it.
constexpr std::uint8_t DesktopBits = 0x0F;
constexpr std::uint8_t HidItself = 0x10;

bool ValidMark(std::intptr_t mark) {
    const int desktop = static_cast<int>(mark & DesktopBits);
    return mark > 0 && mark <= (HidItself | DesktopBits) && desktop >= 1 && desktop <= MaxDesktops;
}

// A place as the property's value: each coordinate moved up by 0x8000 into 16 bits, so that
// (0, 0) is not taken for no value.
std::intptr_t PlaceValue(Point at) {
    const auto x = static_cast<std::uint32_t>(at.x + 0x8000) & 0xFFFFu;
    const auto y = static_cast<std::uint32_t>(at.y + 0x8000) & 0xFFFFu;
    return static_cast<std::intptr_t>(x | y << 16);
}
Point PlaceOf(std::intptr_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return Point{static_cast<std::int32_t>(bits & 0xFFFFu) - 0x8000,
                 static_cast<std::int32_t>(bits >> 16) - 0x8000};
}

void WriteMark(AppState &app, WindowEntry &entry, std::uint8_t mark) {
    if (entry.AwayMark == mark) return;
    if (app.Sys->window.SetPropA(entry.Window, names::AwayProperty, mark)) entry.AwayMark = mark;
}

} // namespace

void MarkAway(AppState &app, Hwnd window, bool shown) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry == nullptr || (!shown && entry->Minimized != 0)) return;
    WriteMark(app, *entry, static_cast<std::uint8_t>(entry->Desktop));
}

void MarkHidItself(AppState &app, Hwnd window) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry != nullptr && entry->AwayMark != 0) WriteMark(app, *entry, entry->AwayMark | HidItself);
}

void MarkShownAgain(AppState &app, WindowEntry &entry) {
    if ((entry.AwayMark & HidItself) != 0) WriteMark(app, entry, entry.AwayMark & DesktopBits);
}

void MarkParkedAt(AppState &app, Hwnd window, Point parkedAt) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry == nullptr) return;
    // Restored by its program inside our minimise, whoever minimised it before: off the screen
    // from now on, it is ours to bring back.
    WriteMark(app, *entry,
              entry->AwayMark != 0 ? entry->AwayMark : static_cast<std::uint8_t>(entry->Desktop));
    if (app.Sys->window.SetPropA(window, names::ParkedAtProperty, PlaceValue(parkedAt)))
        entry->ParkedAtMark = 1;
}

void RenumberMark(AppState &app, WindowEntry &entry) {
    if (entry.AwayMark != 0)
        WriteMark(app, entry, static_cast<std::uint8_t>((entry.AwayMark & HidItself) | entry.Desktop));
}

void ClearMarks(AppState &app, Hwnd window) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry == nullptr) return;
    if (entry->AwayMark != 0) app.Sys->window.RemovePropA(window, names::AwayProperty);
    if (entry->ParkedAtMark != 0) app.Sys->window.RemovePropA(window, names::ParkedAtProperty);
    entry->AwayMark = entry->ParkedAtMark = 0;
}

void ClearAllMarks(AppState &app) {
    for (std::int32_t i = 0; i < app.Windows.Count; ++i)
        ClearMarks(app, app.Windows.Entries[i].Window);
}

void TakeBackWindows(AppState &app) {
    WindowPort &win = app.Sys->window;
    bool found = false;
    // No window of ours exists yet, so none of these calls runs a message of ours: the table
    // stays as it is meanwhile.
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        WindowEntry &e = app.Windows.Entries[i];
        const std::intptr_t mark = win.GetPropA(e.Window, names::AwayProperty);
        if (mark == 0) continue;
        found = true;
        e.AwayMark = 1; // whatever it holds, it is ours to take away
        e.ParkedAtMark = 1;
        const std::intptr_t place = win.GetPropA(e.Window, names::ParkedAtProperty);
        const bool visible = win.IsWindowVisible(e.Window);
        const bool iconic = win.IsIconic(e.Window);
        const bool atPark = !iconic && AtPark(app, e.Window);
        // Still as the ended run left it: minimised or parked, or hidden by itself inside that
        // minimise (as many a program with a tray icon does). Restored or minimised since by its
        // user or program, or hidden by its program, it is theirs; but one still at the park, or
        // minimised with the park as its restore place, is owed its place back, hidden or not.
        const bool hidItself = (mark & HidItself) != 0;
        const bool owedPlace = atPark || (iconic && place != 0);
        const bool away = ValidMark(mark) && (owedPlace || (iconic && (visible || hidItself)));
        if (!away) {
            ClearMarks(app, e.Window);
            continue;
        }
        e.AwayMark = static_cast<std::uint8_t>(mark);
        e.ParkedAtMark = place != 0 ? 1 : 0;
        if (visible) MarkShownAgain(app, e); // shown again since it hid itself: not hidden by us
        e.Minimized = 0;
        e.MinimizedShown = !visible && iconic && hidItself ? 1 : 0;
        if (owedPlace) {
            // Without its place (a run ended between the park and the mark) it goes to the
            // corner of the work area, on the screen at least.
            e.Parked = 1;
            const Rect work =
                win.WorkAreaAt(Rect{ParkPosition, ParkPosition, ParkPosition + 1, ParkPosition + 1});
            e.ParkedAt = place != 0 ? PlaceOf(place) : Point{work.left, work.top};
        }
        const int desktop = static_cast<int>(mark & DesktopBits);
        e.Desktop = desktop <= app.DesktopCount() ? desktop : 1;
    }
    if (!found) return;
    FollowOwners(app);
    // Desktop 1's, and those of a desktop that is no more, come back now: without the activation,
    // which stays with the user's window; their places are given back and the marks go. One whose
    // thread does not answer is left behind, as a switch leaves it: still ours, not its user's.
    // Owners first: their restore shows the owned windows hidden with them, as a switch's does.
    for (int pass = 0; pass < 2; ++pass)
        for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
            const WindowEntry e = app.Windows.Entries[i];
            if (e.AwayMark == 0 || e.Desktop != 1 || (e.Owner != nullptr) != (pass == 1)) continue;
            if (!Answers(app, e.Window)) {
                HoldBack(app, e.Window);
                continue;
            }
            if (win.IsWindowVisible(e.Window) || e.MinimizedShown != 0)
                win.ShowWindow(e.Window, SW_SHOWNOACTIVATE);
            WindowReturned(app, e.Window);
        }
}

} // namespace q
