// The About box as the user meets it: where it opens, its bold line, its links, and what it
// leaves behind; the reading of the picture strip's stored bitmap.
#include "machine.h"

#include "res/texts.h"
#include "ui/dialogs.h"
#include "ui/picture_strip.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace q::test {
namespace {

TEST(AboutPlacement, LowerRightCornerOnTheWorkAreasWhateverTheTaskbar) {
    const Rect box{101, 101, 392, 357}; // 291 x 256, where the template put it
    // Taskbar at the bottom, at the top, on the right.
    EXPECT_EQ(AboutPlacement({0, 0, 1024, 748}, box).x, 733);
    EXPECT_EQ(AboutPlacement({0, 0, 1024, 748}, box).y, 492);
    EXPECT_EQ(AboutPlacement({0, 30, 1024, 768}, box).y, 512);
    EXPECT_EQ(AboutPlacement({0, 0, 960, 768}, box).x, 669);
    // A box larger than the work area keeps its caption on the screen.
    const Point corner = AboutPlacement({0, 40, 200, 240}, box);
    EXPECT_EQ(corner.x, 0);
    EXPECT_EQ(corner.y, 40);
}

struct AboutSeen {
    Hwnd box = nullptr;
    Rect place{};
    int icon = 0;
    std::string nameFace;
    int nameWeight = 0, nameHeight = 0;
    std::string stripClass;
    Rect strip{};
    int handOverLink = -1;
    Lresult setCursorResult = 0;
    bool otherLinkMessagesReachTheControl = false;
    bool openAfterClicks = false;
};

TEST(AboutBox, OpensAtTheLowerRightWithItsFontStripAndLinksThatKeepItOpen) {
    Machine m;
    m.sim.workArea = {0, 0, 1024, 740};
    m.Start();
    AboutSeen seen;
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd box) {
        seen.box = box;
        seen.place = sim.Position(box);
        seen.icon = SimMachine::IconId(sim.ControlImage(box, IdIcon));
        if (const SimFont *font = sim.Font(sim.ControlFont(box, IdAboutName))) {
            seen.nameFace = font->face;
            seen.nameWeight = font->weight;
            seen.nameHeight = font->height;
        }
        Hwnd strip = sim.GetDlgItem(box, IdPictureStrip);
        seen.stripClass = sim.ClassName(strip);
        seen.strip = sim.Position(strip);

        // The pointing hand over a link; everything else still reaches the static control.
        Hwnd email = sim.GetDlgItem(box, IdEmailLink);
        seen.setCursorResult = sim.SendMessageA(email, WM_SETCURSOR, reinterpret_cast<Wparam>(email), 0);
        seen.handOverLink = SimMachine::CursorId(sim.Cursor());
        sim.SendMessageA(sim.GetDlgItem(box, IdWebLink), WM_SETTEXT, 0, reinterpret_cast<Lparam>("changed"));
        seen.otherLinkMessagesReachTheControl = sim.ControlText(box, IdWebLink) == "changed";

        sim.Click(box, IdEmailLink);
        sim.shellExecuteResult = 2; // no browser: nothing is said, the box stays
        sim.Click(box, IdWebLink);
        seen.openAfterClicks = sim.IsVisible(box) && m.app.AboutOpen == 1 && m.app.AboutWindow == box;
        EXPECT_EQ(sim.LiveFonts(), 1u);
        sim.Click(box, IDOK);
    });
    m.Command(CmdAbout);

    ASSERT_NE(seen.box, nullptr);
    EXPECT_EQ(seen.place.right, 1024);
    EXPECT_EQ(seen.place.bottom, 740);
    EXPECT_EQ(seen.icon, 1);
    EXPECT_EQ(seen.nameFace, "MS Sans Serif");
    EXPECT_EQ(seen.nameWeight, FW_BOLD);
    EXPECT_EQ(seen.nameHeight, 13); // one line of the dialog's font: 8 dialog units
    EXPECT_EQ(seen.stripClass, "BitmapBackground");
    EXPECT_EQ(seen.strip.left - seen.place.left, 10);
    EXPECT_EQ(seen.strip.top - seen.place.top, 50);
    EXPECT_EQ(seen.strip.right - seen.strip.left, 40);
    EXPECT_EQ(seen.strip.bottom - seen.strip.top, 190);
    EXPECT_EQ(seen.setCursorResult, 1);
    EXPECT_EQ(seen.handOverLink, CursorPointingHand);
    EXPECT_TRUE(seen.otherLinkMessagesReachTheControl);
    EXPECT_TRUE(seen.openAfterClicks);

    ASSERT_EQ(m.sim.shellExecutes.size(), 2u);
    EXPECT_EQ(m.sim.shellExecutes[0].owner, seen.box);
    EXPECT_EQ(m.sim.shellExecutes[0].operation, "open");
    EXPECT_EQ(m.sim.shellExecutes[0].file, std::string("mailto:") + Q_TEXT_EMAIL);
    EXPECT_EQ(m.sim.shellExecutes[0].show, SW_SHOW);
    EXPECT_EQ(m.sim.shellExecutes[1].file, Q_TEXT_WEB);

    EXPECT_FALSE(m.sim.dialogRuns.at(0).cancelledByMachine);
    EXPECT_EQ(m.sim.LiveFonts(), 0u);
    EXPECT_EQ(m.app.AboutOpen, 0);
    EXPECT_EQ(m.app.AboutWindow, nullptr);
}

