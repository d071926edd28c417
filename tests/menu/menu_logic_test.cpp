// The menu program's logic without windows: the settings and items of the
// menu file in both directions, the command line, the menu name rule and
// the row height.
#include <gtest/gtest.h>

#include "fmenu.h"
#include "foption.h"
#include "g01.h"
#include "qini.h"
#include "item_lines.h"
#include "s01.h"

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::wstring>;

using itemlines::Hex;
using itemlines::Item;

// The file that a run writes for these lines read in: settings and items
// through a store and an item menu, as the run does it.
Lines Cycle(const Lines& fileLines, TMenuSettings* settingsOut = nullptr) {
    TQini read;
    read.List()->Lines() = fileLines;
    TMenuSettings settings;
    ReadMenuSettings(&read, &settings);
    TKMenu menu(nullptr);
    menu.LoadItems(&read);
    TQini written;
    WriteMenuSettings(&written, menu.Items, &settings);
    if (settingsOut) *settingsOut = settings;
    return written.List()->Lines();
}

const Lines kDefaultSettings = {L"ColorMode=3",     L"ButtonColor=14215660", L"TextColor=0",
                                L"FontName=Tahoma", L"FontSize=9",           L"ButtonWidth=150"};

Lines Expected(const Lines& items) {
    Lines out = {L"Pelnor=0.02"};
    out.insert(out.end(), items.begin(), items.end());
    out.insert(out.end(), kDefaultSettings.begin(), kDefaultSettings.end());
    return out;
}

}  // namespace

TEST(MenuFile, ItemsAreTakenInKeyOrderAndWrittenWithoutGaps) {
    const std::wstring a = Item(L"A", L"C:\\a.exe"), b = Item(L"B", L""), c = Item(L"", L"C:\\c");
    struct Case {
        const char* what;
        Lines in;
        Lines items;
    } cases[] = {
        {"B0 and B2 become B0 and B1", {L"B0=" + a, L"B2=" + c}, {L"B0=" + a, L"B1=" + c}},
        {"B3 before B0 in the file", {L"B3=" + c, L"B0=" + a}, {L"B0=" + a, L"B1=" + c}},
        {"an empty B0 is skipped", {L"B0=", L"B1=" + b}, {L"B0=" + b}},
        {"B50 is not read", {L"B0=" + a, L"B50=" + b}, {L"B0=" + a}},
        {"B49 is the last key read", {L"B49=" + b}, {L"B0=" + b}},
        {"the first of two equal keys counts", {L"B0=" + a, L"B0=" + b}, {L"B0=" + a}},
        {"keys in other letter case", {L"b0=" + a, L"b1=" + b}, {L"B0=" + a, L"B1=" + b}},
        {"other keys are dropped", {L"Top=5", L"B1=" + a, L"Foo=bar"}, {L"B0=" + a}},
        {"no items: the blank item is not written", {}, {}},
        {"an item line is kept as it stands", {L"B0=junk\\1" + Hex(L"x") + L"\\5abc"}, {L"B0=junk\\1" + Hex(L"x") + L"\\5abc"}},
    };
    for (const Case& k : cases) EXPECT_EQ(Cycle(k.in), Expected(k.items)) << k.what;
}

