// The core declares the Win32 values it needs without <windows.h>; each must be the system's.
// Our values are taken before <windows.h> is included, because its macros share the names.
#include "platform/ports.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

// clang-format off: a list of names, one row of related ones a line
#define Q_WIN32_CONSTANTS(X) \
    X(WM_NULL) X(WM_TIMER) X(WM_CREATE) X(WM_DESTROY) X(WM_MOVE) \
    X(WM_SIZE) X(WM_CLOSE) X(WM_QUERYENDSESSION) X(WM_QUIT) \
    X(WM_CANCELMODE) X(WM_EXITMENULOOP) X(WM_EXITSIZEMOVE) \
    X(WM_SETTEXT) X(WM_NOTIFY) X(WM_INITDIALOG) X(WM_COMMAND) \
    X(WM_SYSCOMMAND) X(WM_MOUSEMOVE) X(WM_LBUTTONDOWN) X(WM_LBUTTONUP) \
    X(WM_LBUTTONDBLCLK) X(WM_RBUTTONDOWN) X(WM_RBUTTONUP) X(WM_SIZING) \
    X(WM_HOTKEY) X(WM_USER) X(GWL_STYLE) X(GWL_EXSTYLE) \
    X(SW_HIDE) X(SW_SHOWNORMAL) X(SW_SHOWMINIMIZED) X(SW_SHOWMINNOACTIVE) X(SW_SHOW) \
    X(SW_MINIMIZE) X(SW_RESTORE) X(SWP_NOSIZE) X(SWP_NOMOVE) \
    X(SW_SHOWNOACTIVATE) X(GW_OWNER) X(WS_EX_APPWINDOW) \
    X(SWP_NOZORDER) X(SWP_NOACTIVATE) X(GW_HWNDNEXT) X(SPI_SETDESKWALLPAPER) \
    X(SPI_SETDESKPATTERN) X(SPI_GETWORKAREA) X(SPI_GETANIMATION) X(SPI_SETANIMATION) \
    X(SPIF_UPDATEINIFILE) X(SPIF_SENDWININICHANGE) X(SPIF_SENDCHANGE) X(REG_SZ) \
    X(REG_BINARY) X(REG_DWORD) X(REG_OPTION_NON_VOLATILE) X(KEY_QUERY_VALUE) \
    X(KEY_SET_VALUE) X(KEY_READ) X(KEY_WRITE) X(KEY_ALL_ACCESS) \
    X(MOD_ALT) X(MOD_CONTROL) X(MOD_SHIFT) X(VK_F1) \
    X(VK_F24) X(NIM_ADD) X(NIM_MODIFY) X(NIM_DELETE) \
    X(NIF_MESSAGE) X(NIF_ICON) X(NIF_TIP) X(MB_OK) \
    X(MB_YESNO) X(MB_ICONQUESTION) X(MB_ICONWARNING) X(IDOK) \
    X(IDCANCEL) X(IDYES) X(IDNO) X(MF_STRING) \
    X(MF_GRAYED) X(MF_CHECKED) X(MF_POPUP) X(MF_BYPOSITION) \
    X(MF_SEPARATOR) X(MFS_GRAYED) X(MFS_CHECKED) X(MFS_DEFAULT) \
    X(MFT_STRING) X(MFT_SEPARATOR) X(MIIM_STATE) X(MIIM_ID) \
    X(MIIM_SUBMENU) X(MIIM_TYPE) X(TPM_RIGHTBUTTON) X(EM_LIMITTEXT) \
    X(BM_GETCHECK) X(BM_SETCHECK) X(BST_UNCHECKED) X(BST_CHECKED) \
    X(STM_SETIMAGE) X(IMAGE_ICON) X(LB_ADDSTRING) X(LB_SETCURSEL) \
    X(LB_GETCURSEL) X(LB_SETCOLUMNWIDTH) X(LB_ERR) X(BN_CLICKED) \
    X(LANG_FRENCH) X(WM_SETCURSOR) X(WM_SETFONT) X(FW_BOLD) \
    X(STN_CLICKED) X(SMTO_BLOCK) X(SMTO_ABORTIFHUNG) X(DWMWA_CLOAKED) \
    X(WM_SYSCOLORCHANGE) X(WM_GETMINMAXINFO) X(TBSTYLE_WRAPABLE) X(TBSTYLE_TOOLTIPS) \
    X(CCS_TOP) X(CCS_NODIVIDER) X(TBSTATE_CHECKED) X(TBSTATE_ENABLED) \
    X(TBSTATE_HIDDEN) X(TBSTYLE_BUTTON) X(TB_CHECKBUTTON) X(TB_HIDEBUTTON) \
    X(TB_ISBUTTONCHECKED) X(TB_ISBUTTONHIDDEN) X(TB_AUTOSIZE) X(TB_GETITEMRECT) \
    X(TB_GETROWS) X(TB_GETBUTTONSIZE) X(TTN_NEEDTEXTA) X(SC_CLOSE) \
    X(MF_BYCOMMAND) X(SM_CXFRAME) X(SM_CYFRAME) X(SM_CYSMCAPTION) \
    X(SM_XVIRTUALSCREEN) X(SM_YVIRTUALSCREEN) X(SM_CXVIRTUALSCREEN) X(SM_CYVIRTUALSCREEN) \
    X(WMSZ_LEFT) X(WMSZ_RIGHT) X(WMSZ_TOP) X(WMSZ_TOPLEFT) \
    X(WMSZ_TOPRIGHT) X(WMSZ_BOTTOM) X(WMSZ_BOTTOMLEFT) X(WMSZ_BOTTOMRIGHT)
