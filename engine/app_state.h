// The program's one record of everything it knows: desktops, tracked windows, options.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/commands.h"
#include "engine/limits.h"
#include "platform/ports.h"
#include "res/resource_ids.h"

namespace q {

constexpr int TitleSize = 33; // 32 characters and the terminating zero
constexpr int TitleMaxLength = 32;
constexpr int WallpaperTextSize = 260;
constexpr int StyleTextSize = 16; // "TileWallpaper", "WallpaperStyle": one or two digits today

struct AppState;

// Who writes what. The record below is read by every layer, but each group of it is changed only
// by the layer that owns it, through the few functions that layer names in its key: a field
// OwnedBy<Key> takes a new value only from Set(Key(), value), and only a friend of Key can make
// one. The compiler holds each layer to its own, as the build holds it to its includes.
//
// The engine owns the desktops shown and counted, the switch under way and the lending of the
// current desktop to a dialog.
class EngineKey {
    EngineKey() {}
    friend void SwitchDesktop(AppState &, int);
    friend void CreateDesktop(AppState &);
    friend void DeleteCurrentDesktop(AppState &);
    friend void StartWithDesktops(AppState &, int);
    friend class SwitchUnderWay;
    friend class DeleteAsked;
    friend class BorrowedCurrentDesktop;
};
// The settings own the options the user chooses: read at start-up, changed by the interface's
// commands through these.
class SettingsKey {
    SettingsKey() {}
    friend void LoadSettings(AppState &, Hkey);
    friend void WriteDisplayMode(AppState &, std::int32_t);
    friend void SetOwnWallpapers(AppState &, std::uint8_t);
    friend void SetRowsFloating(AppState &, std::int32_t);
};
// The interface owns what its menu, its About box, its quit confirmation and the close have
// under way.
class InterfaceKey {
    InterfaceKey() {}
    friend void ShowCommandMenu(AppState &, int);
    friend void ConfirmQuit(AppState &);
    friend void OpenAboutBox(AppState &);
    friend void OnClose(AppState &);
};

// A field every layer reads as its value and only Key's friends write.
template <typename Key, typename T> class OwnedBy {
  public:
    using Value = T;
    constexpr explicit OwnedBy(T value) : value_(value) {}
    constexpr operator T() const { return value_; }
    void Set(Key, T value) { value_ = value; }
    OwnedBy(const OwnedBy &) = default;

  private:
    // A whole record is assigned (a test's restart makes a new one), a single field never.
    friend struct DesktopTable;
    friend struct UnderWayFlags;
    friend struct AppState;
    OwnedBy &operator=(const OwnedBy &) = default;
    T value_;
};

struct DesktopRecord {
    char Pattern[WallpaperTextSize];
    char Wallpaper[WallpaperTextSize];
    char WallpaperStyle[StyleTextSize];
    char TileWallpaper[StyleTextSize];
    char DesktopTitle[TitleSize];
    std::uint32_t HotKey;
};

// Desktop n is Records[n] (engine/limits.h); StartupWallpaper follows the last desktop's.
struct DesktopTable {
    DesktopRecord Records[DesktopRecordCount];
    OwnedBy<EngineKey, std::int32_t> DesktopCount{2};
    OwnedBy<EngineKey, std::int32_t> CurrentDesktop{1};

