#include "ui/floating_window.h"

#include <cstring>

#include "config/settings.h"
#include "ui/command_menu.h"

namespace q {

namespace {

constexpr int ToolbarId = 101;
constexpr int ToolbarBitmap = Q_IDB_TOOLBAR;
constexpr Uint AlwaysOnTopPosition = 3;
constexpr std::uint32_t ToolbarStyle =
    WS_CHILD | WS_VISIBLE | TBSTYLE_WRAPABLE | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_TOP;

int Ceiling(int a, int b) {
    return (a + b - 1) / b;
}
// Signed halves truncate toward zero, as C++ division does.
std::int32_t Half(std::int32_t v) {
    return v / 2;
}
std::int32_t Mid(std::int32_t a, std::int32_t b) {
    return b + Half(a - b);
}

bool ValidDesktop(int n) {
    return n >= 1 && n <= MaxDesktops;
}

Lresult Toolbar(AppState &app, Uint message, Wparam wParam = 0, Lparam lParam = 0) {
    return app.Sys->message.SendMessageA(app.Ui.FloatingToolbar, message, wParam, lParam);
}

void CheckButton(AppState &app, int n, bool checked) {
    if (ValidDesktop(n)) Toolbar(app, TB_CHECKBUTTON, ButtonCommand(n), checked ? 1 : 0);
}

void HideButton(AppState &app, int n, bool hidden) {
    if (ValidDesktop(n)) Toolbar(app, TB_HIDEBUTTON, ButtonCommand(n), hidden ? 1 : 0);
}

Rect FirstButtonRect(AppState &app) {
    Rect b{0, 0, 0, 0};
    Toolbar(app, TB_GETITEMRECT, 0, reinterpret_cast<Lparam>(&b));
    return b;
}

void Resize(AppState &app, Hwnd window, RowSize size) {
    app.Sys->window.SetWindowPos(window, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_NOMOVE);
}

Rect WorkAreaAt(AppState &app, const Rect &r) {
    return app.Sys->window.WorkAreaAt(r);
}

// The primary monitor's: the one nearest to the screen's origin, which it holds.
Rect PrimaryWorkArea(AppState &app) {
    return WorkAreaAt(app, Rect{0, 0, 0, 0});
}

// `r` moved just enough to bring its caption and buttons (the window inside its sizing frame)
// into the work area of the monitor that shows most of it; unchanged when they are in it, and
// the left or top edge winning where they do not fit. `reachable`, when asked: some of the
// caption lies in that work area as it is, so that the user can take the window by it.
Rect JustInside(AppState &app, Rect r, bool *reachable = nullptr) {
    WindowPort &win = app.Sys->window;
    const Rect work = WorkAreaAt(app, r);
    std::int32_t edges[4]; // left, top, right, bottom
    std::int32_t limits[4];
    static_assert(sizeof edges == sizeof(Rect), "a rectangle is its four edges");
    std::memcpy(edges, &r, sizeof edges);
    std::memcpy(limits, &work, sizeof limits);
    bool reach = true;
    for (int axis = 0; axis < 2; ++axis) { // left and right, then top and bottom
        const std::int32_t frame = win.GetSystemMetrics(SM_CXFRAME + axis);
        const std::int32_t low = edges[axis] + frame;
        const std::int32_t high = edges[axis + 2] - frame;
        const std::int32_t captionEnd = axis == 0 ? high : low + win.GetSystemMetrics(SM_CYSMCAPTION);
        reach = reach && low < limits[axis + 2] && captionEnd > limits[axis];
        std::int32_t shift = high > limits[axis + 2] ? limits[axis + 2] - high : 0;
        if (low + shift < limits[axis]) shift = limits[axis] - low;
        edges[axis] += shift;
        edges[axis + 2] += shift;
    }
    if (reachable != nullptr) *reachable = reach;
    std::memcpy(&r, edges, sizeof edges);
    return r;
}

// Gives the window `size` with its left and top edges kept, unless that takes part of it
// out of reach.
void SizeOnScreen(AppState &app, Hwnd window, const Rect &before, RowSize size) {
    const Rect r =
        JustInside(app, Rect{before.left, before.top, before.left + size.width, before.top + size.height});
    app.Sys->window.SetWindowPos(window, nullptr, r.left, r.top, size.width, size.height, SWP_NOZORDER);
}

// The whole set of desktops in one row, so that the first button sits at its first place.
void SizeForOneRow(AppState &app, Hwnd window) {
    WindowPort &win = app.Sys->window;
    const Rect b = FirstButtonRect(app);
    RowSize size{2 * win.GetSystemMetrics(SM_CXFRAME) + b.right * app.DesktopCount(),
                 2 * win.GetSystemMetrics(SM_CYFRAME) + win.GetSystemMetrics(SM_CYSMCAPTION) + b.bottom};
    Resize(app, window, size);
}

// The toolbar's rectangle for r rows is derived from one button rather than asked of
// TB_SETROWS, which some toolbars ignore with TBSTYLE_WRAPABLE: r rows hold
// ceiling(n / r) columns, and the wrapping toolbar then lays them out to that width.
void ComputeRowSizes(AppState &app) {
    const Rect b = FirstButtonRect(app);
    const int n = app.DesktopCount();
    app.Ui.RowSizes[0] = RowSize{0, 0};
    app.Ui.RowSizes[MaxDesktops + 1] = RowSize{0, 0};
    for (int r = 1; r <= MaxDesktops; ++r) {
        const int columns = Ceiling(n, r);
        const int rows = Ceiling(n, columns);
        Rect rect{0, 0, columns * b.right, rows * b.bottom};
        app.Sys->window.AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, false, FloatingExStyle);
        app.Ui.RowSizes[r] = RowSize{rect.right - rect.left, rect.bottom - rect.top};
    }
}

void OnCreate(AppState &app, Hwnd window) {
    static_assert(MaxDesktops <= MaxToolbarButtons, "the toolbar holds a button for every desktop");
    ToolbarButton buttons[MaxDesktops];
    for (int n = 1; n <= MaxDesktops; ++n) {
        ToolbarButton &button = buttons[n - 1];
        button.idCommand = static_cast<int>(ButtonCommand(n));
        button.fsState = n <= app.DesktopCount() ? TBSTATE_ENABLED : TBSTATE_ENABLED | TBSTATE_HIDDEN;
        if (n == app.CurrentDesktop()) button.fsState |= TBSTATE_CHECKED;
        button.fsStyle = TBSTYLE_BUTTON;
    }
    app.Ui.FloatingToolbar = app.Sys->toolbar.CreateToolbarEx(
        window, ToolbarStyle, ToolbarId, 1, ToolbarBitmap, buttons, MaxDesktops, 32, 32, 2, 2);
    SizeForOneRow(app, window);
    ComputeRowSizes(app);
    const RowSize size = app.Ui.RowSizes[app.RowsFloating];
    Resize(app, window, size);

    Rect placed{};
    app.Sys->window.GetWindowRect(window, &placed);
    // A stored place stays as it is while its caption can be reached on some monitor. A first
    // start, or a place the user can no longer take the window by: the top right.
    bool reachable = false;
    JustInside(app, placed, &reachable);
    if (reachable) return;
    const Rect work = PrimaryWorkArea(app);
    app.Sys->window.SetWindowPos(window, nullptr, work.right - size.width, work.top, 0, 0,
                                 SWP_NOZORDER | SWP_NOSIZE);
}

// Re-lays the window for the new desktop count in `rows` rows, hidden meanwhile.
void Relayout(AppState &app, Hwnd window, int rows, unsigned saveFlags) {
    WindowPort &win = app.Sys->window;
    Rect before{};
    win.GetWindowRect(window, &before);
    win.ShowWindow(window, SW_HIDE);
    SizeForOneRow(app, window);
    ComputeRowSizes(app);
    if (rows < 1) rows = 1;
    if (rows > MaxDesktops) rows = MaxDesktops;
    SizeOnScreen(app, window, before, app.Ui.RowSizes[rows]);
    if (app.DisplayMode == DisplayFloating) win.ShowWindow(window, SW_SHOW);
    SetRowsFloating(app, rows);
    SaveSettings(app, saveFlags);
}

void OnDesktopAdded(AppState &app, Hwnd window) {
    const int n = app.DesktopCount();
    if (n < 2 || n > MaxDesktops) return;
    int rows = LaidOutRows(n - 1, app.RowsFloating);
    const int perRow = Ceiling(n - 1, rows);
    // A button hidden by an earlier deletion may still carry the pressed state.
    CheckButton(app, n, false);
    HideButton(app, n, false);
    if (perRow == 1) ++rows; // a single column: the new button opens a row
    Relayout(app, window, rows, SaveDesktopSet);
}

void OnDesktopRemoved(AppState &app, Hwnd window) {
    const int n = app.DesktopCount();
    if (n < 1 || n >= MaxDesktops) return;
    int rows = LaidOutRows(n + 1, app.RowsFloating);
    const int perRow = Ceiling(n + 1, rows);
    CheckButton(app, n + 1, false); // a hidden button keeps no pressed state
    HideButton(app, n + 1, true);
    CheckButton(app, app.CurrentDesktop(), true);
    if (perRow == 1 || (rows - 1) * perRow >= n) --rows;
    // The background in force is still the deleted desktop's: no record may take it.
    Relayout(app, window, rows, SaveDesktopSet | WithoutCapture);
}

void OnSizing(AppState &app, Hwnd window, Uint edge, Rect *proposed) {
    if (proposed != nullptr) {
        const int r = ChooseRows(app.Ui.RowSizes, edge, proposed->right - proposed->left,
                                 proposed->bottom - proposed->top);
        if (r != 0) {
            Rect c{};
            app.Sys->window.GetWindowRect(window, &c);
            const RowSize s = app.Ui.RowSizes[r];
            proposed->left = c.left + Half(c.right - c.left) - Half(s.width);
            proposed->right = proposed->left + s.width;
            proposed->top = c.top + Half(c.bottom - c.top) - Half(s.height);
            proposed->bottom = proposed->top + s.height;
            *proposed = JustInside(app, *proposed);
            SetRowsFloating(app, r);
        }
    }
    SaveSettings(app, SaveDesktopSet);
}

// The system's smallest tracking size is wider than a few buttons: let the window take the
// narrowest and lowest of its own sizes, so that it is exactly one of them and, placed at the
// top right, ends at the screen's edge.
void OnGetMinMaxInfo(AppState &app, Lparam lParam) {
    auto *info = reinterpret_cast<MinMaxInfo *>(lParam);
    if (info == nullptr || app.Ui.RowSizes[1].width == 0) return;
    std::int32_t width = app.Ui.RowSizes[1].width;
    std::int32_t height = app.Ui.RowSizes[1].height;
    for (int r = 2; r <= MaxDesktops; ++r) {
        if (app.Ui.RowSizes[r].width < width) width = app.Ui.RowSizes[r].width;
        if (app.Ui.RowSizes[r].height < height) height = app.Ui.RowSizes[r].height;
    }
    info->ptMinTrackSize = Point{width, height};
}

void OnToolTip(AppState &app, Lparam lParam) {
    auto *header = reinterpret_cast<NotifyHeader *>(lParam);
    if (header == nullptr || static_cast<std::int32_t>(header->code) != TTN_NEEDTEXTA) return;
    auto *tip = reinterpret_cast<ToolTipTextA *>(lParam);
    // Only the buttons of existing desktops have a title to show.
    if (header->idFrom < CmdFirstButton || header->idFrom > CmdLastButton) return;
    const int n = DesktopOfButton(static_cast<Uint>(header->idFrom));
    if (n > app.DesktopCount()) return;
    tip->lpszText = app.Record(n).DesktopTitle;
}

// A menu item read with its text, ready to be inserted or set again.
struct ItemCopy {
    char text[64] = {};
    MenuItemInfo info;
};

void ReadItem(MenuPort &menu, Hmenu from, Uint item, bool byPosition, Uint mask, ItemCopy &copy) {
    copy.info.fMask = mask;
    copy.info.dwTypeData = copy.text;
    copy.info.cch = sizeof copy.text;
    menu.GetMenuItemInfoA(from, item, byPosition, &copy.info);
    copy.text[sizeof copy.text - 1] = '\0';
    copy.info.dwTypeData = copy.text;
}

void SetChecked(MenuItemInfo &info, bool checked) {
    if (checked)
        info.fState |= MFS_CHECKED;
    else
        info.fState &= ~MFS_CHECKED;
}

bool IsTopMost(AppState &app, Hwnd window) {
    const auto exStyle = static_cast<std::uint32_t>(app.Sys->window.GetWindowLongA(window, GWL_EXSTYLE));
    return (exStyle & WS_EX_TOPMOST) != 0;
}

constexpr Uint FullItem = MIIM_STATE | MIIM_ID | MIIM_TYPE;

// Completes the system menu once: Move, Size, -, "Always on top", -, the display modes, -.
void OnInitSystemMenu(AppState &app, Hwnd window) {
    MenuPort &menu = app.Sys->menu;
    Hmenu system = menu.GetSystemMenu(window, false);
    if (system == nullptr) return;
    menu.DeleteMenu(system, SC_CLOSE, MF_BYCOMMAND);

    MenuItemInfo separator;
    separator.fMask = MIIM_TYPE;
    separator.fType = MFT_SEPARATOR;
    menu.InsertMenuItemA(system, 2, true, &separator);
    menu.InsertMenuItemA(system, 2, true, &separator);

    Hmenu loaded = app.Sys->resource.LoadMenuA(Q_IDR_COMMAND_MENU + app.LanguageBase);
    if (loaded == nullptr) return;
    Hmenu track = menu.GetSubMenu(loaded, 0);
    Hmenu display = menu.GetSubMenu(track, DisplayPosition);
    Hmenu modes = menu.CreatePopupMenu();
    for (Uint i = 0; i <= DisplayFloating - DisplayTaskBar; ++i) {
        ItemCopy mode;
        ReadItem(menu, display, i, true, FullItem, mode);
        // Only DisplayFloating shows this window.
        if (i == DisplayFloating - DisplayTaskBar) SetChecked(mode.info, true);
        menu.InsertMenuItemA(modes, i, true, &mode.info);
    }

    ItemCopy popup;
    ReadItem(menu, track, DisplayPosition, true, MIIM_TYPE, popup);
    popup.info.fMask = MIIM_STATE | MIIM_SUBMENU | MIIM_TYPE;
    popup.info.fType = MFT_STRING;
    popup.info.fState = 0;
    popup.info.hSubMenu = modes;
    menu.InsertMenuItemA(system, 4, true, &popup.info);

    ItemCopy onTop;
    ReadItem(menu, menu.GetSubMenu(loaded, 1), CmdAlwaysOnTop, false, FullItem, onTop);
    SetChecked(onTop.info, IsTopMost(app, window));
    menu.InsertMenuItemA(system, AlwaysOnTopPosition, true, &onTop.info);
    menu.DestroyMenu(loaded);
}

void ToggleAlwaysOnTop(AppState &app, Hwnd window) {
    MenuPort &menu = app.Sys->menu;
    const bool onTop = !IsTopMost(app, window);
    // HWND_TOPMOST and HWND_NOTOPMOST are the handle values -1 and -2.
    Hwnd after = reinterpret_cast<Hwnd>(static_cast<std::intptr_t>(onTop ? -1 : -2));
    app.Sys->window.SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    Hmenu system = menu.GetSystemMenu(window, false);
    ItemCopy item;
    ReadItem(menu, system, AlwaysOnTopPosition, true, FullItem, item);
    SetChecked(item.info, onTop);
    menu.SetMenuItemInfoA(system, AlwaysOnTopPosition, true, &item.info);
}

} // namespace

