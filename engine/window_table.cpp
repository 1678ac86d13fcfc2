#include "engine/window_table.h"

#include "engine/hung.h"
#include "engine/left_away.h"

#include <cstdlib>
#include <cstring>

namespace q {

namespace {
void *HeapAllocate(std::size_t bytes) {
    return std::malloc(bytes);
}
void HeapRelease(void *block) {
    std::free(block);
}
} // namespace

Allocator DefaultAllocator() {
    return Allocator{HeapAllocate, HeapRelease};
}

namespace {

std::uint32_t HashWindow(Hwnd window) {
    auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window));
    bits ^= bits >> 32;
    // Fibonacci hashing: the upper half of the product is the well mixed one (see IndexSlot).
    return static_cast<std::uint32_t>(bits) * 0x9E3779B1u;
}

// The slot that holds `window`, or the empty one where it would go.
std::int32_t IndexSlot(const WindowTable &table, Hwnd window) {
    const std::uint32_t mask = static_cast<std::uint32_t>(table.IndexSize) - 1;
    const std::uint32_t h = HashWindow(window);
    std::uint32_t slot = (h >> 16 | h << 16) & mask;
    while (table.Index[slot] != 0 && table.Entries[table.Index[slot] - 1].Window != window)
        slot = (slot + 1) & mask;
    return static_cast<std::int32_t>(slot);
}

// Enters entry `position`, unless an earlier entry of the same window holds the slot.
void IndexEntry(WindowTable &table, std::int32_t position) {
    std::int32_t slot = IndexSlot(table, table.Entries[position].Window);
    if (table.Index[slot] == 0) table.Index[slot] = position + 1;
}

void FillIndex(WindowTable &table) {
    std::memset(table.Index, 0, sizeof(std::int32_t) * static_cast<std::size_t>(table.IndexSize));
    for (std::int32_t i = 0; i < table.Count; ++i)
        IndexEntry(table, i);
}

// Gives the index room for the table's capacity and fills it. Without memory there is no
// index, and lookups search the table until a later growth or purge gets one.
void SizeIndex(AppState &app) {
    WindowTable &table = app.Windows;
    std::int32_t size = 2 * WindowTableStep;
    while (size < 2 * table.Capacity)
        size *= 2;
    if (table.Index == nullptr || table.IndexSize != size) {
        if (table.Index != nullptr) app.Memory.Release(table.Index);
        table.Index = static_cast<std::int32_t *>(
            app.Memory.Allocate(sizeof(std::int32_t) * static_cast<std::size_t>(size)));
        table.IndexSize = table.Index != nullptr ? size : 0;
        if (table.Index == nullptr) return;
    }
    FillIndex(table);
}

} // namespace

bool CreateWindowTable(AppState &app, std::int32_t capacity) {
    app.Windows = WindowTable{};
    auto *entries = static_cast<WindowEntry *>(
        app.Memory.Allocate(sizeof(WindowEntry) * static_cast<std::size_t>(capacity)));
    if (entries == nullptr) return false;
    app.Windows.Entries = entries;
    app.Windows.Capacity = capacity;
    SizeIndex(app);
    return true;
}

void FreeWindowTable(AppState &app) {
    if (app.Windows.Entries != nullptr) app.Memory.Release(app.Windows.Entries);
    if (app.Windows.Index != nullptr) app.Memory.Release(app.Windows.Index);
    app.Windows = WindowTable{};
}

WindowEntry *AddWindowEntry(AppState &app, std::uint32_t style, Hwnd window) {
    WindowTable &table = app.Windows;
    if (table.Count == table.Capacity) {
        std::int32_t capacity = table.Capacity + WindowTableStep;
        auto *grown = static_cast<WindowEntry *>(
            app.Memory.Allocate(sizeof(WindowEntry) * static_cast<std::size_t>(capacity)));
        if (grown == nullptr) return nullptr; // the old table stays whole
        if (table.Count > 0)
            std::memcpy(grown, table.Entries, sizeof(WindowEntry) * static_cast<std::size_t>(table.Count));
        if (table.Entries != nullptr) app.Memory.Release(table.Entries);
        table.Entries = grown;
        table.Capacity = capacity;
        SizeIndex(app);
    }
    WindowEntry &entry = table.Entries[table.Count++];
    entry.Window = window;
    entry.Desktop = app.CurrentDesktop();
    entry.ZRank = 0; // not ranked until its desktop is next captured
    entry.WindowAbove = nullptr;
    entry.Sticky = window == app.FloatingWindow && window != nullptr ? 1 : 0;
    entry.Minimized = (style & WS_MINIMIZE) != 0 ? 1 : 0;
    entry.Popup = style & WS_POPUP;
    entry.MinimizedShown = 0;
    entry.Parked = 0;
    entry.Thread = 0;
    entry.Owner = app.Sys->window.GetWindow(window, GW_OWNER); // given when the window is made
    entry.Alone = 0;
    const auto exStyle = entry.Owner != nullptr ? app.Sys->window.GetWindowLongA(window, GWL_EXSTYLE) : 0;
    entry.AppWindow = (static_cast<std::uint32_t>(exStyle) & WS_EX_APPWINDOW) != 0 ? 1 : 0;
    entry.Leader = nullptr;
    entry.ShownAtHiding = 0;
    entry.AwayMark = entry.ParkedAtMark = 0;
    entry.MissedRestore = entry.ShownLater = 0;
    if (table.Index != nullptr) IndexEntry(table, table.Count - 1);
    return &entry;
}

