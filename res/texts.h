/*
 * Every text the user can see, in French and in English. The resource script and the C++ code
 * both include this file, so the executable's resources and the native tests read the same
 * characters.
 *
 * Macros only: windres runs the C preprocessor over quillane.rc with RC_INVOKED defined.
 * Accented letters are octal escapes in code page 1252 (\351 is e acute); hex escapes would
 * swallow the hex digits that follow them. windres converts with -c 1252 (res/CMakeLists.txt).
 *
 * Naming: Q_<KIND>_<LANG>_<KEY>, LANG being FR or EN; texts shared by both languages have no
 * LANG part.
 *   Q_STR_FR_n / Q_STR_EN_n   string n (French) and 100 + n (English), n = 1..8; Q_STR_11, Q_STR_15.
 *   Q_MENU_FR_id / _EN_id     menu item or pop-up with identifier id (menus 1 and 101).
 *   Q_DLG_FR_x / _EN_x        dialog captions and control texts (dialogs 1-3 and 101-103).
 *   Q_TEXT_x                  texts that are not resources, and the About box's addresses.
 *   Q_VER_x                   version information.
 */
#ifndef QUILLANE_RES_TEXTS_H
#define QUILLANE_RES_TEXTS_H

/* Kept out of clang-format, which would split the """" of Q_QUOTE in two. */
// clang-format off

/* windres writes a quote inside a string as "", C as \". */
#ifdef RC_INVOKED
#define Q_QUOTE """"
#else
#define Q_QUOTE "\""
#endif

/* ---- Texts that are not resources (same in both languages) ---- */

#define Q_TEXT_PRODUCT "Quillane"
#define Q_TEXT_VERSION "2.0"
#define Q_TEXT_TITLE Q_TEXT_PRODUCT " v" Q_TEXT_VERSION
#define Q_TEXT_INFORMATION "Information"
#define Q_TEXT_SHIFT "Shift"
#define Q_TEXT_CTRL "Ctrl"
#define Q_TEXT_ALT "Alt"
#define Q_TEXT_FUNCTION_KEY "F%d"
/* On a domain kept for examples; short enough for the About box's 112-unit links. */
#define Q_TEXT_EMAIL "author@quillane.example"
#define Q_TEXT_WEB "http://quillane.example/"
#define Q_TEXT_MAILTO "mailto:"

/* ---- String table ---- */

#define Q_STR_FR_1 "Bureau"
#define Q_STR_EN_1 "Desktop"

#define Q_STR_FR_2 "Voulez-vous vraiment supprimer le bureau nomm\351 " Q_QUOTE "%s" Q_QUOTE " ?"
#define Q_STR_EN_2 "Would you really delete the desktop named " Q_QUOTE "%s" Q_QUOTE " ?"

#define Q_STR_FR_3 \
    "Si vous quitter l'application, vous n'aurez plus de bureaux virtuels.\n" \
    "Voulez-vous vraiment quitter Quillane ?"
#define Q_STR_EN_3 \
    "If you quit this application, you will loose the multi-desktops property.\n" \
    "Would you really quit Quillane ?"

#define Q_STR_FR_4 "Confirmation"
#define Q_STR_EN_4 "Confirmation"

#define Q_STR_FR_5 "Le raccourci %s est d\351j\340 utilis\351.\nChoisissez un autre raccourci."
#define Q_STR_EN_5 "The hot key %s is already in use.\nChoose another hot key."

#define Q_STR_FR_6 "[Aucun]"
#define Q_STR_EN_6 "[None]"

#define Q_STR_FR_7 "&Affich\351 dans tous les bureaux"
#define Q_STR_EN_7 "&Sticky"

#define Q_STR_FR_8 \
    "Premi\350re partie de la d\351sinstallation termin\351e. " \
    "Veuillez cliquer sur le bouton OK puis relancer la d\351sinstallation."
#define Q_STR_EN_8 \
    "First part of uninstall finished. " \
    "Please click on the OK button and restart the uninstall procedure."

/* Loaded by their own number whatever the language. */
#define Q_STR_11 "Shellext"
#define Q_STR_15 "\\quillane.exe"

/* ---- Menus 1 and 101 ---- */

#define Q_MENU_TRACKMENU "TrackMenu"
#define Q_MENU_TEMPMENU "TempMenu"

/* TrackMenu */
#define Q_MENU_FR_110 "&Cr\351er un nouveau bureau"
#define Q_MENU_EN_110 "&Create a new desktop"
#define Q_MENU_FR_130 "&Applications"
#define Q_MENU_EN_130 "&Applications"
#define Q_MENU_FR_2000 "inutile"
#define Q_MENU_EN_2000 "nothing"
#define Q_MENU_FR_120 "&Fond d'\351cran unique"
#define Q_MENU_EN_120 "&Only one background"
#define Q_MENU_FR_199 "Affichage des b&ureaux"
#define Q_MENU_EN_199 "&Desktops displaying"
#define Q_MENU_FR_600 "Dans la &barre des t\342ches"
#define Q_MENU_EN_600 "In the &tasks bar"
#define Q_MENU_FR_601 "Dans le &menu"
#define Q_MENU_EN_601 "In this &menu"
#define Q_MENU_FR_602 "Dans une &fen\352tre flottante"
#define Q_MENU_EN_602 "In a &floating window"
#define Q_MENU_FR_101 "A &Propos..."
#define Q_MENU_EN_101 "&About..."
#define Q_MENU_FR_102 "&Quitter"
#define Q_MENU_EN_102 "&Quit"