void CancelFloatingModes(AppState &app) {
    if (app.FloatingWindow != nullptr) app.Sys->message.SendMessageA(app.FloatingWindow, WM_CANCELMODE, 0, 0);
}

int LaidOutRows(int count, int rows) {
    if (count < 1) return 1;
    if (rows < 1) rows = 1;
    return Ceiling(count, Ceiling(count, rows));
}

int ChooseRows(const RowSize (&sizes)[MaxDesktops + 2], Uint edge, std::int32_t width, std::int32_t height) {
    if (width < sizes[MaxDesktops].width) width = sizes[MaxDesktops].width;
    if (height < sizes[1].height) height = sizes[1].height;
    switch (edge) {
    case WMSZ_TOP:
    case WMSZ_BOTTOM:
        for (int j = MaxDesktops - 1; j >= 0; --j)
            if (Mid(sizes[j + 1].height, sizes[j].height) < height) return j + 1;
        return 1;
    case WMSZ_LEFT:
    case WMSZ_RIGHT:
    case WMSZ_TOPLEFT:
    case WMSZ_TOPRIGHT:
    case WMSZ_BOTTOMLEFT:
    case WMSZ_BOTTOMRIGHT:
        for (int i = 2; i <= MaxDesktops + 1; ++i)
            if (Mid(sizes[i - 1].width, sizes[i].width) < width) return i - 1;
        return MaxDesktops;
    default:
        return 0;
    }
}

