// The texts, menus and dialogs as the executable holds them. Expected texts are typed here in
// UTF-8 and the resources converted from code page 1252, so a wrong escape in texts.h (or a
// UTF-8 byte slipped into it) fails.
#include "res/string_table.h"

#include "engine/commands.h"
#include "platform/format.h"
#include "platform/wintypes.h"
#include "res/texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace q {
namespace {

// Code page 1252 to UTF-8. The texts use no character from 0x80-0x9F, so those come out as
// U+FFFD and fail any comparison.
std::string Utf8(const char *text) {
    std::string out;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        if (*p < 0x80) {
            out += static_cast<char>(*p);
        } else if (*p < 0xA0) {
            out += "\xEF\xBF\xBD";
        } else {
            out += static_cast<char>(0xC0 | (*p >> 6));
            out += static_cast<char>(0x80 | (*p & 0x3F));
        }
    }
    return out;
}

std::string String(unsigned id) {
    const char *text = StringResource(id);
    return text ? Utf8(text) : "<no string " + std::to_string(id) + ">";
}

struct Translation {
    int id;
    const char *french;
    const char *english;
};

TEST(StringTable, FrenchStringsAndTheirEnglishOnesAHundredHigher) {
    const Translation strings[] = {
        {1, "Bureau", "Desktop"},
        {2, "Voulez-vous vraiment supprimer le bureau nommé \"%s\" ?",
         "Would you really delete the desktop named \"%s\" ?"},
        {3,
         "Si vous quitter l'application, vous n'aurez plus de bureaux virtuels.\n"
         "Voulez-vous vraiment quitter Quillane ?",
         "If you quit this application, you will loose the multi-desktops property.\n"
         "Would you really quit Quillane ?"},
        {4, "Confirmation", "Confirmation"},
        {5, "Le raccourci %s est déjà utilisé.\nChoisissez un autre raccourci.",
         "The hot key %s is already in use.\nChoose another hot key."},
        {6, "[Aucun]", "[None]"},
        {7, "&Affiché dans tous les bureaux", "&Sticky"},
        {8,
         "Première partie de la désinstallation terminée. Veuillez cliquer sur le bouton OK puis "
         "relancer la désinstallation.",
         "First part of uninstall finished. Please click on the OK button and restart the uninstall "
         "procedure."},
    };
    for (const Translation &s : strings) {
        EXPECT_EQ(String(s.id), s.french) << "string " << s.id;
        EXPECT_EQ(String(100 + s.id), s.english) << "string " << 100 + s.id;
    }
}

TEST(StringTable, SharedStringsExistOnlyUnderTheirOwnNumber) {
    EXPECT_EQ(String(11), "Shellext");
    EXPECT_EQ(String(15), "\\quillane.exe");
    // Loading them with the English base would find nothing, as in the executable.
    for (unsigned id : {0u, 9u, 10u, 12u, 14u, 16u, 100u, 109u, 111u, 115u}) {
        EXPECT_EQ(StringResource(id), nullptr) << "string " << id;
    }
}

// The users load these into fixed buffers; a text that does not fit would be cut.
TEST(StringTable, TextsFitTheBuffersTheyAreLoadedInto) {
    // "Loaded and shown whole": 64 characters, one byte each in code page 1252.
    EXPECT_EQ(std::strlen(StringResource(5)), 64u);
    const struct {
        unsigned number;
        size_t buffer;
    } loads[] = {{1, 32}, {2, 64}, {3, 128}, {4, 16}};
    for (unsigned base : {0u, 100u}) {
        for (const auto &load : loads) {
            EXPECT_LT(std::strlen(StringResource(base + load.number)), load.buffer)
                << "string " << base + load.number;
        }
    }
}

// ---- Menus ----

const MenuTemplateItem *Find(const MenuTemplateItem &menu, unsigned id) {
    for (int i = 0; i < menu.childCount; ++i) {
        const MenuTemplateItem &item = menu.children[i];
        if (item.id == id && item.type != MFT_SEPARATOR) return &item;
        if (const MenuTemplateItem *inner = item.children ? Find(item, id) : nullptr) return inner;
    }
    return nullptr;
}

