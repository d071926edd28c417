// TKVar::FirstLine, which only the menu program's build of TKVar has.
#include <gtest/gtest.h>

#include <string>

#include "kvar.h"
#include "sysutils.h"

TEST(KVarFirstLine, CutsAtTheFirstLineBreakOrAfterCountUnits) {
    const std::wstring sixty(60, L'x');
    struct Case {
        std::wstring text;
        int count;
        std::wstring want;
    } cases[] = {
        {sixty, 50, std::wstring(50, L'x')},
        {L"short", 50, L"short"},
        {L"ab\r\ncd", 50, L"ab"},
        {L"ab\ncd", 50, L"ab"},
        {L"\rcd", 50, L""},
        {L"", 50, L""},
        {L"abc", 0, L""},
        {L"abc", 3, L"abc"},
        {L"abcdef", 3, L"abc"},
    };
    for (const auto& c : cases) {
        TKVar v(c.text.c_str());
        TKVar* r = v.FirstLine(c.count);
        EXPECT_EQ(r, v.Slot());
        EXPECT_EQ(r->Kind(), kvText);
        EXPECT_EQ(std::wstring(r->Text()), c.want) << UnicodeToUtf8(c.text);
        EXPECT_EQ(std::wstring(v.Text()), c.text) << "the value itself is not changed";
    }
    TKVar n(42);
    EXPECT_EQ(n.FirstLine(50), &n);
    EXPECT_EQ(n.Slot(), nullptr);
}
