// A random user and random other programs in front of the running program on the simulated
// machine: clicks, hot keys, every command, moves with any handle, windows created, destroyed,
// minimised, restored, hidden, shown and hung by their programs, owners with modal and modeless
// owned pop-ups, boxes and dialogs answered either way, and more of all that arriving inside
// their modal loops and inside the program's calls to other windows. After every event the
// program's records must hold together; at top level the windows owed to the shown desktop must
// be on the screen and every window must be within the user's reach; now and then every desktop
// is shown in turn and every window must be where its desktop says; after the quit every window
// is on the screen or within reach. Programs share threads, threads stop the moment one of the
// program's calls returns (some while repainting after a restore), and other programs send the
// floating window WM_SIZING inside those calls; no window is left off the screen that its program
// did not put there, and every desktop's stored wallpaper stays its own. Now and then the program
// is ended from outside and started again: all of this holds of the second start too. On the
// later systems' machines the compositor cloaks windows and gives them back, and some programs
// run elevated: no cloaked window is ever minimised, restored, moved or listed by the program,
// and no elevated one is believed away while it is on the screen. Used by robust_test.cpp and
// bench/random_run.cpp.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/hung.h"
#include "engine/notify_port.h"
#include "engine/window_table.h"
#include "tests/unit/machine.h"
#include "ui/dialogs.h"
#include "ui/engine_notices.h"

namespace q::test {

class RandomWorld {
  public:
    explicit RandomWorld(std::uint32_t seed) : rng_(seed) { Restart(); }
    RandomWorld(const RandomWorld &) = delete;
    RandomWorld &operator=(const RandomWorld &) = delete;

    // One top-level event with all it sets off; false once an invariant broke (see Failure).
    bool Step() {
        if (!failure_.empty()) return false;
        if (m_->app.UnderWay.Closed != 0 || sinceStart_ >= RestartEvery) {
            if (!Quit()) return false;
            Restart();
        }
        ++steps;
        ++sinceStart_;
        Note("-- step " + std::to_string(steps));
        upByOthers_.clear();
        parkedWhenOwnerUp_.clear();
        minimisedAtOwnersRise_.clear();
        touched_.clear();
        minimisedInside_.clear();
        const std::vector<Hwnd> hiddenWithOwners = HiddenWithOwners();
        const std::vector<CloakedState> cloaked = CloakedStates();
        const int shownBefore = App().CurrentDesktop();
        const std::vector<Hwnd> elevatedUp = ElevatedUp();
        Event(0);
        // What was posted inside the event's calls is handled before anything is judged.
        Sim().PumpMessages();
        if (failure_.empty() && m_->app.UnderWay.Closed == 0) CheckBackWithOwners(hiddenWithOwners);
        // The quit gives back what we took away before a window was cloaked: nothing else would.
        if (failure_.empty() && m_->app.UnderWay.Closed == 0) CheckCloaked(cloaked);
        if (failure_.empty() && m_->app.UnderWay.Closed == 0 && App().CurrentDesktop() != shownBefore)
            CheckElevatedClaimed(elevatedUp);
        if (failure_.empty()) CheckTopLevel();
        if (failure_.empty() && m_->app.UnderWay.Closed == 0 && sinceStart_ % SweepEvery == 0) Sweep();
        return failure_.empty();
    }

    const std::string &Failure() const { return failure_; }
    std::uint64_t steps = 0;
    std::uint64_t restarts = 0;
    std::uint64_t sweeps = 0;

  private:
    static constexpr int MaxDepth = 3;
    static constexpr int MaxWindows = 12;
    static constexpr std::uint64_t RestartEvery = 3000;
    static constexpr std::uint64_t SweepEvery = 50;

    struct Owned {
        Hwnd window;
        bool userMinimised; // the last thing its owner or the user did to it was a minimise
        bool everHung;      // hung since the last sweep: may be left anywhere until then
        // Restored by its owner or the user where a park had put it, off the screen: the
        // program moves it back at its next return, at the latest in the next sweep.
        bool restoredAtPark = false;
        SimMachine::Habit habit = SimMachine::Habit::None; // what its program does on a minimise
        bool slowRepaint = false;     // its thread is busy for a while after a restore, now and then
        bool hiddenByProgram = false; // the last thing its program did to it was SW_HIDE
        // ... while a switch or a move was under way: if that minimised it, it hid itself inside
        // our minimise and comes back with its desktop; if not, it stays hidden. Either is right.
        bool hiddenInsideOurs = false;
        bool modal = false; // an owned pop-up that disables its owner while it lives
        // A framework's main form owned by a visible application window of no size, which holds
        // the taskbar button: the form's minimise minimises that window instead.
        bool minimisesOwner = false;
        // The last thing done to it was its user's minimise, while the program had it left behind
        // on the screen.
        bool minimisedWhileLeft = false;
        // Cloaked since the last sweep: the switches passed it by, and it is shown with its desktop
        // again at the latest in the next sweep, which shows every desktop once it is uncloaked.
        bool everCloaked = false;
    };

    std::mt19937 rng_;
    std::unique_ptr<Machine> m_;
    std::vector<Owned> windows_;
    std::vector<Hwnd> gone_;       // destroyed handles, for foreign messages
    std::vector<Hwnd> answering_;  // windows whose procedure is running
    std::vector<Hwnd> upByOthers_; // restored or shown by their user or program in this step
    std::vector<Hwnd> parkedWhenOwnerUp_; // at the park when others brought their owner up
    // Owned windows minimised as their user or program restored or showed their owner in this
    // step: they stay minimised (ShowWindow's page: only the pop-ups the owner's minimise hid
    // come back with it, through WM_SHOWWINDOW with SW_PARENTOPENING).
    std::vector<Hwnd> minimisedAtOwnersRise_;
    std::vector<Hwnd> touched_; // minimised, restored, shown or hidden by their user or program in this step
    std::vector<Hwnd> minimisedInside_; // minimised by their program inside our calls in this step
    bool cloaking_ = false;     // this machine's dwmapi.dll answers, and the compositor cloaks
    bool elevating_ = false;    // some programs on this machine run elevated
    std::uint64_t sinceStart_ = 0;
    int depth_ = 0;
    bool sweeping_ = false;
    bool quitChecked_ = false;
    std::string failure_;
    std::vector<std::string> trail_;
    // The wallpaper each desktop has (index 0 unused), followed through creations and
    // deletions by what the engine tells the interface...
    std::vector<std::string> wallpapers_;
    // ... and those in force at each start-up of this machine (the first and every one after an
    // end from outside): the quit and the one-background command store the start-up one.
    std::set<std::string> startupWallpapers_;

    struct Notices final : NotifyPort {
        RandomWorld *world;
        explicit Notices(RandomWorld *w) : world(w) {}
        void SwitchBegins(AppState &app, int left, int entered) const override {
            EngineNotices().SwitchBegins(app, left, entered);
        }
        void DesktopAdded(AppState &app, int n) const override {
            world->wallpapers_.resize(static_cast<std::size_t>(n) + 1);
            world->wallpapers_[static_cast<std::size_t>(n)] =
                world->wallpapers_[static_cast<std::size_t>(app.CurrentDesktop())];
            EngineNotices().DesktopAdded(app, n);
        }
        void DesktopRenamed(AppState &app, int n) const override {
            // In a deletion every desktop above the deleted one moves down with its record.
            if (app.UnderWay.Switching != 0 && static_cast<std::size_t>(n) + 1 < world->wallpapers_.size())
                world->wallpapers_[static_cast<std::size_t>(n)] =
                    world->wallpapers_[static_cast<std::size_t>(n) + 1];
            EngineNotices().DesktopRenamed(app, n);
        }
        void DesktopRemoved(AppState &app, int n) const override {
            world->wallpapers_.resize(static_cast<std::size_t>(n));
            EngineNotices().DesktopRemoved(app, n);
        }
        void LostIconsMayReturn(AppState &app) const override { EngineNotices().LostIconsMayReturn(app); }
    };
    Notices notices_{this};
    int nextTitle_ = 0;

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int oneIn) { return Pick(oneIn) == 0; }
    AppState &App() { return m_->app; }
    SimMachine &Sim() { return m_->sim; }

    void Note(const std::string &what) {
        // LIVETRAIL set: every event as it happens too, for a trace beyond the last sweep.
        if (std::getenv("LIVETRAIL") != nullptr) std::fprintf(stderr, "%*s%s\n", depth_ * 2, "", what.c_str());
        if (trail_.size() < 2000)
            trail_.push_back(std::string(static_cast<std::size_t>(depth_) * 2, ' ') + what);
    }

    void Fail(const std::string &what) {
        if (!failure_.empty()) return;
        std::ostringstream out;
        out << "step " << steps << " (" << sinceStart_ << " since start-up): " << what
            << "\nevents since the last sweep:\n";
        for (const std::string &line : trail_)
            out << "  " << line << "\n";
        failure_ = out.str();
    }

    // ---- The machine ----

