/*
 * The numbers of the resources and of what they hold: strings, menu commands, dialog controls.
 * quillane.rc, templates.h and the program's code all take them from here. Macros only:
 * windres reads this file too. The French resource has each number below; the English one the
 * same number plus Q_ENGLISH (the program adds its language base to every number it loads).
 */
#ifndef QUILLANE_RES_RESOURCE_IDS_H
#define QUILLANE_RES_RESOURCE_IDS_H

#define Q_ENGLISH 100

/* Strings */
#define Q_IDS_DESKTOP 1 /* the word of a default title, "Desktop 2" */
#define Q_IDS_DELETE_QUESTION 2
#define Q_IDS_QUIT_QUESTION 3
#define Q_IDS_CONFIRMATION 4 /* the caption of both questions */
#define Q_IDS_HOTKEY_TAKEN 5
#define Q_IDS_NO_HOTKEY 6
#define Q_IDS_STICKY 7
#define Q_IDS_UNINSTALL_FIRST_PART 8
#define Q_IDS_SHELLEXT 11 /* the installation folder, never translated */
#define Q_IDS_EXE_NAME 15

/* The command menu: TrackMenu, shown, and TempMenu, whose texts the menus being built copy. */
#define Q_IDR_COMMAND_MENU 1
#define Q_IDM_ABOUT 101
#define Q_IDM_QUIT 102
#define Q_IDM_CREATE_DESKTOP 110
#define Q_IDM_DELETE_CURRENT_DESKTOP 112 /* in no menu: sent by the deletion of desktop n */
#define Q_IDM_ONE_BACKGROUND 120
#define Q_IDM_APPLICATIONS 130
#define Q_IDM_APPLICATIONS_PLACEHOLDER 2000
#define Q_IDM_DISPLAY 199
/* One command a display mode, in the order of the modes (1, 2, 3). */
#define Q_IDM_DISPLAY_TASKBAR 600
#define Q_IDM_DISPLAY_MENU 601
#define Q_IDM_DISPLAY_FLOATING 602
#define Q_IDM_TEMPLATE_DESKTOP 198
#define Q_IDM_TEMPLATE_ACTIVATE 100
#define Q_IDM_TEMPLATE_RENAME 1
#define Q_IDM_TEMPLATE_DELETE 2
#define Q_IDM_TEMPLATE_HOTKEY 3
#define Q_IDM_TEMPLATE_ALWAYS_ON_TOP 500
/* Commands the program numbers itself, in no resource: where each range starts (the ranges'
 * ends follow from the number of desktops, engine/commands.h). */
#define Q_IDM_FIRST_BUTTON 200          /* the floating window's button of desktop 1 */
#define Q_IDM_FIRST_DESKTOP_COMMAND 400 /* desktop 1's submenu; each desktop's takes a step */
#define Q_IDM_DESKTOP_COMMAND_STEP 10
#define Q_IDM_DESKTOP_ACTIVATE 0 /* the commands of a desktop's submenu, from its start */
#define Q_IDM_DESKTOP_RENAME 1
#define Q_IDM_DESKTOP_DELETE 2
#define Q_IDM_DESKTOP_HOTKEY 3
#define Q_IDM_FIRST_WINDOW_COMMAND 1024 /* the Applications menu's windows */
#define Q_IDM_WINDOW_COMMAND_STEP 16

/* Dialogs and their controls */
#define Q_IDD_RENAME 1
#define Q_IDD_ABOUT 2
#define Q_IDD_HOTKEY 3
#define Q_IDC_OK 1     /* IDOK */
#define Q_IDC_CANCEL 2 /* IDCANCEL */
#define Q_IDC_STATIC (-1)
#define Q_IDC_ICON 50
#define Q_IDC_TITLE_EDIT 100
#define Q_IDC_ABOUT_NAME 100
#define Q_IDC_SHIFT 101
#define Q_IDC_CONTROL 102
#define Q_IDC_ALT 103
#define Q_IDC_KEY_LIST 104
#define Q_IDC_NO_HOTKEY 105
#define Q_IDC_HOTKEY_LABEL 500
#define Q_IDC_EMAIL_LINK 500
#define Q_IDC_WEB_LINK 501

/* Pictures */
#define Q_IDI_PROGRAM 1
#define Q_IDI_CURRENT 10 /* the program's picture, shown by the icon of the desktop on the screen */
#define Q_IDI_OTHER 11   /* the same in greys */
#define Q_IDC_POINTING_HAND 1
#define Q_IDB_TOOLBAR 100

#endif