std::vector<unsigned> Ids(const MenuTemplateItem &popup) {
    std::vector<unsigned> ids;
    for (int i = 0; i < popup.childCount; ++i)
        ids.push_back(popup.children[i].id);
    return ids;
}

TEST(MenuTemplate, BothLanguagesHoldTheSameItemsInTheSamePlaces) {
    for (int resource : {1, 101}) {
        SCOPED_TRACE(resource);
        const MenuTemplateItem *menu = MenuTemplate(resource);
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->childCount, 2);
        const MenuTemplateItem &track = menu->children[0];
        const MenuTemplateItem &temp = menu->children[1];
        EXPECT_STREQ(track.text, "TrackMenu");
        EXPECT_STREQ(temp.text, "TempMenu");

        // Positions matter: the command menu and the floating window take items by position.
        EXPECT_EQ(Ids(track), (std::vector<unsigned>{CmdCreateDesktop, 0, Q_IDM_APPLICATIONS, 0,
                                                     CmdOneBackground, Q_IDM_DISPLAY, 0, CmdAbout, CmdQuit}));
        for (int i = 0; i < track.childCount; ++i) {
            const MenuTemplateItem &item = track.children[i];
            const bool separator = i == 1 || i == 3 || i == 6;
            const bool popup = i == 2 || i == 5;
            EXPECT_EQ(item.type, separator ? MFT_SEPARATOR : MFT_STRING) << "position " << i;
            EXPECT_EQ(item.children != nullptr, popup) << "position " << i;
            EXPECT_EQ(item.state, item.id == CmdOneBackground ? MFS_CHECKED : 0u) << "position " << i;
        }
        EXPECT_EQ(Ids(track.children[2]), (std::vector<unsigned>{Q_IDM_APPLICATIONS_PLACEHOLDER}));
        EXPECT_EQ(Ids(track.children[5]),
                  (std::vector<unsigned>{CmdFirstDisplayMode, CmdFirstDisplayMode + 1, CmdLastDisplayMode}));
        EXPECT_EQ(Ids(temp), (std::vector<unsigned>{Q_IDM_TEMPLATE_DESKTOP, Q_IDM_TEMPLATE_ACTIVATE,
                                                    Q_IDM_TEMPLATE_RENAME, Q_IDM_TEMPLATE_DELETE,
                                                    Q_IDM_TEMPLATE_HOTKEY, CmdAlwaysOnTop}));
        for (int i = 0; i < temp.childCount; ++i) {
            EXPECT_EQ(temp.children[i].state, 0u);
            EXPECT_EQ(temp.children[i].children, nullptr);
        }
    }
    for (int other : {0, 2, 100, 102})
        EXPECT_EQ(MenuTemplate(other), nullptr) << other;
}

TEST(MenuTemplate, ItemTextsInBothLanguages) {
    const Translation items[] = {
        {CmdCreateDesktop, "&Créer un nouveau bureau", "&Create a new desktop"},
        {Q_IDM_APPLICATIONS, "&Applications", "&Applications"},
        {Q_IDM_APPLICATIONS_PLACEHOLDER, "inutile", "nothing"},
        {CmdOneBackground, "&Fond d'écran unique", "&Only one background"},
        {Q_IDM_DISPLAY, "Affichage des b&ureaux", "&Desktops displaying"},
        {CmdFirstDisplayMode, "Dans la &barre des tâches", "In the &tasks bar"},
        {CmdFirstDisplayMode + 1, "Dans le &menu", "In this &menu"},
        {CmdLastDisplayMode, "Dans une &fenêtre flottante", "In a &floating window"},
        {CmdAbout, "A &Propos...", "&About..."},
        {CmdQuit, "&Quitter", "&Quit"},
        {Q_IDM_TEMPLATE_DESKTOP, "Bureau", "Desktop"},
        {Q_IDM_TEMPLATE_ACTIVATE, "Activer", "Activate"},
        {Q_IDM_TEMPLATE_RENAME, "&Renommer", "&Rename"},
        {Q_IDM_TEMPLATE_DELETE, "&Supprimer", "&Delete"},
        {Q_IDM_TEMPLATE_HOTKEY, "Définir le racc&ourci", "Define the &hot key"},
        {CmdAlwaysOnTop, "Toujours &visible", "&Always on top"},
    };
    for (const Translation &t : items) {
        const MenuTemplateItem *french = Find(*MenuTemplate(1), t.id);
        const MenuTemplateItem *english = Find(*MenuTemplate(101), t.id);
        ASSERT_NE(french, nullptr) << t.id;
        ASSERT_NE(english, nullptr) << t.id;
        EXPECT_EQ(Utf8(french->text), t.french);
        EXPECT_EQ(Utf8(english->text), t.english);
        // The floating window copies items through a 64-character buffer, the command menu
        // through 128 bytes.
        EXPECT_LT(std::strlen(french->text), 64u) << t.id;
        EXPECT_LT(std::strlen(english->text), 64u) << t.id;
    }
}