/* TempMenu */
#define Q_MENU_FR_198 "Bureau"
#define Q_MENU_EN_198 "Desktop"
#define Q_MENU_FR_100 "Activer"
#define Q_MENU_EN_100 "Activate"
#define Q_MENU_FR_1 "&Renommer"
#define Q_MENU_EN_1 "&Rename"
#define Q_MENU_FR_2 "&Supprimer"
#define Q_MENU_EN_2 "&Delete"
#define Q_MENU_FR_3 "D\351finir le racc&ourci"
#define Q_MENU_EN_3 "Define the &hot key"
#define Q_MENU_FR_500 "Toujours &visible"
#define Q_MENU_EN_500 "&Always on top"

/* ---- Dialogs ---- */

#define Q_DLG_FR_OK "OK"
#define Q_DLG_EN_OK "OK"
#define Q_DLG_FR_CANCEL "Annuler"
#define Q_DLG_EN_CANCEL "Cancel"

/* Rename, 1 / 101. The %s of the caption takes the desktop's title. */
#define Q_DLG_FR_RENAME_CAPTION "Renommer le bureau " Q_QUOTE "%s" Q_QUOTE
#define Q_DLG_EN_RENAME_CAPTION "Rename the desktop " Q_QUOTE "%s" Q_QUOTE
#define Q_DLG_FR_RENAME_PROMPT "Entrez le nouveau nom pour le bureau courant (maximum 32 caract\350res)"
#define Q_DLG_EN_RENAME_PROMPT "Enter the new name for the current desktop (32 characters maximum)"

/* About, 2 / 102. */
#define Q_DLG_FR_ABOUT_CAPTION "A Propos de ..."
#define Q_DLG_EN_ABOUT_CAPTION "About ..."
#define Q_DLG_FR_ABOUT_NAME Q_TEXT_TITLE
#define Q_DLG_EN_ABOUT_NAME Q_TEXT_TITLE
#define Q_DLG_FR_ABOUT_AUTHOR "Bureaux virtuels pour Windows\nPar l'\351quipe Halvern"
#define Q_DLG_EN_ABOUT_AUTHOR "Virtual desktops for Windows\nBy the Halvern team"
#define Q_DLG_FR_ABOUT_CONTACT "\n\n\nVous pouvez contacter l'auteur aux adresses suivantes :"
#define Q_DLG_EN_ABOUT_CONTACT "\n\n\nYou can contact the author at the following addresses :"
#define Q_DLG_FR_ABOUT_EMAIL_LABEL "e-mail :"
#define Q_DLG_EN_ABOUT_EMAIL_LABEL "e-mail :"
#define Q_DLG_FR_ABOUT_WEB_LABEL "Web :"
#define Q_DLG_EN_ABOUT_WEB_LABEL "Web :"
#define Q_DLG_FR_ABOUT_EMAIL Q_TEXT_EMAIL
#define Q_DLG_EN_ABOUT_EMAIL Q_TEXT_EMAIL
#define Q_DLG_FR_ABOUT_WEB Q_TEXT_WEB
#define Q_DLG_EN_ABOUT_WEB Q_TEXT_WEB

/* Hot key, 3 / 103. The %s of CURRENT takes the hot key's text. */
#define Q_DLG_FR_HOTKEY_CAPTION "Raccourci pour le bureau " Q_QUOTE "%s" Q_QUOTE
#define Q_DLG_EN_HOTKEY_CAPTION "Hot Key for the desktop " Q_QUOTE "%s" Q_QUOTE
#define Q_DLG_FR_HOTKEY_CURRENT "Le raccourci actuel est %s\nS\351lectionnez le nouveau raccourci :"
#define Q_DLG_EN_HOTKEY_CURRENT "The current hot key is %s\nSelect the new one :"
#define Q_DLG_FR_HOTKEY_SHIFT "&Shift"
#define Q_DLG_EN_HOTKEY_SHIFT "&Shift"
#define Q_DLG_FR_HOTKEY_CONTROL "&Control"
#define Q_DLG_EN_HOTKEY_CONTROL "&Control"
#define Q_DLG_FR_HOTKEY_ALT "&Alt"
#define Q_DLG_EN_HOTKEY_ALT "&Alt"
#define Q_DLG_FR_HOTKEY_NONE "Aucun"
#define Q_DLG_EN_HOTKEY_NONE "No Hot Key"

/* ---- Version information ---- */

#define Q_VER_COMPANY "Halvern"
#define Q_VER_PRODUCT Q_TEXT_PRODUCT
#define Q_VER_VERSION Q_TEXT_VERSION
#define Q_VER_INTERNAL_NAME "quillane"
#define Q_VER_FILE_NAME "quillane.exe"
#define Q_VER_COPYRIGHT "Copyright \251 Halvern"
#define Q_VER_COMMENTS Q_TEXT_EMAIL " - " Q_TEXT_WEB
#define Q_VER_FR_DESCRIPTION "Gestionnaire de bureaux virtuels"
#define Q_VER_EN_DESCRIPTION "Virtual desktop manager"

#endif
