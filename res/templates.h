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

#include "texts.h"

/* S(number, text): every string of the table. */
#define Q_STRING_TABLE(S) \
    S(1, Q_STR_FR_1) S(2, Q_STR_FR_2) S(3, Q_STR_FR_3) S(4, Q_STR_FR_4) \
    S(5, Q_STR_FR_5) S(6, Q_STR_FR_6) S(7, Q_STR_FR_7) S(8, Q_STR_FR_8) \
    S(11, Q_STR_11) S(15, Q_STR_15) \
    S(101, Q_STR_EN_1) S(102, Q_STR_EN_2) S(103, Q_STR_EN_3) S(104, Q_STR_EN_4) \
    S(105, Q_STR_EN_5) S(106, Q_STR_EN_6) S(107, Q_STR_EN_7) S(108, Q_STR_EN_8)

/*
 * Menu items in order. I(id, text, state) is a command, S() a separator and
 * P(L, id, text, NAME) a pop-up whose items are the list Q_MENU_ITEMS_NAME.
 */
#define Q_MENU_ITEMS_TRACKMENU(L, I, S, P) \
    I(110, Q_MENU_##L##_110, 0) \
    S() \
    P(L, 130, Q_MENU_##L##_130, APPLICATIONS) \
    S() \
    I(120, Q_MENU_##L##_120, MFS_CHECKED) \
    P(L, 199, Q_MENU_##L##_199, DISPLAY) \
    S() \
    I(101, Q_MENU_##L##_101, 0) \
    I(102, Q_MENU_##L##_102, 0)

/* The placeholder that the command menu replaces by the window list. */
#define Q_MENU_ITEMS_APPLICATIONS(L, I, S) I(2000, Q_MENU_##L##_2000, 0)

#define Q_MENU_ITEMS_DISPLAY(L, I, S) \
    I(600, Q_MENU_##L##_600, 0) \
    I(601, Q_MENU_##L##_601, 0) \
    I(602, Q_MENU_##L##_602, 0)

/* Never shown: the menus being built copy their texts from here. */
#define Q_MENU_ITEMS_TEMPMENU(L, I, S, P) \
    I(198, Q_MENU_##L##_198, 0) \
    I(100, Q_MENU_##L##_100, 0) \
    I(1, Q_MENU_##L##_1, 0) \
    I(2, Q_MENU_##L##_2, 0) \
    I(3, Q_MENU_##L##_3, 0) \
    I(500, Q_MENU_##L##_500, 0)

/*
 * Dialog controls in template order: C(kind, id, text, x, y, cx, cy) in dialog units. The
 * kinds (and the styles each stands for) are spelled out in quillane.rc.
 */
#define Q_RENAME_CX 248
#define Q_RENAME_CY 76
#define Q_RENAME_PROMPT_CX_FR 159
#define Q_RENAME_PROMPT_CX_EN 140
#define Q_DIALOG_RENAME(L, C) \
    C(Icon, 50, "", 7, 7, 21, 20) \
    C(Label, -1, Q_DLG_##L##_RENAME_PROMPT, 34, 7, Q_RENAME_PROMPT_CX_##L, 18) \
    C(Edit, 100, "", 34, 32, 204, 12) \
    C(DefButton, 1, Q_DLG_##L##_OK, 108, 54, 60, 14) \
    C(Button, 2, Q_DLG_##L##_CANCEL, 178, 54, 60, 14)

#define Q_ABOUT_CX 190
#define Q_ABOUT_CY 154
#define Q_DIALOG_ABOUT(L, C) \
    C(Button, 1, Q_DLG_##L##_OK, 40, 132, 50, 14) \
    C(Label, 100, Q_DLG_##L##_ABOUT_NAME, 40, 7, 120, 8) \
    C(Icon, 50, "", 7, 7, 16, 16) \
    C(Label, -1, Q_DLG_##L##_ABOUT_AUTHOR, 40, 20, 120, 16) \
    C(Label, -1, Q_DLG_##L##_ABOUT_CONTACT, 40, 50, 120, 50) \
    C(Label, -1, Q_DLG_##L##_ABOUT_EMAIL_LABEL, 40, 102, 26, 8) \
    C(Label, -1, Q_DLG_##L##_ABOUT_WEB_LABEL, 40, 112, 26, 8) \
    C(Link, 501, Q_DLG_##L##_ABOUT_WEB, 68, 112, 112, 10) \
    C(Link, 500, Q_DLG_##L##_ABOUT_EMAIL, 68, 102, 112, 10)

/*
 * Label 500 is wide enough for "... Shift+Ctrl+Alt+F24" on its first line; box 105 sits below
 * Alt, level with the buttons, wide enough for "No Hot Key". Both with some room to spare
 * for fonts a little wider than the one measured.
 */
#define Q_HOTKEY_CX 250
#define Q_HOTKEY_CY 94
#define Q_DIALOG_HOTKEY(L, C) \
    C(Icon, 50, "", 7, 7, 21, 20) \
    C(Label, 500, Q_DLG_##L##_HOTKEY_CURRENT, 34, 7, 156, 18) \
    C(Check, 101, Q_DLG_##L##_HOTKEY_SHIFT, 34, 30, 36, 10) \
    C(Check, 102, Q_DLG_##L##_HOTKEY_CONTROL, 34, 42, 40, 10) \
    C(Check, 103, Q_DLG_##L##_HOTKEY_ALT, 34, 54, 24, 10) \
    C(List, 104, "", 76, 30, 164, 44) \
    C(DefButton, 1, Q_DLG_##L##_OK, 110, 72, 60, 14) \
    C(Button, 2, Q_DLG_##L##_CANCEL, 180, 72, 60, 14) \
    C(Check, 105, Q_DLG_##L##_HOTKEY_NONE, 34, 74, 54, 10)

#endif
