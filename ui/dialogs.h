// The Rename and Hot key dialogs and the About box: what they show and what OK does.
#pragma once

#include "engine/app_state.h"
#include "res/resource_ids.h"

namespace q {

constexpr int RenameDialogId = Q_IDD_RENAME;
constexpr int AboutDialogId = Q_IDD_ABOUT;
constexpr int HotKeyDialogId = Q_IDD_HOTKEY;

// Control identifiers.
constexpr int IdIcon = Q_IDC_ICON;
constexpr int IdTitleEdit = Q_IDC_TITLE_EDIT;
constexpr int IdHotKeyLabel = Q_IDC_HOTKEY_LABEL;
constexpr int IdShift = Q_IDC_SHIFT;
constexpr int IdControl = Q_IDC_CONTROL;
constexpr int IdAlt = Q_IDC_ALT;
constexpr int IdKeyList = Q_IDC_KEY_LIST;
constexpr int IdNoHotKey = Q_IDC_NO_HOTKEY;
constexpr int IdAboutName = Q_IDC_ABOUT_NAME;
constexpr int IdEmailLink = Q_IDC_EMAIL_LINK;
constexpr int IdWebLink = Q_IDC_WEB_LINK;
constexpr int IdPictureStrip = 120; // made by the About box, in no template
constexpr int CursorPointingHand = Q_IDC_POINTING_HAND;

// "Shift+Ctrl+Alt+F24" and the like; "[None]" / "[Aucun]" for 0. Modifier bits beyond the
// three the program uses are not shown.
void HotKeyText(AppState &app, std::uint32_t value, char (&text)[32]);

// Desktop n's dialogs, with CurrentDesktop naming n and DialogOpen set while they run
// (BorrowedCurrentDesktop, engine/guards.h, says why).
void RunRenameDialog(AppState &app, int n);
void RunHotKeyDialog(AppState &app, int n);
// The About box, modal on the main window; forgets AboutWindow when it closes (OpenAboutBox
// sets AboutOpen around it).
void RunAboutBox(AppState &app);
// Where the About box goes: its lower right corner on the work area's. A box larger than the
// work area keeps its top left corner (and so its caption) inside it instead.
Point AboutPlacement(const Rect &workArea, const Rect &box);

// The dialogs' behaviour; the Win32 dialog procedure hands them every message.
class AppDialog : public DialogHandler {
  public:
    explicit AppDialog(AppState &app) : app_(app) {}

  protected:
    // WM_INITDIALOG comes from the dialog manager once, but any program can send it again: a
    // dialog fills its controls, hooks its links and makes its font on the first one only.
    bool FirstInit();
    AppState &app_;

  private:
    bool initialised_ = false;
};

class RenameDialog : public AppDialog {
  public:
    using AppDialog::AppDialog;
    std::intptr_t DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam lParam) override;
};

class HotKeyDialog : public AppDialog {
  public:
    using AppDialog::AppDialog;
    std::intptr_t DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam lParam) override;

  private:
    void OnOk(Hwnd dialog);
};

// The About box and its two links, whose procedure it replaces (LinkStaticProc).
class AboutBox : public AppDialog, public WindowHandler {
  public:
    using AppDialog::AppDialog;
    std::intptr_t DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam lParam) override;
    Lresult WindowMessage(Hwnd window, Uint message, Wparam wParam, Lparam lParam) override {
        return LinkStaticProc(window, message, wParam, lParam);
    }
    Lresult LinkStaticProc(Hwnd link, Uint message, Wparam wParam, Lparam lParam);
    // The bold font of the name line; lives as long as the box.
    Hfont AboutFont = nullptr;

  private:
    void OnInitDialog(Hwnd dialog);
    // What the link controls did before (both are static controls).
    std::intptr_t linkProcedure_ = 0;
};

} // namespace q
