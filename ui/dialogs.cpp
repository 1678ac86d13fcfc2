#include "ui/dialogs.h"

#include <algorithm>
#include <cstring>

#include "config/settings.h"
#include "engine/guards.h"
#include "engine/hotkeys.h"
#include "engine/names.h"
#include "platform/format.h"
#include "res/texts.h"
#include "ui/icons.h"
#include "ui/texts.h"

namespace q {

namespace {

// The name of the set modifiers in the order Shift, Ctrl, Alt, then the key, joined by "+".
void JoinHotKey(Uint modifiers, const char *key, char (&text)[32]) {
    text[0] = '\0';
    if ((modifiers & MOD_SHIFT) != 0) std::strcat(text, Q_TEXT_SHIFT "+");
    if ((modifiers & MOD_CONTROL) != 0) std::strcat(text, Q_TEXT_CTRL "+");
    if ((modifiers & MOD_ALT) != 0) std::strcat(text, Q_TEXT_ALT "+");
    std::strncat(text, key, sizeof text - std::strlen(text) - 1);
}

// Fills a template's "%s" (captions, the current hot key label) with `value`.
void FillTemplate(AppState &app, Hwnd window, int templateSize, const char *value) {
    char pattern[96] = {};
    char text[96 + 64];
    app.Sys->window.GetWindowTextA(window, pattern, templateSize);
    pattern[sizeof pattern - 1] = '\0';
    // Our templates hold exactly one "%s"; a template without one is shown as it is.
    const char *mark = std::strstr(pattern, "%s");
    if (mark == nullptr) return;
    FormatText(text, sizeof text, "%.*s%s%s", static_cast<int>(mark - pattern), pattern, value, mark + 2);
    app.Sys->window.SetWindowTextA(window, text);
}

void SetDialogIcon(AppState &app, Hwnd dialog) {
    app.Sys->message.SendMessageA(app.Sys->dialog.GetDlgItem(dialog, IdIcon), STM_SETIMAGE, IMAGE_ICON,
                                  reinterpret_cast<Lparam>(app.Sys->resource.LoadIconA(Q_IDI_PROGRAM)));
}

bool IsChecked(AppState &app, Hwnd dialog, int id) {
    return app.Sys->message.SendMessageA(app.Sys->dialog.GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) ==
           static_cast<Lresult>(BST_CHECKED);
}

void SetChecked(AppState &app, Hwnd dialog, int id, bool checked) {
    app.Sys->message.SendMessageA(app.Sys->dialog.GetDlgItem(dialog, id), BM_SETCHECK,
                                  checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void EnableKeyChoice(AppState &app, Hwnd dialog, bool enable) {
    for (int id = IdShift; id <= IdKeyList; ++id)
        app.Sys->window.EnableWindow(app.Sys->dialog.GetDlgItem(dialog, id), enable);
}

// Runs a dialog of desktop n with CurrentDesktop borrowed for it.
void RunEditDialog(AppState &app, int n, int resource, DialogHandler &handler) {
    {
        const BorrowedCurrentDesktop borrowed(app, n);
        app.Sys->dialog.DialogBoxParamA(resource + app.LanguageBase, nullptr, &handler);
    }
    if (app.UnderWay.Closed != 0) return; // the close showed desktop 1 meanwhile and took the icons away
    if (resource == RenameDialogId) RetitleDesktopIcon(app, n);
    if (app.Ui.IconsLost != 0) AddIconsAgain(app);
}

} // namespace

void HotKeyText(AppState &app, std::uint32_t value, char (&text)[32]) {
    char key[16];
    if (HotKeyKey(value) == 0)
        LoadText(app, Q_IDS_NO_HOTKEY, key, sizeof key);
    else
        FormatText(key, sizeof key, Q_TEXT_FUNCTION_KEY, static_cast<int>(HotKeyKey(value) - VK_F1) + 1);
    JoinHotKey(HotKeyModifiers(value), key, text);
}

bool AppDialog::FirstInit() {
    if (initialised_) return false;
    initialised_ = true;
    return true;
}

std::intptr_t RenameDialog::DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam) {
    DesktopRecord &record = app_.Record(app_.CurrentDesktop());
    if (message == WM_INITDIALOG) {
        if (!FirstInit()) return 1;
        FillTemplate(app_, dialog, 64, record.DesktopTitle);
        SetDialogIcon(app_, dialog);
        Hwnd edit = app_.Sys->dialog.GetDlgItem(dialog, IdTitleEdit);
        app_.Sys->message.SendMessageA(edit, EM_LIMITTEXT, TitleMaxLength, 0);
        app_.Sys->window.SetWindowTextA(edit, record.DesktopTitle);
        return 1;
    }
    if (message != WM_COMMAND) return 0;
    if (wParam == IDOK && app_.UnderWay.Closed == 0) {
        char title[TitleSize] = {};
        app_.Sys->window.GetWindowTextA(app_.Sys->dialog.GetDlgItem(dialog, IdTitleEdit), title,
                                        sizeof title);
        title[sizeof title - 1] = '\0';
        std::memcpy(record.DesktopTitle, title, sizeof title);
        SaveSettings(app_, SaveDesktopSet);
        app_.Sys->dialog.EndDialog(dialog, 1);
    } else if (wParam == IDCANCEL || wParam == IDOK) {
        app_.Sys->dialog.EndDialog(dialog, 1);
    }
    return 1;
}

std::intptr_t HotKeyDialog::DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam) {
    const std::uint32_t stored = app_.Record(app_.CurrentDesktop()).HotKey;
    if (message == WM_INITDIALOG) {
        if (!FirstInit()) return 1;
        FillTemplate(app_, dialog, 64, app_.Record(app_.CurrentDesktop()).DesktopTitle);
        SetDialogIcon(app_, dialog);
        char current[32];
        HotKeyText(app_, stored, current);
        FillTemplate(app_, app_.Sys->dialog.GetDlgItem(dialog, IdHotKeyLabel), 96, current);
        Hwnd list = app_.Sys->dialog.GetDlgItem(dialog, IdKeyList);
        app_.Sys->message.SendMessageA(list, LB_SETCOLUMNWIDTH, 40, 0);
        for (int i = 1; i <= 24; ++i) {
            char name[8];
            FormatText(name, sizeof name, Q_TEXT_FUNCTION_KEY, i);
            app_.Sys->message.SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<Lparam>(name));
        }
        const Uint modifiers = HotKeyModifiers(stored);
        const Uint key = HotKeyKey(stored);
        SetChecked(app_, dialog, IdShift, (modifiers & MOD_SHIFT) != 0);
        SetChecked(app_, dialog, IdControl, (modifiers & MOD_CONTROL) != 0);
        SetChecked(app_, dialog, IdAlt, (modifiers & MOD_ALT) != 0);
        SetChecked(app_, dialog, IdNoHotKey, key == 0);
        if (key == 0) EnableKeyChoice(app_, dialog, false);
        // A stored key outside F1..F24 (written by something else) shows F1.
        Wparam position = key >= VK_F1 && key <= VK_F24 ? key - VK_F1 : 0;
        app_.Sys->message.SendMessageA(list, LB_SETCURSEL, position, 0);
        return 1;
    }
    if (message != WM_COMMAND) return 0;
    if (wParam == IdNoHotKey) {
        EnableKeyChoice(app_, dialog, !IsChecked(app_, dialog, IdNoHotKey));
    } else if (wParam == IDCANCEL || (wParam == IDOK && app_.UnderWay.Closed != 0)) {
        app_.Sys->dialog.EndDialog(dialog, 1);
    } else if (wParam == IDOK) {
        OnOk(dialog);
    }
    return 1;
}

