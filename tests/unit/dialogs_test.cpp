// The Rename and Hot key dialogs as the user fills them, and the text form of hot keys.
#include "machine.h"

#include "ui/dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q::test {
namespace {

constexpr Uint F(int n) {
    return VK_F1 + static_cast<Uint>(n) - 1;
}
constexpr std::uint32_t HotKeyValue(Uint modifiers, Uint key) {
    return modifiers << 16 | key;
}

std::optional<SimValue> Stored(Machine &m, int n, const char *name) {
    return m.sim.Value(HkeyCurrentUser(), DesktopPath(n), name);
}

std::size_t SettingsWrites(Machine &m) {
    return m.sim.CountRegistryCalls("set", "Halvern");
}

std::string Text(Machine &m, std::uint32_t value) {
    char text[32];
    HotKeyText(m.app, value, text);
    return text;
}

// Three desktops on desktop 1, with a wallpaper the user changed after the last save.
void StartThree(Machine &m) {
    m.sim.SetText(HkeyCurrentUser(), WallpaperValuesPath, "Wallpaper", "start.bmp");
    m.StoreDesktops({"Home", "Work", "Play"});
    m.Start();
    m.sim.SetText(HkeyCurrentUser(), WallpaperValuesPath, "Wallpaper", "changed.bmp");
}

TEST(RenameDialog, OkStoresTheTypedTitleOfTheEditedDesktopOnly) {
    Machine m;
    StartThree(m);
    std::string caption, shownTitle;
    std::size_t limit = 0;
    int edited = 0, icon = 0;
    bool longTextTaken = true;
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd dialog) {
        caption = sim.WindowText(dialog);
        shownTitle = sim.ControlText(dialog, IdTitleEdit);
        limit = sim.TextLimit(dialog, IdTitleEdit);
        icon = SimMachine::IconId(sim.ControlImage(dialog, IdIcon));
        edited = m.Current();
        longTextTaken = sim.Type(dialog, IdTitleEdit, std::string(40, 'w'));
        sim.Click(dialog, IDOK);
    });
    m.Command(DesktopCommandId(2, DesktopRename));
    EXPECT_EQ(m.sim.dialogRuns.at(0).resource, 101);
    EXPECT_EQ(caption, "Rename the desktop \"Work\"");
    EXPECT_EQ(shownTitle, "Work");
    EXPECT_EQ(limit, 32u);
    EXPECT_EQ(icon, 1);
    EXPECT_EQ(edited, 2);
    EXPECT_FALSE(longTextTaken);

    const std::string typed(32, 'w');
    EXPECT_EQ(m.Current(), 1);
    EXPECT_EQ(m.app.Record(2).DesktopTitle, typed);
    std::optional<SimValue> title = Stored(m, 2, "DesktopTitle");
    ASSERT_TRUE(title.has_value());
    EXPECT_EQ(title->type, REG_SZ);
    EXPECT_EQ(title->data.size(), 33u);
    EXPECT_EQ(title->Text(), typed);
    EXPECT_EQ(Stored(m, 1, "DesktopTitle")->Text(), "Home");
    EXPECT_EQ(m.sim.NotifyIcon(m.app.MainWindow, 2)->tip, typed);
    // The wallpaper in force belongs to desktop 1, not to the edited one; no record takes it.
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(Stored(m, n, "Wallpaper")->Text(), "start.bmp") << n;

    // An empty title is a title too.
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd dialog) {
        sim.Type(dialog, IdTitleEdit, "");
        sim.Click(dialog, IDOK);
    });
    m.Command(DesktopCommandId(3, DesktopRename));
    EXPECT_EQ(Stored(m, 3, "DesktopTitle")->Text(), "");
    EXPECT_EQ(m.sim.NotifyIcon(m.app.MainWindow, 3)->tip, "");
}