// However the box ends, its font goes and the next request opens a new box.
TEST(AboutBox, EveryEndReleasesTheFontAndAllowsANewBox) {
    Machine m;
    m.Start();
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd box) { sim.CloseDialog(box); });
    m.Command(CmdAbout);
    m.sim.ScriptDialog([](SimMachine &sim, Hwnd box) {
        sim.SendMessageA(box, WM_COMMAND, IDCANCEL, 0); // Esc
    });
    m.Command(CmdAbout);
    // Gone without OK or Esc: destroyed along with its owner.
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd) { sim.DestroyWindow(m.app.MainWindow); });
    m.Command(CmdAbout);

    ASSERT_EQ(m.sim.dialogRuns.size(), 3u);
    EXPECT_FALSE(m.sim.dialogRuns[0].cancelledByMachine);
    EXPECT_FALSE(m.sim.dialogRuns[1].cancelledByMachine);
    EXPECT_EQ(m.sim.LiveFonts(), 0u);
    EXPECT_EQ(m.app.AboutOpen, 0);
    EXPECT_EQ(m.app.AboutWindow, nullptr);
}

// Other programs send the box what they like: WM_INITDIALOG again and again (the links are
// hooked once, so a message still reaches the static control instead of going round), the link
// messages, OK twice and About again as it ends. One font, one strip, one box, nothing left.
TEST(AboutBox, CopesWithAnyMessageAnyNumberOfTimes) {
    Machine m;
    m.Start();
    std::size_t fonts = 0, strips = 0;
    bool linksWork = false;
    m.sim.ScriptDialog([&](SimMachine &sim, Hwnd box) {
        for (int i = 0; i < 3; ++i)
            sim.SendMessageA(box, WM_INITDIALOG, 0, 0x1234);
        fonts = sim.LiveFonts();
        for (Hwnd c = sim.GetWindow(box, sim::GW_CHILD); c != nullptr; c = sim.GetWindow(c, GW_HWNDNEXT))
            if (sim.ClassName(c) == "BitmapBackground") ++strips;
        Hwnd web = sim.GetDlgItem(box, IdWebLink);
        sim.SendMessageA(web, WM_SETTEXT, 0, reinterpret_cast<Lparam>("changed"));
        linksWork = sim.SendMessageA(web, WM_SETCURSOR, reinterpret_cast<Wparam>(web), 0) == 1 &&
                    sim.ControlText(box, IdWebLink) == "changed";
        sim.Click(box, IDOK);
        sim.SendMessageA(box, WM_COMMAND, IDOK, 0);
        m.Command(CmdAbout);
        sim.SendMessageA(box, WM_INITDIALOG, 0, 0);
    });
    m.Command(CmdAbout);
    EXPECT_EQ(fonts, 1u);
    EXPECT_EQ(strips, 1u);
    EXPECT_TRUE(linksWork);
    EXPECT_EQ(m.sim.dialogRuns.size(), 1u);
    EXPECT_EQ(m.sim.LiveFonts(), 0u);
    EXPECT_EQ(m.app.AboutOpen, 0);
    m.Command(CmdAbout); // a fresh box afterwards
    EXPECT_EQ(m.sim.dialogRuns.size(), 2u);
    EXPECT_EQ(m.sim.LiveFonts(), 0u);
}