TEST(MenuFile, SettingsAreReadWithTheirDefaultsAndWrittenInOrder) {
    TMenuSettings s;
    Lines out = Cycle({L"colormode=2", L"BUTTONCOLOR=255", L"TextColor=16777215", L"FontName=Arial",
                       L"FontSize=12", L"ButtonWidth=300"},
                      &s);
    EXPECT_EQ(s.ColorMode, 2);
    EXPECT_EQ(s.ButtonColor, 255);
    EXPECT_EQ(s.TextColor, 0xFFFFFF);
    EXPECT_EQ(s.FontName, L"Arial");
    EXPECT_EQ(s.FontSize, 12);
    EXPECT_EQ(s.ButtonWidth, 300);
    EXPECT_EQ(s.ItemHeight, MenuItemHeight(L"Arial", 12));
    EXPECT_EQ(out, (Lines{L"Pelnor=0.02", L"ColorMode=2", L"ButtonColor=255", L"TextColor=16777215",
                          L"FontName=Arial", L"FontSize=12", L"ButtonWidth=300"}));

    // Empty values take the defaults; a value without digits reads as 0;
    // leading blanks and trailing text are allowed around the number.
    Cycle({L"ColorMode=abc", L"FontSize=", L"FontName=", L"ButtonWidth= 200px", L"TextColor=-1"}, &s);
    EXPECT_EQ(s.ColorMode, 0);
    EXPECT_EQ(s.FontSize, 9);
    EXPECT_EQ(s.FontName, L"Tahoma");
    EXPECT_EQ(s.ButtonWidth, 200);
    EXPECT_EQ(s.TextColor, -1);
    EXPECT_EQ(s.ButtonColor, 14215660);

    // A missing file gives every default.
    Lines out2 = Cycle({}, &s);
    EXPECT_EQ(out2, Expected({}));
    EXPECT_EQ(s.ItemHeight, MenuItemHeight(L"Tahoma", 9));
}

TEST(MenuFile, AWidthOrFontSizeThatLeavesNoUsableMenuGivesTheDefaultOthersAreKept) {
    const int cx = ::GetSystemMetrics(SM_CXSCREEN);
    struct Case {
        std::wstring line;
        int width, fontSize;
    } cases[] = {
        {L"ButtonWidth=0", 150, 9},
        {L"ButtonWidth=-1", 150, 9},
        {L"ButtonWidth=-2147483648", 150, 9},
        {L"ButtonWidth=2147483647", 150, 9},
        {L"ButtonWidth=5000", 150, 9},
        {L"ButtonWidth=" + std::to_wstring(cx + 1), 150, 9},
        {L"ButtonWidth=" + std::to_wstring(cx), cx, 9},  // as wide as the screen
        {L"ButtonWidth=1", 150, 9},  // items are W - 2 wide: nothing to click
        {L"ButtonWidth=2", 150, 9},
        {L"ButtonWidth=3", 3, 9},
        {L"ButtonWidth=60", 60, 9},
        {L"FontSize=0", 150, 0},  // the font's own height: rows to click
        {L"FontSize=-3", 150, -3},
        {L"FontSize=-1000", 150, 9},
        {L"FontSize=1000", 150, 9},
        {L"FontSize=2147483647", 150, 9},
        {L"FontSize=-2147483648", 150, 9},
        {L"FontSize=1", 150, 1},
        {L"FontSize=40", 150, 40},
    };
    for (const Case& k : cases) {
        TMenuSettings s;
        const Lines out = Cycle({k.line}, &s);
        const std::string what = testing::PrintToString(k.line);
        EXPECT_EQ(s.ButtonWidth, k.width) << what;
        EXPECT_EQ(s.FontSize, k.fontSize) << what;
        EXPECT_EQ(s.ItemHeight, MenuItemHeight(L"Tahoma", k.fontSize)) << what;
        EXPECT_GT(s.ItemHeight, 8) << what;
        EXPECT_LE(s.ItemHeight, ::GetSystemMetrics(SM_CYSCREEN)) << what;
        // What is used is what the file gets back.
        EXPECT_EQ(out[6], L"ButtonWidth=" + std::to_wstring(k.width)) << what;
        EXPECT_EQ(out[5], L"FontSize=" + std::to_wstring(k.fontSize)) << what;
    }
}

namespace {
int g_beeps = 0;
void CountBeep() { ++g_beeps; }
}  // namespace

