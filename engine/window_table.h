// The tracked top-level windows and the small window operations the desktop engine shares.
#pragma once

#include "engine/app_state.h"

namespace q {

// Allocates the table with room for `capacity` entries; false (and an empty table) when the
// memory cannot be had, in which case the first AddWindowEntry tries again.
bool CreateWindowTable(AppState &app, std::int32_t capacity = WindowTableStep);
void FreeWindowTable(AppState &app);

// Appends an entry for `window` on the current desktop. Growing a full table by 64 entries
// may fail: the table is then left exactly as it was and nullptr is returned.
WindowEntry *AddWindowEntry(AppState &app, std::uint32_t style, Hwnd window);
// Updates a known window from its style; adds an unknown one. Returns the new entry, or
// nullptr when the window was already known (or could not be added).
WindowEntry *RefreshWindowEntry(AppState &app, std::uint32_t style, Hwnd window);
WindowEntry *FindWindowEntry(AppState &app, Hwnd window);
void PurgeWindowTable(AppState &app);
void UpdateWindowTable(AppState &app);

// EnumWindows callbacks: the shared filter, then add or refresh. Both always continue.
bool EnumAddProc(Hwnd window, void *app);
bool EnumRefreshProc(Hwnd window, void *app);
// The filter on its own: false for the taskbar, the desktop window and tool tips.
bool IsTrackedClass(const char *className);

void CaptureZOrder(AppState &app, int desktop);
// Higher rank first, equal ranks in their order. `scratch` holds `count` more items to merge
// into; without it the sort still gives the same order, in quadratic time.
void SortByZRank(std::int32_t count, RankedWindow *items, RankedWindow *scratch = nullptr);
// Minimises a window for a switch or a move, and with `park` moves it to 3000, 3000 too. A
// window shown until then is marked MinimizedShown (and not minimised by the user); one whose
// program restored it at once is marked Parked with the place it stood at.
void MinimizeWindow(AppState &app, Hwnd window, bool park);
void ParkWindow(AppState &app, Hwnd window);
constexpr std::int32_t ParkPosition = 3000;
bool AtPark(AppState &app, Hwnd window);
// After our SW_RESTORE of a window: it is shown again, and back where it stood before a park
// that its program refused, unless it has moved since.
void WindowReturned(AppState &app, Hwnd window);
// Owned windows. Windows hides an owner's owned windows when it is minimised and shows them
// again when it is restored, and only its owner's restore or its program brings back an owned
// window that is minimised (it has no taskbar button). So an owned window goes with its owner
// while the owner is shown, or hid itself when we minimised it: the owner's minimise and restore
// take it along, and nothing of ours shows it while it is hidden with its owner.
// The top owner of a window, or none (also none when that is one of our own windows).
Hwnd RootOwner(AppState &app, Hwnd window);
// The entry of the owner `entry` goes with, or nullptr when it goes alone.
WindowEntry *OwnerEntry(AppState &app, const WindowEntry &entry);
inline bool GoesWithOwner(AppState &app, const WindowEntry &entry) { return OwnerEntry(app, entry) != nullptr; }
// After a refresh: each window that goes with its owner has its owner's desktop and stickiness;
// one that went alone goes with it again once both are on the same desktop; no owned window is
// taken for one the user minimised (it has no taskbar button to come back by).
void FollowOwners(AppState &app);
// Hidden, and not by our own minimise of it: by its program, the user, or its owner's minimise
// (then its owner's restore brings it back). Never ours to show.
bool HiddenByOthers(AppState &app, Hwnd window);
// Shown, not minimised and not parked.
bool OwnerUp(AppState &app, Hwnd owner);
// Around an owner's minimise or restore: its owned windows that we minimised (or parked while
// they refused the minimise) and that are shown come up where they lie, without activation, so
// that the system hides them with their owner as they are and its restore brings them back on
// the screen, not minimised. Those hidden are left to the owner.
void BringUpOwned(AppState &app, Hwnd owner);
// The end of a switch, a move or a re-show: a window that our minimise left shown is no longer
// marked MinimizedShown, so only one that hid itself while that was under way comes back
// hidden. A window hidden later by its program or the user stays hidden.
void SettleMinimized(AppState &app);
// Visible, top-level and without owner or WS_EX_TOOLWINDOW, or with WS_EX_APPWINDOW.
bool HasTaskbarButton(AppState &app, Hwnd window);

enum class Animation { Off, Back };
void MinimizeAnimation(AppState &app, Animation step);

// The two hiding passes of a switch or re-show: first every entry passing `park` is parked,
// then every entry passing `minimize` is minimised. Windows that go with their owner are left to
// their owner's minimise; a third pass hides, as the first two would, those still shown after it
// unless their owner is still up.
using EntryTest = bool (*)(AppState &app, const WindowEntry &entry, int desktop);
void HideWindows(AppState &app, EntryTest park, EntryTest minimize, int desktop);

// Restores the collected windows: ShowWindow(SW_RESTORE) bottom first. `count` windows that
// satisfy `take` are collected from the table; when no memory can be had for the sorted list,
// the same windows are restored in table order instead, so none is left minimised. A window
// hidden by others (HiddenByOthers) when its turn comes is passed over: taken while it was shown,
// it may have been hidden since, as our calls ran other programs' messages. After each window,
// its owned windows come up with it (BringUpOwned).
using EntryTest = bool (*)(AppState &app, const WindowEntry &entry, int desktop);
struct RestoreList {
    RankedWindow *Items = nullptr;
    std::int32_t Count = 0;
    bool Sorted = false;
};
RestoreList CollectWindows(AppState &app, EntryTest take, int desktop);
void RestoreWindows(AppState &app, const RestoreList &list, EntryTest take, int desktop);
void FreeRestoreList(AppState &app, RestoreList &list);

} // namespace q