WindowEntry *FindWindowEntry(AppState &app, Hwnd window) {
    WindowTable &table = app.Windows;
    if (table.Index != nullptr) {
        std::int32_t position = table.Index[IndexSlot(table, window)];
        return position != 0 ? &table.Entries[position - 1] : nullptr;
    }
    for (std::int32_t i = 0; i < app.Windows.Count; ++i)
        if (app.Windows.Entries[i].Window == window) return &app.Windows.Entries[i];
    return nullptr;
}

WindowEntry *RefreshWindowEntry(AppState &app, std::uint32_t style, Hwnd window) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry == nullptr) return AddWindowEntry(app, style, window);
    // A window whose thread did not answer keeps what the table knew: the switch that left it
    // alone did not minimise or restore it, whatever its state says. Left on the screen and
    // minimised since, though, it was minimised by its user or program once it answered again,
    // and stays so when its desktop is shown.
    if (HeldBack(app, window)) {
        if ((style & WS_MINIMIZE) != 0 && LeftShown(app, window)) entry->Minimized = 1;
        return nullptr;
    }
    if (entry->MinimizedShown != 0) {
        if ((style & WS_VISIBLE) == 0) return nullptr; // hid itself when we minimised it: away
        entry->MinimizedShown = 0;                     // shown again by its program or the user
        MarkShownAgain(app, *entry);
    }
    if ((style & WS_MINIMIZE) == 0 && entry->Parked != 0) {
        // Restored where we parked it, off the screen: away with its desktop, and shown when
        // that desktop is. On the shown desktop it is claimed, and goes back at its next return.
        if (!AtPark(app, window)) {
            entry->Parked = 0; // moved since by its program or the user
        } else if (entry->Desktop != app.CurrentDesktop()) {
            entry->Minimized = 0;
            return nullptr;
        }
    }
    if ((style & WS_MINIMIZE) == 0 && (style & WS_VISIBLE) == 0 && entry->Owner != nullptr) {
        // An owned window hidden, by its program or by the system with its owner, is not seen on
        // this desktop: it keeps its own, and so do the windows that go with it.
    } else if ((style & WS_MINIMIZE) == 0) {
        // Restored by the user or its program while this desktop is shown: it belongs here now.
        entry->Desktop = app.CurrentDesktop();
        entry->Minimized = 0;
        entry->MissedRestore = 0;
    } else if (entry->Desktop == app.CurrentDesktop() && entry->MissedRestore == 0) {
        entry->Minimized = 1;
    } else {
        return nullptr;
    }
    // The shown desktop's now, and not away: marks left from our minimise go, unless it still
    // stands at the park, to be moved back at its next return.
    if ((entry->AwayMark | entry->ParkedAtMark) != 0 && entry->Parked == 0) ClearMarks(app, window);
    return nullptr;
}

void PurgeWindowTable(AppState &app) {
    WindowTable &table = app.Windows;
    const std::int32_t before = table.Count;
    std::int32_t i = 0;
    while (i < table.Count) {
        if (app.Sys->window.IsWindow(table.Entries[i].Window)) {
            ++i;
        } else {
            --table.Count;
            table.Entries[i] = table.Entries[table.Count];
        }
    }
    // Entries have moved: the index is made again from the table (tried again if it was missing).
    if (table.Index == nullptr) {
        if (table.Entries != nullptr) SizeIndex(app);
    } else if (table.Count != before) {
        FillIndex(table);
    }
}

bool IsTrackedClass(AppState &app, Hwnd window) {
    char className[64] = {};
    app.Sys->window.GetClassNameA(window, className, sizeof className);
    className[sizeof className - 1] = '\0';
    return std::strcmp(className, "Shell_TrayWnd") != 0 && std::strcmp(className, "Progman") != 0 &&
           std::strcmp(className, "tooltips_class32") != 0;
}

bool IsCloaked(AppState &app, Hwnd window) {
    Dword cloaked = 0;
    return app.Sys->window.DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked) >= 0 &&
           cloaked != 0;
}