TEST(MenuFile, AFileThatCouldNotBeReadBeepsWhenTheChangesOfTheRunAreLost) {
    // The run started from the defaults and one blank item; the file is not
    // written, so anything that would have changed it is lost.
    struct Case {
        const char* what;
        Lines items;
        void (*change)(TMenuSettings&);
        int beeps;
    } cases[] = {
        {"nothing changed", {L""}, nullptr, 0},
        {"only blank items", {L"", L""}, nullptr, 0},
        {"the options set to what they were", {L""}, [](TMenuSettings& s) { s.ItemHeight += 1; }, 0},
        {"an item added", {L"", Item(L"New", L"C:\\a.exe")}, nullptr, 1},
        {"the blank item edited", {Item(L"Edited", L"")}, nullptr, 1},
        {"the colour mode changed", {L""}, [](TMenuSettings& s) { s.ColorMode = 2; }, 1},
        {"the width changed", {L""}, [](TMenuSettings& s) { s.ButtonWidth = 200; }, 1},
        {"the font changed", {L""}, [](TMenuSettings& s) { s.FontName = L"Arial"; }, 1},
    };
    void (*const saved)() = MenuBeep;
    MenuBeep = CountBeep;
    for (const Case& k : cases) {
        TMenuSettings settings;
        TQini empty;
        ReadMenuSettings(&empty, &settings);
        settings.FileUnreadable = true;
        if (k.change) k.change(settings);
        TQini items;
        for (const auto& line : k.items) items.AddLine(line.c_str());
        MenuSettings = &settings;
        g_beeps = 0;
        SaveMenuSettings(L"unreadable-never-written.ini", &items);
        MenuSettings = nullptr;
        EXPECT_EQ(g_beeps, k.beeps) << k.what;
    }
    MenuBeep = saved;
}

TEST(MenuFile, BlankItemsLeaveAGapInTheKeysOfTheWrittenFile) {
    TMenuSettings settings;
    TQini items;
    items.AddLine(Item(L"A", L"a").c_str());
    items.AddLine(L"");
    items.AddLine(Item(L"C", L"c").c_str());
    TQini written;
    WriteMenuSettings(&written, &items, &settings);
    EXPECT_EQ(written.List()->Lines(), Expected({L"B0=" + Item(L"A", L"a"), L"B2=" + Item(L"C", L"c")}));
}

TEST(MenuItems, AddItemAndLoadItems) {
    TKMenu menu(nullptr);
    menu.AddItem(L"Title", L"");
    menu.AddItem(L"", L"C:\\x y\\z.exe -a");
    menu.AddItem(L"", L"");
    ASSERT_EQ(menu.Items->Count(), 3);
    // A title only: the marker and the hex-coded title, nothing else.
    EXPECT_EQ(std::wstring(menu.Items->GetLine(0).c_str()), L"\\15400690074006c006500");
    EXPECT_EQ(std::wstring(menu.Items->GetLine(1).c_str()), L"\\2" + Hex(L"C:\\x y\\z.exe -a"));
    EXPECT_EQ(std::wstring(menu.Items->GetLine(2).c_str()), L"");
    EXPECT_EQ(std::wstring(menu.Items->GetField(1, 2).c_str()), L"C:\\x y\\z.exe -a");

    // Loading replaces what the list held.
    TQini store;
    store.List()->Lines() = {L"B1=" + Item(L"one", L"")};
    menu.LoadItems(&store);
    ASSERT_EQ(menu.Items->Count(), 1);
    EXPECT_EQ(std::wstring(menu.Items->GetField(0, 1).c_str()), L"one");
    // Nothing to load: one blank item.
    TQini none;
    menu.LoadItems(&none);
    ASSERT_EQ(menu.Items->Count(), 1);
    EXPECT_EQ(std::wstring(menu.Items->GetLine(0).c_str()), L"");
}

TEST(MenuItems, ASelectedIndexThatNamesNoItemStartsNothing) {
    TKMenu menu(nullptr);
    menu.AddItem(L"blank target", L"");
    EXPECT_EQ(LaunchItem(&menu, 0), 0);
    EXPECT_EQ(LaunchItem(&menu, 1), 0);
    EXPECT_EQ(LaunchItem(&menu, -1), 0);
    EXPECT_EQ(RunItem(&menu, 7), 0);
    EXPECT_EQ(LaunchItem(nullptr, 0), 0);
    // The item commands with no item menu (the command menu shown first)
    // change nothing and raise nothing.
    for (int command = 0; command <= 4; ++command) DoMenuCommand(nullptr, command);
    DoMenuCommand(&menu, 99);
    DoMenuCommand(&menu, -1);
    EXPECT_EQ(menu.Items->Count(), 1);
}