TEST(RenameDialog, CancelAndTheCloseBoxChangeNothingButTheTipIsSetAgain) {
    Machine m;
    StartThree(m);
    const std::size_t writes = SettingsWrites(m);
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd dialog) {
        sim.Type(dialog, IdTitleEdit, "Other");
        sim.Click(dialog, IDCANCEL);
    });
    m.Command(DesktopCommandId(3, DesktopRename));
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd dialog) {
        sim.Type(dialog, IdTitleEdit, "Other");
        sim.CloseDialog(dialog);
    });
    m.Command(DesktopCommandId(3, DesktopRename));
    EXPECT_FALSE(m.sim.dialogRuns.at(1).cancelledByMachine);
    EXPECT_EQ(m.app.Record(3).DesktopTitle, std::string("Play"));
    EXPECT_EQ(SettingsWrites(m), writes);
    EXPECT_EQ(m.sim.NotifyIcon(m.app.MainWindow, 3)->tip, "Play");
    std::size_t tipsSet = 0;
    for (const SimNotifyCall &call : m.sim.notifyCalls)
        if (call.message == NIM_MODIFY && call.data.uID == 3 && (call.data.uFlags & NIF_TIP) != 0) ++tipsSet;
    EXPECT_EQ(tipsSet, 2u);

    // Without desktop icons there is no tip to set.
    m.Command(DisplayModeCommand(DisplayMenu));
    const std::size_t notifies = m.sim.notifyCalls.size();
    m.Command(DesktopCommandId(3, DesktopRename));
    EXPECT_EQ(m.sim.notifyCalls.size(), notifies);
}

TEST(HotKeyDialog, ShowsTheStoredHotKey) {
    struct Case {
        std::uint32_t stored;
        std::string label;
        bool shift, control, alt, none;
        int selected;
    };
    const Case cases[] = {
        {0, "[None]", false, false, false, true, 0},
        {HotKeyValue(MOD_CONTROL | MOD_ALT, F(5)), "Ctrl+Alt+F5", false, true, true, false, 4},
        {HotKeyValue(MOD_SHIFT, F(24)), "Shift+F24", true, false, false, false, 23},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        Machine m;
        m.StoreDesktops({"Home", "Work"});
        m.StoreHotKey(2, c.stored);
        m.Start();
        bool checked = false;
        m.sim.ScriptDialog([&](SimMachine &sim, Hwnd dialog) {
            EXPECT_EQ(sim.WindowText(dialog), "Hot Key for the desktop \"Work\"");
            EXPECT_EQ(SimMachine::IconId(sim.ControlImage(dialog, IdIcon)), 1);
            EXPECT_EQ(sim.ControlText(dialog, IdHotKeyLabel),
                      "The current hot key is " + c.label + "\nSelect the new one :");
            EXPECT_EQ(sim.IsChecked(dialog, IdShift), c.shift);
            EXPECT_EQ(sim.IsChecked(dialog, IdControl), c.control);
            EXPECT_EQ(sim.IsChecked(dialog, IdAlt), c.alt);
            EXPECT_EQ(sim.IsChecked(dialog, IdNoHotKey), c.none);
            for (int id = IdShift; id <= IdKeyList; ++id)
                EXPECT_EQ(sim.IsWindowEnabled(sim.GetDlgItem(dialog, id)), !c.none) << id;
            std::vector<std::string> keys = sim.ListItems(dialog, IdKeyList);
            ASSERT_EQ(keys.size(), 24u);
            EXPECT_EQ(keys.front(), "F1");
            EXPECT_EQ(keys[9], "F10");
            EXPECT_EQ(keys.back(), "F24");
            EXPECT_EQ(sim.ListColumnWidth(dialog, IdKeyList), 40);
            EXPECT_EQ(sim.ListSelection(dialog, IdKeyList), c.selected);
            checked = true;
        });
        m.Command(DesktopCommandId(2, DesktopHotKey));
        EXPECT_TRUE(checked);
        EXPECT_EQ(m.sim.dialogRuns.at(0).resource, 103);
    }
}