namespace {
// Reads the style and class of an enumerated window; false when the window is not tracked.
bool FilterWindow(AppState &app, Hwnd window, std::uint32_t &style) {
    style = static_cast<std::uint32_t>(app.Sys->window.GetWindowLongA(window, GWL_STYLE));
    return IsTrackedClass(app, window);
}
} // namespace

bool EnumAddProc(Hwnd window, void *context) {
    auto &app = *static_cast<AppState *>(context);
    std::uint32_t style = 0;
    if (!IsCloaked(app, window) && FilterWindow(app, window, style)) AddWindowEntry(app, style, window);
    return true;
}

bool EnumRefreshProc(Hwnd window, void *context) {
    auto &app = *static_cast<AppState *>(context);
    std::uint32_t style = 0;
    // Cloaked, it is out of the user's sight whatever its style says: not news.
    if (IsCloaked(app, window)) return true;
    // A window in the table passed the class test when it entered: only its style is news.
    if (FindWindowEntry(app, window) != nullptr)
        RefreshWindowEntry(app, static_cast<std::uint32_t>(app.Sys->window.GetWindowLongA(window, GWL_STYLE)),
                           window);
    else if (FilterWindow(app, window, style))
        RefreshWindowEntry(app, style, window);
    return true;
}

void UpdateWindowTable(AppState &app) {
    PurgeWindowTable(app);
    app.Sys->window.EnumWindows(EnumRefreshProc, &app);
}

namespace {

// The entry of the owner that `entry` follows, whether or not that owner is shown: none for a
// window without an owner, with a taskbar button of its own, moved or made sticky alone, or
// owned by a window we do not track.
WindowEntry *OwnerLink(AppState &app, const WindowEntry &entry) {
    if (entry.Owner == nullptr || entry.Alone != 0 || entry.AppWindow != 0) return nullptr;
    return FindWindowEntry(app, entry.Owner);
}

bool Shown(AppState &app, const WindowEntry &entry) {
    return entry.MinimizedShown != 0 || app.Sys->window.IsWindowVisible(entry.Window);
}

} // namespace

WindowEntry *OwnerEntry(AppState &app, const WindowEntry &entry) {
    // Up the owners to the first that follows no one: a box owned by a Find box goes with the
    // Find box's owner. The windows below it in that chain are not asked whether they are shown:
    // the top's minimise may have hidden them.
    WindowEntry *below = nullptr;
    WindowEntry *top = nullptr;
    const WindowEntry *current = &entry;
    for (int depth = 0; depth < MaxOwnerDepth; ++depth) {
        WindowEntry *next = OwnerLink(app, *current);
        if (next == nullptr || next == &entry) break;
        below = top;
        top = next;
        current = next;
    }
    // A top with an owner of its own (moved alone, or with its own taskbar button) may be hidden
    // by the system with that owner: its owned windows still go with it.
    if (top == nullptr || Shown(app, *top) || top->Owner != nullptr) return top;
    // A top never shown (many frameworks own every form by a hidden application window) takes
    // nothing along: the window just below it goes alone, and the rest of the chain with it.
    return below;
}

void FollowOwners(AppState &app) {
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        WindowEntry &e = app.Windows.Entries[i];
        // Without a taskbar button a minimised owned window is out of the user's reach: it
        // comes back with its desktop, whoever minimised it. One with its own button is the
        // user's to bring back, as any other window.
        if (e.Owner != nullptr && e.AppWindow == 0) e.Minimized = 0;
        const WindowEntry *owner = OwnerEntry(app, e);
        if (owner == nullptr) continue;
        e.Desktop = owner->Desktop;
        e.Sticky = owner->Sticky;
    }
}

bool HiddenByOthers(AppState &app, Hwnd window) {
    const WindowEntry *entry = FindWindowEntry(app, window);
    return entry != nullptr && entry->MinimizedShown == 0 && !app.Sys->window.IsWindowVisible(window);
}

bool HasTaskbarButton(AppState &app, const WindowEntry &entry) {
    const auto exStyle = static_cast<std::uint32_t>(app.Sys->window.GetWindowLongA(entry.Window, GWL_EXSTYLE));
    return (exStyle & WS_EX_APPWINDOW) != 0 || (entry.Owner == nullptr && (exStyle & WS_EX_TOOLWINDOW) == 0);
}

bool OwnerUp(AppState &app, const WindowEntry &owner) {
    return owner.Parked == 0 && app.Sys->window.IsWindowVisible(owner.Window) &&
           !app.Sys->window.IsIconic(owner.Window);
}

void CaptureZOrder(AppState &app, int desktop) {
    WindowPort &win = app.Sys->window;
    std::int32_t rank = 1;
    Hwnd above = nullptr;
    for (Hwnd w = win.GetTopWindow(nullptr); w != nullptr; w = win.GetWindow(w, GW_HWNDNEXT)) {
        // The table first: the style of another desktop's or an unknown window is not needed.
        WindowEntry *entry = FindWindowEntry(app, w);
        if (entry != nullptr && entry->Desktop == desktop &&
            (static_cast<std::uint32_t>(win.GetWindowLongA(w, GWL_STYLE)) & WS_CHILD) == 0) {
            entry->ZRank = rank++;
            entry->WindowAbove = above;
        }
        above = w;
    }
}

