/*
 * The string table, the menus and the dialog controls as lists. quillane.rc expands them into
 * resource statements and string_table.cpp into the data the native tests load, so the two
 * cannot drift apart. Each list is a macro taking the language (FR or EN, pasted onto text
 * names) and the macros to apply to each entry.
 */
#ifndef QUILLANE_RES_TEMPLATES_H
#define QUILLANE_RES_TEMPLATES_H

/* Kept out of clang-format, which would run the entries of each list together. */
// clang-format off

#include "resource_ids.h"
#include "texts.h"

/* S(number, text): every string of the table. */
#define Q_STRING_TABLE(S) \
    Q_STRINGS_IN(FR, 0, S) Q_STRINGS_IN(EN, Q_ENGLISH, S) \
    S(Q_IDS_SHELLEXT, Q_STR_11) S(Q_IDS_EXE_NAME, Q_STR_15)
#define Q_STRINGS_IN(L, base, S) \
    S(Q_IDS_DESKTOP + base, Q_STR_##L##_1) S(Q_IDS_DELETE_QUESTION + base, Q_STR_##L##_2) \
    S(Q_IDS_QUIT_QUESTION + base, Q_STR_##L##_3) S(Q_IDS_CONFIRMATION + base, Q_STR_##L##_4) \
    S(Q_IDS_HOTKEY_TAKEN + base, Q_STR_##L##_5) S(Q_IDS_NO_HOTKEY + base, Q_STR_##L##_6) \
    S(Q_IDS_STICKY + base, Q_STR_##L##_7) S(Q_IDS_UNINSTALL_FIRST_PART + base, Q_STR_##L##_8)

/*
 * Menu items in order. I(id, text, state) is a command, S() a separator and
 * P(L, id, text, NAME) a pop-up whose items are the list Q_MENU_ITEMS_NAME.
 */
#define Q_MENU_ITEMS_TRACKMENU(L, I, S, P) \
    I(Q_IDM_CREATE_DESKTOP, Q_MENU_##L##_110, 0) \
    S() \
    P(L, Q_IDM_APPLICATIONS, Q_MENU_##L##_130, APPLICATIONS) \
    S() \
    I(Q_IDM_ONE_BACKGROUND, Q_MENU_##L##_120, MFS_CHECKED) \
    P(L, Q_IDM_DISPLAY, Q_MENU_##L##_199, DISPLAY) \
    S() \
    I(Q_IDM_ABOUT, Q_MENU_##L##_101, 0) \
    I(Q_IDM_QUIT, Q_MENU_##L##_102, 0)

/* The placeholder that the command menu replaces by the window list. */
#define Q_MENU_ITEMS_APPLICATIONS(L, I, S) I(Q_IDM_APPLICATIONS_PLACEHOLDER, Q_MENU_##L##_2000, 0)

#define Q_MENU_ITEMS_DISPLAY(L, I, S) \
    I(Q_IDM_DISPLAY_TASKBAR, Q_MENU_##L##_600, 0) \
    I(Q_IDM_DISPLAY_MENU, Q_MENU_##L##_601, 0) \
    I(Q_IDM_DISPLAY_FLOATING, Q_MENU_##L##_602, 0)

/* Never shown: the menus being built copy their texts from here. */
#define Q_MENU_ITEMS_TEMPMENU(L, I, S, P) \
    I(Q_IDM_TEMPLATE_DESKTOP, Q_MENU_##L##_198, 0) \
    I(Q_IDM_TEMPLATE_ACTIVATE, Q_MENU_##L##_100, 0) \
    I(Q_IDM_TEMPLATE_RENAME, Q_MENU_##L##_1, 0) \
    I(Q_IDM_TEMPLATE_DELETE, Q_MENU_##L##_2, 0) \
    I(Q_IDM_TEMPLATE_HOTKEY, Q_MENU_##L##_3, 0) \
    I(Q_IDM_TEMPLATE_ALWAYS_ON_TOP, Q_MENU_##L##_500, 0)

/*
 * Dialog controls in template order: C(kind, id, text, x, y, cx, cy) in dialog units. The
 * kinds (and the styles each stands for) are spelled out in quillane.rc.
 */
#define Q_RENAME_CX 248
#define Q_RENAME_CY 76
#define Q_RENAME_PROMPT_CX_FR 159
#define Q_RENAME_PROMPT_CX_EN 140
#define Q_DIALOG_RENAME(L, C) \
    C(Icon, Q_IDC_ICON, "", 7, 7, 21, 20) \
    C(Label, Q_IDC_STATIC, Q_DLG_##L##_RENAME_PROMPT, 34, 7, Q_RENAME_PROMPT_CX_##L, 18) \
    C(Edit, Q_IDC_TITLE_EDIT, "", 34, 32, 204, 12) \
    C(DefButton, Q_IDC_OK, Q_DLG_##L##_OK, 108, 54, 60, 14) \
    C(Button, Q_IDC_CANCEL, Q_DLG_##L##_CANCEL, 178, 54, 60, 14)

#define Q_ABOUT_CX 190
#define Q_ABOUT_CY 154
#define Q_DIALOG_ABOUT(L, C) \
    C(Button, Q_IDC_OK, Q_DLG_##L##_OK, 40, 132, 50, 14) \
    C(Label, Q_IDC_ABOUT_NAME, Q_DLG_##L##_ABOUT_NAME, 40, 7, 120, 8) \
    C(Icon, Q_IDC_ICON, "", 7, 7, 16, 16) \
    C(Label, Q_IDC_STATIC, Q_DLG_##L##_ABOUT_AUTHOR, 40, 20, 120, 16) \
    C(Label, Q_IDC_STATIC, Q_DLG_##L##_ABOUT_CONTACT, 40, 50, 120, 50) \
    C(Label, Q_IDC_STATIC, Q_DLG_##L##_ABOUT_EMAIL_LABEL, 40, 102, 26, 8) \
    C(Label, Q_IDC_STATIC, Q_DLG_##L##_ABOUT_WEB_LABEL, 40, 112, 26, 8) \
    C(Link, Q_IDC_WEB_LINK, Q_DLG_##L##_ABOUT_WEB, 68, 112, 112, 10) \
    C(Link, Q_IDC_EMAIL_LINK, Q_DLG_##L##_ABOUT_EMAIL, 68, 102, 112, 10)

/*
 * The label Q_IDC_HOTKEY_LABEL is wide enough for "... Shift+Ctrl+Alt+F24" on its first line;
 * box Q_IDC_NO_HOTKEY sits below Alt, level with the buttons, wide enough for "No Hot Key".
 * Both with some room to spare for fonts a little wider than the one measured.
 */
#define Q_HOTKEY_CX 250
#define Q_HOTKEY_CY 94
#define Q_DIALOG_HOTKEY(L, C) \
    C(Icon, Q_IDC_ICON, "", 7, 7, 21, 20) \
    C(Label, Q_IDC_HOTKEY_LABEL, Q_DLG_##L##_HOTKEY_CURRENT, 34, 7, 156, 18) \
    C(Check, Q_IDC_SHIFT, Q_DLG_##L##_HOTKEY_SHIFT, 34, 30, 36, 10) \
    C(Check, Q_IDC_CONTROL, Q_DLG_##L##_HOTKEY_CONTROL, 34, 42, 40, 10) \
    C(Check, Q_IDC_ALT, Q_DLG_##L##_HOTKEY_ALT, 34, 54, 24, 10) \
    C(List, Q_IDC_KEY_LIST, "", 76, 30, 164, 44) \
    C(DefButton, Q_IDC_OK, Q_DLG_##L##_OK, 110, 72, 60, 14) \
    C(Button, Q_IDC_CANCEL, Q_DLG_##L##_CANCEL, 180, 72, 60, 14) \
    C(Check, Q_IDC_NO_HOTKEY, Q_DLG_##L##_HOTKEY_NONE, 34, 74, 54, 10)

#endif
