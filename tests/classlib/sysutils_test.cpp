#include <gtest/gtest.h>

#include "sysutils.h"

TEST(SysUtils, StrToIntAcceptsDecimalAndHexAndRejectsTheRest) {
    struct Case {
        const wchar_t* text;
        bool ok;
        int value;
    } cases[] = {
        {L"0", true, 0},          {L"255", true, 255},           {L"-7", true, -7},
        {L"$FF", true, 255},      {L"0x984E00", true, 0x984E00}, {L"2147483647", true, 2147483647},
        {L"2147483648", false, 0}, {L"", false, 0},              {L"12a", false, 0},
        {L"abc", false, 0},
    };
    for (const auto& c : cases) {
        int v = -1;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << UnicodeToUtf8(c.text);
        if (c.ok) {
            EXPECT_EQ(v, c.value) << UnicodeToUtf8(c.text);
        }
    }
    EXPECT_THROW(StrToInt(L"x"), EConvertError);
}

TEST(SysUtils, PathPartsUseBackslashAndColonAsSeparators) {
    EXPECT_EQ(ExtractFilePath(L"C:\\Tools\\app.exe"), L"C:\\Tools\\");
    EXPECT_EQ(ExtractFileName(L"C:\\Tools\\app.exe"), L"app.exe");
    EXPECT_EQ(ExtractFileName(L"C:app.exe"), L"app.exe");
    EXPECT_EQ(ExtractFileExt(L"C:\\a.b\\file"), L"");
    EXPECT_EQ(ExtractFileExt(L"C:\\a\\file.tar.gz"), L".gz");
    EXPECT_EQ(SameText(L"Top", L"TOP"), true);
}