namespace {

// Stable merge of the runs [from, middle) and [middle, to) of `in` into `out`, higher rank first.
void MergeRuns(const RankedWindow *in, RankedWindow *out, std::int32_t from, std::int32_t middle,
               std::int32_t to) {
    std::int32_t a = from, b = middle, o = from;
    while (a < middle && b < to)
        out[o++] = in[b].Rank > in[a].Rank ? in[b++] : in[a++];
    while (a < middle)
        out[o++] = in[a++];
    while (b < to)
        out[o++] = in[b++];
}

} // namespace

void SortByZRank(std::int32_t count, RankedWindow *items, RankedWindow *scratch) {
    if (scratch == nullptr) {
        // No room to merge: insertion, as stable and as right, only slower on long lists.
        for (std::int32_t i = 1; i < count; ++i) {
            RankedWindow item = items[i];
            std::int32_t j = i;
            for (; j > 0 && items[j - 1].Rank < item.Rank; --j)
                items[j] = items[j - 1];
            items[j] = item;
        }
        return;
    }
    // Bottom-up merge passes, back and forth between the list and the scratch space.
    RankedWindow *in = items;
    RankedWindow *out = scratch;
    for (std::int32_t width = 1; width < count; width *= 2) {
        for (std::int32_t from = 0; from < count; from += 2 * width) {
            std::int32_t middle = from + width < count ? from + width : count;
            std::int32_t to = middle + width < count ? middle + width : count;
            MergeRuns(in, out, from, middle, to);
        }
        RankedWindow *t = in;
        in = out;
        out = t;
    }
    if (in != items) std::memcpy(items, in, sizeof(RankedWindow) * static_cast<std::size_t>(count));
}

bool AtPark(AppState &app, Hwnd window) {
    Rect r{};
    return app.Sys->window.GetWindowRect(window, &r) && r.left == ParkPosition && r.top == ParkPosition;
}

bool StaysUp(AppState &app, Hwnd window) {
    WindowPort &win = app.Sys->window;
    return win.IsWindowVisible(window) && !win.IsIconic(window) && !AtPark(app, window) &&
           !IsCloaked(app, window);
}

void MinimizeWindow(AppState &app, Hwnd window, bool park) {
    WindowPort &win = app.Sys->window;
    if (IsCloaked(app, window)) return; // not on the screen: nothing to take away
    const bool shown = win.IsWindowVisible(window) && !win.IsIconic(window);
    // Marked first: a run ended at any point leaves no window of ours away without its mark.
    MarkAway(app, window, shown);
    win.ShowWindow(window, SW_MINIMIZE);
    // Hidden by now, it hid itself inside our minimise. One that refused the minimise and hides
    // itself later (inside the question or the park's WM_MOVE) hid by its own doing.
    const bool hidInside = !win.IsWindowVisible(window);
    // Asked again before the move: the minimise may have set its thread to work, or stopped it.
    // A window it leaves on the screen is left behind, as if its thread had not answered before.
    if (park && !Answers(app, window)) {
        if (!win.IsIconic(window)) HoldBack(app, window);
        park = false;
    }
    // A program that refuses the minimise has restored its window by now (or during the
    // question): the move below takes the window itself off the screen, and it is owed its
    // place back.
    Rect before{};
    const bool restored = park && !win.IsIconic(window) && win.GetWindowRect(window, &before) &&
                          !(before.left == ParkPosition && before.top == ParkPosition);
    if (restored) MarkParkedAt(app, window, Point{before.left, before.top});
    if (park) win.SetWindowPos(window, nullptr, ParkPosition, ParkPosition, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // Nor may it have refused the move too, as the system makes an elevated program's window
    // refuse both calls of ours: then it stays up, where it stands, and is owed nothing.
    const bool parked = restored && AtPark(app, window);
    // Found again: our calls ran other messages, which may have changed the table.
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry == nullptr) return;
    if (shown) {
        entry->Minimized = 0; // shown until now, whatever the last refresh found
        // Hidden inside our minimise, by itself: it comes back with its desktop. One that stays
        // shown is not marked, so that a later hide, its program's or the user's, is kept.
        entry->MinimizedShown = hidInside && !restored ? 1 : 0;
        if (entry->MinimizedShown != 0) MarkHidItself(app, window);
    }
    if (parked) {
        entry->Parked = 1;
        entry->ParkedAt = Point{before.left, before.top};
    }
}

void ParkWindow(AppState &app, Hwnd window) {
    MinimizeWindow(app, window, true);
}