TEST(HotKeyDialog, OkRegistersAndStoresTheChoiceAndNoHotKeyReleasesIt) {
    Machine m;
    StartThree(m);
    const std::size_t writes = SettingsWrites(m);

    // From none: the no-hot-key box unlocks the choice, and F1 alone is what OK takes.
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd dialog) {
        sim.Click(dialog, IdNoHotKey);
        EXPECT_TRUE(sim.IsWindowEnabled(sim.GetDlgItem(dialog, IdKeyList)));
        sim.Click(dialog, IDOK);
    });
    m.Command(DesktopCommandId(1, DesktopHotKey));
    EXPECT_EQ(Stored(m, 1, "HotKey")->Number(), F(1));
    EXPECT_EQ(m.sim.HotKeyHolder(0, F(1))->id, 1);

    // Desktop 2, not the shown one, gets Shift+F2.
    int edited = 0;
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd dialog) {
        edited = m.Current();
        sim.Click(dialog, IdNoHotKey);
        sim.Click(dialog, IdShift);
        sim.SelectListItem(dialog, IdKeyList, 1);
        sim.Click(dialog, IDOK);
    });
    m.Command(DesktopCommandId(2, DesktopHotKey));
    EXPECT_EQ(edited, 2);
    EXPECT_EQ(m.Current(), 1);
    std::optional<SimValue> stored = Stored(m, 2, "HotKey");
    EXPECT_EQ(stored->type, REG_DWORD);
    EXPECT_EQ(stored->data.size(), 4u);
    EXPECT_EQ(stored->Number(), HotKeyValue(MOD_SHIFT, F(2)));
    EXPECT_GT(SettingsWrites(m), writes);
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(Stored(m, n, "Wallpaper")->Text(), "start.bmp") << n;
    ASSERT_TRUE(m.sim.PressHotKey(MOD_SHIFT, F(2)));
    EXPECT_EQ(m.Current(), 2);

    // OK unchanged: released and taken again without a conflict.
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd dialog) { sim.Click(dialog, IDOK); });
    m.Command(DesktopCommandId(2, DesktopHotKey));
    EXPECT_TRUE(m.sim.messageBoxes.empty());
    EXPECT_EQ(m.sim.HotKeyHolder(MOD_SHIFT, F(2))->id, 2);

    // Ticking no hot key locks the choice and, on OK, frees the key.
    bool lockedWithTicksKept = false;
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd dialog) {
        sim.Click(dialog, IdNoHotKey);
        lockedWithTicksKept = !sim.IsWindowEnabled(sim.GetDlgItem(dialog, IdShift)) &&
                              sim.IsChecked(dialog, IdShift) && sim.ListSelection(dialog, IdKeyList) == 1;
        sim.Click(dialog, IDOK);
    });
    m.Command(DesktopCommandId(2, DesktopHotKey));
    EXPECT_TRUE(lockedWithTicksKept);
    EXPECT_EQ(Stored(m, 2, "HotKey")->Number(), 0u);
    EXPECT_FALSE(m.sim.HotKeyHolder(MOD_SHIFT, F(2)).has_value());
}

TEST(HotKeyDialog, ATakenCombinationIsRefusedAndTheFormerKeyKeepsWorking) {
    Machine m;
    m.StoreDesktops({"Home", "Work"});
    m.StoreHotKey(1, F(1));
    m.StoreHotKey(2, HotKeyValue(MOD_CONTROL, F(3)));
    m.sim.HoldHotKeyElsewhere(MOD_ALT, F(9));
    m.Start();
    const std::size_t writes = SettingsWrites(m);

    bool stayedOpen = false;
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd dialog) {
        sim.Click(dialog, IdControl); // off: plain F1, desktop 1's
        sim.SelectListItem(dialog, IdKeyList, 0);
        sim.Click(dialog, IDOK);
        sim.Click(dialog, IdAlt); // Alt+F9, another program's
        sim.SelectListItem(dialog, IdKeyList, 8);
        sim.Click(dialog, IDOK);
        stayedOpen = sim.Click(dialog, IDCANCEL);
    });
    m.Command(DesktopCommandId(2, DesktopHotKey));
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(m.sim.messageBoxes.size(), 2u);
    const SimMessageBox &box = m.sim.messageBoxes[0];
    EXPECT_EQ(box.owner, m.sim.dialogRuns.at(0).dialog);
    EXPECT_EQ(box.caption, "Information");
    EXPECT_EQ(box.type, MB_ICONWARNING);
    EXPECT_EQ(box.text, "The hot key F1 is already in use.\nChoose another hot key.");
    EXPECT_EQ(m.sim.messageBoxes[1].text, "The hot key Alt+F9 is already in use.\nChoose another hot key.");

    EXPECT_EQ(SettingsWrites(m), writes);
    EXPECT_EQ(m.app.Record(2).HotKey, HotKeyValue(MOD_CONTROL, F(3)));
    EXPECT_EQ(m.sim.HotKeyHolder(0, F(1))->id, 1);
    // Our choice: the refused attempt gives desktop 2 its own key back at once.
    ASSERT_TRUE(m.sim.PressHotKey(MOD_CONTROL, F(3)));
    EXPECT_EQ(m.Current(), 2);
}

