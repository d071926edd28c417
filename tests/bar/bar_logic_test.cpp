// The bar's pure logic: which texts a plain record field can hold, the
// geometry by button size, the sizes and places that leave a usable bar,
// colour fields, the clipboard record, the move rule of a cut, the size list,
// menu names and the sibling programs.
#include <gtest/gtest.h>

#include "dsetup.h"
#include "fedit.h"
#include "fieldtext.h"
#include "foption.h"
#include "s01.h"
#include "s02.h"

TEST(PlainFieldText, KeepsOutMarkersAndLineBreaks) {
    struct Case {
        std::wstring text;
        bool safe;
    } cases[] = {
        {L"", true},
        {L"Notepad", true},
        {L"C:\\Projects", true},      // a backslash before a letter
        {L"C:\\0 and \\x", true},     // a backslash before 0 starts no field
        {L"ends with \\", true},      // the next marker follows it unharmed
        {L"a=b", true},
        {L"C:\\1 Projects", false},
        {L"x\\9", false},
        {L"two\nlines", false},
        {L"cr\ronly", false},
        {std::wstring(L"nul\0in", 6), false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsPlainFieldSafe(c.text), c.safe) << testing::PrintToString(c.text);
}

TEST(BarGeometry, FollowsTheButtonSize) {
    struct Row {
        int size, height, width, font, icon;
    } rows[] = {
        {16, 22, 23, 10, kIconSmall},
        {24, 30, 31, 11, kIconSmall},
        {32, 38, 39, 13, kIconLarge},
        {40, 46, 47, 18, kIconLarge},
        // sizes between and beyond take the class below them
        {20, 26, 27, 10, kIconSmall},
        {36, 42, 43, 13, kIconLarge},
        {64, 70, 71, 18, kIconLarge},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(BarHeightFor(r.size), r.height) << r.size;
        EXPECT_EQ(IconButtonWidthFor(r.size), r.width) << r.size;
        EXPECT_EQ(CaptionFontSizeFor(r.size), r.font) << r.size;
        EXPECT_EQ(IconKindFor(r.size), r.icon) << r.size;
    }
}

TEST(BarButtonSize, OnlyABarWithNoHeightOrTallerThanTheScreenIsRefused) {
    constexpr int kMax = 2147483647;
    struct Row {
        int size;
        bool fits;
    } rows[] = {
        {16, true},  {40, true},   {15, true},    {8, true},     {0, true},   {-5, true},  // 1 pixel high
        {129, true}, {1018, true},  // 1024 pixels: exactly the screen
        {-6, false}, {-100, false}, {1019, false}, {2000, false}, {kMax, false}, {-kMax - 1, false},
    };
    for (const auto& r : rows) EXPECT_EQ(ButtonSizeFitsScreen(r.size, 1024), r.fits) << r.size;
}

TEST(BarPlace, KeepsACornerOnAMonitorAndBringsBackAnyOther) {
    constexpr int kMax = 2147483647, kMin = -kMax - 1;
    const std::vector<RECT> one = {{0, 0, 1280, 1024}};
    // A second monitor left of the primary one, lower and shorter.
    const std::vector<RECT> two = {{0, 0, 1280, 1024}, {-1024, 200, 0, 968}};
    struct Row {
        const char* name;
        const std::vector<RECT>* monitors;
        int left, top, width, height;
        POINT place;
    } rows[] = {
        {"on the screen", &one, 400, 0, 468, 22, {400, 0}},
        {"sticking out right and below", &one, 1279, 1023, 468, 22, {1279, 1023}},
        {"far left", &one, -100000, 0, 468, 22, {0, 0}},
        {"left by its drag edge", &one, -5, 30, 468, 22, {0, 30}},
        {"the smallest Left", &one, kMin, 7, 468, 22, {0, 7}},
        {"the smallest Top", &one, 100, kMin, 468, 22, {100, 0}},
        {"the largest Left", &one, kMax, 7, 468, 22, {1280 - 468, 7}},
        {"the largest Top", &one, 100, kMax, 468, 22, {100, 1024 - 22}},
        {"both largest", &one, kMax, kMax, 468, 22, {1280 - 468, 1024 - 22}},
        {"right of the screen, wider than it", &one, 1300, 0, 3000, 22, {0, 0}},
        {"wider than the screen, left off it", &one, -1720, 0, 3000, 22, {0, 0}},
        {"on the left monitor", &two, -1000, 300, 468, 22, {-1000, 300}},
        {"on the left monitor, sticking into the primary", &two, -100, 900, 468, 22, {-100, 900}},
        {"left of the left monitor", &two, -100000, 300, 468, 22, {-1024, 300}},
        {"above the left monitor", &two, -600, 100, 468, 22, {-600, 200}},
        {"below the left monitor", &two, -1000, 1000, 468, 22, {-1000, 968 - 22}},
        {"below both, under the primary", &two, 600, 5000, 468, 22, {600, 1024 - 22}},
        {"mostly on the primary, corner off both", &two, -50, 100, 468, 22, {0, 100}},
    };
    for (const auto& r : rows) {
        const POINT p = BarPlaceOnMonitor(r.left, r.top, r.width, r.height, *r.monitors);
        EXPECT_EQ(p.x, r.place.x) << r.name;
        EXPECT_EQ(p.y, r.place.y) << r.name;
    }
}

TEST(BarColourField, FallsBackWhenItNamesNoColour) {
    EXPECT_EQ(FieldColor(L"", 0x123456), 0x123456);
    EXPECT_EQ(FieldColor(L"255", 0x123456), 0x0000FF);
    EXPECT_EQ(FieldColor(L"9981440", 0), 0x984E00);
    EXPECT_EQ(FieldColor(L"clRed", 0), 0x0000FF);
    EXPECT_EQ(FieldColor(L"red face", 0x123456), 0x123456);
    EXPECT_EQ(FieldColor(L"12abc", 0x123456), 0x123456);
}

TEST(ClipboardRecord, EndsAtTheFirstZeroOrLineBreakAndNeverPastTheBlock) {
    struct Case {
        const char* name;
        std::wstring units;  // the block's contents
        size_t bytes;        // the block's size
        std::wstring text;
    } cases[] = {
        {"terminated", std::wstring(L"\\1abc\0", 6), 12, L"\\1abc"},
        {"larger block", std::wstring(L"ab\0zz", 5), 10, L"ab"},
        {"no terminating zero", L"abcd", 8, L"abcd"},
        {"block shorter than the text", L"abcdef", 6, L"abc"},
        {"odd size", L"abcd", 7, L"abc"},
        {"line break", L"a\\1x\r\nB2=evil", 30, L"a\\1x"},
        {"lone line feed", L"rec\nmore", 16, L"rec"},
        {"empty block", L"", 0, L""},
        {"only a zero", std::wstring(L"\0", 1), 2, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring block = c.units;
        block.resize(std::max(block.size(), c.bytes / 2 + 1), L'#');  // what lies past the block
        EXPECT_EQ(ClipboardRecordText(block.data(), c.bytes), c.text);
    }
    EXPECT_EQ(ClipboardRecordText(nullptr, 10), L"");
}

TEST(CutAndPaste, DeletesTheCutRecordWhereverTheCopyWentIn) {
    // Five records 0..4: cut one, insert its copy at a place, delete where the
    // rule says; the order that results.
    struct Case {
        int cut, pasteAt;
        std::vector<int> order;
    } cases[] = {
        {2, 4, {0, 1, 3, 2, 4}}, {3, 1, {0, 3, 1, 2, 4}}, {2, 2, {0, 1, 2, 3, 4}}, {2, 3, {0, 1, 2, 3, 4}},
        {0, 5, {1, 2, 3, 4, 0}}, {4, 0, {4, 0, 1, 2, 3}}, {1, 0, {1, 0, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        std::vector<int> records = {0, 1, 2, 3, 4};
        records.insert(records.begin() + c.pasteAt, c.cut);
        const int del = CutRecordAfterInsert(c.pasteAt, c.cut);
        records.erase(records.begin() + del);
        EXPECT_EQ(records, c.order) << "cut " << c.cut << " paste " << c.pasteAt;
    }
}

TEST(OptionSizeList, MapsSizesAndEntries) {
    EXPECT_EQ(SizeListIndexOf(16), 0);
    EXPECT_EQ(SizeListIndexOf(24), 1);
    EXPECT_EQ(SizeListIndexOf(32), 2);
    EXPECT_EQ(SizeListIndexOf(40), 3);
    EXPECT_EQ(SizeListIndexOf(20), 0);   // between the classes: the one below
    EXPECT_EQ(SizeListIndexOf(128), -1);  // no entry
    EXPECT_EQ(SizeListIndexOf(8), -1);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(ButtonSizeOfListIndex(k), 16 + 8 * k);
}

TEST(SiblingPrograms, NamesByTagAndMenuNames) {
    const wchar_t* names[] = {L"Brenk", L"Tolvin", L"Fessel", L"Drumo", L"Ulvan", L"Dovrak",
                              L"Sorvik", L"Pelnor", L"Hendra", L"Garvo", L"Nuppa", L"Oskel"};
    for (int tag = 1; tag <= 12; ++tag) EXPECT_EQ(TKSetup::ProgramName(tag), names[tag - 1]);
    EXPECT_EQ(TKSetup::ProgramName(0), L"");
    EXPECT_EQ(TKSetup::ProgramName(13), L"");
    EXPECT_EQ(MenuIniNameOf(1), L"pn000001");
    EXPECT_EQ(MenuIniNameOf(42), L"pn000042");
    EXPECT_EQ(MenuIniNameOf(99999), L"pn099999");
}

TEST(SiblingPrograms, TheBarBuildHidesOnlyItsOwnItem) {
    TKSetup setup(nullptr);
    ASSERT_EQ(setup.PMenuSetup->Count(), 12);
    for (int k = 0; k < 12; ++k) {
        TMenuItem* item = setup.PMenuSetup->Items(k);
        EXPECT_EQ(item->Tag, k + 1);
        EXPECT_EQ(item->Caption(), TKSetup::ProgramName(k + 1));
        EXPECT_EQ(item->Name, L"PM" + TKSetup::ProgramName(k + 1));
        EXPECT_EQ(setup.ItemOfTag(k + 1), item);
        EXPECT_EQ(item->Visible(), k + 1 != 6) << k;
        EXPECT_EQ(setup.Offered(k + 1), k + 1 != 6) << k;
        EXPECT_TRUE(item->OnClick);
    }
    EXPECT_EQ(setup.PMDovrak->Tag, 6);
    EXPECT_EQ(setup.PMPelnor->Tag, 8);
    EXPECT_TRUE(setup.PMenuSetup->OnPopup);
}

TEST(MenuFileOfTarget, OnlyForTheMenuProgramWithAName) {
    const std::wstring folder = GetAppDataFolder() + L"\\Kestovar\\Pelnor\\";
    struct Case {
        std::wstring target, file;
    } cases[] = {
        {L"C:\\Tools\\pelnor.exe pn000007", folder + L"pn000007.ini"},
        {L"C:\\Tools\\Pelnor.EXE pn000007", folder + L"pn000007.ini"},
        {L"pelnor.exe my menu", folder + L"my menu.ini"},
        {L"C:\\Tools\\pelnor.exe", L""},
        {L"C:\\Tools\\pelnor.exe ", L""},
        {L"C:\\Tools\\notpelnor.exe pn000007", L""},
        {L"C:\\Tools\\pelnor.exe a.b", L""},  // parameters with a dot do not split
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(MenuFileOfTarget(c.target), c.file) << testing::PrintToString(c.target);
}