namespace {

// A minimised window that a park left with 3000, 3000 as its restore place gets `at` instead,
// without a change of state: hidden or minimised, it stays so. The placement may be in workspace
// coordinates, so the place is shifted from the park rather than set.
void MoveRestorePlace(AppState &app, Hwnd window, Point at) {
    WindowPort &win = app.Sys->window;
    WindowPlacement placement;
    if (!win.GetWindowPlacement(window, &placement)) return;
    Rect &normal = placement.rcNormalPosition;
    // Its program may have moved it since the park, then minimised it: its restore place is then
    // the one its program gave it, and stays.
    const Rect work = win.WorkAreaAt(normal);
    const bool atPark = (normal.left == ParkPosition && normal.top == ParkPosition) ||
                        (normal.left == ParkPosition - work.left && normal.top == ParkPosition - work.top);
    if (!atPark) return;
    const std::int32_t dx = at.x - ParkPosition, dy = at.y - ParkPosition;
    normal = Rect{normal.left + dx, normal.top + dy, normal.right + dx, normal.bottom + dy};
    placement.flags = 0;
    placement.showCmd = static_cast<Uint>(win.IsWindowVisible(window) ? SW_SHOWMINNOACTIVE : SW_HIDE);
    win.SetWindowPlacement(window, &placement);
}

} // namespace

void GiveBackPlace(AppState &app, Hwnd window) {
    // Its thread is asked first: the restore may have set it repainting for longer than the
    // question waits, and a call into a thread that stopped would never return. The place is
    // kept until it is given back, by the catch-up once its thread answers.
    if (!Answers(app, window)) {
        HoldBack(app, window);
        return;
    }
    // The question ran the window's messages: its program or user may have minimised, hidden or
    // moved it meanwhile, so its state is read now.
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry == nullptr || entry->Parked == 0) return;
    const Point at = entry->ParkedAt;
    WindowPort &win = app.Sys->window;
    entry->Parked = 0;
    if (win.IsIconic(window))
        MoveRestorePlace(app, window, at);
    else if (AtPark(app, window)) // not moved since by its program or the user
        win.SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ClearMarks(app, window); // its place is its own again
}

void WindowReturned(AppState &app, Hwnd window) {
    WindowEntry *entry = FindWindowEntry(app, window);
    if (entry == nullptr) return;
    entry->MinimizedShown = 0;
    entry->MissedRestore = 0;
    // Back: its marks go, with its place once given back (a window whose thread does not answer
    // keeps the place owed, and the marks that say so).
    if (entry->Parked != 0)
        GiveBackPlace(app, window);
    else
        ClearMarks(app, window);
}

namespace {
// Whether `entry` goes with `owner`, directly or through owners of owners: `owner` is the one it
// goes with or one between them (a Find box sent back beside its Notepad brings its own box).
bool GoesWith(AppState &app, const WindowEntry &entry, Hwnd owner) {
    const WindowEntry *leader = OwnerEntry(app, entry);
    if (leader == nullptr) return false;
    const WindowEntry *up = &entry;
    for (int depth = 0; depth < MaxOwnerDepth && up != leader; ++depth) {
        up = OwnerLink(app, *up);
        if (up == nullptr) return false;
        if (up->Window == owner) return true;
    }
    return false;
}
} // namespace

void ReturnOwnedWindows(AppState &app, Hwnd owner) {
    // Windows' restore showed those hidden with their owner as they were hidden, minimised when we
    // minimised them; Wine shows and hides nothing with an owner, and those we took down are still
    // minimised. Either way, with no taskbar button to come back by, they come up with it, without
    // the activation. One still hidden is its program's.
    // Each restore shows, on Windows, the boxes that owned window's minimise hid: minimised, when
    // we had minimised them first. Those that come before it in the table get a further round.
    WindowPort &win = app.Sys->window;
    bool shown = true;
    for (int round = 0; shown && round < MaxOwnerDepth; ++round) {
        shown = false;
        for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
            const WindowEntry e = app.Windows.Entries[i]; // a copy: the calls may run other messages
            // One its user restored inside our park stands at the park, not minimised: it gets its
            // place back.
            const bool iconic = win.IsIconic(e.Window);
            if (!GoesWith(app, e, owner) || (!iconic && e.Parked == 0) || !win.IsWindowVisible(e.Window) ||
                IsCloaked(app, e.Window) || !Answers(app, e.Window))
                continue;
            ForgetLeftBehind(app, e.Window); // a thread left behind that answers: in place from now on
            if (iconic) win.ShowWindow(e.Window, SW_SHOWNOACTIVATE);
            WindowReturned(app, e.Window);
            shown = shown || iconic;
        }
    }
}

