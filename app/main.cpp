// quillane.exe: the window procedures and classes that start-up registers, the message loop.
#include "app/startup.h"
#include "app/uninstall.h"
#include "engine/names.h"
#include "engine/window_table.h"
#include "platform/win32/win32_platform.h"
#include "ui/command_menu.h"
#include "ui/floating_window.h"
#include "ui/main_window.h"
#include "ui/texts.h"

#include <windows.h>
#include <commctrl.h>

#include <new>

// After <windows.h>, which it needs; the core's headers above must come first.
#include "app/bitmap_background.h"

namespace {

// The program's one state, made at the start of WinMain in zeroed storage: a global with
// initial values would be carried whole in the executable (nearly 6 KB).
alignas(q::AppState) unsigned char appStorage[sizeof(q::AppState)];
q::AppState &app = *reinterpret_cast<q::AppState *>(appStorage);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT result = q::MainWindowMessage(app, window, message, wParam, lParam, handled);
    return handled ? result : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK FloatingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT result = q::FloatingWindowMessage(app, window, message, wParam, lParam, handled);
    return handled ? result : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK BitmapBackgroundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PaintBitmapBackground(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClass(HINSTANCE instance, const char *name, WNDPROC procedure, HICON icon) {
    WNDCLASSA wc{};
    wc.style = 0;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

struct Win32Classes final : q::WindowClasses {
    HINSTANCE instance;
    explicit Win32Classes(HINSTANCE module) : instance(module) {}
    void Register() override {
        RegisterClass(instance, q::names::MainClass, MainWindowProc, LoadIconA(nullptr, IDI_APPLICATION));
        RegisterClass(instance, q::names::BitmapClass, BitmapBackgroundProc, nullptr);
        RegisterClass(instance, q::names::FloatingClass, FloatingWindowProc,
                      LoadIconA(instance, MAKEINTRESOURCEA(Q_IDI_PROGRAM)));
    }
};

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    new (appStorage) q::AppState();
    InitCommonControls();
    q::ConnectPorts(app, q::Win32Ports());
    const bool uninstall = q::IsUninstallArgument(q::ArgumentText(GetCommandLineA()));

    HWND running = FindWindowA(q::names::MainClass, nullptr);
    if (running != nullptr) {
        if (!uninstall) {
            PostMessageA(running, WM_COMMAND, q::CmdAbout, 0);
            return 1;
        }
        PostMessageA(running, WM_CLOSE, 0, 0);
    }

    app.LanguageBase = q::ChooseLanguage(app);
    if (uninstall) return q::RunUninstall(app);

    Win32Classes classes(instance);
    if (!q::StartProgram(app, classes)) {
        // Nothing could ever reach a program without its main window: end instead of waiting.
        q::FreeWindowTable(app);
        return 2;
    }

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    q::FreeWindowTable(app);
    return static_cast<int>(message.wParam);
}
