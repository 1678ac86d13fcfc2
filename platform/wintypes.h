// The few Win32 types and constants the core needs, declared without <windows.h>.
// Handles are the platform's own opaque pointer types (the STRICT declarations), so the
// Win32 layer passes them through unchanged and the simulation can make them up.
// platform/win32/check_constants.cpp asserts that every value here equals <windows.h>'s.
#pragma once

#include <cstdint>

struct HWND__;
struct HKEY__;
struct HMENU__;
struct HICON__;
struct HFONT__;

namespace q {

using Hwnd = HWND__ *;
using Hkey = HKEY__ *;
using Hmenu = HMENU__ *;
using Hicon = HICON__ *;
using Hcursor = Hicon; // HCURSOR is HICON
using Hfont = HFONT__ *;

using Uint = std::uint32_t;
using Dword = std::uint32_t;
using Wparam = std::uintptr_t;
using Lparam = std::intptr_t;
using Lresult = std::intptr_t;

struct Rect {
    std::int32_t left, top, right, bottom;
};

struct Point {
    std::int32_t x, y;
};

constexpr std::uint16_t LoWord(std::uintptr_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}
constexpr std::uint16_t HiWord(std::uintptr_t v) {
    return static_cast<std::uint16_t>((v >> 16) & 0xFFFF);
}

// Messages.
constexpr Uint WM_NULL = 0x0000;
constexpr Uint WM_TIMER = 0x0113;
constexpr Uint WM_CREATE = 0x0001;
constexpr Uint WM_DESTROY = 0x0002;
constexpr Uint WM_MOVE = 0x0003;
constexpr Uint WM_SIZE = 0x0005;
constexpr Uint WM_CLOSE = 0x0010;
constexpr Uint WM_QUERYENDSESSION = 0x0011;
constexpr Uint WM_QUIT = 0x0012;
constexpr Uint WM_CANCELMODE = 0x001F;
constexpr Uint WM_SETTEXT = 0x000C;
constexpr Uint WM_NOTIFY = 0x004E;
constexpr Uint WM_SYSCOLORCHANGE = 0x0015;
constexpr Uint WM_GETMINMAXINFO = 0x0024;
constexpr Uint WM_INITDIALOG = 0x0110;
constexpr Uint WM_COMMAND = 0x0111;
constexpr Uint WM_SYSCOMMAND = 0x0112;
constexpr Uint WM_MOUSEMOVE = 0x0200;
constexpr Uint WM_LBUTTONDOWN = 0x0201;
constexpr Uint WM_LBUTTONUP = 0x0202;
constexpr Uint WM_LBUTTONDBLCLK = 0x0203;
constexpr Uint WM_EXITMENULOOP = 0x0212;
constexpr Uint WM_EXITSIZEMOVE = 0x0232;
constexpr Uint WM_RBUTTONDOWN = 0x0204;
constexpr Uint WM_RBUTTONUP = 0x0205;
constexpr Uint WM_SIZING = 0x0214;
constexpr Uint WM_HOTKEY = 0x0312;
constexpr Uint WM_USER = 0x0400;

// Window styles.
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_CHILD = 0x40000000u;
constexpr std::uint32_t WS_MINIMIZE = 0x20000000u;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
constexpr std::uint32_t WS_THICKFRAME = 0x00040000u;
constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008u;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080u;
constexpr std::uint32_t WS_EX_WINDOWEDGE = 0x00000100u;
constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000u;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// SetWindowPos and the z-order walk.
constexpr Uint SWP_NOSIZE = 0x0001;
constexpr Uint SWP_NOMOVE = 0x0002;
constexpr Uint SWP_NOZORDER = 0x0004;
constexpr Uint SWP_NOACTIVATE = 0x0010;
constexpr Uint GW_HWNDNEXT = 2;
constexpr Uint GW_OWNER = 4;

// SystemParametersInfoA.
constexpr Uint SPI_SETDESKWALLPAPER = 20;
constexpr Uint SPI_SETDESKPATTERN = 21;
constexpr Uint SPI_GETWORKAREA = 48;
constexpr Uint SPI_GETANIMATION = 0x0048;
constexpr Uint SPI_SETANIMATION = 0x0049;
constexpr Uint SPIF_UPDATEINIFILE = 0x0001;
constexpr Uint SPIF_SENDWININICHANGE = 0x0002;
constexpr Uint SPIF_SENDCHANGE = SPIF_SENDWININICHANGE;

// Laid out as ANIMATIONINFO: cbSize 8.
struct AnimationInfo {
    Uint cbSize;
    std::int32_t iMinAnimate;
};

// Registry.
constexpr std::intptr_t HKEY_CURRENT_USER_VALUE = static_cast<std::int32_t>(0x80000001u);
constexpr std::intptr_t HKEY_LOCAL_MACHINE_VALUE = static_cast<std::int32_t>(0x80000002u);
inline Hkey HkeyCurrentUser() {
    return reinterpret_cast<Hkey>(HKEY_CURRENT_USER_VALUE);
}
inline Hkey HkeyLocalMachine() {
    return reinterpret_cast<Hkey>(HKEY_LOCAL_MACHINE_VALUE);
}
constexpr Dword REG_SZ = 1;
constexpr Dword REG_BINARY = 3;
constexpr Dword REG_DWORD = 4;
constexpr Dword REG_OPTION_NON_VOLATILE = 0;
constexpr Dword KEY_QUERY_VALUE = 0x0001;
constexpr Dword KEY_SET_VALUE = 0x0002;
constexpr Dword KEY_READ = 0x20019;
constexpr Dword KEY_WRITE = 0x20006;
constexpr Dword KEY_ALL_ACCESS = 0xF003F;
constexpr std::int32_t ERROR_SUCCESS = 0;
constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::int32_t ERROR_ACCESS_DENIED = 5;
constexpr std::int32_t ERROR_MORE_DATA = 234;

// Hot keys.
constexpr Uint MOD_ALT = 0x0001;
constexpr Uint MOD_CONTROL = 0x0002;
constexpr Uint MOD_SHIFT = 0x0004;
constexpr Uint VK_F1 = 0x70;
constexpr Uint VK_F24 = 0x87;

// Notification icons.
constexpr Dword NIM_ADD = 0;
constexpr Dword NIM_MODIFY = 1;
constexpr Dword NIM_DELETE = 2;
constexpr Uint NIF_MESSAGE = 1;
constexpr Uint NIF_ICON = 2;
constexpr Uint NIF_TIP = 4;

// Message boxes.
constexpr Uint MB_OK = 0x00000000;
constexpr Uint MB_YESNO = 0x00000004;
constexpr Uint MB_ICONQUESTION = 0x00000020;
constexpr Uint MB_ICONWARNING = 0x00000030;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Menus.
constexpr Uint MF_STRING = 0x0000;
constexpr Uint MF_GRAYED = 0x0001;
constexpr Uint MF_CHECKED = 0x0008;
constexpr Uint MF_POPUP = 0x0010;
constexpr Uint MF_BYPOSITION = 0x0400;
constexpr Uint MF_SEPARATOR = 0x0800;
constexpr Uint MFS_GRAYED = 0x0003;
constexpr Uint MFS_CHECKED = 0x0008;
constexpr Uint MFS_DEFAULT = 0x1000;
constexpr Uint MFT_STRING = 0x0000;
constexpr Uint MFT_SEPARATOR = 0x0800;
constexpr Uint MIIM_STATE = 0x0001;
constexpr Uint MIIM_ID = 0x0002;
constexpr Uint MIIM_SUBMENU = 0x0004;
constexpr Uint MIIM_TYPE = 0x0010;
constexpr Uint TPM_RIGHTBUTTON = 0x0002;

// Dialog controls.
constexpr Uint EM_LIMITTEXT = 0x00C5;
constexpr Uint BM_GETCHECK = 0x00F0;
constexpr Uint BM_SETCHECK = 0x00F1;
constexpr Wparam BST_UNCHECKED = 0;
constexpr Wparam BST_CHECKED = 1;
constexpr Uint STM_SETIMAGE = 0x0172;
constexpr Wparam IMAGE_ICON = 1;
constexpr Uint LB_ADDSTRING = 0x0180;
constexpr Uint LB_SETCURSEL = 0x0186;
constexpr Uint LB_GETCURSEL = 0x0188;
constexpr Uint LB_SETCOLUMNWIDTH = 0x0195;
constexpr Lresult LB_ERR = -1;
constexpr Uint BN_CLICKED = 0;

// Locale.
constexpr Uint LANG_FRENCH = 0x0C;

// The About box: its bold line, its links and its picture strip.
constexpr Uint WM_SETCURSOR = 0x0020;
constexpr Uint WM_SETFONT = 0x0030;
constexpr int FW_BOLD = 700;
constexpr Uint STN_CLICKED = 0;
constexpr std::intptr_t ShellExecuteSucceeded = 32; // ShellExecuteA's results above it
// SendMessageTimeoutA flags: do not run other senders' messages while waiting; give up at once
// on a thread the system already knows as hung.
constexpr Uint SMTO_BLOCK = 0x0001;
constexpr Uint SMTO_ABORTIFHUNG = 0x0002;
// DwmGetWindowAttribute: non-zero when the compositor keeps the window from the user's sight
// (Windows 8 on), though IsWindowVisible says it is shown.
constexpr Dword DWMWA_CLOAKED = 14;
// The floating window: its toolbar, system menu and frame.
constexpr std::uint32_t TBSTYLE_WRAPABLE = 0x0200u;
constexpr std::uint32_t TBSTYLE_TOOLTIPS = 0x0100u;
constexpr std::uint32_t CCS_TOP = 0x0001u;
constexpr std::uint32_t CCS_NODIVIDER = 0x0040u;
constexpr std::uint8_t TBSTATE_CHECKED = 0x01;
constexpr std::uint8_t TBSTATE_ENABLED = 0x04;
constexpr std::uint8_t TBSTATE_HIDDEN = 0x08;
constexpr std::uint8_t TBSTYLE_BUTTON = 0x00;
constexpr Uint TB_CHECKBUTTON = WM_USER + 2;
constexpr Uint TB_HIDEBUTTON = WM_USER + 4;
constexpr Uint TB_ISBUTTONCHECKED = WM_USER + 10;
constexpr Uint TB_ISBUTTONHIDDEN = WM_USER + 12;
constexpr Uint TB_AUTOSIZE = WM_USER + 33;
constexpr Uint TB_GETITEMRECT = WM_USER + 29;
constexpr Uint TB_GETROWS = WM_USER + 40;
constexpr Uint TB_GETBUTTONSIZE = WM_USER + 58;
constexpr std::int32_t TTN_NEEDTEXTA = -520;
constexpr Uint SC_CLOSE = 0xF060;
constexpr Uint MF_BYCOMMAND = 0x0000;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CYSMCAPTION = 51;
// The rectangle around every monitor; 0 on systems of one screen only (Windows 95, NT 4.0).
constexpr int SM_XVIRTUALSCREEN = 76;
constexpr int SM_YVIRTUALSCREEN = 77;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;
constexpr Uint WMSZ_LEFT = 1;
constexpr Uint WMSZ_RIGHT = 2;
constexpr Uint WMSZ_TOP = 3;
constexpr Uint WMSZ_TOPLEFT = 4;
constexpr Uint WMSZ_TOPRIGHT = 5;
constexpr Uint WMSZ_BOTTOM = 6;
constexpr Uint WMSZ_BOTTOMLEFT = 7;
constexpr Uint WMSZ_BOTTOMRIGHT = 8;

// Laid out as MINMAXINFO.
// Laid out as WINDOWPLACEMENT: length 44. For a top-level window without WS_EX_TOOLWINDOW the
// points and rcNormalPosition are in workspace coordinates (the work area's corner is 0, 0).
struct WindowPlacement {
    Uint length = sizeof(WindowPlacement);
    Uint flags = 0;
    Uint showCmd = 0;
    Point ptMinPosition = {0, 0};
    Point ptMaxPosition = {0, 0};
    Rect rcNormalPosition = {0, 0, 0, 0};
};

struct MinMaxInfo {
    Point ptReserved;
    Point ptMaxSize;
    Point ptMaxPosition;
    Point ptMinTrackSize;
    Point ptMaxTrackSize;
};

// Laid out as NMHDR and TOOLTIPTEXTA (NMTTDISPINFOA): what a WM_NOTIFY of the tool tips carries.
struct NotifyHeader {
    Hwnd hwndFrom;
    std::uintptr_t idFrom;
    Uint code;
};
struct ToolTipTextA {
    NotifyHeader hdr;
    char *lpszText;
    char szText[80];
    void *hinst;
    Uint uFlags;
    Lparam lParam;
};

} // namespace q