void ReturnWithOwnersUp(AppState &app) {
    WindowPort &win = app.Sys->window;
    NewPass(app);
    // Each restore shows, on Windows, the boxes that window's minimise hid, minimised: those that
    // come before it in the table get a further round, as in ReturnOwnedWindows.
    bool shown = true;
    for (int round = 0; shown && round < MaxOwnerDepth; ++round) {
        shown = false;
        for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
            const WindowEntry e = app.Windows.Entries[i]; // a copy: the calls may run other messages
            // Ours only (marked when we took it down): minimised, and still to be seen or hidden by
            // itself inside our minimise (a window its program hid since is its program's), or parked.
            if (e.AwayMark == 0 || e.Owner == nullptr) continue; // read from the table: no call for most
            const bool iconic = win.IsIconic(e.Window);
            if ((iconic ? !Shown(app, e) : e.Parked == 0) || IsCloaked(app, e.Window)) continue;
            const WindowEntry *leader = OwnerEntry(app, e);
            if (leader == nullptr || !StaysUp(app, leader->Window) || !Answers(app, e.Window)) continue;
            ForgetLeftBehind(app, e.Window);
            if (iconic) win.ShowWindow(e.Window, SW_SHOWNOACTIVATE);
            WindowReturned(app, e.Window); // a parked one gets its place back
            shown = shown || iconic;
        }
    }
}

void TakeDownOwnedWindows(AppState &app, Hwnd owner) {
    // Where the system hides nothing with an owner (Wine), or its program showed them again.
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        const WindowEntry e = app.Windows.Entries[i]; // a copy: the calls may run other messages
        if (!GoesWith(app, e, owner) || !StillUpWithoutOwner(app, e) || !Answers(app, e.Window)) continue;
        // A thread left behind that answers: taken down by us now, not by its user.
        ForgetLeftBehind(app, e.Window);
        MinimizeWindow(app, e.Window, e.Popup == WS_POPUP);
    }
}

void MinimizeAnimation(AppState &app, Animation step) {
    AnimationInfo info{sizeof(AnimationInfo), 0};
    if (step == Animation::Off) {
        app.Sys->window.SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0);
        app.Switch.SavedMinAnimate = info.iMinAnimate;
        info.iMinAnimate = 0;
    } else {
        info.iMinAnimate = app.Switch.SavedMinAnimate;
    }
    app.Sys->window.SystemParametersInfoA(SPI_SETANIMATION, sizeof info, &info, SPIF_SENDCHANGE);
}

bool StillUpWithoutOwner(AppState &app, const WindowEntry &entry) {
    const WindowEntry *owner = OwnerEntry(app, entry);
    return owner != nullptr && !OwnerUp(app, *owner) && app.Sys->window.IsWindowVisible(entry.Window) &&
           !app.Sys->window.IsIconic(entry.Window);
}

namespace {

enum class Hide { Minimise, Park };
enum class Windows { AboveOwnerUp, OnTheirOwn, LeftUpByOwner };

// Who goes with whom is read once, before the first pass: the passes' own minimises hide owners
// (a form that hides itself when minimised, Windows' owned windows), which would change it.
void MarkLeaders(AppState &app) {
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        WindowEntry &e = app.Windows.Entries[i];
        const WindowEntry *leader = OwnerEntry(app, e);
        e.Leader = leader != nullptr ? leader->Window : nullptr;
        e.ShownAtHiding = leader == nullptr && e.Owner != nullptr && app.Sys->window.IsWindowVisible(e.Window);
    }
}

// After the passes: a window going alone that was shown, minimised by us, and is hidden now with
// its owner down, was hidden by the system with the owner we took down (Windows' rule, see
// FollowOwners). Only that owner's restore would show it again, which need not come with this
// window's desktop: it comes back with its desktop as one that hid itself inside our minimise.
void MarkHiddenWithOwner(AppState &app) {
    WindowPort &win = app.Sys->window;
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        WindowEntry &e = app.Windows.Entries[i];
        if (e.ShownAtHiding == 0 || e.MinimizedShown != 0 || e.Minimized != 0 || win.IsWindowVisible(e.Window) ||
            !win.IsIconic(e.Window))
            continue;
        const WindowEntry *owner = FindWindowEntry(app, e.Owner);
        if (owner == nullptr || OwnerUp(app, *owner)) continue;
        e.MinimizedShown = 1;
        MarkHidItself(app, e.Window);
    }
}

// Marked as going with an owner that is now down, and still on the screen itself.
bool LeftUp(AppState &app, const WindowEntry &entry) {
    const WindowEntry *leader = entry.Leader != nullptr ? FindWindowEntry(app, entry.Leader) : nullptr;
    return leader != nullptr && !OwnerUp(app, *leader) && app.Sys->window.IsWindowVisible(entry.Window) &&
           !app.Sys->window.IsIconic(entry.Window);
}