    void Restart() {
        if (m_ != nullptr) ++restarts;
        windows_.clear();
        gone_.clear();
        answering_.clear();
        trail_.clear();
        m_ = std::make_unique<Machine>();
        Sim().recordCalls = false;
        // Half the machines keep the Windows 95 family's registry.
        if (Chance(2)) Sim().version = 0xC0000004;
        // Half of them hide and show owned windows with their owner as Windows does; the others
        // leave them as they are, as Wine 8 does.
        Sim().hidesOwnedWindows = Chance(2);
        // The later systems: dwmapi.dll absent (up to XP, and the Windows 95 family always), a stub
        // (Wine 8), or answering and cloaking; elevated programs on some.
        const int dwm = Sim().Windows95Family() ? 0 : Pick(4);
        Sim().dwmapi = dwm != 0;
        Sim().dwmapiStub = dwm == 1;
        cloaking_ = dwm >= 2;
        elevating_ = !Sim().Windows95Family() && Chance(2);
        sinceStart_ = 0;
        quitChecked_ = false;
        const int count = 2 + Pick(4);
        std::vector<std::string> titles;
        for (int n = 1; n <= count; ++n)
            titles.push_back("D" + std::to_string(n));
        m_->StoreDesktops(titles, 1 + Pick(3));
        // Each desktop a wallpaper of its own, so that one stored in another's place shows.
        Sim().SetText(HkeyCurrentUser(), WallpaperValuesPath, "Wallpaper", "start.bmp");
        wallpapers_.assign(1, "");
        for (int n = 1; n <= count; ++n) {
            wallpapers_.push_back("W" + std::to_string(n) + ".bmp");
            Sim().SetText(HkeyCurrentUser(), DesktopPath(n), "Wallpaper", wallpapers_.back(),
                          WallpaperTextSize);
        }
        App().Notify = &notices_;
        for (int n = 1; n <= count; ++n)
            if (Chance(2))
                m_->StoreHotKey(n, (MOD_CONTROL | MOD_ALT) << 16 | (VK_F1 + static_cast<Uint>(Pick(4))));
        for (int i = 0, k = 2 + Pick(4); i < k; ++i)
            Create();
        Sim().messageBoxHook = [this](SimMachine &, const SimMessageBox &box) { return AnswerBox(box); };
        Sim().defaultDialogScript = [this](SimMachine &, Hwnd dialog) { UseDialog(dialog); };
        Sim().menuChooser = [this](SimMachine &, Hmenu menu) { return ChooseFromMenu(menu); };
        m_->Start();
        startupWallpapers_ = {App().Desktops.StartupWallpaper().Wallpaper};
    }

    Hwnd Main() { return App().MainWindow; }

    // ---- Events ----

    // Further events inside a modal loop or a call of the program: some, or none.
    void Inside() {
        if (depth_ >= MaxDepth || sweeping_ || !failure_.empty()) return;
        for (int i = Pick(3); i > 0; --i)
            Event(depth_ + 1);
    }

    void Event(int depth) {
        const int saved = depth_;
        depth_ = depth;
        switch (Pick(21)) {
        case 0:
        case 1:
            LeftClick();
            break;
        case 20:
            Cloak();
            break;
        case 2:
            RightClick();
            break;
        case 3:
            HotKey();
            break;
        case 4:
        case 5:
            Command();
            break;
        case 6:
            Move();
            break;
        case 7:
            Sticky();
            break;
        case 8:
            Create();
            break;
        case 9:
            Destroy();
            break;
        case 10:
        case 11:
            UserShow(true);
            break;
        case 12:
        case 13:
            UserShow(false);
            break;
        case 14:
            Hang();
            break;
        case 15:
            Unhang();
            break;
        case 16:
            OddMove();
            break;
        case 17:
            ProgramHides();
            break;
        case 18:
            ProgramShows();
            break;
        case 19:
            if (depth == 0) TimePasses();
            break;
        default:
            if (depth == 0 && Chance(8))
                EndedFromOutside();
            else
                TaskbarRestart();
            break;
        }
        depth_ = saved;
        CheckRecords();
    }

    // The program ended from outside between two events (from the task list, by the system, in a
    // failure), then started again on the same machine: its windows go without its close, and the
    // second start gives back what the first left away.
    void EndedFromOutside() {
        if (App().UnderWay.Closed != 0) return;
        Note("ended from outside, then started again");
        Sim().EndProgram();
        FreeWindowTable(App());
        App() = AppState{};
        ConnectPorts(App(), Sim().Ports());
        App().Notify = &notices_;
        m_->Start();
        startupWallpapers_.insert(App().Desktops.StartupWallpaper().Wallpaper);
        // With one background for all, the start puts desktop 1's in force all the same, and the
        // first switch after the user's choice of one each takes it into the desktop it leaves.
        if (App().OwnWallpapers == 0) startupWallpapers_.insert(App().Record(1).Wallpaper);
    }

    // A message from the user or another program: posted and pumped, or sent.
    void Deliver(Uint message, Wparam wParam, Lparam lParam) {
        if (Chance(2)) {
            Sim().SendMessageA(Main(), message, wParam, lParam);
        } else {
            Sim().PostMessageA(Main(), message, wParam, lParam);
            if (depth_ == 0) Sim().PumpMessages();
        }
        if (depth_ == 0) Sim().PumpMessages();
    }

    int AnyDesktop() { return 1 + Pick(MaxDesktops); }

    void LeftClick() {
        const int n = AnyDesktop();
        Note("left click " + std::to_string(n));
        Deliver(UM_DESKTOP(n), 0, WM_LBUTTONDOWN);
    }

    void RightClick() {
        const int n = AnyDesktop();
        Note("right click " + std::to_string(n));
        Deliver(UM_DESKTOP(n), 0, WM_RBUTTONDOWN);
    }

    void HotKey() {
        const int id = Pick(10);
        Note("hot key " + std::to_string(id));
        Deliver(WM_HOTKEY, static_cast<Wparam>(id), 0);
    }

    Uint AnyCommand() {
        static const Uint fixed[] = {CmdAbout,
                                     CmdQuit,
                                     CmdCreateDesktop,
                                     CmdCreateDesktop,
                                     CmdDeleteCurrentDesktop,
                                     CmdDeleteCurrentDesktop,
                                     CmdOneBackground,
                                     CmdFirstDisplayMode,
                                     CmdFirstDisplayMode + 1,
                                     CmdLastDisplayMode,
                                     CmdQuit + 1,
                                     0};
        switch (Pick(3)) {
        case 0:
            return fixed[Pick(static_cast<int>(sizeof fixed / sizeof fixed[0]))];
        case 1: {
            const int n = 1 + Pick(MaxDesktops);
            return DesktopCommandId(n, static_cast<DesktopOp>(Pick(DesktopOps + 1)));
        }
        default: {
            const int index = Pick(16);
            return WindowCommandId(index, Pick(MaxDesktops + 2));
        }
        }
    }

    void Command() {
        const Uint id = AnyCommand();
        // Quit ends this machine; it is still chosen now and then.
        if (id == CmdQuit && !Chance(4)) return;
        Note("command " + std::to_string(id));
        Deliver(WM_COMMAND, id, 0);
    }

    Hwnd AnyHandle() {
        switch (Pick(8)) {
        case 0:
            return App().FloatingWindow;
        case 1:
            return Main();
        case 2:
            return App().AboutWindow;
        case 3:
            return gone_.empty() ? nullptr
                                 : gone_[static_cast<std::size_t>(Pick(static_cast<int>(gone_.size())))];
        case 4:
            return reinterpret_cast<Hwnd>(std::uintptr_t{0x4321});
        default:
            return windows_.empty()
                       ? nullptr
                       : windows_[static_cast<std::size_t>(Pick(static_cast<int>(windows_.size())))].window;
        }
    }

    void Move() {
        Hwnd h = AnyHandle();
        const int d = Pick(MaxDesktops + 2);
        Note("move " + std::to_string(reinterpret_cast<std::uintptr_t>(h)) + " to " + std::to_string(d));
        Deliver(UM_MOVETODESKTOP, reinterpret_cast<Wparam>(h), d);
    }

    void Sticky() {
        Hwnd h = AnyHandle();
        const Lparam on = Chance(2) ? 1 : 0x10000;
        Note("sticky " + std::to_string(reinterpret_cast<std::uintptr_t>(h)) + " " + std::to_string(on));
        Deliver(UM_SETSTICKY, reinterpret_cast<Wparam>(h), on);
    }

    Owned *AnyWindow() {
        if (windows_.empty()) return nullptr;
        return &windows_[static_cast<std::size_t>(Pick(static_cast<int>(windows_.size())))];
    }

    int OwnerDepth(Hwnd h) {
        int depth = 0;
        for (Hwnd o = Sim().Owner(h); o != nullptr && depth < 8; o = Sim().Owner(o))
            ++depth;
        return depth;
    }

    // A window without owner, or now and then an owned pop-up of one (a Find box, a palette), or
    // of an owned one (its "Not found" box), modal (its owner disabled while it lives) or
    // modeless; now and then a framework's program (see CreateFramework).
    void Create() {
        if (windows_.size() >= MaxWindows) return;
        if (Chance(8)) return CreateFramework(Chance(2));
        Hwnd owner = nullptr;
        if (Chance(3)) {
            const Owned *o = AnyWindow();
            if (o != nullptr && OwnerDepth(o->window) < 2 && !Sim().IsHung(o->window) &&
                Sim().Cloak(o->window) == 0)
                owner = o->window;
        }
        const std::uint32_t style = owner != nullptr || Chance(4) ? WS_POPUP | WS_CAPTION | WS_VISIBLE
                                                                  : WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        Hwnd h = Sim().CreateWindow("Owned", "W" + std::to_string(++nextTitle_), style, 0,
                                    Rect{100, 100, 500, 400}, owner);
        const bool modal = owner != nullptr && Sim().IsWindowEnabled(owner) && Chance(3);
        if (modal) Sim().EnableWindow(owner, false);
        // A program with several windows: they share its thread, and stop together. (An owned
        // window is made by its owner's thread.)
        const Owned *with = owner == nullptr && !windows_.empty() && Chance(3) ? AnyWindow() : nullptr;
        if (with != nullptr) Sim().ShareThread(h, with->window);
        // Run as administrator: it and every window of its thread, owned ones included.
        // (A program is elevated from its start: never a thread that had windows before.)
        if (elevating_ && owner == nullptr && with == nullptr && Chance(5)) Sim().SetElevated(h);
        Adopt(h, owner, modal);
    }