Lresult FloatingWindowMessage(AppState &app, Hwnd window, Uint message, Wparam wParam, Lparam lParam,
                              bool &handled) {
    handled = true;
    switch (message) {
    case WM_CREATE:
        OnCreate(app, window);
        return 0;
    case WM_MOVE:
        SaveSettings(app, SaveFloatingPosition);
        return 0;
    case WM_SIZE:
        // Some toolbars wrap to their own width, not the parent's, when asked to fit: give
        // them the new width first.
        app.Sys->window.SetWindowPos(app.Ui.FloatingToolbar, nullptr, 0, 0,
                                     LoWord(static_cast<Wparam>(lParam)), HiWord(static_cast<Wparam>(lParam)),
                                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
        Toolbar(app, TB_AUTOSIZE);
        app.Sys->window.InvalidateRect(app.Ui.FloatingToolbar, nullptr, true);
        return 0;
    case WM_CLOSE:
        // The desktops' buttons are the only way to them in this mode: only the end of the
        // process takes the window away, whoever asks (Alt+F4, another program).
        return 0;
    case WM_SYSCOLORCHANGE:
        Toolbar(app, WM_SYSCOLORCHANGE);
        return 0;
    case WM_NOTIFY:
        OnToolTip(app, lParam);
        return 0;
    case WM_COMMAND: {
        const Uint id = LoWord(wParam);
        // Some systems report a choice in the system menu's pop-up as a plain command.
        if (IsDisplayModeCommand(id)) {
            app.Sys->message.SendMessageA(app.MainWindow, WM_COMMAND, wParam, lParam);
            return 0;
        }
        if (!IsButtonCommand(id)) break;
        app.Sys->message.PostMessageA(app.MainWindow, UM_DESKTOP(DesktopOfButton(id)), 0, WM_LBUTTONDOWN);
        return 0;
    }
    case WM_SYSCOMMAND: {
        const Uint id = LoWord(wParam);
        if (id == CmdAlwaysOnTop) {
            ToggleAlwaysOnTop(app, window);
            return 0;
        }
        if (!IsDisplayModeCommand(id)) break;
        app.Sys->message.SendMessageA(app.MainWindow, WM_COMMAND, wParam, lParam);
        return 0;
    }
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(app, lParam); // the system filled in the other limits before sending it
        return 0;
    case WM_SIZING:
        OnSizing(app, window, static_cast<Uint>(wParam), reinterpret_cast<Rect *>(lParam));
        return 0;
    case UM_DESKTOPADDED:
        OnDesktopAdded(app, window);
        return 0;
    case UM_DESKTOPREMOVED:
        OnDesktopRemoved(app, window);
        return 0;
    case UM_DESKTOPSWITCH:
        CheckButton(app, static_cast<int>(lParam), false);
        CheckButton(app, static_cast<int>(wParam), true);
        return 0;
    case UM_INITSYSMENU:
        OnInitSystemMenu(app, window);
        return 0;
    case WM_EXITMENULOOP:
    case WM_EXITSIZEMOVE:
        // Some systems' menu and move loops take the quit message of a close that arrived
        // inside them and drop it: post it again once the main window is gone.
        if (app.MainWindow != nullptr && !app.Sys->window.IsWindow(app.MainWindow))
            app.Sys->message.PostQuitMessage(0);
        break;
    default:
        break;
    }
    handled = false;
    return 0;
}

} // namespace q