TEST(MenuArguments, AreReadAsTheTableSays) {
    struct Case {
        const char* what;
        std::vector<std::wstring> args;  // after the program path
        int x, y;
        bool commandsFirst;
        const wchar_t* name;  // null: no name
    } cases[] = {
        {"none", {}, 11, 22, false, nullptr},
        {"as the bar passes them", {L"pn000001", L"-x", L"100", L"-y", L"200"}, 100, 200, false, L"pn000001"},
        {"only -y", {L"-y", L"300"}, 11, 300, false, nullptr},
        {"two names: the last counts", {L"first", L"second"}, 11, 22, false, L"second"},
        {"a name that ends in .ini", {L"x.ini"}, 11, 22, false, L"x.ini"},
        {"-X in capitals is a name", {L"-X", L"5"}, 11, 22, false, L"5"},
        {"an empty argument ends the list", {L"", L"-x", L"100"}, 11, 22, false, nullptr},
        {"arguments after an empty one are ignored", {L"m", L"", L"n", L"-d"}, 11, 22, false, L"m"},
        {"-d", {L"-d", L"m"}, 11, 22, true, L"m"},
        {"-D is a name", {L"-D"}, 11, 22, false, L"-D"},
        {"negative values", {L"-x", L"-5", L"-y", L"-7"}, -5, -7, false, nullptr},
        {"the value is taken even when it looks like a switch", {L"-x", L"-y", L"5"}, 11, 22, false, L"5"},
        {"-x last keeps the cursor", {L"m", L"-x"}, 11, 22, false, L"m"},
        {"-y last keeps the cursor", {L"-x", L"3", L"-y"}, 3, 22, false, nullptr},
        {"a value that is no number keeps the cursor", {L"-x", L"abc", L"-y", L"12z"}, 11, 22, false, nullptr},
        {"an empty value is taken as the value", {L"-x", L"", L"n"}, 11, 22, false, L"n"},
        {"a later -x wins", {L"-x", L"1", L"-x", L"2"}, 2, 22, false, nullptr},
    };
    for (const Case& k : cases) {
        std::vector<UnicodeString> args = {L"C:\\prog\\pelnor.exe"};
        args.insert(args.end(), k.args.begin(), k.args.end());
        TMenuArguments a;
        a.X = 11;
        a.Y = 22;
        ReadMenuArguments(args, a);
        EXPECT_EQ(a.X, k.x) << k.what;
        EXPECT_EQ(a.Y, k.y) << k.what;
        EXPECT_EQ(a.CommandsFirst, k.commandsFirst) << k.what;
        EXPECT_EQ(a.HasName, k.name != nullptr) << k.what;
        if (k.name) {
            EXPECT_EQ(a.Name, k.name) << k.what;
        }
    }
    // The program path itself is never read.
    TMenuArguments a;
    ReadMenuArguments({L"-d"}, a);
    EXPECT_FALSE(a.CommandsFirst);
    ReadMenuArguments({}, a);
}

TEST(MenuArguments, OnlyPlainFileNamesOfTheMenuFolderAreAccepted) {
    for (const wchar_t* ok : {L"pelnor", L"pn000001", L"x.ini", L"my menu", L"\u30e1\u30cb\u30e5\u30fc", L"a.b.c",
                              L"CONSOLE", L"COM10", L"LPT", L"NULL", L"-X", L"5", L".", L"con-list", L" lead"}) {
        EXPECT_TRUE(IsSafeMenuName(ok)) << UnicodeToUtf8(ok);
    }
    for (const wchar_t* bad : {L"", L" ", L"\t", L"..\\evil", L"a\\b", L"a/b", L"../up", L"C:x", L"C:\\x", L"a:stream",
                               L"a<b", L"a>b", L"a\"b", L"a|b", L"a?b", L"a*b", L"a\x01" L"b", L"a\x1f", L"\\\\server\\share",
                               L"CON", L"con", L"Con.txt", L"NUL", L"aux", L"prn", L"COM1", L"com9", L"LPT1",
                               L"lpt9.foo", L"CON ", L" nul", L"CONIN$", L"conout$", L"COM\u00b9", L"lpt\u00b3"}) {
        EXPECT_FALSE(IsSafeMenuName(bad)) << UnicodeToUtf8(bad);
    }
}