// clang-format on

#define Q_TAKE_OURS(name) constexpr std::uint32_t ours_##name = static_cast<std::uint32_t>(q::name);
Q_WIN32_CONSTANTS(Q_TAKE_OURS)
#undef Q_TAKE_OURS

constexpr std::size_t ours_RectSize = sizeof(q::Rect);
constexpr std::size_t ours_PointSize = sizeof(q::Point);
constexpr std::size_t ours_AnimationInfoSize = sizeof(q::AnimationInfo);
constexpr std::size_t ours_MinMaxInfoSize = sizeof(q::MinMaxInfo);
constexpr std::size_t ours_WindowPlacementSize = sizeof(q::WindowPlacement);
constexpr std::size_t ours_NormalPositionOffset = offsetof(q::WindowPlacement, rcNormalPosition);
constexpr std::size_t ours_MinTrackOffset = offsetof(q::MinMaxInfo, ptMinTrackSize);
constexpr std::size_t ours_ToolTipTextSize = sizeof(q::ToolTipTextA);
constexpr std::size_t ours_ToolTipTextOffset = offsetof(q::ToolTipTextA, lpszText);
constexpr std::size_t ours_ToolTipIdOffset = offsetof(q::ToolTipTextA, hdr.idFrom);
constexpr std::size_t ours_ToolTipCodeOffset = offsetof(q::ToolTipTextA, hdr.code);

#include <windows.h> // first: the other system headers need its types

#include <shellapi.h>
#include <commctrl.h>
#include <dwmapi.h>

#define Q_SAME(name) static_assert(ours_##name == static_cast<std::uint32_t>(name), #name);
Q_WIN32_CONSTANTS(Q_SAME)
#undef Q_SAME

static_assert(std::is_same<q::Hwnd, HWND>::value, "window handles pass through unchanged");
static_assert(std::is_same<q::Hkey, HKEY>::value, "registry handles pass through unchanged");
static_assert(std::is_same<q::Hmenu, HMENU>::value, "menu handles pass through unchanged");
static_assert(std::is_same<q::Hicon, HICON>::value, "icon handles pass through unchanged");
static_assert(std::is_same<q::Hcursor, HCURSOR>::value, "cursor handles pass through unchanged");
static_assert(std::is_same<q::Hfont, HFONT>::value, "font handles pass through unchanged");
static_assert(sizeof(q::Wparam) == sizeof(WPARAM) && sizeof(q::Lparam) == sizeof(LPARAM) &&
                  sizeof(q::Lresult) == sizeof(LRESULT),
              "message parameters are pointer-sized");
static_assert(ours_RectSize == sizeof(RECT) && ours_PointSize == sizeof(POINT), "RECT and POINT");
static_assert(ours_AnimationInfoSize == sizeof(ANIMATIONINFO), "ANIMATIONINFO");
static_assert(ours_WindowPlacementSize == sizeof(WINDOWPLACEMENT) &&
                  ours_NormalPositionOffset == offsetof(WINDOWPLACEMENT, rcNormalPosition),
              "WINDOWPLACEMENT");
static_assert(ours_ToolTipTextSize == sizeof(TOOLTIPTEXTA) &&
                  ours_ToolTipTextOffset == offsetof(TOOLTIPTEXTA, lpszText) &&
                  ours_ToolTipIdOffset == offsetof(TOOLTIPTEXTA, hdr.idFrom) &&
                  ours_ToolTipCodeOffset == offsetof(TOOLTIPTEXTA, hdr.code),
              "TOOLTIPTEXTA");
static_assert(ours_MinMaxInfoSize == sizeof(MINMAXINFO) && ours_MinTrackOffset == offsetof(MINMAXINFO, ptMinTrackSize),
              "MINMAXINFO");