void HotKeyDialog::OnOk(Hwnd dialog) {
    const int n = app_.CurrentDesktop();
    DesktopRecord &record = app_.Record(n);
    UnregisterDesktopHotKey(app_, n);
    if (IsChecked(app_, dialog, IdNoHotKey)) {
        record.HotKey = 0;
    } else {
        Uint modifiers = (IsChecked(app_, dialog, IdShift) ? MOD_SHIFT : 0) |
                         (IsChecked(app_, dialog, IdControl) ? MOD_CONTROL : 0) |
                         (IsChecked(app_, dialog, IdAlt) ? MOD_ALT : 0);
        Lresult selected = app_.Sys->message.SendMessageA(app_.Sys->dialog.GetDlgItem(dialog, IdKeyList),
                                                          LB_GETCURSEL, 0, 0);
        if (selected < 0 || selected > 23) selected = 0;
        Uint key = VK_F1 + static_cast<Uint>(selected);
        if (!app_.Sys->shell.RegisterHotKey(app_.MainWindow, n, modifiers, key)) {
            char pattern[128];
            char keyText[32];
            char text[128 + 32];
            LoadText(app_, Q_IDS_HOTKEY_TAKEN, pattern, sizeof pattern);
            HotKeyText(app_, PackHotKey(modifiers, key), keyText);
            FormatText(text, sizeof text, pattern, keyText);
            app_.Sys->message.MessageBoxA(dialog, text, Q_TEXT_INFORMATION, MB_ICONWARNING);
            // The former key was released above; give it back so it keeps working, unless the
            // program closed while the message was shown.
            if (app_.UnderWay.Closed == 0) RegisterDesktopHotKey(app_, n);
            return;
        }
        record.HotKey = PackHotKey(modifiers, key);
    }
    SaveSettings(app_, SaveDesktopSet);
    app_.Sys->dialog.EndDialog(dialog, 1);
}