// Going alone, with an owner on the screen: on Windows that owner's minimise would hide it, and
// the owner's restore, on whatever desktop that comes, would show it again.
bool AloneAboveOwnerUp(AppState &app, const WindowEntry &entry) {
    const WindowEntry *owner = entry.Leader == nullptr && entry.Owner != nullptr
                                   ? FindWindowEntry(app, entry.Owner)
                                   : nullptr;
    return owner != nullptr && OwnerUp(app, *owner);
}

bool InGroup(AppState &app, Windows group, const WindowEntry &e) {
    switch (group) {
    case Windows::AboveOwnerUp:
        return AloneAboveOwnerUp(app, e);
    case Windows::OnTheirOwn:
        return e.Leader == nullptr && !AloneAboveOwnerUp(app, e);
    default:
        return LeftUp(app, e);
    }
}

// One pass over the table: each window of the group that passes `take` is minimised, or parked.
void HidePass(AppState &app, Windows group, EntryTest take, int desktop, Hide how) {
    NewPass(app);
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        WindowEntry e = app.Windows.Entries[i]; // a copy: the calls may run other messages
        if (!InGroup(app, group, e)) continue;
        // Shown by its program while its owner is down with another desktop, it stands on the
        // screen of the desktop left: that desktop takes it down, and its own brings it back.
        if (group == Windows::LeftUpByOwner && e.Sticky == 0) e.Desktop = desktop;
        if (!take(app, e, desktop)) continue;
        MinimizeWindow(app, e.Window, how == Hide::Park);
    }
}

} // namespace

void HideWindows(AppState &app, EntryTest park, EntryTest minimize, int desktop) {
    // The windows on their own first: the pop-ups are parked, then the overlapped windows are
    // minimised, each pass as its test says. Windows that go with their owner are left to their
    // owner's minimise, which on Windows hides them.
    MarkLeaders(app);
    // Those going alone whose owner is on the screen go before it, while they are still to be
    // seen: hidden with that owner instead, they would come back with its restore, on whatever
    // desktop that comes (a sticky owner's comes on every one). Minimised by us, they come back
    // minimised, off the screen.
    HidePass(app, Windows::AboveOwnerUp, park, desktop, Hide::Park);
    HidePass(app, Windows::AboveOwnerUp, minimize, desktop, Hide::Minimise);
    HidePass(app, Windows::OnTheirOwn, park, desktop, Hide::Park);
    HidePass(app, Windows::OnTheirOwn, minimize, desktop, Hide::Minimise);
    // Then those the owner's minimise left on the screen (Wine hides nothing with an owner, and a
    // program may show an owned window again under its minimised owner), in the same two passes.
    // One whose owner is still up (it refused its minimise and was not parked) stays with it.
    HidePass(app, Windows::LeftUpByOwner, park, desktop, Hide::Park);
    HidePass(app, Windows::LeftUpByOwner, minimize, desktop, Hide::Minimise);
    MarkHiddenWithOwner(app);
}

namespace {

// The restore order's key, higher first, so that the bottom of the captured order comes back
// first: the window's rank, unless it goes with an owner that would come back after it (the same
// rank, or a rank from another desktop). Then it comes just after that owner, and its own owned
// windows after it: the system keeps owned windows above their owner anyway.
std::int32_t RestoreKey(AppState &app, const WindowEntry &entry, int depth = 0) {
    const std::int32_t own = entry.ZRank * (MaxOwnerDepth + 1) + MaxOwnerDepth;
    const WindowEntry *owner = depth < MaxOwnerDepth && OwnerEntry(app, entry) != nullptr
                                   ? FindWindowEntry(app, entry.Owner)
                                   : nullptr;
    if (owner == nullptr) return own;
    const std::int32_t after = RestoreKey(app, *owner, depth + 1) - 1;
    return own < after ? own : after;
}

// A window going alone that is owned by a sticky window, which comes back in the same pass with a
// rank from another desktop's order, needs that owner restored first: on Windows the owner's
// minimise hid it, and only the owner's restore shows it again, minimised as we left it, for its
// own restore. The owner's key is raised above it, and those of the owners it goes with above
// its, rather than the window's lowered, so that the window and those that go with it keep their
// place in this desktop's order. `places` gives each table position's place in the list.
void RaiseStickyOwners(AppState &app, RestoreList &list, const RankedWindow *places, std::int32_t room) {
    for (int round = 0; round <= MaxOwnerDepth; ++round) {
        bool raised = false;
        for (std::int32_t i = 0; i < list.Count; ++i) {
            const WindowEntry *entry = FindWindowEntry(app, list.Items[i].Window);
            const WindowEntry *owner =
                entry != nullptr && entry->Owner != nullptr ? FindWindowEntry(app, entry->Owner) : nullptr;
            if (owner == nullptr || owner->Sticky == 0) continue;
            if (OwnerEntry(app, *entry) == nullptr ? entry->Sticky != 0 : entry->Sticky == 0) continue;
            const auto at = static_cast<std::int32_t>(owner - app.Windows.Entries);
            const std::int32_t place = at < room ? places[at].Rank : -1;
            if (place < 0 || list.Items[place].Rank > list.Items[i].Rank) continue;
            list.Items[place].Rank = list.Items[i].Rank + 1;
            raised = true;
        }
        if (!raised) return;
    }
}

// A cloaked window the restore pass comes to is left as it is, and remembered as owed that restore.
bool PassedByCloaked(AppState &app, Hwnd window) {
    if (!IsCloaked(app, window)) return false;
    if (WindowEntry *entry = FindWindowEntry(app, window)) entry->MissedRestore = 1;
    return true;
}
} // namespace

