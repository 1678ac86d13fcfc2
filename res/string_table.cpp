// The string table, menus and dialogs expanded from the same lists as quillane.rc.
#include "res/string_table.h"

#include "platform/wintypes.h"
#include "res/templates.h"

namespace q {
namespace {

template <typename T, int N> constexpr int Count(const T (&)[N]) {
    return N;
}

#define Q_CXX_ITEM(id, text, state) {id, text, MFT_STRING, state, nullptr, 0},
#define Q_CXX_SEPARATOR() {0, "", MFT_SEPARATOR, 0, nullptr, 0},
#define Q_CXX_POPUP(L, id, text, NAME) {id, text, MFT_STRING, 0, k##L##_##NAME, Count(k##L##_##NAME)},

// Inner pop-ups first: their parents point at them.
#define Q_CXX_MENU(L, resourceId)                                                                            \
    const MenuTemplateItem k##L##_APPLICATIONS[] = {                                                         \
        Q_MENU_ITEMS_APPLICATIONS(L, Q_CXX_ITEM, Q_CXX_SEPARATOR)};                                          \
    const MenuTemplateItem k##L##_DISPLAY[] = {Q_MENU_ITEMS_DISPLAY(L, Q_CXX_ITEM, Q_CXX_SEPARATOR)};        \
    const MenuTemplateItem k##L##_TRACKMENU[] = {                                                            \
        Q_MENU_ITEMS_TRACKMENU(L, Q_CXX_ITEM, Q_CXX_SEPARATOR, Q_CXX_POPUP)};                                \
    const MenuTemplateItem k##L##_TEMPMENU[] = {                                                             \
        Q_MENU_ITEMS_TEMPMENU(L, Q_CXX_ITEM, Q_CXX_SEPARATOR, Q_CXX_POPUP)};                                 \
    const MenuTemplateItem k##L##_POPUPS[] = {                                                               \
        {0, Q_MENU_TRACKMENU, MFT_STRING, 0, k##L##_TRACKMENU, Count(k##L##_TRACKMENU)},                     \
        {0, Q_MENU_TEMPMENU, MFT_STRING, 0, k##L##_TEMPMENU, Count(k##L##_TEMPMENU)}};                       \
    const MenuTemplateItem k##L##_MENU = {resourceId, "", MFT_STRING, 0, k##L##_POPUPS, 2};

Q_CXX_MENU(FR, 1)
Q_CXX_MENU(EN, 101)

#define Q_CXX_CONTROL(kind, id, text, x, y, cx, cy) {DialogControlKind::kind, id, text, x, y, cx, cy},

#define Q_CXX_DIALOG(L, NAME, resourceId)                                                                    \
    const DialogControlTemplate k##L##_##NAME##_CONTROLS[] = {Q_DIALOG_##NAME(L, Q_CXX_CONTROL)};            \
    const DialogTemplateData k##L##_##NAME = {                                                               \
        resourceId,    Q_DLG_##L##_##NAME##_CAPTION, Q_##NAME##_CX,                                          \
        Q_##NAME##_CY, k##L##_##NAME##_CONTROLS,     Count(k##L##_##NAME##_CONTROLS)};

Q_CXX_DIALOG(FR, RENAME, 1)
Q_CXX_DIALOG(FR, ABOUT, 2)
Q_CXX_DIALOG(FR, HOTKEY, 3)
Q_CXX_DIALOG(EN, RENAME, 101)
Q_CXX_DIALOG(EN, ABOUT, 102)
Q_CXX_DIALOG(EN, HOTKEY, 103)

} // namespace

const char *StringResource(unsigned id) {
#define Q_CXX_STRING(number, text)                                                                           \
    case number:                                                                                             \
        return text;
    switch (id) {
        Q_STRING_TABLE(Q_CXX_STRING)
    default:
        return nullptr;
    }
}

const MenuTemplateItem *MenuTemplate(int resourceId) {
    switch (resourceId) {
    case 1:
        return &kFR_MENU;
    case 101:
        return &kEN_MENU;
    default:
        return nullptr;
    }
}

const DialogTemplateData *DialogTemplate(int resourceId) {
    static const DialogTemplateData *const dialogs[] = {&kFR_RENAME, &kFR_ABOUT, &kFR_HOTKEY,
                                                        &kEN_RENAME, &kEN_ABOUT, &kEN_HOTKEY};
    for (const DialogTemplateData *dialog : dialogs) {
        if (dialog->resourceId == resourceId) return dialog;
    }
    return nullptr;
}

} // namespace q