TEST(HotKeyDialog, TheLongestFrenchConflictMessageIsShownWhole) {
    Machine m;
    m.sim.SetUserDefaultLCID(0x040C);
    m.sim.HoldHotKeyElsewhere(MOD_SHIFT | MOD_CONTROL | MOD_ALT, F(24));
    m.Start();
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd dialog) {
        sim.Click(dialog, IdNoHotKey);
        for (int id : {IdShift, IdControl, IdAlt})
            sim.Click(dialog, id);
        sim.SelectListItem(dialog, IdKeyList, 23);
        sim.Click(dialog, IDOK);
    });
    m.Command(DesktopCommandId(1, DesktopHotKey));
    ASSERT_EQ(m.sim.messageBoxes.size(), 1u);
    EXPECT_EQ(Utf8(m.sim.messageBoxes[0].text),
              "Le raccourci Shift+Ctrl+Alt+F24 est déjà utilisé.\nChoisissez un autre raccourci.");
    EXPECT_EQ(Utf8(m.sim.dialogRuns.at(0).caption), "Raccourci pour le bureau \"Bureau 1\"");
}

// A WM_INITDIALOG from another program while the user is at work changes nothing they did:
// the typed title, the ticks and the list of 24 keys stay, and OK stores what they chose.
TEST(Dialogs, ASecondInitialisationKeepsWhatTheUserDid) {
    Machine m;
    StartThree(m);
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd dialog) {
        sim.Type(dialog, IdTitleEdit, "Typed");
        sim.SendMessageA(dialog, WM_INITDIALOG, 0, 0);
        EXPECT_EQ(sim.ControlText(dialog, IdTitleEdit), "Typed");
        sim.Click(dialog, IDOK);
    });
    m.Command(DesktopCommandId(2, DesktopRename));
    EXPECT_EQ(Stored(m, 2, "DesktopTitle")->Text(), "Typed");
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd dialog) {
        sim.Click(dialog, IdNoHotKey);
        sim.Click(dialog, IdAlt);
        sim.SelectListItem(dialog, IdKeyList, 6);
        sim.SendMessageA(dialog, WM_INITDIALOG, 0, 0);
        EXPECT_EQ(sim.ListItems(dialog, IdKeyList).size(), 24u);
        EXPECT_FALSE(sim.IsChecked(dialog, IdNoHotKey));
        sim.Click(dialog, IDOK);
    });
    m.Command(DesktopCommandId(2, DesktopHotKey));
    EXPECT_EQ(Stored(m, 2, "HotKey")->Number(), HotKeyValue(MOD_ALT, F(7)));
}

TEST(HotKeyText, NamesTheModifiersInOrderShiftCtrlAlt) {
    Machine m;
    m.Start();
    const char *expected[] = {"F7",       "Alt+F7",       "Ctrl+F7",       "Ctrl+Alt+F7",
                              "Shift+F7", "Shift+Alt+F7", "Shift+Ctrl+F7", "Shift+Ctrl+Alt+F7"};
    for (Uint modifiers = 0; modifiers < 8; ++modifiers)
        EXPECT_EQ(Text(m, HotKeyValue(modifiers, F(7))), expected[modifiers]);
    EXPECT_EQ(Text(m, HotKeyValue(7, F(24))), "Shift+Ctrl+Alt+F24");
    EXPECT_EQ(Text(m, 0), "[None]");
    m.app.LanguageBase = 0;
    EXPECT_EQ(Text(m, 0), "[Aucun]");
    EXPECT_EQ(Text(m, F(1)), "F1");
}

TEST(HotKeyDialog, StrangeStoredValuesShowSensibleTexts) {
    // Written by something else: modifier bits the program never sets, keys it never offers.
    const std::uint32_t values[] = {HotKeyValue(0x000F, F(5)), HotKeyValue(0xFFFF, F(5)), 0x00000041u,
                                    0xFFFFFFFFu, HotKeyValue(0xFFF8, 0)};
    for (std::uint32_t value : values) {
        SCOPED_TRACE(value);
        Machine m;
        m.StoreDesktops({"Home", "Work"});
        m.StoreHotKey(1, value);
        m.Start();
        const std::string text = Text(m, value);
        EXPECT_FALSE(text.empty());
        EXPECT_LE(text.size(), 31u);
        for (char c : text) {
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << text;
        }
        if (LoWord(value) == F(5)) {
            EXPECT_EQ(text, "Shift+Ctrl+Alt+F5");
        }

        std::string label;
        int selected = -1;
        m.sim.ScriptDialog([&](SimMachine &sim, Hwnd dialog) {
            label = sim.ControlText(dialog, IdHotKeyLabel);
            selected = sim.ListSelection(dialog, IdKeyList);
        });
        m.Command(DesktopCommandId(1, DesktopHotKey));
        EXPECT_EQ(label, "The current hot key is " + text + "\nSelect the new one :");
        EXPECT_GE(selected, 0);
        EXPECT_LT(selected, 24);
    }
}

} // namespace
} // namespace q::test