    DesktopRecord &Desktop(int n) { return Records[n]; }
    const DesktopRecord &Desktop(int n) const { return Records[n]; }
    DesktopRecord &StartupWallpaper() { return Records[StartupWallpaperIndex]; }
};

struct WindowEntry {
    Hwnd Window;
    std::int32_t Desktop;
    std::int32_t ZRank;
    Hwnd WindowAbove;
    std::uint8_t Sticky;
    std::uint8_t Minimized;
    std::uint32_t Popup;
    // A switch or a move minimised it while it was shown, and it hid itself inside that
    // minimise: it comes back with its desktop although hidden (many programs keep a minimised
    // window only as a tray icon). A window hidden later by its program or the user is not.
    std::uint8_t MinimizedShown;
    // Moved to 3000, 3000 while not minimised (its program refused the minimise): it goes back
    // to ParkedAt when it is next restored.
    std::uint8_t Parked;
    Point ParkedAt;
    Dword Thread; // the thread that made the window; 0 until the hung check first needs it
    // The window's owner (GW_OWNER) when the entry was made, or none. An owned window goes where
    // its owner goes (see OwnerEntry), unless it was moved or made sticky on its own (Alone)
    // since its owner last took it along, or it has a taskbar button of its own (AppWindow,
    // WS_EX_APPWINDOW when the entry was made: read for owned windows only).
    Hwnd Owner;
    std::uint8_t Alone;
    std::uint8_t AppWindow;
    Hwnd Leader; // the owner it goes with when a hiding began (HideWindows), or none
    std::uint8_t ShownAtHiding; // going alone, and shown (minimised or not) when a hiding began
    // The marks it carries (engine/left_away.h): the value of its away mark (0 for none), and
    // whether it carries the place it was parked from.
    std::uint8_t AwayMark;
    std::uint8_t ParkedAtMark;
    // A restore of ours passed it by while it was cloaked: found minimised on its desktop once
    // uncloaked, it is still ours to restore, not one its user minimised.
    std::uint8_t MissedRestore;
    // At the quit: hidden with an owner that was up, whose restore may yet show it (LookAgainAtQuit).
    std::uint8_t ShownLater;
};

struct RankedWindow {
    Hwnd Window;
    std::int32_t Rank;
};

// Heap memory for the window table and the restore lists. A failure answers nullptr; the
// callers keep what they had (see AddWindowEntry and the restore passes).
struct Allocator {
    void *(*Allocate)(std::size_t bytes);
    void (*Release)(void *block);
};
Allocator DefaultAllocator();

struct WindowTable {
    WindowEntry *Entries = nullptr;
    std::int32_t Count = 0;
    std::int32_t Capacity = 0;
    // From handle to entry, so that a refresh or a capture does not search the table once per
    // window: open addressing over IndexSize slots (a power of two, at least twice Capacity),
    // each 0 or the position of the first entry of its window plus one. Without memory for it
    // (Index null) every lookup searches the table instead.
    std::int32_t *Index = nullptr;
    std::int32_t IndexSize = 0;
};

constexpr std::int32_t WindowTableStep = 64;

// A window whose thread did not answer when a switch came to it: left as it was, and kept on
// its desktop until it answers again.
struct HungWindow {
    Hwnd Window;
    std::int32_t Desktop;
    std::uint8_t Shown; // on the screen, not minimised, when it was left
    // How it was left, so that the catch-up knows what its user or program did since.
    std::uint8_t Visible;
    Rect At;
};
constexpr int MaxHungWindows = 256;
// A thread asked during the operation under way: how long it kept us waiting, and whether it
// did not answer (then it is not asked again in that operation).
struct ThreadRecord {
    Dword Thread;
    Dword Waited;
    std::uint8_t Silent;
};
constexpr int MaxAskedThreads = 64;
// Outer size of the floating window for one row count.
struct RowSize {
    std::int32_t width;
    std::int32_t height;
};

// Modal loops and calls into other threads' windows run our messages before they return;
// these say what is under way, so that nothing starts inside it (engine/guards.h reads them).
// Each is set for the length of a scope by a guard (UnderWay, engine/guards.h) that puts back
// what it found on every way out; only Closed, once set, stays.
struct UnderWayFlags {
    // A switch, a deletion after its confirmation, a move, a catch-up (SwitchUnderWay).
    OwnedBy<EngineKey, std::uint8_t> Switching{0};
    OwnedBy<EngineKey, std::uint8_t> DeleteAsking{0};  // the delete confirmation is open (DeleteAsked)
    OwnedBy<InterfaceKey, std::int32_t> QuitAsking{0}; // quit confirmations open
    OwnedBy<InterfaceKey, std::uint8_t> MenuOpen{0};
    // WM_CLOSE began: desktop 1 is shown, the icons and hot keys go (OnClose).
    OwnedBy<InterfaceKey, std::uint8_t> Closed{0};
    // While a Rename or Hot key dialog borrows CurrentDesktop, the desktop really shown
    // (BorrowedCurrentDesktop).
    OwnedBy<EngineKey, std::int32_t> ShownUnderDialog{0};
};

// What the engine keeps across the calls of one switch (engine/switching.cpp, engine/hung.cpp).
struct SwitchMemory {
    // Remembered by MinimizeAnimation(off) for MinimizeAnimation(back).
    std::int32_t SavedMinAnimate = 0;
    HungWindow Hung[MaxHungWindows] = {};
    std::int32_t HungCount = 0;
    ThreadRecord Threads[MaxAskedThreads] = {};
    std::int32_t ThreadCount = 0;
    Uint Allowance = 0;
    // The thread that answered last, and no call has gone into another thread's window since.
    Dword Trusted = 0;
    Dword OwnThread = 0; // the thread of the main window, which runs every switch
    // The catch-up timer runs; after the quit, until this tick at the latest.
    std::uint8_t CatchingUp = 0;
    Dword QuitEnds = 0;
    std::uint8_t QuitLooksAgain = 0; // the catch-up's next turn after the quit calls LookAgainAtQuit
};

// What config/ read from the stored settings beyond the record's own fields.
struct LoadedSettings {
    // Used only to create the floating window (start-up).
    std::int32_t FloatingX = 3000;
    std::int32_t FloatingY = 3000;
    std::uint32_t TopMost = 8;
    // Stored settings exist but could not be read (access denied, a broken hive): the run
    // works on defaults in memory and never writes them over what is stored.
    std::uint8_t SettingsUnreadable = 0;
};

// The interface's own handles and memory (ui/).
struct InterfaceMemory {
    // The shell's "TaskbarCreated" message, and whether it came while the icons could not be
    // added (during a switch or a dialog): they are added when that ends.
    Uint TaskbarCreated = 0;
    std::uint8_t IconsLost = 0;
    // The handles the last Applications menu was built with, by table index: its commands
    // name these windows whatever the table became since.
    Hwnd MenuWindows[MenuWindowSlots] = {};
    std::int32_t MenuWindowCount = 0;
    // The floating window's toolbar and its outer size for 1..MaxDesktops rows; the entries
    // before and after those stay (0, 0) and bound the row choice.
    Hwnd FloatingToolbar = nullptr;
    RowSize RowSizes[MaxDesktops + 2] = {};
};

struct NotifyPort;
struct StorePort;

struct AppState {
    // The ports every layer talks through, set once by start-up.
    Platform *Sys = nullptr;
    Allocator Memory = DefaultAllocator();
    // What the engine tells the interface and asks of the settings: engine/notify_port.h and
    // engine/store_port.h, set with Sys.
    const NotifyPort *Notify = nullptr;
    const StorePort *Store = nullptr;