    // The two ways application frameworks own their forms. Either every form is owned by an
    // application window that is never shown, those with a taskbar button of their own carrying
    // WS_EX_APPWINDOW and tool forms WS_EX_TOOLWINDOW; or a visible application window of no size
    // holds the taskbar button and owns the main form, and minimises for it.
    void CreateFramework(bool hiddenOwner) {
        const std::string name = "A" + std::to_string(++nextTitle_);
        const Hwnd app = Sim().CreateWindow("Application", name, WS_POPUP | (hiddenOwner ? 0 : WS_VISIBLE), 0,
                                            Rect{0, 0, 0, 0});
        Note("framework " + name + " " + std::to_string(reinterpret_cast<std::uintptr_t>(app)) +
             (hiddenOwner ? " (hidden owner)" : " (visible owner of no size)"));
        if (!hiddenOwner) Adopt(app, nullptr, false);
        for (int i = 0, forms = hiddenOwner ? 1 + Pick(3) : 1; i < forms && windows_.size() < MaxWindows;
             ++i) {
            const std::uint32_t exStyle = !hiddenOwner ? 0 : Chance(3) ? WS_EX_TOOLWINDOW : WS_EX_APPWINDOW;
            const Hwnd form =
                Sim().CreateWindow("Owned", "F" + std::to_string(++nextTitle_),
                                   WS_OVERLAPPEDWINDOW | WS_VISIBLE, exStyle, Rect{120, 120, 520, 420}, app);
            Adopt(form, app, false);
            windows_.back().minimisesOwner = !hiddenOwner;
        }
    }

    void Adopt(Hwnd h, Hwnd owner, bool modal) {
        // Other programs' messages arrive inside our calls to their windows.
        Sim().SetWindowProc(h, [this](Hwnd w, Uint message, Wparam wParam, Lparam lParam) {
            if (message == WM_SIZE && Chance(6)) {
                // Its thread is busy in this call: it cannot stop answering before it returns.
                answering_.push_back(w);
                Foreign();
                answering_.pop_back();
            }
            if (message == WM_SIZE || message == WM_NULL) OwnerActsInside(w, message);
            StopsInside(w, message, wParam);
            return Sim().DefWindowProc(w, message, wParam, lParam);
        });
        // Made in a thread that stopped, or that stops when the call under way returns: left
        // anywhere until the next sweep, as the other windows of that thread.
        bool hung = Sim().IsHung(h);
        for (const Owned &o : windows_)
            hung = hung || (o.everHung &&
                            Sim().GetWindowThreadProcessId(o.window) == Sim().GetWindowThreadProcessId(h));
        windows_.push_back({h, false, hung});
        windows_.back().slowRepaint = Chance(5);
        windows_.back().modal = modal;
        GiveHabit(windows_.back());
        Note("create " + std::to_string(reinterpret_cast<std::uintptr_t>(h)) +
             (Sim().IsElevated(h) ? " elevated" : "") +
             (owner != nullptr ? (modal ? " modal, owned by " : " owned by ") +
                                     std::to_string(reinterpret_cast<std::uintptr_t>(owner))
                               : std::string()));
    }

    // A message another program sends while the program waits for one of its windows.
    void Foreign() {
        if (depth_ >= MaxDepth || sweeping_ || m_ == nullptr || App().MainWindow == nullptr) return;
        const int saved = depth_;
        ++depth_;
        switch (Pick(8)) {
        case 0:
            LeftClick();
            break;
        case 1:
            Command();
            break;
        case 6:
            InsideModal(nullptr);
            break;
        case 7:
            ForgedSizing();
            break;
        case 2:
            Move();
            break;
        case 3:
            Sticky();
            break;
        case 4:
            HotKey();
            break;
        default:
            TaskbarRestart();
            break;
        }
        depth_ = saved;
        CheckRecords();
    }

    // Many programs hide a minimised window (a tray icon stands for it); some restore their
    // window whenever it is minimised.
    void GiveHabit(Owned &w) {
        const int pick = Pick(8);
        w.habit = pick == 0   ? SimMachine::Habit::HideWhenMinimized
                  : pick == 1 ? SimMachine::Habit::RefuseMinimize
                              : SimMachine::Habit::None;
        Sim().SetHabit(w.window, w.habit);
    }

    Owned *OwnedWindow(Hwnd h) {
        for (Owned &w : windows_)
            if (w.window == h) return &w;
        return nullptr;
    }

    // Inside the program's calls to its windows (the switch's check, a minimise or restore),
    // a program restores its window, or minimises or restores another of its windows.
    void OwnerActsInside(Hwnd h, Uint message) {
        if (sweeping_ || !Chance(message == WM_NULL ? 8 : 16)) return;
        Owned *w = message == WM_NULL ? OwnedWindow(h) : AnyWindow();
        if (w == nullptr || Sim().IsHung(w->window)) return;
        // During the question too: its user minimises it while our call waits for the answer.
        const bool minimise = Chance(2);
        Note(std::string("its owner ") + (minimise ? "minimises " : "restores ") +
             std::to_string(reinterpret_cast<std::uintptr_t>(w->window)));
        w->minimisedWhileLeft = false;
        w->userMinimised = minimise;
        w->hiddenByProgram = w->hiddenInsideOurs = false;
        // The check (SMTO_BLOCK) takes no messages of ours while it waits: none arrive inside.
        const int saved = depth_;
        if (message == WM_NULL) depth_ = MaxDepth;
        answering_.push_back(h); // busy in this call, as the window it acts on
        answering_.push_back(w->window);
        touched_.push_back(w->window);
        if (minimise) minimisedInside_.push_back(w->window);
        const Dword waitedBefore = Sim().waited;
        if (!minimise) NoteMinimisedOwned(w->window);
        {
            SimMachine::AsUser user(Sim());
            Sim().ShowWindow(w->window, minimise ? SW_MINIMIZE : SW_RESTORE);
        }
        answering_.resize(answering_.size() - 2);
        // A call into a busy thread (the window it acts on may be another program's) kept this
        // thread from answering us meanwhile: its windows may be left behind as a slow thread's.
        if (Sim().waited != waitedBefore) MarkHung(h);
        depth_ = saved;
        NoteRestoredAtPark(*w);
    }

    void NoteMinimisedOwned(Hwnd owner) {
        for (const Owned &o : windows_)
            if (Sim().Owner(o.window) == owner && Sim().IsMinimized(o.window))
                minimisedAtOwnersRise_.push_back(o.window);
    }

    void NoteRestoredAtPark(Owned &w) {
        if (Parked(w)) w.restoredAtPark = true;
        if (Sim().IsMinimized(w.window)) return;
        upByOthers_.push_back(w.window);
        // Brought up from its taskbar button, or by its program, while nothing of ours is under
        // way: the system tells no one of it (we set no hook), so a box we parked stays at the
        // park until the next refresh finds its owner on the desktop shown.
        if (App().UnderWay.Switching != 0) return;
        for (const Owned &o : windows_)
            if (Sim().Owner(o.window) == w.window && Parked(o)) parkedWhenOwnerUp_.push_back(o.window);
    }

