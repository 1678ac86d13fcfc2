// The Rename and Hot key dialogs and the About box: what they show and what OK does.
#pragma once

#include "engine/app_state.h"

namespace q {

constexpr int RenameDialogId = 1;
constexpr int AboutDialogId = 2;
constexpr int HotKeyDialogId = 3;

// Control identifiers.
constexpr int IdIcon = 50;
constexpr int IdTitleEdit = 100;
constexpr int IdHotKeyLabel = 500;
constexpr int IdShift = 101;
constexpr int IdControl = 102;
constexpr int IdAlt = 103;
constexpr int IdKeyList = 104;
constexpr int IdNoHotKey = 105;

// "Shift+Ctrl+Alt+F24" and the like; "[None]" / "[Aucun]" for 0. Modifier bits beyond the
// three the program uses are not shown.
void HotKeyText(AppState &app, std::uint32_t value, char (&text)[32]);

// Desktop n's dialogs, with CurrentDesktop naming n and DialogOpen set while they run.
void RunRenameDialog(AppState &app, int n);
void RunHotKeyDialog(AppState &app, int n);
// The About box, modal on the main window; clears AboutOpen when it closes.
void RunAboutBox(AppState &app);

// The dialogs' behaviour, exposed for the Win32 layer's tests.
class RenameDialog : public DialogHandler {
  public:
    explicit RenameDialog(AppState &app) : app_(app) {}
    std::intptr_t DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam lParam) override;

  private:
    AppState &app_;
};

class HotKeyDialog : public DialogHandler {
  public:
    explicit HotKeyDialog(AppState &app) : app_(app) {}
    std::intptr_t DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam lParam) override;

  private:
    void OnOk(Hwnd dialog);
    AppState &app_;
};

class AboutBox : public DialogHandler {
  public:
    explicit AboutBox(AppState &app) : app_(app) {}
    std::intptr_t DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam lParam) override;

  private:
    AppState &app_;
};

} // namespace q
