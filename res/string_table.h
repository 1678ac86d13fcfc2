// The string table, menus and dialog templates as quillane.exe holds them, readable without
// the Windows headers: the simulated platform loads its resources from here, and the texts
// are built from the same macros as quillane.rc. Texts are in code page 1252.
#pragma once

namespace q {

// Text of string resource id (1-8 French, 101-108 English, 11 and 15 shared); nullptr for a
// number the executable does not hold, as LoadStringA would find nothing.
const char *StringResource(unsigned id);

// One item of an extended menu template. A pop-up has children; a separator has type
// MFT_SEPARATOR, id 0 and an empty text. type and state carry the MFT_ and MFS_ values.
struct MenuTemplateItem {
    unsigned id;
    const char *text;
    unsigned type;
    unsigned state;
    const MenuTemplateItem *children;
    int childCount;
};

// Menu resource 1 (French) or 101 (English): a root whose children are the pop-ups
// "TrackMenu" (position 0) and "TempMenu" (position 1). nullptr for any other number.
const MenuTemplateItem *MenuTemplate(int resourceId);

// Control kinds of the dialog templates; quillane.rc gives each its class and styles.
enum class DialogControlKind {
    Icon,      // static, SS_ICON
    Label,     // static text
    Link,      // static text, centred, sunken, SS_NOTIFY
    Edit,      // bordered edit, scrolling sideways
    DefButton, // default push button
    Button,    // push button
    Check,     // automatic check box
    List,      // bordered multi-column list box with a vertical scroll bar
};

struct DialogControlTemplate {
    DialogControlKind kind;
    int id; // -1 for the unnamed static texts
    const char *text;
    int x, y, cx, cy; // dialog units
};

struct DialogTemplateData {
    int resourceId;
    const char *caption;
    int cx, cy; // dialog units
    const DialogControlTemplate *controls;
    int controlCount;
};

// Dialog resource 1-3 (French) or 101-103 (English); nullptr for any other number.
const DialogTemplateData *DialogTemplate(int resourceId);

} // namespace q