RestoreList CollectWindows(AppState &app, EntryTest take, int desktop) {
    RestoreList list;
    const WindowTable &table = app.Windows;
    // Room for every entry, so that one pass collects (each test asks the system), and behind it
    // the room the sort merges into; failing that, the list alone; failing both, the windows are
    // restored unsorted (see RestoreWindows).
    const std::int32_t room = table.Count;
    if (room == 0) {
        list.Sorted = true;
        return list;
    }
    RankedWindow *scratch = nullptr;
    list.Items = static_cast<RankedWindow *>(
        app.Memory.Allocate(sizeof(RankedWindow) * 2 * static_cast<std::size_t>(room)));
    if (list.Items != nullptr)
        scratch = list.Items + room;
    else
        list.Items = static_cast<RankedWindow *>(
            app.Memory.Allocate(sizeof(RankedWindow) * static_cast<std::size_t>(room)));
    if (list.Items == nullptr) return list;
    // Until the sort, the scratch room tells for each table position its place in the list.
    for (std::int32_t i = 0; scratch != nullptr && i < room; ++i)
        scratch[i].Rank = -1;
    for (std::int32_t i = 0; i < table.Count && list.Count < room; ++i) {
        const WindowEntry entry = table.Entries[i]; // a copy: the test may run other messages
        if (!take(app, entry, desktop)) continue;
        if (scratch != nullptr && i < room) scratch[i].Rank = list.Count;
        list.Items[list.Count++] = RankedWindow{entry.Window, RestoreKey(app, entry)};
    }
    if (scratch != nullptr) RaiseStickyOwners(app, list, scratch, room);
    SortByZRank(list.Count, list.Items, scratch);
    list.Sorted = true;
    return list;
}

namespace {
// Restored, on top and active. An owned window its owner's restore already showed is only raised,
// since windows restored after its owner came above it meanwhile.
void RestoreInOrder(AppState &app, Hwnd window) {
    WindowPort &win = app.Sys->window;
    const WindowEntry *entry = FindWindowEntry(app, window);
    if (entry != nullptr && entry->Owner != nullptr && win.IsWindowVisible(window) && !win.IsIconic(window))
        win.SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); // HWND_TOP
    else
        win.ShowWindow(window, SW_RESTORE);
    WindowReturned(app, window);
}
} // namespace

void RestoreWindows(AppState &app, const RestoreList &list, EntryTest take, int desktop) {
    NewPass(app); // the wallpaper's change went to every program
    if (list.Sorted) {
        for (std::int32_t i = 0; i < list.Count; ++i) {
            // Asked again right before the call: since the collection, the wallpaper exchange and
            // the restores before this one went to other programs, and to its own.
            if (HiddenByOthers(app, list.Items[i].Window) || PassedByCloaked(app, list.Items[i].Window) ||
                IsLeftBehind(app, list.Items[i].Window))
                continue;
            RestoreInOrder(app, list.Items[i].Window);
        }
        return;
    }
    // No memory for the sorted list: the windows still come back, in table order.
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        const Hwnd window = app.Windows.Entries[i].Window;
        // Taken now (shown, or hidden by us), and asked right before the call.
        if (!take(app, app.Windows.Entries[i], desktop) || PassedByCloaked(app, window) ||
            IsLeftBehind(app, window))
            continue;
        app.Sys->window.ShowWindow(window, SW_RESTORE);
        WindowReturned(app, window);
    }
}

void ReturnParked(AppState &app, int desktop) {
    NewPass(app);
    for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
        const WindowEntry e = app.Windows.Entries[i]; // a copy: the calls may run other messages
        // A cloaked one keeps the place owed until it is on the screen again.
        if (e.Parked == 0 || (e.Desktop != desktop && e.Sticky == 0) || e.Window == app.FloatingWindow ||
            IsCloaked(app, e.Window))
            continue;
        if (!HeldBack(app, e.Window)) GiveBackPlace(app, e.Window);
    }
}

void FreeRestoreList(AppState &app, RestoreList &list) {
    if (list.Items != nullptr) app.Memory.Release(list.Items);
    list = RestoreList{};
}

} // namespace q