// A stored bitmap: header, colour table of `colours` entries (entry j = j, 2j, 3j), 8-bit rows.
std::vector<std::uint8_t> StoredBitmap8(std::int32_t width, std::int32_t height, std::uint32_t clrUsed,
                                        std::uint32_t colours) {
    std::vector<std::uint8_t> data(40 + 4 * colours +
                                   static_cast<std::size_t>((width + 3) / 4 * 4) *
                                       static_cast<std::size_t>(height < 0 ? -height : height));
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&data[at], &v, 4); };
    put32(0, 40);
    put32(4, static_cast<std::uint32_t>(width));
    put32(8, static_cast<std::uint32_t>(height));
    data[12] = 1;
    data[14] = 8;
    put32(32, clrUsed);
    for (std::uint32_t j = 0; j < colours; ++j) {
        data[40 + 4 * j] = static_cast<std::uint8_t>(3 * j); // blue, green, red
        data[41 + 4 * j] = static_cast<std::uint8_t>(2 * j);
        data[42 + 4 * j] = static_cast<std::uint8_t>(j);
    }
    return data;
}

TEST(PictureStrip, ReadsThePaletteOfTheStoredBitmapAndRefusesWhatOverruns) {
    EXPECT_STREQ(StripBitmapName(4), "Bitmap16");
    EXPECT_STREQ(StripBitmapName(8), "Bitmap32");
    EXPECT_STREQ(StripBitmapName(24), "Bitmap32");

    std::vector<std::uint8_t> strip = StoredBitmap8(40, 190, 256, 256);
    StoredBitmap read;
    ASSERT_TRUE(ReadStoredBitmap(strip.data(), strip.size(), read));
    EXPECT_EQ(read.width, 40);
    EXPECT_EQ(read.height, 190);
    EXPECT_EQ(read.colours, 256);
    EXPECT_EQ(read.pixelOffset, 40u + 1024u);
    ASSERT_EQ(read.paletteEntries, 32);
    EXPECT_EQ(read.palette[31].red, 31);
    EXPECT_EQ(read.palette[31].green, 62);
    EXPECT_EQ(read.palette[31].blue, 93);

    // biClrUsed 0: as many entries as the bits allow; a top-down picture has as many rows.
    std::vector<std::uint8_t> full = StoredBitmap8(40, -190, 0, 256);
    ASSERT_TRUE(ReadStoredBitmap(full.data(), full.size(), read));
    EXPECT_EQ(read.colours, 256);
    EXPECT_EQ(read.height, 190);

    // A table or rows beyond the resource, or a table no picture has, are not read.
    EXPECT_FALSE(ReadStoredBitmap(strip.data(), strip.size() - 1, read));
    EXPECT_FALSE(ReadStoredBitmap(strip.data(), 40 + 100, read));
    std::vector<std::uint8_t> huge = StoredBitmap8(40, 190, 100000, 256);
    EXPECT_FALSE(ReadStoredBitmap(huge.data(), huge.size(), read));
    EXPECT_FALSE(ReadStoredBitmap(strip.data(), 39, read));
}

} // namespace
} // namespace q::test
