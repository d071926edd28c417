// The bar's pure logic: which texts a plain record field can hold, the
// geometry by button size, and colour fields.
#include <gtest/gtest.h>

#include "fieldtext.h"
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

TEST(BarColourField, FallsBackWhenItNamesNoColour) {
    EXPECT_EQ(FieldColor(L"", 0x123456), 0x123456);
    EXPECT_EQ(FieldColor(L"255", 0x123456), 0x0000FF);
    EXPECT_EQ(FieldColor(L"9981440", 0), 0x984E00);
    EXPECT_EQ(FieldColor(L"clRed", 0), 0x0000FF);
    EXPECT_EQ(FieldColor(L"red face", 0x123456), 0x123456);
    EXPECT_EQ(FieldColor(L"12abc", 0x123456), 0x123456);
}
