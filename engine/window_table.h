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
bool IsTrackedClass(AppState &app, Hwnd window);
// Cloaked by the compositor (Windows 8 on): a suspended store app's frame, or a window of one of
// the system's own virtual desktops not shown. IsWindowVisible says it is shown, but it is not on
// the screen: the table leaves it out while it is cloaked (a window it knows keeps what it knew),
// and nothing of ours minimises, restores, parks, moves or lists it. False wherever the question
// fails: no dwmapi.dll (Windows 95 to XP), no such attribute (Vista, 7), Wine's stub.
bool IsCloaked(AppState &app, Hwnd window);

void CaptureZOrder(AppState &app, int desktop);
// Higher rank first, equal ranks in their order. `scratch` holds `count` more items to merge
// into; without it the sort still gives the same order, in quadratic time.
void SortByZRank(std::int32_t count, RankedWindow *items, RankedWindow *scratch = nullptr);
// Minimises a window for a switch or a move, and with `park` moves it to 3000, 3000 too. A
// window shown until then is not minimised by the user, and marked MinimizedShown when it hid
// itself inside our minimise; one whose program restored it at once is marked Parked with the
// place it stood at.
void MinimizeWindow(AppState &app, Hwnd window, bool park);
void ParkWindow(AppState &app, Hwnd window);
constexpr std::int32_t ParkPosition = 3000;
bool AtPark(AppState &app, Hwnd window);
// On the screen after our calls to take it down: shown, not minimised, not at the park, not
// cloaked. The system refuses a lower program's ShowWindow and SetWindowPos on an elevated
// program's window (UIPI); some programs restore their window at once. Asks nothing of its thread.
bool StaysUp(AppState &app, Hwnd window);
// After our SW_RESTORE of a window: it is shown again, and back where it stood before a park
// that its program refused, unless it has moved since.
void WindowReturned(AppState &app, Hwnd window);
// Gives a parked window its place back, once its thread answers again: moved there when it stands
// at the park, shown or hidden; given it as its restore place when minimised. Until its thread
// answers it keeps the place owed.
void GiveBackPlace(AppState &app, Hwnd window);
// Owned windows. Windows hides an owner's owned windows when it is minimised and shows them
// again when it is restored, and only its owner's restore or its program brings back an owned
// window that is minimised (it has no taskbar button). Wine 8 hides and shows nothing with an
// owner. So an owned window goes with its owner while the owner is shown, or hid itself when we
// minimised it: it has its owner's desktop, is taken down after its owner when the system left it
// up, and comes back above its owner. A box owned by an owned window goes with that one's owner.
// Alone, with a taskbar button of its own (WS_EX_APPWINDOW), or owned by a window never shown
// (many frameworks own every form by a hidden application window), it is an ordinary window.
constexpr int MaxOwnerDepth = 8; // owners of owners followed up to this many
// The entry of the owner `entry` goes with (the top of its chain of owners), or nullptr when it
// goes alone.
WindowEntry *OwnerEntry(AppState &app, const WindowEntry &entry);
inline bool GoesWithOwner(AppState &app, const WindowEntry &entry) {
    return OwnerEntry(app, entry) != nullptr;
}
// After a refresh: each window that goes with its owner has its owner's desktop and stickiness;
// no owned window without a taskbar button is taken for one the user minimised (it has no button
// to come back by).
void FollowOwners(AppState &app);
// Hidden, and not by our own minimise of it: by its program, the user, or its owner's minimise
// (then its owner's restore brings it back). Never ours to show.
bool HiddenByOthers(AppState &app, Hwnd window);
// The taskbar's rule: a button for a window without an owner and without WS_EX_TOOLWINDOW, or for
// one with WS_EX_APPWINDOW ("Managing Taskbar Buttons"). Without one, a window we minimised is
// out of the user's reach once we are gone.
bool HasTaskbarButton(AppState &app, const WindowEntry &entry);
// An owner on the screen: not minimised, hidden or parked. One we took down that is still up
// refused its minimise (and was not parked).
bool OwnerUp(AppState &app, const WindowEntry &owner);
// A window that goes with its owner, on the screen though that owner is down.
bool StillUpWithoutOwner(AppState &app, const WindowEntry &entry);
// After a move took `owner` down: the windows that go with it and are still on the screen go down
// too. After a move brought it up: those we took down, or its restore showed minimised, come up.
void TakeDownOwnedWindows(AppState &app, Hwnd owner);
void ReturnOwnedWindows(AppState &app, Hwnd owner);
// After a switch: an owner its program or user brought up inside our calls, after the hiding
// passes took the windows going with it down, brings those up too.
void ReturnWithOwnersUp(AppState &app);

enum class Animation { Off, Back };
void MinimizeAnimation(AppState &app, Animation step);

// The hiding passes of a switch or re-show: first every entry passing `park` is parked, then
// every entry passing `minimize` is minimised. Windows that go with their owner are left to their
// owner's minimise; the same two passes then take those it left on the screen, unless the owner
// is still up.
using EntryTest = bool (*)(AppState &app, const WindowEntry &entry, int desktop);
void HideWindows(AppState &app, EntryTest park, EntryTest minimize, int desktop);

// Restores the collected windows: ShowWindow(SW_RESTORE) bottom first, each owned window after
// the owner it goes with. `count` windows that
// satisfy `take` are collected from the table; when no memory can be had for the sorted list,
// the same windows are restored in table order instead, so none is left minimised. A window
// hidden by others (HiddenByOthers) when its turn comes is passed over: taken while it was shown,
// it may have been hidden since, as our calls ran other programs' messages.
using EntryTest = bool (*)(AppState &app, const WindowEntry &entry, int desktop);
struct RestoreList {
    RankedWindow *Items = nullptr;
    std::int32_t Count = 0;
    bool Sorted = false;
};
RestoreList CollectWindows(AppState &app, EntryTest take, int desktop);
void RestoreWindows(AppState &app, const RestoreList &list, EntryTest take, int desktop);
// After the restore pass: the parked windows of `desktop` (and the sticky ones) that it did not
// put back, because their program hid them while away, their user minimised them or their thread
// was busy, get their place now (GiveBackPlace), so that none appears off the screen later.
void ReturnParked(AppState &app, int desktop);
void FreeRestoreList(AppState &app, RestoreList &list);

} // namespace q