    void Destroy() {
        if (windows_.empty()) return;
        const std::size_t i = static_cast<std::size_t>(Pick(static_cast<int>(windows_.size())));
        const Hwnd picked = windows_[i].window;
        // A hung program is ended from outside, with every window of its thread.
        const bool ended = Sim().IsHung(picked);
        const Dword thread = Sim().GetWindowThreadProcessId(picked);
        for (std::size_t k = windows_.size(); k-- > 0;) {
            const Hwnd h = windows_[k].window;
            if (h != picked && (!ended || Sim().GetWindowThreadProcessId(h) != thread)) continue;
            Note("destroy " + std::to_string(reinterpret_cast<std::uintptr_t>(h)));
            const bool modal = windows_[k].modal;
            const Hwnd owner = Sim().Owner(h);
            windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(k));
            gone_.push_back(h);
            Sim().SetHung(h, false);
            Sim().DestroyWindow(h);
            if (modal && Sim().IsWindow(owner)) Sim().EnableWindow(owner, true);
        }
        // Their owned windows went with them.
        for (std::size_t k = windows_.size(); k-- > 0;)
            if (!Sim().IsWindow(windows_[k].window)) {
                gone_.push_back(windows_[k].window);
                windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(k));
            }
    }

    // The owner minimises or restores one of its windows, as from the taskbar.
    void UserShow(bool minimise) {
        Owned *w = AnyWindow();
        if (w == nullptr || Sim().IsHung(w->window)) return;
        // The framework minimises its application window instead, which takes the form along
        // where the system hides owned windows.
        Owned *app = w->minimisesOwner && minimise ? OwnedWindow(Sim().Owner(w->window)) : nullptr;
        if (app != nullptr && !Sim().IsHung(app->window)) w = app;
        Note((minimise ? "minimise " : "restore ") +
             std::to_string(reinterpret_cast<std::uintptr_t>(w->window)));
        // Left on the screen and minimised now: a change the catch-up sees. (Left minimised,
        // restored and minimised again, it is as it was left: what the catch-up does then is what
        // the switch would have done; in real time its turn comes within a quarter second.)
        w->minimisedWhileLeft = minimise && HeldBack(App(), w->window) && LeftShown(App(), w->window) &&
                                !Sim().IsMinimized(w->window);
        w->userMinimised = minimise;
        w->hiddenByProgram = w->hiddenInsideOurs = false;
        touched_.push_back(w->window);
        if (!minimise) NoteMinimisedOwned(w->window);
        {
            SimMachine::AsUser user(Sim());
            Sim().ShowWindow(w->window, minimise ? SW_MINIMIZE : SW_RESTORE);
        }
        NoteRestoredAtPark(*w);
    }

    // The compositor cloaks a window with no owner and none of its own (a store app suspended, or
    // the user went to another of the system's virtual desktops), or gives one back. Only between
    // top-level events, as the user's own doing.
    void Cloak() {
        if (!cloaking_ || depth_ != 0) return;
        Owned *w = AnyWindow();
        if (w == nullptr || Sim().Owner(w->window) != nullptr) return;
        for (const Owned &o : windows_)
            if (Sim().Owner(o.window) == w->window) return;
        const Dword cloak = Sim().Cloak(w->window) != 0 ? 0
                            : Chance(2)                 ? SimMachine::CloakedByShell
                                                        : SimMachine::CloakedByApp;
        Note((cloak != 0 ? "cloak " : "uncloak ") +
             std::to_string(reinterpret_cast<std::uintptr_t>(w->window)));
        Sim().SetCloaked(w->window, cloak);
        w->everCloaked = true;
    }

    void Hang() {
        Owned *w = AnyWindow();
        if (w == nullptr) return;
        // A thread busy in a call cannot stop answering before it returns, whichever window it is.
        for (Hwnd busy : answering_)
            if (Sim().GetWindowThreadProcessId(busy) == Sim().GetWindowThreadProcessId(w->window)) return;
        Note("hang " + std::to_string(reinterpret_cast<std::uintptr_t>(w->window)));
        MarkHung(w->window);
        Sim().SetHung(w->window, true);
    }

    // Every window of the thread may be left anywhere until the next sweep.
    void MarkHung(Hwnd h) {
        for (Owned &o : windows_)
            if (Sim().GetWindowThreadProcessId(o.window) == Sim().GetWindowThreadProcessId(h))
                o.everHung = true;
    }

    // Inside one of the program's calls: a thread is busy from the moment that call returns, this
    // window's after a restore when it repaints slowly, for less than the allowance or for more (it
    // answers later: after one call, after several, or only after the switch); or any other
    // program's thread stops then. The thread the call went to is busy rather than stopped: one
    // question a pass cannot find out a thread that stops right after a call into its own window.
    void StopsInside(Hwnd h, Uint message, Wparam wParam) {
        if (sweeping_ || m_ == nullptr || !failure_.empty()) return;
        Owned *w = OwnedWindow(h);
        bool stops = false;
        if (w != nullptr && w->slowRepaint && message == WM_SIZE && wParam == sim::SIZE_RESTORED &&
            Chance(2)) {
            Note("repaints slowly " + std::to_string(reinterpret_cast<std::uintptr_t>(h)));
        } else if ((message == WM_SIZE || message == WM_NULL || message == WM_MOVE) && Chance(24)) {
            w = AnyWindow();
            if (w == nullptr) return;
            stops = Sim().GetWindowThreadProcessId(w->window) != Sim().CallTarget();
            Note((stops ? "stops when the call returns " : "busy when the call returns ") +
                 std::to_string(reinterpret_cast<std::uintptr_t>(w->window)));
        } else {
            return;
        }
        MarkHung(w->window);
        if (stops)
            Sim().StopWhenCallReturns(w->window);
        else
            Sim().KeepBusy(w->window, static_cast<Dword>(50 + Pick(2 * static_cast<int>(AnswerAllowance))));
    }

    // Time passes with the program's message loop running: its catch-up turns come.
    void TimePasses() {
        const Dword ms = static_cast<Dword>(Pick(1500));
        Note("time passes " + std::to_string(ms));
        Sim().AdvanceTime(ms);
    }

    // Another program resizes the floating window's frame, or forges the message outright.
    void ForgedSizing() {
        Hwnd floating = App().FloatingWindow;
        if (floating == nullptr) return;
        Rect proposed = Sim().Position(floating);
        proposed.right += Pick(200) - 100;
        proposed.bottom += Pick(100) - 50;
        const Wparam edge = static_cast<Wparam>(Pick(10));
        Note("WM_SIZING " + std::to_string(edge));
        Sim().SendMessageA(floating, WM_SIZING, edge, reinterpret_cast<Lparam>(&proposed));
    }

    // Its program hides a shown window (to its tray icon, or a box it keeps for later), or shows
    // a hidden one again, restored or as it was.
    void ProgramHides() {
        Owned *w = AnyWindow();
        // Not from inside its own procedure: a program that restores its window at every minimise
        // would show it again at once.
        if (w == nullptr || Sim().IsHung(w->window) || !Sim().IsVisible(w->window) ||
            std::find(answering_.begin(), answering_.end(), w->window) != answering_.end())
            return;
        Note("its program hides " + std::to_string(reinterpret_cast<std::uintptr_t>(w->window)));
        // Hidden while a switch or a move is under way, or before the program saw it shown again
        // after it hid itself inside our minimise (nothing tells it apart from that first hide),
        // it may come back with its desktop.
        const WindowEntry *e = FindWindowEntry(App(), w->window);
        const bool inside = App().UnderWay.Switching != 0 || (e != nullptr && e->MinimizedShown != 0);
        w->hiddenByProgram = !inside;
        w->hiddenInsideOurs = inside;
        touched_.push_back(w->window);
        SimMachine::AsUser program(Sim());
        Sim().ShowWindow(w->window, SW_HIDE);
    }

    void ProgramShows() {
        Owned *w = AnyWindow();
        if (w == nullptr || Sim().IsHung(w->window) || Sim().IsVisible(w->window)) return;
        const bool restore = Chance(2);
        Note(std::string("its program shows ") + (restore ? "and restores " : "") +
             std::to_string(reinterpret_cast<std::uintptr_t>(w->window)));
        w->hiddenByProgram = w->hiddenInsideOurs = w->minimisedWhileLeft = false;
        touched_.push_back(w->window);
        NoteMinimisedOwned(w->window);
        {
            SimMachine::AsUser program(Sim());
            Sim().ShowWindow(w->window, restore ? SW_RESTORE : SW_SHOW);
        }
        w->userMinimised = Sim().IsMinimized(w->window); // shown as its program left it
        NoteRestoredAtPark(*w);
    }

    void Unhang() {
        Owned *w = AnyWindow();
        // Once the program has closed, the windows stay as its quit found them.
        if (w == nullptr || App().UnderWay.Closed != 0) return;
        Note("unhang " + std::to_string(reinterpret_cast<std::uintptr_t>(w->window)));
        Sim().SetHung(w->window, false);
    }

    // Half the time as on Windows 95 and NT 4.0 as they came: no broadcast, and the user gets
    // the icons back by starting the program again.
    void TaskbarRestart() {
        const bool broadcast = Chance(2);
        Note(broadcast ? "taskbar restarts" : "taskbar restarts silently, then a second start");
        Sim().RestartTaskbar(broadcast);
        if (!broadcast) Sim().PostMessageA(Main(), WM_COMMAND, CmdAbout, 0);
        if (depth_ == 0) Sim().PumpMessages();
    }

    // ---- Modal loops ----

    int AnswerBox(const SimMessageBox &box) {
        Note("box: " + box.text.substr(0, 24));
        Inside();
        InsideModal(box.window);
        if ((box.type & 0xF) != MB_YESNO) return IDOK;
        if (box.text.find("quit") != std::string::npos) return Chance(8) ? IDYES : IDNO;
        return Chance(2) ? IDYES : IDNO;
    }

    void UseDialog(Hwnd dialog) {
        Note("dialog");
        Inside();
        InsideModal(dialog);
        if (Sim().GetDlgItem(dialog, IdTitleEdit) != nullptr) {
            if (Chance(2)) Sim().Type(dialog, IdTitleEdit, "T" + std::to_string(Pick(1000)));
            Sim().Click(dialog, Chance(3) ? IDCANCEL : IDOK);
        } else if (Sim().GetDlgItem(dialog, IdKeyList) != nullptr) {
            if (Chance(2)) Sim().Click(dialog, IdNoHotKey);
            if (Chance(2)) Sim().Click(dialog, IdControl);
            if (Chance(2)) Sim().Click(dialog, IdAlt);
            Sim().SelectListItem(dialog, IdKeyList, Pick(6));
            Sim().Click(dialog, Chance(3) ? IDCANCEL : IDOK);
        } else {
            Sim().Click(dialog, IDOK);
        }
    }

    static void Commands(const std::vector<SimMenuItem> &items, std::vector<Uint> &ids) {
        for (const SimMenuItem &item : items) {
            if (item.popup)
                Commands(item.items, ids);
            else if (!item.Separator() && !item.Greyed() && item.id != 0)
                ids.push_back(item.id);
        }
    }

    Uint ChooseFromMenu(Hmenu menu) {
        Note("menu");
        std::vector<Uint> ids;
        const SimMenuSnapshot shown = Sim().Snapshot(menu);
        Commands(shown.items, ids);
        // The cloak changes only between top-level events: as it was when the list was made.
        for (const Owned &w : windows_)
            if (Sim().Cloak(w.window) != 0 &&
                shown.Find({"&Applications", Sim().WindowText(w.window)}) != nullptr)
                Fail("a cloaked window is listed" + Describe(w));
        Inside();
        InsideModal(nullptr);
        if (ids.empty() || Chance(4)) return 0;
        const Uint id = ids[static_cast<std::size_t>(Pick(static_cast<int>(ids.size())))];
        if (id == CmdQuit && !Chance(4)) return 0;
        Note("chosen " + std::to_string(id));
        return id;
    }

    // ---- Handles the table never enters, WM_INITDIALOG and WM_CLOSE inside modal loops ----

    std::uint64_t oddMachine_ = ~std::uint64_t{0}; // the machine (restarts) the two windows below belong to
    Hwnd taskbar_ = nullptr;
    Hwnd tip_ = nullptr;

    // The shell's taskbar and a tool tip, made once per machine when first needed.
    void MakeShellWindows() {
        if (oddMachine_ == restarts) return;
        oddMachine_ = restarts;
        taskbar_ = Sim().CreateWindow("Shell_TrayWnd", "", WS_POPUP | WS_VISIBLE, 0, Rect{0, 748, 1024, 768});
        tip_ = Sim().CreateWindow("tooltips_class32", "", WS_POPUP | WS_VISIBLE, 0, Rect{10, 10, 60, 30});
    }

    // A move or a sticky request from another program, with a handle no move may touch: the
    // taskbar, a tool tip, the desktop window, a child window (the floating window's toolbar,
    // the About box's links), a destroyed window.
    void OddMove() {
        MakeShellWindows();
        Hwnd h = nullptr;
        switch (Pick(6)) {
        case 0:
            h = taskbar_;
            break;
        case 1:
            h = tip_;
            break;
        case 2:
            h = Sim().GetDesktopWindow();
            break;
        case 3:
            h = App().Ui.FloatingToolbar;
            break;
        case 4:
            h = Sim().GetDlgItem(App().AboutWindow, Chance(2) ? IdEmailLink : IdWebLink);
            break;
        default:
            h = gone_.empty() ? Sim().GetDlgItem(App().AboutWindow, IdIcon)
                              : gone_[static_cast<std::size_t>(Pick(static_cast<int>(gone_.size())))];
            break;
        }
        const Uint message = Chance(2) ? UM_MOVETODESKTOP : UM_SETSTICKY;
        Note("odd " + std::string(message == UM_SETSTICKY ? "sticky " : "move ") +
             std::to_string(reinterpret_cast<std::uintptr_t>(h)));
        Deliver(message, reinterpret_cast<Wparam>(h), 1 + Pick(MaxDesktops));
    }

    // Inside a message box, a dialog, a menu or a call to another program's window: another
    // program sends the dialog (and the About box) WM_INITDIALOG and the links their messages,
    // and now and then closes the program, as an uninstall start does.
    void InsideModal(Hwnd dialog) {
        if (sweeping_ || !failure_.empty()) return;
        Hwnd about = App().AboutOpen != 0 ? App().AboutWindow : nullptr;
        for (Hwnd box : {dialog, about}) {
            if (box == nullptr || !Chance(3)) continue;
            Note("WM_INITDIALOG");
            Sim().SendMessageA(box, WM_INITDIALOG, 0, static_cast<Lparam>(Pick(0x10000)));
            Hwnd link = Sim().GetDlgItem(box, IdWebLink);
            if (link != nullptr) Sim().SendMessageA(link, WM_SETCURSOR, reinterpret_cast<Wparam>(link), 0);
        }
        if (!Chance(100)) return;
        Note("close");
        if (Chance(2))
            Sim().SendMessageA(Main(), WM_CLOSE, 0, 0);
        else
            Sim().PostMessageA(Main(), WM_CLOSE, 0, 0);
    }

    // Those handles were left as they were: never entered, never minimised or moved. With no
    // About box open, no font of its is left either, however often it was initialised.
    void CheckOddWindows() {
        if (Sim().LiveFonts() != 0) return Fail("a font is left with no About box open");
        if (oddMachine_ != restarts) return;
        for (Hwnd h : {taskbar_, tip_, App().Ui.FloatingToolbar}) {
            if (FindWindowEntry(App(), h) != nullptr) return Fail("a window the table skips was entered");
            if (Sim().IsMinimized(h)) return Fail("a window the table skips was minimised");
        }
        if (Sim().Position(taskbar_).top != 748 || Sim().Position(tip_).left != 10)
            return Fail("a window the table skips was moved");
    }

    // After the close, wherever it arrived: desktop 1 is shown, with its windows on the screen
    // where they stood.
    void CheckClosed() {
        if (App().CurrentDesktop() != 1)
            return Fail("closed with desktop " + std::to_string(App().CurrentDesktop()) + " shown");
        for (const Owned &w : windows_) {
            const WindowEntry *e = FindWindowEntry(App(), w.window);
            if (w.userMinimised || w.everHung || e == nullptr || e->Desktop != 1 || e->Sticky != 0) continue;
            if (w.hiddenByProgram || w.hiddenInsideOurs || HiddenWithOwner(w) || w.everCloaked) continue;
            // An owned window we minimised comes back with its owner (see CheckReach).
            if (e->Owner != nullptr && Sim().IsMinimized(w.window)) continue;
            if (Sim().IsMinimized(w.window) || !Sim().IsVisible(w.window) ||
                Sim().Position(w.window).left == 3000)
                return Fail("a window of desktop 1 is not shown after the close" + Describe(w));
        }
    }

    // ---- Invariants ----

    // True between any two events, at any depth.
    void CheckRecords() {
        const AppState &app = App();
        const int count = app.DesktopCount();
        if (count < MinDesktops || count > MaxDesktops) return Fail("DesktopCount " + std::to_string(count));
        if (app.CurrentDesktop() < 1 || app.CurrentDesktop() > count)
            return Fail("CurrentDesktop " + std::to_string(app.CurrentDesktop()) + " of " +
                        std::to_string(count));
        std::set<Hwnd> seen;
        for (std::int32_t i = 0; i < app.Windows.Count; ++i) {
            const WindowEntry &e = app.Windows.Entries[i];
            if (e.Desktop < 1 || e.Desktop > count)
                return Fail("entry " + std::to_string(i) + " on desktop " + std::to_string(e.Desktop));
            if (!seen.insert(e.Window).second) return Fail("two entries for one window");
        }
        if (Sim().blockedCalls != 0)
            return Fail("the program waited for a window whose thread does not answer");
    }

    // True whenever no event is under way.
    void CheckTopLevel() {
        CheckRecords();
        if (!failure_.empty()) return;
        AppState &app = App();
        CheckWallpapers();
        if (!failure_.empty()) return;
        if (app.UnderWay.Closed != 0) {
            // The program stays until the windows its quit left behind are back (their threads
            // busy a while), or gives up on those that never answer.
            if (Sim().IsWindow(Main())) Sim().AdvanceTime(QuitCatchUpLimit + CatchUpPeriod);
            if (Sim().IsWindow(Main())) return Fail("the program is still there after the quit");
            for (const SimIcon &icon : Sim().NotifyIcons())
                if (icon.window == Main()) return Fail("an icon is left after closing");
            CheckClosed();
            if (!failure_.empty()) return;
            return CheckAfterQuit();
        }
        if (app.UnderWay.Switching != 0 || app.DialogOpen != 0 || app.UnderWay.DeleteAsking != 0 ||
            app.UnderWay.QuitAsking != 0 || app.UnderWay.MenuOpen != 0)
            return Fail("a guard is left set");
        CheckIcons();
        CheckOddWindows();
        CheckReach();
        CheckElevated();
        if (!failure_.empty()) return;
        for (const Owned &w : windows_) {
            // A cloaked window is not on the screen, whatever its desktop: ours to leave alone.
            if (w.userMinimised || w.everHung || w.hiddenByProgram || w.hiddenInsideOurs ||
                HiddenWithOwner(w) || w.everCloaked)
                continue;
            const WindowEntry *e = FindWindowEntry(app, w.window);
            if (e == nullptr || e->Sticky != 0 || e->Desktop != app.CurrentDesktop()) continue;
            // An owned pop-up parked alone (its owner was hidden) that refused the minimise joins
            // its owner when that is shown again, and goes back at its desktop's next return.
            const bool rejoined = e->Owner != nullptr && e->Parked != 0;
            // Nor one we minimised whose owner came up without us (see CheckReach).
            if (Sim().IsMinimized(w.window) && e->Minimized == 0 && e->Owner != nullptr) continue;
            if (Sim().IsMinimized(w.window) || !Sim().IsVisible(w.window) ||
                (Parked(w) && !w.restoredAtPark && !rejoined))
                return Fail("a window of the shown desktop " + std::to_string(e->Desktop) + " is not shown" +
                            Describe(w));
        }
    }

    // Every desktop's stored wallpaper is its own, or the one in force at start-up that the
    // one-background option and the quit put back.
    void CheckWallpapers() {
        if (App().Loaded.SettingsUnreadable != 0) return;
        for (int n = 1; n <= App().DesktopCount() && static_cast<std::size_t>(n) < wallpapers_.size(); ++n) {
            const auto stored = Sim().Value(HkeyCurrentUser(), DesktopPath(n), "Wallpaper");
            if (!stored) continue;
            const std::string text = stored->Text();
            if (text != wallpapers_[static_cast<std::size_t>(n)] && startupWallpapers_.count(text) == 0)
                return Fail("desktop " + std::to_string(n) + " stores the wallpaper " + text +
                            " instead of " + wallpapers_[static_cast<std::size_t>(n)]);
        }
    }

    // Its restore place is where a park put it: a restore would take it off the screen.
    bool RestoresAtPark(const Owned &w) {
        const Rect at = Sim().NormalPosition(w.window);
        return at.left == ParkPosition && at.top == ParkPosition;
    }

    // Hidden by its owner's minimise, and that owner is still down (minimised or hidden).
    bool HiddenWithOwner(const Owned &w) {
        const Hwnd owner = Sim().Owner(w.window);
        return owner != nullptr && !Sim().IsVisible(w.window) && Sim().HiddenWithOwner(w.window) &&
               (Sim().IsMinimized(owner) || !Sim().IsVisible(owner));
    }

    bool OwnerUp(Hwnd owner) {
        const Rect at = Sim().Position(owner);
        return Sim().IsVisible(owner) && !Sim().IsMinimized(owner) &&
               !(at.left == ParkPosition && at.top == ParkPosition);
    }

    // Away with another desktop: it comes back when that desktop is shown. A sticky window comes
    // back with the next switch (made sticky by another program, it is not restored at once).
    bool Away(const Owned &w) {
        const WindowEntry *e = FindWindowEntry(App(), w.window);
        return e != nullptr && (e->Sticky != 0 || e->Desktop != App().CurrentDesktop());
    }

    // What the user can reach, between any two top-level events: every window is on the screen,
    // or minimised with a taskbar button, or away with another desktop, or hidden by its own
    // program (and never shown by ours), or hidden only because its owner is down. An owned
    // window whose owner is up is shown with it, neither minimised nor off the screen, unless it
    // went alone or its program or the user minimised it.
    void CheckReach() {
        for (const Owned &w : windows_) {
            if (w.everHung || Sim().IsHung(w.window) || w.hiddenInsideOurs || w.everCloaked) continue;
            const bool visible = Sim().IsVisible(w.window);
            const bool iconic = Sim().IsMinimized(w.window);
            if (w.hiddenByProgram) {
                if (visible) return Fail("a window its program hid is shown" + Describe(w));
                continue;
            }
            const WindowEntry *e = FindWindowEntry(App(), w.window);
            if (!visible) {
                const bool ownHide = w.userMinimised && w.habit == SimMachine::Habit::HideWhenMinimized;
                // Hid itself when we minimised it: back with its desktop (or its owner's, which it
                // follows; the sweep checks both).
                const bool hidAway =
                    e != nullptr && e->MinimizedShown != 0 && (Away(w) || e->Owner != nullptr);
                if (!ownHide && !hidAway && !HiddenWithOwner(w))
                    return Fail("a window is hidden and out of reach" + Describe(w));
                continue;
            }
            // One sent alone to a desktop other than its owner's goes down whenever its owner does,
            // and comes back minimised with it: restored at the next return of its own desktop.
            const bool alone = e != nullptr && e->Alone != 0;
            // One we minimised whose owner came up without us (the user restored it from the
            // taskbar while its program had shown it during our park): restored at the next return
            // of its desktop, which the sweep checks.
            const bool ours = e != nullptr && e->Minimized == 0 && e->Owner != nullptr;
            if (iconic && !w.userMinimised && !alone && !ours && !Sim().HasTaskbarButton(w.window) &&
                !Away(w))
                return Fail("a minimised window has no way back" + Describe(w));
        }
    }

    // The windows hidden with their owner before an event: those whose
    // owner is up again after it (restored by a switch, a move, the user or its program) are shown
    // with it, on the screen and not minimised, unless they went alone or their program or the
    // user did something else to them.
    std::vector<Hwnd> HiddenWithOwners() {
        std::vector<Hwnd> hidden;
        for (const Owned &w : windows_)
            if (HiddenWithOwner(w) && !Parked(w)) hidden.push_back(w.window);
        return hidden;
    }

    void CheckBackWithOwners(const std::vector<Hwnd> &before) {
        for (Hwnd h : before) {
            // One minimised when the user or its program brings its owner up stays minimised
            // (Windows' rule), whether it was minimised when its owner went down or ours minimised it
            // since (the user restored it inside a switch away from its desktop); we restore it when
            // we bring that owner up.
            if (std::find(minimisedAtOwnersRise_.begin(), minimisedAtOwnersRise_.end(), h) !=
                minimisedAtOwnersRise_.end())
                continue;
            if (std::find(parkedWhenOwnerUp_.begin(), parkedWhenOwnerUp_.end(), h) != parkedWhenOwnerUp_.end())
                continue;
            const Owned *w = OwnedWindow(h);
            if (w == nullptr || w->everHung || Sim().IsHung(h) || w->userMinimised || w->hiddenByProgram ||
                w->hiddenInsideOurs)
                continue;
            const WindowEntry *e = FindWindowEntry(App(), h);
            if (e == nullptr || e->Alone != 0 || !OwnerUp(Sim().Owner(h))) continue;
            if (!Sim().IsVisible(h) || Sim().IsMinimized(h) || (Parked(*w) && !w->restoredAtPark))
                return Fail("an owned window does not come back with its owner" + Describe(*w));
        }
    }

    // ---- The later systems ----

    struct CloakedState {
        Hwnd window;
        bool visible, iconic;
        Rect at;
    };

    std::vector<CloakedState> CloakedStates() {
        std::vector<CloakedState> states;
        for (const Owned &w : windows_)
            if (Sim().Cloak(w.window) != 0)
                states.push_back({w.window, Sim().IsVisible(w.window), Sim().IsMinimized(w.window),
                                  Sim().Position(w.window)});
        return states;
    }

    // A window cloaked through the event is as it was, unless its user or its program acted on it:
    // nothing of ours minimised, restored, parked or moved it.
    void CheckCloaked(const std::vector<CloakedState> &before) {
        for (const CloakedState &c : before) {
            if (!Sim().IsWindow(c.window) || Sim().Cloak(c.window) == 0 ||
                std::find(touched_.begin(), touched_.end(), c.window) != touched_.end())
                continue;
            const Rect at = Sim().Position(c.window);
            if (Sim().IsVisible(c.window) != c.visible || Sim().IsMinimized(c.window) != c.iconic ||
                at.left != c.at.left || at.top != c.at.top) {
                const Owned *w = OwnedWindow(c.window);
                return Fail("a cloaked window was changed" + (w != nullptr ? Describe(*w) : std::string()));
            }
        }
    }

    // On the screen: shown, not minimised, not at the park.
    bool Up(Hwnd h) {
        const Rect at = Sim().Position(h);
        return Sim().IsVisible(h) && !Sim().IsMinimized(h) &&
               !(at.left == ParkPosition && at.top == ParkPosition);
    }

    std::vector<Hwnd> ElevatedUp() {
        std::vector<Hwnd> up;
        for (const Owned &w : windows_) {
            const WindowEntry *e = FindWindowEntry(App(), w.window);
            if (Sim().IsElevated(w.window) && !w.everHung && Up(w.window) && e != nullptr && e->Sticky == 0)
                up.push_back(w.window);
        }
        return up;
    }

    // After a switch: an elevated window that stayed up through it (the system refused our calls)
    // belongs to the desktop shown, not to the one it is believed minimised with.
    void CheckElevatedClaimed(const std::vector<Hwnd> &before) {
        for (Hwnd h : before) {
            const Owned *w = OwnedWindow(h);
            const WindowEntry *e = FindWindowEntry(App(), h);
            if (w == nullptr || w->everHung || e == nullptr || e->Sticky != 0 || Sim().Cloak(h) != 0 ||
                !Up(h) || std::find(touched_.begin(), touched_.end(), h) != touched_.end())
                continue;
            // One that goes with its owner is where its owner is (its own record follows at the
            // next refresh); one whose owner its user or program acted on may be anywhere.
            // (An owned window its program shows while its owner is down stays as its program keeps
            // it, elevated or not.)
            // (Owners and owned windows, the table's entries of destroyed ones too until they are
            // purged, are claimed together by the next refresh.)
            bool owns = false;
            for (std::int32_t i = 0; i < App().Windows.Count; ++i)
                owns = owns || App().Windows.Entries[i].Owner == h;
            if (Sim().Owner(h) != nullptr || owns) continue;
            const WindowEntry *owner = OwnerEntry(App(), *e);
            const WindowEntry *rec = owner != nullptr ? owner : e;
            if (rec->Sticky == 0 && rec->Desktop != App().CurrentDesktop())
                return Fail("an elevated window on the screen is believed away with desktop " +
                            std::to_string(rec->Desktop) + Describe(*w));
        }
    }

    // Between any two top-level events: no elevated window on the screen is believed parked. (One
    // its user minimised inside our call and that hid itself may be taken for one that hid inside
    // our minimise, as any window, until the next refresh sees it shown again.)
    void CheckElevated() {
        for (const Owned &w : windows_) {
            const WindowEntry *e = FindWindowEntry(App(), w.window);
            if (!Sim().IsElevated(w.window) || w.everHung || e == nullptr || !Up(w.window)) continue;
            if (e->Parked != 0)
                return Fail("an elevated window on the screen is believed parked" + Describe(w));
        }
    }

    // Restored, but where a park put it: off the screen.
    bool Parked(const Owned &w) {
        const Rect at = Sim().Position(w.window);
        return !Sim().IsMinimized(w.window) && at.left == ParkPosition && at.top == ParkPosition;
    }

    // The program has ended (its Quit, or WM_CLOSE from an uninstall start): every window is on
    // the screen or minimised with its taskbar button, unless its own program hid it after a
    // minimise of its own or its thread does not answer; none is left off the screen.
    // Nor is any window its program hid shown, nor one minimised without a way back; each one
    // hidden with its owner comes back, on the screen, when the user restores that owner, also one
    // we had minimised before the system hid it (that owner's restore would show it minimised).
    void CheckAfterQuit() {
        if (quitChecked_) return;
        quitChecked_ = true;
        std::vector<Hwnd> withOwner;
        for (const Owned &w : windows_) {
            if (Sim().IsHung(w.window) || w.hiddenInsideOurs) continue;
            const bool ownHide = w.userMinimised && w.habit == SimMachine::Habit::HideWhenMinimized;
            const bool visible = Sim().IsVisible(w.window);
            if (w.hiddenByProgram) {
                if (visible) return Fail("a window its program hid is shown after the quit" + Describe(w));
                continue;
            }
            const WindowEntry *e = FindWindowEntry(App(), w.window);
            // (Minimised, unless its program minimised an owner up its chain inside our calls of
            // the quit: that may undo the quit's restore of the owner, which would bring it back.)
            if (HiddenWithOwner(w) && !w.userMinimised && !w.everHung && e != nullptr && e->Alone == 0 &&
                (!Sim().IsMinimized(w.window) || !OwnerMinimisedInside(w.window)))
                withOwner.push_back(w.window);
            if (!ownHide && !visible && !HiddenWithOwner(w))
                return Fail("a window is lost after the quit" + Describe(w));
            if (Parked(w)) return Fail("a window is left at 3000, 3000 after the quit" + Describe(w));
            if (RestoresAtPark(w) && !w.restoredAtPark)
                return Fail("a window would come back at 3000, 3000 after the quit" + Describe(w));
            if (visible && Sim().IsMinimized(w.window) && !w.userMinimised && !w.everHung &&
                !Sim().HasTaskbarButton(w.window))
                return Fail("a window is left minimised with no way back after the quit" + Describe(w));
        }
        // The user restores the minimised windows from their taskbar buttons (their programs do
        // nothing else meanwhile).
        sweeping_ = true;
        SimMachine::AsUser user(Sim());
        for (const Owned &w : windows_)
            if (!Sim().IsHung(w.window) && Sim().IsMinimized(w.window) && Sim().HasTaskbarButton(w.window))
                Sim().ShowWindow(w.window, SW_RESTORE);
        sweeping_ = false;
        for (Hwnd h : withOwner) {
            const Owned *w = OwnedWindow(h);
            if (w == nullptr || Sim().IsHung(h) || !OwnerUp(Sim().Owner(h))) continue;
            if (!Sim().IsVisible(h) || Sim().IsMinimized(h) || Parked(*w))
                return Fail("an owned window does not come back with its owner after the quit" +
                            Describe(*w));
        }
    }

    bool OwnerMinimisedInside(Hwnd h) {
        int depth = 0;
        for (Hwnd o = Sim().Owner(h); o != nullptr && depth < 8; o = Sim().Owner(o), ++depth)
            if (std::find(minimisedInside_.begin(), minimisedInside_.end(), o) != minimisedInside_.end())
                return true;
        return false;
    }

    // Every machine ends with a quit, as an uninstall start asks for it.
    bool Quit() {
        if (m_->app.UnderWay.Closed == 0) {
            Note("close");
            Sim().SendMessageA(Main(), WM_CLOSE, 0, 0);
            Sim().PumpMessages();
        }
        CheckAfterQuit();
        return failure_.empty();
    }

    void CheckIcons() {
        AppState &app = App();
        std::vector<const SimIcon *> ours;
        for (const SimIcon &icon : Sim().NotifyIcons())
            if (icon.window == Main()) ours.push_back(&icon);
        if (app.DisplayMode == 1) {
            if (ours.size() != static_cast<std::size_t>(app.DesktopCount()))
                return Fail(std::to_string(ours.size()) + " icons for " + std::to_string(app.DesktopCount()) +
                            " desktops");
            for (int n = 1; n <= app.DesktopCount(); ++n) {
                const SimIcon *icon = Sim().NotifyIcon(Main(), static_cast<Uint>(n));
                if (icon == nullptr) return Fail("no icon " + std::to_string(n));
                const int picture = n == app.CurrentDesktop() ? 10 : 11;
                if (SimMachine::IconId(icon->icon) != picture)
                    return Fail("picture of icon " + std::to_string(n));
                if (icon->tip != app.Record(n).DesktopTitle) return Fail("tip of icon " + std::to_string(n));
                if (icon->callbackMessage != UM_DESKTOP(n))
                    return Fail("callback of icon " + std::to_string(n));
            }
        } else {
            const SimIcon *icon = Sim().NotifyIcon(Main(), 0);
            if (ours.size() != 1 || icon == nullptr) return Fail("not exactly the main icon");
            if (icon->callbackMessage != UM_DESKTOP(app.CurrentDesktop()))
                return Fail("main icon's callback");
        }
    }

    std::string Describe(const Owned &w) {
        const WindowEntry *e = FindWindowEntry(App(), w.window);
        std::ostringstream out;
        out << " (window " << reinterpret_cast<std::uintptr_t>(w.window) << ", minimised "
            << Sim().IsMinimized(w.window) << ", visible " << Sim().IsVisible(w.window) << ", user-minimised "
            << w.userMinimised << ", hung before " << w.everHung << ", left behind "
            << IsLeftBehind(App(), w.window) << ", habit " << static_cast<int>(w.habit) << ", at "
            << Sim().Position(w.window).left << "," << Sim().Position(w.window).top
            << ", hidden by its program " << w.hiddenByProgram << ", taskbar button "
            << Sim().HasTaskbarButton(w.window) << ", elevated " << Sim().IsElevated(w.window) << ", cloak "
            << Sim().Cloak(w.window);
        if (const Hwnd owner = Sim().Owner(w.window))
            out << ", owner " << reinterpret_cast<std::uintptr_t>(owner) << " (minimised "
                << Sim().IsMinimized(owner) << ", visible " << Sim().IsVisible(owner) << ", at "
                << Sim().Position(owner).left << ", habit "
                << (OwnedWindow(owner) != nullptr ? static_cast<int>(OwnedWindow(owner)->habit) : -1)
                << ", desktop "
                << (FindWindowEntry(App(), owner) != nullptr ? FindWindowEntry(App(), owner)->Desktop : 0)
                << "), hidden with it " << Sim().HiddenWithOwner(w.window) << ", modal " << w.modal;
        if (e != nullptr)
            out << ", entry desktop " << e->Desktop << " sticky " << int{e->Sticky} << " minimized "
                << int{e->Minimized} << " popup " << (e->Popup != 0) << " minimised shown "
                << int{e->MinimizedShown} << " parked " << int{e->Parked} << " alone " << int{e->Alone}
                << " goes with owner " << GoesWithOwner(App(), *e);
        if (e != nullptr && OwnerEntry(App(), *e) != nullptr)
            out << " (" << reinterpret_cast<std::uintptr_t>(OwnerEntry(App(), *e)->Window) << ", desktop "
                << OwnerEntry(App(), *e)->Desktop << ", owner depth " << OwnerDepth(w.window) << ")";
        for (Hwnd o = Sim().Owner(w.window); o != nullptr; o = Sim().Owner(o)) {
            const WindowEntry *oe = FindWindowEntry(App(), o);
            out << "; up the chain " << reinterpret_cast<std::uintptr_t>(o) << " visible "
                << Sim().IsVisible(o) << " minimised " << Sim().IsMinimized(o);
            if (oe != nullptr)
                out << " desktop " << oe->Desktop << " sticky " << int{oe->Sticky} << " alone "
                    << int{oe->Alone} << " app window " << int{oe->AppWindow} << " minimised shown "
                    << int{oe->MinimizedShown};
        }
        out << ")";
        return out.str();
    }

    // An overlapped window whose program restores it at every minimise: it stays where it is.
    bool Refuses(const Owned &w) {
        const WindowEntry *e = FindWindowEntry(App(), w.window);
        return w.habit == SimMachine::Habit::RefuseMinimize && e != nullptr && e->Popup == 0;
    }

    // It, or an owner up its chain, restores itself at every minimise and is not parked.
    bool RefusesUp(const Owned &w) {
        const Owned *o = &w;
        for (int depth = 0; o != nullptr && depth < 8; ++depth, o = OwnedWindow(Sim().Owner(o->window)))
            if (Refuses(*o)) return true;
        return false;
    }

    // It, or an owner up its chain, was sent alone to another desktop than its own owner's: its
    // place in its desktop's order is not ours to keep. A sticky owner comes back on top at every
    // switch, and the system keeps owned windows above their owner ("Window Features", Owned
    // Windows), so the restore of that owner lifts them over the desktop's windows; and where the
    // system shows owned windows with their owner (Windows' rule), an owner on another desktop
    // brings them up on its screen whatever their desktop says, and that desktop takes them, with
    // the windows that go with them.
    bool AloneUp(const Owned &w) {
        Hwnd h = w.window;
        for (int depth = 0; h != nullptr && depth < 8; ++depth, h = Sim().Owner(h)) {
            const WindowEntry *e = FindWindowEntry(App(), h);
            const WindowEntry *owner =
                e != nullptr && e->Alone != 0 ? FindWindowEntry(App(), e->Owner) : nullptr;
            if (owner != nullptr &&
                (owner->Sticky != 0 || (Sim().hidesOwnedWindows && owner->Desktop != e->Desktop)))
                return true;
        }
        return false;
    }

    // It goes with a window sent alone to another desktop than its own owner's, which stands on
    // the screen (its owner brought it up, see the sweep): it stands there with it.
    bool WithAloneOwnerUp(const Owned &w) {
        Hwnd h = Sim().Owner(w.window);
        for (int depth = 0; h != nullptr && depth < 8; ++depth, h = Sim().Owner(h)) {
            const WindowEntry *e = FindWindowEntry(App(), h);
            const WindowEntry *owner = e != nullptr && e->Alone != 0 ? FindWindowEntry(App(), e->Owner) : nullptr;
            if (owner != nullptr && (owner->Desktop != e->Desktop || owner->Sticky != e->Sticky))
                return Sim().IsVisible(h) && !Sim().IsMinimized(h);
        }
        return false;
    }

    // The windows of desktop `d` on the screen, top first, among those whose place a switch must
    // keep: none sticky, sent alone (or going with one, see AloneUp) or refusing the minimise (an
    // overlapped one stays where it is, below those restored; a pop-up, parked, is given its place
    // back without the activation).
    // `whole` tells whether every window on the screen is among them.
    std::vector<Hwnd> ShownOrder(int d, bool &whole) {
        std::vector<Hwnd> order;
        whole = true;
        for (Hwnd h : Sim().ZOrder(true)) {
            const Owned *w = OwnedWindow(h);
            if (w == nullptr || Sim().IsMinimized(h)) continue;
            const WindowEntry *e = FindWindowEntry(App(), h);
            // (Nor an elevated program's: the system refuses our calls, and it stays where it is;
            // nor a cloaked one, which is not on the screen and which we leave alone.)
            const bool kept = e != nullptr && e->Desktop == d && e->Sticky == 0 && e->Alone == 0 &&
                              !RefusesUp(*w) && !AloneUp(*w) &&
                              w->habit != SimMachine::Habit::RefuseMinimize && !Parked(*w) &&
                              !Sim().IsElevated(h) && Sim().Cloak(h) == 0;
            if (kept)
                order.push_back(h);
            else
                whole = false;
        }
        return order;
    }

    // Desktop d left and entered again: its windows stand in the order they had, the top one
    // active; those with a taskbar button that their user minimised are still minimised.
    void CheckOrderKept(int d) {
        bool whole = false;
        const std::vector<Hwnd> before = ShownOrder(d, whole);
        std::vector<Hwnd> minimised;
        for (const Owned &w : windows_)
            if (w.userMinimised && Sim().IsMinimized(w.window) && Sim().HasTaskbarButton(w.window))
                minimised.push_back(w.window);
        m_->Show(d == 1 ? 2 : 1);
        m_->Show(d);
        // The same windows on the screen, whatever the table says of them until its next refresh.
        bool wholeAfter = true;
        std::vector<Hwnd> after;
        for (Hwnd h : Sim().ZOrder(true)) {
            if (OwnedWindow(h) == nullptr || Sim().IsMinimized(h)) continue;
            if (std::find(before.begin(), before.end(), h) != before.end())
                after.push_back(h);
            else
                wholeAfter = false;
        }
        auto name = [](const std::vector<Hwnd> &order) {
            std::string text;
            for (Hwnd h : order)
                text += " " + std::to_string(reinterpret_cast<std::uintptr_t>(h));
            return text;
        };
        if (after != before) {
            std::string missing;
            for (Hwnd h : before)
                if (std::find(after.begin(), after.end(), h) == after.end())
                    missing += Describe(*OwnedWindow(h));
            return Fail("desktop " + std::to_string(d) + " comes back in another order:" + name(after) +
                        " instead of" + name(before) + missing);
        }
        if (whole && wholeAfter && !before.empty() && Sim().Active() != before.front())
            return Fail("desktop " + std::to_string(d) + "'s top window is not active after its return" +
                        Describe(*OwnedWindow(before.front())));
        for (Hwnd h : minimised)
            if (!Sim().IsMinimized(h))
                return Fail("a window its user minimised is restored by a return" +
                            Describe(*OwnedWindow(h)));
    }

    // Every thread answers again (the sweep's start): within a second, with nothing under way, no
    // window is left where a switch, a move, a deletion or the quit left it, and what the user or
    // its program did to it meanwhile stands: a minimised window stays so, a hidden one hidden.
    void CheckCaughtUp() {
        if (!failure_.empty()) return;
        std::vector<Hwnd> minimised;
        for (const Owned &w : windows_)
            // (Not an owned window: without a taskbar button it comes back with its desktop,
            // whoever minimised it. Nor one left behind again since, minimised then: the catch-up
            // does what that switch would have done, which restores a sticky window whatever
            // its state.)
            if (w.minimisedWhileLeft && w.userMinimised && Sim().IsMinimized(w.window) &&
                Sim().Owner(w.window) == nullptr && (!HeldBack(App(), w.window) || LeftShown(App(), w.window)))
                minimised.push_back(w.window);
        Sim().AdvanceTime(CatchUpPeriod + CatchUpTimeout);
        CheckRecords();
        if (!failure_.empty()) return;
        if (App().Switch.HungCount != 0)
            return Fail("windows are left behind a second after their threads answered");
        for (Owned &w : windows_) {
            if (std::find(minimised.begin(), minimised.end(), w.window) != minimised.end() &&
                !Sim().IsMinimized(w.window))
                return Fail("the catch-up restored a window its user minimised" + Describe(w));
            w.everHung = false; // where it is now is the program's doing
        }
        CheckTopLevel();
    }

    // Every owner answers again; every desktop is shown in turn: then each window that its
    // owner did not minimise is shown with its desktop (or every desktop, when sticky) and
    // minimised with the others.
    void Sweep() {
        ++sweeps;
        sweeping_ = true;
        Note("sweep");
        for (Owned &w : windows_)
            Sim().SetHung(w.window, false);
        CheckCaughtUp();
        m_->Show(App().CurrentDesktop() == 1 ? 2 : 1);
        for (int d = 1; d <= App().DesktopCount() && failure_.empty(); ++d) {
            m_->Show(d);
            CheckRecords();
            if (App().CurrentDesktop() != d) Fail("desktop " + std::to_string(d) + " could not be shown");
            if (failure_.empty()) CheckOrderKept(d);
            for (const Owned &w : windows_) {
                if (!failure_.empty() || w.userMinimised || w.hiddenByProgram || w.hiddenInsideOurs ||
                    HiddenWithOwner(w) || Sim().Cloak(w.window) != 0)
                    continue;
                const WindowEntry *e = FindWindowEntry(App(), w.window);
                // Whatever its state, a window of the desktop shown has its place back.
                if (e != nullptr && (e->Sticky != 0 || e->Desktop == d) && RestoresAtPark(w))
                    Fail("a window of desktop " + std::to_string(e->Desktop) +
                         " would come back at 3000, 3000" + Describe(w));
                if (w.userMinimised) continue;
                if (e == nullptr) {
                    Fail("a window is missing from the table after a switch");
                    break;
                }
                // One sent alone to another desktop than its owner's goes down and comes up with its
                // owner, whatever its desktop says (Windows' rule): only its record is checked.
                const WindowEntry *ownerEntry = e->Alone != 0 ? FindWindowEntry(App(), e->Owner) : nullptr;
                if (ownerEntry != nullptr &&
                    (ownerEntry->Desktop != e->Desktop || ownerEntry->Sticky != e->Sticky))
                    continue;
                // One that goes with its owner has its owner's desktop since the switch's refresh
                // (which owner it goes with may change since, as the owners of its chain are shown
                // or hidden).
                const WindowEntry *rec = e;
                const bool owed = rec->Sticky != 0 || rec->Desktop == d;
                if (owed && (Sim().IsMinimized(w.window) || !Sim().IsVisible(w.window) || Parked(w)))
                    Fail("a window of desktop " + std::to_string(e->Desktop) + " is not shown with it" +
                         Describe(w));
                // Out of sight: minimised, or restored by its program where a park put it. An
                // overlapped window that refuses the minimise stays where it is.
                // Nor does an owned window that stays up with an owner that refuses, wherever the
                // system leaves owned windows and whatever their program did to them.
                // Nor one sent alone to another desktop: its owner's restore shows it (Windows' rule),
                // with the windows that go with it.
                const Owned *owner = OwnedWindow(Sim().Owner(w.window));
                // An elevated window stays up too (the system refuses our calls); it is claimed by
                // the desktop entered at once, unless owners and owned windows take part.
                const bool elevatedGroup =
                    Sim().IsElevated(w.window) &&
                    (owner != nullptr || std::any_of(windows_.begin(), windows_.end(), [&](const Owned &o) {
                         return Sim().Owner(o.window) == w.window;
                     }));
                const bool refuses = Refuses(w) || elevatedGroup ||
                                     (owner != nullptr && (e->Alone != 0 || RefusesUp(*owner))) ||
                                     WithAloneOwnerUp(w);
                if (!owed && !refuses && Sim().IsVisible(w.window) && !Sim().IsMinimized(w.window) &&
                    !Parked(w))
                    Fail("a window of desktop " + std::to_string(e->Desktop) + " is shown on desktop " +
                         std::to_string(d) + Describe(w));
            }
        }
        for (Owned &w : windows_) {
            w.everHung = w.restoredAtPark = false;
            w.everCloaked = Sim().Cloak(w.window) != 0;
            // The catch-up at the sweep's start judged what the user did to a window left behind;
            // since, the sweep's own switches have put it where its desktop says (a sticky one
            // restored, whoever minimised it): a later minimise of ours is not the user's.
            w.minimisedWhileLeft = false;
        }
        sweeping_ = false;
        if (failure_.empty()) trail_.clear();
    }
};

} // namespace q::test