// ---- Dialogs ----

std::vector<int> ControlIds(const DialogTemplateData &dialog) {
    std::vector<int> ids;
    for (int i = 0; i < dialog.controlCount; ++i)
        ids.push_back(dialog.controls[i].id);
    return ids;
}

std::string ControlText(const DialogTemplateData &dialog, int id, int occurrence = 0) {
    for (int i = 0; i < dialog.controlCount; ++i) {
        if (dialog.controls[i].id == id && occurrence-- == 0) return Utf8(dialog.controls[i].text);
    }
    return "<no control " + std::to_string(id) + ">";
}

size_t Count(const std::string &text, const std::string &part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(DialogTemplate, RenameInBothLanguages) {
    const DialogTemplateData *french = DialogTemplate(1);
    const DialogTemplateData *english = DialogTemplate(101);
    ASSERT_NE(french, nullptr);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(Utf8(french->caption), "Renommer le bureau \"%s\"");
    EXPECT_EQ(Utf8(english->caption), "Rename the desktop \"%s\"");
    EXPECT_EQ(ControlText(*french, -1),
              "Entrez le nouveau nom pour le bureau courant (maximum 32 caractères)");
    EXPECT_EQ(ControlText(*english, -1),
              "Enter the new name for the current desktop (32 characters maximum)");
    for (const DialogTemplateData *d : {french, english}) {
        EXPECT_EQ(ControlIds(*d), (std::vector<int>{50, -1, 100, 1, 2}));
        EXPECT_EQ(d->controls[2].kind, DialogControlKind::Edit);
        EXPECT_EQ(d->controls[3].kind, DialogControlKind::DefButton);
        EXPECT_EQ(ControlText(*d, 1), "OK");
    }
    EXPECT_EQ(ControlText(*french, 2), "Annuler");
    EXPECT_EQ(ControlText(*english, 2), "Cancel");
}

TEST(DialogTemplate, HotKeyInBothLanguages) {
    const DialogTemplateData *french = DialogTemplate(3);
    const DialogTemplateData *english = DialogTemplate(103);
    ASSERT_NE(french, nullptr);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(Utf8(french->caption), "Raccourci pour le bureau \"%s\"");
    EXPECT_EQ(Utf8(english->caption), "Hot Key for the desktop \"%s\"");
    EXPECT_EQ(ControlText(*french, 500), "Le raccourci actuel est %s\nSélectionnez le nouveau raccourci :");
    EXPECT_EQ(ControlText(*english, 500), "The current hot key is %s\nSelect the new one :");
    EXPECT_EQ(ControlText(*french, 105), "Aucun");
    EXPECT_EQ(ControlText(*english, 105), "No Hot Key");
    EXPECT_EQ(ControlText(*french, 2), "Annuler");
    EXPECT_EQ(ControlText(*english, 2), "Cancel");
    for (const DialogTemplateData *d : {french, english}) {
        EXPECT_EQ(ControlIds(*d), (std::vector<int>{50, 500, 101, 102, 103, 104, 1, 2, 105}));
        EXPECT_EQ(ControlText(*d, 101), "&Shift");
        EXPECT_EQ(ControlText(*d, 102), "&Control");
        EXPECT_EQ(ControlText(*d, 103), "&Alt");
        EXPECT_EQ(ControlText(*d, 1), "OK");
        EXPECT_EQ(d->controls[5].kind, DialogControlKind::List);
    }
}

TEST(DialogTemplate, AboutInBothLanguages) {
    const DialogTemplateData *french = DialogTemplate(2);
    const DialogTemplateData *english = DialogTemplate(102);
    ASSERT_NE(french, nullptr);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(Utf8(french->caption), "A Propos de ...");
    EXPECT_EQ(Utf8(english->caption), "About ...");
    EXPECT_EQ(ControlText(*french, -1, 1), "\n\n\nVous pouvez contacter l'auteur aux adresses suivantes :");
    EXPECT_EQ(ControlText(*english, -1, 1), "\n\n\nYou can contact the author at the following addresses :");
    for (const DialogTemplateData *d : {french, english}) {
        EXPECT_EQ(ControlIds(*d), (std::vector<int>{1, 100, 50, -1, -1, -1, -1, 501, 500}));
        EXPECT_EQ(ControlText(*d, 100), "Quillane v2.0");
        EXPECT_EQ(ControlText(*d, -1, 2), "e-mail :");
        EXPECT_EQ(ControlText(*d, -1, 3), "Web :");
        // The links show exactly what a click opens.
        EXPECT_EQ(ControlText(*d, 500), Q_TEXT_EMAIL);
        EXPECT_EQ(ControlText(*d, 501), Q_TEXT_WEB);
        EXPECT_EQ(d->controls[7].kind, DialogControlKind::Link);
        EXPECT_EQ(d->controls[8].kind, DialogControlKind::Link);
    }
}

// The dialogs read their templates back (caption up to 63 characters, control 500 up to 95)
// and fill one %s with wsprintfA.
TEST(DialogTemplate, TemplatesFitWhatTheDialogsReadBack) {
    for (int id : {1, 3, 101, 103}) {
        const DialogTemplateData *d = DialogTemplate(id);
        ASSERT_NE(d, nullptr);
        EXPECT_LE(std::strlen(d->caption), 63u) << id;
        EXPECT_EQ(Count(d->caption, "%"), 1u) << id;
        EXPECT_EQ(Count(d->caption, "%s"), 1u) << id;
    }
    for (int id : {3, 103}) {
        const std::string current = ControlText(*DialogTemplate(id), 500);
        EXPECT_LE(current.size(), 95u) << id;
        EXPECT_EQ(Count(current, "%"), 1u) << id;
    }
    for (int other : {0, 4, 100, 104})
        EXPECT_EQ(DialogTemplate(other), nullptr) << other;
}

// The program's own formatter, which fills every template: what snprintf gave, cut short the
// same way, and a template's stray "%" shown rather than read as an argument.
TEST(Texts, FormatTextFillsTemplatesAsSnprintfDid) {
    char text[16];
    EXPECT_EQ(FormatText(text, sizeof text, "%s %d", "Bureau", 8), 8);
    EXPECT_STREQ(text, "Bureau 8");
    FormatText(text, sizeof text, "F%d|%d|%d", 24, -7, -2147483647 - 1);
    EXPECT_STREQ(text, "F24|-7|-2147483");
    EXPECT_EQ(FormatText(text, sizeof text, "%.*s[%s]%s", 3, "Titre %s", "abc", "!"), 9);
    EXPECT_STREQ(text, "Tit[abc]!");
    const char *stray = "100%% %x %"; // as a template from the resources would come
    FormatText(text, sizeof text, stray, 5);
    EXPECT_STREQ(text, "100% %x %");
    EXPECT_EQ(FormatText(text, 4, "%s", "Desktop"), 3);
    EXPECT_STREQ(text, "Des");
    text[0] = 'x';
    EXPECT_EQ(FormatText(text, 0, "%s", "Desktop"), 0);
    EXPECT_EQ(text[0], 'x');
}

} // namespace
} // namespace q