TEST(MenuRows, TheRowHeightIsTheTextHeightOfASlashPlusEight) {
    for (auto [face, points] : {std::pair{L"Tahoma", 9}, std::pair{L"Tahoma", 20}, std::pair{L"Arial", 12}}) {
        HDC dc = ::CreateCompatibleDC(nullptr);
        const int pixels = -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
        HFONT font = ::CreateFontW(pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
        HGDIOBJ old = ::SelectObject(dc, font);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, L"/", 1, &size);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
        ::DeleteDC(dc);
        EXPECT_GT(size.cy, 0);
        EXPECT_EQ(MenuItemHeight(face, points), size.cy + 8) << UnicodeToUtf8(face) << " " << points;
    }
    EXPECT_GT(MenuItemHeight(L"Tahoma", 20), MenuItemHeight(L"Tahoma", 9));
}

TEST(MenuOptions, NumbersOfTheComboBoxesAreClamped) {
    struct Case {
        const wchar_t* text;
        int fallback, low, high, expected;
    } cases[] = {
        // font size: not a number gives 9, then 8 .. 20
        {L"", 9, 8, 20, 9},
        {L"abc", 9, 8, 20, 9},
        {L"6", 9, 8, 20, 8},
        {L"24", 9, 8, 20, 20},
        {L"14", 9, 8, 20, 14},
        {L" 12 ", 9, 8, 20, 12},
        {L"12pt", 9, 8, 20, 9},
        {L"$10", 9, 8, 20, 9},  // decimal only
        {L"0x10", 9, 8, 20, 9},
        {L"-", 9, 8, 20, 9},
        {L"-3", 9, 8, 20, 8},
        {L"99999999999999999999", 9, 8, 20, 9},  // no int: not a number
        // width: not a number gives 150, then 100 .. 400
        {L"x", 150, 100, 400, 150},
        {L"50", 150, 100, 400, 100},
        {L"350", 150, 100, 400, 350},
        {L"400", 150, 100, 400, 400},
        {L"500", 150, 100, 400, 400},
        {L"+250", 150, 100, 400, 250},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampedNumber(c.text, c.fallback, c.low, c.high), c.expected) << testing::PrintToString(std::wstring(c.text));
}

TEST(MenuItems, AFileMakesAnItemNamedWithoutFolderAndExtension) {
    struct Case {
        const wchar_t* path;
        const wchar_t* caption;
    } cases[] = {
        {L"C:\\docs\\report.txt", L"report"},
        {L"C:\\docs\\archive.tar.gz", L"archive.tar"},
        {L"C:\\my.folder\\noext", L"noext"},
        {L"C:\\", L""},
        {L"D:file.doc", L"file"},
        {L"plain", L"plain"},
    };
    for (const Case& c : cases) EXPECT_EQ(FileItemCaption(c.path), c.caption) << testing::PrintToString(std::wstring(c.path));
}

TEST(MenuItems, ATitleWithALineBreakKeepsTheFileWholeAndShowsItsFirstLine) {
    TKMenu menu(nullptr);
    const std::wstring title = L"first\r\nsecond\\1\\2", target = L"C:\\a b\\c.exe -x\r\n";
    menu.AddItem(title.c_str(), target.c_str());
    // One line of the file, no break or stray marker in it; it reads back the same.
    const std::wstring line = menu.Items->GetLine(0).c_str();
    EXPECT_EQ(line, Item(title, target));
    EXPECT_EQ(line.find_first_of(L"\r\n"), std::wstring::npos);
    TQini store;
    TMenuSettings settings;
    WriteMenuSettings(&store, menu.Items, &settings);
    TKMenu again(nullptr);
    again.LoadItems(&store);
    ASSERT_EQ(again.Items->Count(), 1);
    EXPECT_EQ(std::wstring(again.Items->GetField(0, 1).c_str()), title);
    EXPECT_EQ(std::wstring(again.Items->GetField(0, 2).c_str()), target);
    // The caption the button shows.
    TKVar caption = again.Items->GetField(0, 1);
    EXPECT_EQ(std::wstring(caption.FirstLine(50)->c_str()), L"first");
}