    // The program's record: desktops, tracked windows, options and the interface's state.
    Hwnd MainWindow = nullptr;
    Hwnd FloatingWindow = nullptr;
    DesktopTable Desktops = {};
    WindowTable Windows;
    std::int32_t LanguageBase = Q_ENGLISH;
    OwnedBy<SettingsKey, std::int32_t> DisplayMode{DisplayTaskBar};
    OwnedBy<SettingsKey, std::uint8_t> OwnWallpapers{1};
    OwnedBy<SettingsKey, std::int32_t> RowsFloating{1};
    // A Rename or Hot key dialog runs (BorrowedCurrentDesktop).
    OwnedBy<EngineKey, std::uint8_t> DialogOpen{0};
    OwnedBy<InterfaceKey, std::uint8_t> AboutOpen{0}; // while OpenAboutBox runs the box
    Hwnd AboutWindow = nullptr;

    // Below, what is not the record's own, grouped by the layer that writes it.
    UnderWayFlags UnderWay;
    SwitchMemory Switch;
    LoadedSettings Loaded;
    InterfaceMemory Ui;

    int CurrentDesktop() const { return Desktops.CurrentDesktop; }
    int DesktopCount() const { return Desktops.DesktopCount; }
    DesktopRecord &Record(int n) { return Desktops.Desktop(n); }
};

} // namespace q