Point AboutPlacement(const Rect &workArea, const Rect &box) {
    const std::int32_t width = box.right - box.left;
    const std::int32_t height = box.bottom - box.top;
    return Point{std::max(workArea.left, workArea.right - width),
                 std::max(workArea.top, workArea.bottom - height)};
}

void AboutBox::OnInitDialog(Hwnd dialog) {
    Platform &sys = *app_.Sys;
    app_.AboutWindow = dialog;
    // Bold and one line of the dialog's own font high, so that it matches the lines below it.
    Rect line{0, 0, 0, 8};
    sys.dialog.MapDialogRect(dialog, &line);
    AboutFont = sys.resource.CreateFontA(line.bottom, FW_BOLD, "MS Sans Serif");
    sys.message.SendMessageA(sys.dialog.GetDlgItem(dialog, IdAboutName), WM_SETFONT,
                             reinterpret_cast<Wparam>(AboutFont), 0);
    linkProcedure_ = sys.window.SubclassWindow(sys.dialog.GetDlgItem(dialog, IdEmailLink), this);
    const std::intptr_t webProcedure =
        sys.window.SubclassWindow(sys.dialog.GetDlgItem(dialog, IdWebLink), this);
    if (linkProcedure_ == 0) linkProcedure_ = webProcedure; // never hand a link's messages to nothing
    SetDialogIcon(app_, dialog);
    sys.window.CreateWindowExA(0, names::BitmapClass, "", WS_CHILD | WS_VISIBLE, 10, 50, 40, 190, dialog,
                               IdPictureStrip);
    Rect work{};
    Rect box{};
    sys.window.SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    sys.window.GetWindowRect(dialog, &box);
    const Point corner = AboutPlacement(work, box);
    sys.window.SetWindowPos(dialog, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

std::intptr_t AboutBox::DialogMessage(Hwnd dialog, Uint message, Wparam wParam, Lparam) {
    if (message == WM_INITDIALOG) {
        if (FirstInit()) OnInitDialog(dialog);
        return 1;
    }
    if (message != WM_COMMAND) return 0;
    if (wParam == IDOK || wParam == IDCANCEL) {
        // The font goes, and AboutOpen is cleared, once the box is gone (RunAboutBox, OpenAboutBox):
        // the name line is drawn with it until then, and no second box opens beside this one.
        app_.Sys->dialog.EndDialog(dialog, 1);
    } else if (HiWord(wParam) == STN_CLICKED && LoWord(wParam) == IdEmailLink) {
        app_.Sys->shell.ShellExecuteA(dialog, "open", Q_TEXT_MAILTO Q_TEXT_EMAIL, nullptr, nullptr, SW_SHOW);
    } else if (HiWord(wParam) == STN_CLICKED && LoWord(wParam) == IdWebLink) {
        app_.Sys->shell.ShellExecuteA(dialog, "open", Q_TEXT_WEB, nullptr, nullptr, SW_SHOW);
    }
    // Whatever the link opened (or failed to), the box stays as it is.
    return 1;
}

Lresult AboutBox::LinkStaticProc(Hwnd link, Uint message, Wparam wParam, Lparam lParam) {
    if (message == WM_SETCURSOR) {
        app_.Sys->window.SetCursor(app_.Sys->resource.LoadCursorA(CursorPointingHand));
        return 1;
    }
    return app_.Sys->window.CallWindowProcA(linkProcedure_, link, message, wParam, lParam);
}

void RunRenameDialog(AppState &app, int n) {
    RenameDialog dialog(app);
    RunEditDialog(app, n, RenameDialogId, dialog);
}

void RunHotKeyDialog(AppState &app, int n) {
    HotKeyDialog dialog(app);
    RunEditDialog(app, n, HotKeyDialogId, dialog);
}

void RunAboutBox(AppState &app) {
    AboutBox box(app);
    app.Sys->dialog.DialogBoxParamA(AboutDialogId + app.LanguageBase, app.MainWindow, &box);
    // However the box ended (OK, Esc, its close box, or destroyed with the main window).
    if (box.AboutFont != nullptr) app.Sys->resource.DeleteObject(box.AboutFont);
    app.AboutWindow = nullptr;
}

} // namespace q
