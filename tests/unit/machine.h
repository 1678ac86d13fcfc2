// A running program on the simulated machine: start-up as quillane.exe does it, with the
// floating window and the main window created and the core answering the main window.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/startup.h"
#include "engine/commands.h"
#include "engine/names.h"
#include "engine/window_table.h"
#include "tests/sim/sim.h"
#include "ui/floating_window.h"
#include "ui/main_window.h"
#include "ui/texts.h"

namespace q::test {

// Where the program keeps its settings, and the system's wallpaper values.
inline constexpr char SettingsPath[] = "Software\\Halvern\\Quillane";
inline constexpr char WallpaperValuesPath[] = "Control Panel\\desktop";
inline std::string DesktopPath(int n) {
    return std::string(SettingsPath) + "\\Desktop" + std::to_string(n);
}

// Code page 1252 (the executable's French texts) to UTF-8, so tests can spell texts plainly.
inline std::string Utf8(const std::string &text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The given windows in their stacking order, top first.
inline std::vector<Hwnd> Stacking(const SimMachine &sim, std::vector<Hwnd> windows) {
    std::vector<Hwnd> order;
    for (Hwnd h : sim.ZOrder())
        if (std::find(windows.begin(), windows.end(), h) != windows.end()) order.push_back(h);
    return order;
}

// How often a window was minimised, as its own WM_SIZE messages tell.
inline std::size_t Minimisations(const SimMachine &sim, Hwnd window) {
    return static_cast<std::size_t>(
        std::count_if(sim.messages.begin(), sim.messages.end(), [&](const SimMessage &m) {
            return m.window == window && m.message == WM_SIZE && m.wParam == sim::SIZE_MINIMIZED;
        }));
}

// A command by its name in the command table, for menus described in tests; a number that is
// none of ours (the system menu's) as it stands.
inline std::string CommandName(Uint id) {
    static const char *const ops[] = {"Activate", "Rename", "Delete", "HotKey"};
    static const char *const modes[] = {"DisplayTaskBar", "DisplayMenu", "DisplayFloating"};
    switch (id) {
    case CmdAbout:
        return "About";
    case CmdQuit:
        return "Quit";
    case CmdCreateDesktop:
        return "CreateDesktop";
    case CmdOneBackground:
        return "OneBackground";
    case CmdAlwaysOnTop:
        return "AlwaysOnTop";
    default:
        break;
    }
    if (IsDisplayModeCommand(id)) return modes[DisplayModeOfCommand(id) - DisplayTaskBar];
    if (IsDesktopCommand(id) && DesktopOpOfCommand(id) < DesktopOps)
        return std::string(ops[DesktopOpOfCommand(id)]) + "(" + std::to_string(DesktopOfCommand(id)) + ")";
    if (IsWindowCommand(id)) {
        const std::string index = std::to_string(WindowIndexOfCommand(id));
        if (TargetOfCommand(id) == 0) return "Sticky(" + index + ")";
        return "ToDesktop(" + index + ", " + std::to_string(TargetOfCommand(id)) + ")";
    }
    return std::to_string(id);
}

struct Machine {
    SimMachine sim;
    AppState app;
    // Sees every message of the main window before the program does.
    std::function<void(Uint message)> spy;

    Machine() { ConnectPorts(app, sim.Ports()); }
    ~Machine() { FreeWindowTable(app); }
    Machine(const Machine &) = delete;
    Machine &operator=(const Machine &) = delete;

    // The program's window classes on the simulated machine: the core answers their windows.
    struct Classes final : WindowClasses {
        Machine &m;
        explicit Classes(Machine &machine) : m(machine) {}
        void Register() override {
            Machine *machine = &m; // the procedures outlive start-up
            m.sim.RegisterClass(names::FloatingClass, [machine](Hwnd w, Uint message, Wparam wp, Lparam lp) {
                bool handled = false;
                Lresult r = FloatingWindowMessage(machine->app, w, message, wp, lp, handled);
                return handled ? r : machine->sim.DefWindowProc(w, message, wp, lp);
            });
            m.sim.RegisterClass(names::MainClass, [machine](Hwnd w, Uint message, Wparam wp, Lparam lp) {
                if (machine->spy) machine->spy(message);
                bool handled = false;
                Lresult r = MainWindowMessage(machine->app, w, message, wp, lp, handled);
                return handled ? r : machine->sim.DefWindowProc(w, message, wp, lp);
            });
        }
    };

    // Start-up as quillane.exe runs it, from the language choice to WM_CREATE of the main window.
    void Start() {
        app.LanguageBase = ChooseLanguage(app);
        Classes classes(*this);
        StartProgram(app, classes);
        sim.PumpMessages();
    }

    // What an earlier run left in the registry: one desktop per title, and "Display" unless 0.
    void StoreDesktops(const std::vector<std::string> &titles, int displayMode = 0) {
        sim.SetNumber(HkeyCurrentUser(), SettingsPath, "Desktop", static_cast<std::uint32_t>(titles.size()));
        if (displayMode != 0)
            sim.SetNumber(HkeyCurrentUser(), SettingsPath, "Display",
                          static_cast<std::uint32_t>(displayMode));
        for (std::size_t i = 0; i < titles.size(); ++i)
            sim.SetText(HkeyCurrentUser(), DesktopPath(static_cast<int>(i) + 1), "DesktopTitle", titles[i],
                        TitleSize);
    }
    void StoreHotKey(int n, std::uint32_t value) {
        sim.SetNumber(HkeyCurrentUser(), DesktopPath(n), "HotKey", value);
    }

    Lresult Send(Uint message, Wparam wParam = 0, Lparam lParam = 0) {
        Lresult r = sim.SendMessageA(app.MainWindow, message, wParam, lParam);
        sim.PumpMessages();
        return r;
    }
    // A left click on desktop n's notification icon, or a hot key, as the main window sees it.
    void Show(int n) { Send(UM_DESKTOP(n), 0, WM_LBUTTONDOWN); }
    void Command(Uint id) { Send(WM_COMMAND, id, 0); }
    // A right click reported as desktop n's: the menu as it was shown, empty when none opened.
    SimMenuSnapshot OpenMenu(int n) {
        const std::size_t before = sim.trackedMenus.size();
        Send(UM_DESKTOP(n), 0, WM_RBUTTONDOWN);
        return sim.trackedMenus.size() > before ? sim.trackedMenus[before].shown : SimMenuSnapshot{};
    }
    int Current() const { return app.CurrentDesktop(); }

    // Main's progress pop-up, which its program shows again once its user has minimised Main.
    Hwnd ProgressShownUnderMinimised(Hwnd main) {
        Hwnd progress = sim.CreateWindow("Dialog", "Progress", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0,
                                         {50, 60, 250, 160}, main);
        sim.ShowWindow(main, SW_MINIMIZE);
        sim.ShowWindow(progress, sim::SW_SHOWNA);
        return progress;
    }
    Hwnd Window(const char *title, std::uint32_t style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
        return sim.CreateWindow("TestWindow", title, style);
    }
};

} // namespace q::test
