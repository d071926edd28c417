// Record lines, hex coding and flag strings of the settings store. Built
// twice: with the bar's and with the menu program's hex-coded fields.
#include <gtest/gtest.h>

#include "qini.h"

#include <string>
#include <vector>

namespace {

constexpr unsigned BarHex = 1u << 1;
constexpr unsigned MenuHex = (1u << 1) | (1u << 2) | (1u << 7);

std::wstring Str(TKVar& v) { return v.Text(); }

// The hex coding of a text as the store writes it.
std::wstring Hex(const std::wstring& text) {
    std::wstring out;
    static const wchar_t digits[] = L"0123456789abcdef";
    for (wchar_t c : text) {
        for (unsigned b : {static_cast<unsigned>(c & 0xFF), static_cast<unsigned>(c >> 8)}) {
            out += digits[b >> 4];
            out += digits[b & 15];
        }
    }
    return out;
}

std::wstring LineOf(TQini& store, int i) { return store.List()->Strings(i); }

}  // namespace

TEST(QiniFields, EachBuildCodesItsOwnFields) {
#ifdef KESTOVAR_MENU_BUILD
    EXPECT_EQ(TQini::DefaultHexFields, MenuHex);
#else
    EXPECT_EQ(TQini::DefaultHexFields, BarHex);
#endif
    EXPECT_EQ(TQini().HexFields(), TQini::DefaultHexFields);
}

TEST(QiniFields, FieldMarkersAreABackslashAndADigitFromOneToNine) {
    struct Case {
        const wchar_t* text;
        wchar_t marker;
    } cases[] = {
        {L"\\1", L'1'}, {L"\\9x", L'9'}, {L"\\0", 0}, {L"\\a", 0}, {L"\\", 0},
        {L"\\\\1", 0},  {L"1", 0},       {L"", L'#'}, {L"x", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TQini::FieldMarker(c.text), c.marker) << UnicodeToUtf8(c.text);
}

TEST(QiniFields, SplittingGivesTheFieldsAsWritten) {
    struct Case {
        const wchar_t* line;
        std::vector<std::wstring> fields;  // 1 to 9
    } cases[] = {
        {L"", {L"", L"", L"", L"", L"", L"", L"", L"", L""}},
        {L"no markers", {L"", L"", L"", L"", L"", L"", L"", L"", L""}},
        {L"\\3c\\1", {L"", L"", L"c", L"", L"", L"", L"", L"", L""}},
        {L"xx\\2b", {L"", L"b", L"", L"", L"", L"", L"", L"", L""}},
        {L"\\2a\\2", {L"", L"a", L"", L"", L"", L"", L"", L"", L""}},
        {L"\\2a\\2b", {L"", L"b", L"", L"", L"", L"", L"", L"", L""}},
        {L"\\14100\\9z\\5a\\0b\\xc\\", {L"4100", L"", L"", L"", L"a\\0b\\xc\\", L"", L"", L"", L"z"}},
        {L"\\\\1x", {L"x", L"", L"", L"", L"", L"", L"", L"", L""}},
        {L"\\1\\2\\3", {L"", L"", L"", L"", L"", L"", L"", L"", L""}},
    };
    for (const auto& c : cases) {
        for (unsigned mask : {BarHex, MenuHex}) {
            TQini store(mask);
            store.Slot(4) = L"stale";
            store.SplitFields(c.line);
            for (int k = 1; k <= 9; ++k) {
                EXPECT_EQ(store.Slot(k).Kind(), kvText);
                EXPECT_EQ(Str(store.Slot(k)), c.fields[k - 1]) << UnicodeToUtf8(c.line) << " field " << k;
            }
        }
    }
    TQini store;
    store.SplitFields(TKVar(17));  // a number is split as its decimal text: no fields
    EXPECT_EQ(Str(store.Slot(1)), L"");
}

TEST(QiniFields, TheExampleButtonLineReadsAndWritesInBothBuilds) {
    const std::wstring target = L"C:\\x.exe";
    const std::wstring line = L"\\143003a005c0078002e00650078006500\\41\\5Go";
    ASSERT_EQ(L"\\1" + Hex(target) + L"\\41\\5Go", line);
    for (unsigned mask : {BarHex, MenuHex}) {
        TQini store(mask);
        store.AddLine(line.c_str());
        EXPECT_EQ(Str(store.GetField(0, 1)), target) << mask;
        EXPECT_EQ(Str(store.GetField(0, 4)), L"1") << mask;
        EXPECT_EQ(Str(store.GetField(0, 5)), L"Go") << mask;
        EXPECT_EQ(Str(store.GetField(0, 2)), L"") << mask;
        EXPECT_EQ(LineOf(store, 0), line);  // reading leaves the line as it was

        store.AddLine(L"");
        store.SetField(1, 5, L"Go");
        store.SetField(1, 1, target.c_str());
        store.SetField(1, 4, L"1");
        EXPECT_EQ(LineOf(store, 1), line) << mask;
        EXPECT_EQ(Str(store.Slot(1)), target);  // the slot keeps the plain text
    }
}

TEST(QiniFields, FieldsTwoAndSevenAreCodedOnlyInTheMenuBuild) {
    const std::wstring title = L"T\\1 \u65E5";
    const std::wstring bar = L"\\1" + Hex(title) + L"\\2Dir\\7q";
    const std::wstring menu = L"\\1" + Hex(title) + L"\\2" + Hex(L"Dir") + L"\\7" + Hex(L"q");
    struct Case {
        unsigned mask;
        std::wstring written;
    } cases[] = {{BarHex, bar}, {MenuHex, menu}};
    for (const auto& c : cases) {
        TQini store(c.mask);
        store.AddLine(L"");
        store.SetField(0, 7, L"q");
        store.SetField(0, 2, L"Dir");
        store.SetField(0, 1, title.c_str());
        EXPECT_EQ(LineOf(store, 0), c.written) << c.mask;
        EXPECT_EQ(Str(store.GetField(0, 1)), title);
        EXPECT_EQ(Str(store.GetField(0, 2)), L"Dir");
        EXPECT_EQ(Str(store.GetField(0, 7)), L"q");
    }
    // The other build's line read as it stands.
    TQini asBar(BarHex);
    asBar.AddLine(menu.c_str());
    EXPECT_EQ(Str(asBar.GetField(0, 2)), Hex(L"Dir"));
    TQini asMenu(MenuHex);
    asMenu.AddLine(bar.c_str());
    EXPECT_EQ(Str(asMenu.GetField(0, 1)), title);
    // Plain text decodes to whatever its digit pairs give: 'Di' reads as 0d, 'r' as 0.
    EXPECT_EQ(Str(asMenu.GetField(0, 2)), L"\r");
    EXPECT_EQ(Str(asMenu.GetField(0, 7)), L"");
}

TEST(QiniFields, WritingAFieldNormalisesTheLine) {
    struct Case {
        const wchar_t* before;
        int field;
        TKVar value;
        const wchar_t* after;
    } cases[] = {
        {L"", 9, TKVar(L"z"), L"\\9z"},
        {L"\\5old\\6x", 5, TKVar(L""), L"\\6x"},  // empty: the field goes with its marker
        {L"\\5old\\6x", 5, TKVar(12), L"\\6x"},   // a number has no length: left out as well
        {L"\\2b\\14100", 10, TKVar(L"y"), L"\\14100\\2b"},
        {L"\\2b\\14100", 0, TKVar(L"y"), L"\\14100\\2b"},
        {L"\\2b\\14100", -3, TKVar(L"y"), L"\\14100\\2b"},
        {L"junk\\3c\\3\\3d\\1", 4, TKVar(L"e"), L"\\3d\\4e"},
        {L"\\14100", 3, TKVar(L"a\\0b\\xc"), L"\\14100\\3a\\0b\\xc"},
    };
    for (auto& c : cases) {
        TQini store(BarHex);
        store.AddLine(c.before);
        store.SetField(0, c.field, c.value);
        EXPECT_EQ(LineOf(store, 0), c.after) << UnicodeToUtf8(c.before) << " field " << c.field;
    }
    TQini store(BarHex);
    store.AddLine(L"");
    store.SetField(0, 9, L"z");
    EXPECT_EQ(Str(store.GetField(0, 9)), L"z");
}

TEST(QiniFields, APlainFieldWithAMarkerInsideIsCutOnTheNextRead) {
    TQini store(BarHex);
    store.AddLine(L"");
    store.SetField(0, 5, L"a\\3b\\0c");
    EXPECT_EQ(LineOf(store, 0), L"\\5a\\3b\\0c");
    EXPECT_EQ(Str(store.GetField(0, 5)), L"a");
    EXPECT_EQ(Str(store.GetField(0, 3)), L"b\\0c");
    // In a hex-coded field the same text is safe.
    store.SetField(0, 1, L"a\\3b");
    EXPECT_EQ(Str(store.GetField(0, 1)), L"a\\3b");
}

TEST(QiniFields, FieldNumbersOutsideOneToNineReadAsEmpty) {
    for (int field : {0, 10, -1, 1000}) {
        TQini store(BarHex);
        store.AddLine(L"\\14100\\2b");
        TKVar& v = store.GetField(0, field);
        EXPECT_EQ(&v, &store.Slot(1)) << field;
        EXPECT_EQ(v.Kind(), kvText);
        EXPECT_EQ(Str(v), L"") << field;
        EXPECT_EQ(Str(store.Slot(2)), L"b");
    }
}

TEST(QiniFields, LineIndexesOutsideTheStoreRaiseTheIndexError) {
    TQini store;
    store.AddLine(L"\\2b");
    for (int bad : {-1, 1, 5}) {
        EXPECT_THROW(store.GetField(bad, 1), EStringListError) << bad;
        EXPECT_THROW(store.SetField(bad, 1, L"x"), EStringListError) << bad;
    }
    EXPECT_EQ(LineOf(store, 0), L"\\2b");
    EXPECT_EQ(store.Count(), 1);
}

TEST(QiniFields, HexCodingOfTexts) {
    struct Case {
        const wchar_t* text;
        const wchar_t* hex;
    } encodes[] = {
        {L"A", L"4100"},
        {L"\u00E9", L"e900"},
        {L"", L""},
        {L"C:\\x", L"43003a005c007800"},
        {L"\U0001F600", L"3dd800de"},
        {L"\uFFFF\u0100", L"ffff0001"},
    };
    TQini store;
    for (const auto& c : encodes) {
        TKVar v(c.text);
        store.HexEncode(v);
        EXPECT_EQ(v.Kind(), kvText);
        EXPECT_EQ(Str(v), c.hex) << UnicodeToUtf8(c.text);
        store.HexDecode(v);
        EXPECT_EQ(Str(v), c.text) << UnicodeToUtf8(c.text);
    }
    struct Decode {
        const wchar_t* hex;
        std::wstring text;
    } decodes[] = {
        {L"4100", L"A"},
        {L"41", L"A"},
        {L"410", L"A"},
        {L"0000", L""},
        {L"4A00", L"J"},
        {L"4a004B00", L"JK"},
        {L"", L""},
        {L"7", L"\x07"},
        {L"41004200", L"AB"},
        {L"410000004200", L"A"},   // the text ends at the first 0 unit
        {L"zz00", L""},            // no digit: 0
        {L"4z00", L"\x04"},        // the parse reads what it can
        {L"0x41", std::wstring(1, wchar_t(0x4100))},  // '0x' parses as 0
        {L"-1ff", std::wstring(1, wchar_t(0xFFFF))},  // a sign is taken: -1 gives ff
    };
    for (const auto& c : decodes) {
        TKVar v(c.hex);
        store.HexDecode(v);
        EXPECT_EQ(v.Kind(), kvText);
        EXPECT_EQ(Str(v), c.text) << UnicodeToUtf8(c.hex);
    }
    TKVar number(5);  // a number has no text to code
    store.HexEncode(number);
    EXPECT_EQ(number.Kind(), kvInt);
    store.HexDecode(number);
    EXPECT_EQ(number.Kind(), kvInt);
    EXPECT_EQ(number.IntValue(), 5);
}

TEST(QiniFields, BytesAndHexDigitsConvertDirectly) {
    const unsigned char bytes[] = {0x00, 0x0F, 0xAB, 0xFF, 0x10};
    wchar_t out[12];
    for (auto& c : out) c = L'?';
    TQini::BytesToHex(bytes, out, 5);
    EXPECT_EQ(std::wstring(out), L"000fabff10");

    unsigned char back[8];
    for (auto& b : back) b = 0xCC;
    TQini::HexToBytes(back, L"ABff0", 5);
    EXPECT_EQ(back[0], 0xAB);
    EXPECT_EQ(back[1], 0xFF);
    EXPECT_EQ(back[2], 0x00);
    EXPECT_EQ(back[3], 0x00);  // two 0 bytes follow the last byte
    EXPECT_EQ(back[4], 0x00);
    EXPECT_EQ(back[5], 0xCC);  // and nothing more is written

    for (auto& b : back) b = 0xCC;
    TQini::HexToBytes(back, L"4142", 2);  // only the digits counted are read
    EXPECT_EQ(back[0], 0x41);
    EXPECT_EQ(back[1], 0x00);
    EXPECT_EQ(back[2], 0x00);
    EXPECT_EQ(back[3], 0xCC);
}

TEST(QiniFields, FlagStringsByIndex) {
    struct Step {
        int index;
        bool on;
        std::wstring after;
    } steps[] = {
        {0, true, L"1"},    {3, true, L"1001"}, {3, false, L"1"},    {0, false, L""},
        {5, false, L""},    {-1, true, L""},    {256, true, L""},    {2, true, L"001"},
        {255, true, L"001" + std::wstring(252, L'0') + L"1"},        {255, false, L"001"},
    };
    TKVar flags(L"");
    for (const auto& s : steps) {
        TQini::SetFlag(flags, s.index, s.on);
        EXPECT_EQ(flags.Kind(), kvText);
        EXPECT_EQ(Str(flags), s.after) << s.index << "/" << s.on;
    }
    TKVar full(L"");
    TQini::SetFlag(full, 255, true);
    EXPECT_EQ(full.Length(), 256);
    EXPECT_TRUE(TQini::GetFlag(full, 255));
    EXPECT_FALSE(TQini::GetFlag(full, 254));

    struct Read {
        TKVar flags;
        int index;
        bool on;
    } reads[] = {
        {TKVar(L"1001"), 0, true},  {TKVar(L"1001"), 3, true},   {TKVar(L"1001"), 1, false},
        {TKVar(L"1001"), 4, false}, {TKVar(L"1001"), 200, false}, {TKVar(L"1001"), -1, false},
        {TKVar(L"1001"), 256, false}, {TKVar(L"x1"), 0, false},  {TKVar(L"x1"), 1, true},
        {TKVar(0), 0, false},       {TKVar(0), 1, false},        {TKVar(1), 0, true},
        {TKVar(L""), 0, false},
    };
    for (auto& r : reads) EXPECT_EQ(TQini::GetFlag(r.flags, r.index), r.on) << r.index;

    TKVar zero(0);  // read as its text '0'
    TQini::SetFlag(zero, 1, true);
    EXPECT_EQ(zero.Kind(), kvText);
    EXPECT_EQ(Str(zero), L"01");

    TKVar odd(L"x1y");  // other characters before the last '1' stay
    TQini::SetFlag(odd, 4, true);
    EXPECT_EQ(Str(odd), L"x1y01");
    TKVar tail(L"1x2");  // anything but '1' after the last '1' is cut
    TQini::SetFlag(tail, 6, false);
    EXPECT_EQ(Str(tail), L"1");

    TKVar longer((std::wstring(300, L'1')).c_str());  // at most 256 characters are taken
    TQini::SetFlag(longer, 0, false);
    EXPECT_EQ(Str(longer), L"0" + std::wstring(255, L'1'));
}

TEST(QiniFields, AFlagFieldIsReadFromTheSlotAndWrittenBack) {
    TQini store(BarHex);
    store.AddLine(L"\\14100\\4101\\5Go");
    EXPECT_TRUE(TQini::GetFlag(store.GetField(0, 4), 0));
    EXPECT_FALSE(TQini::GetFlag(store.GetField(0, 4), 1));
    EXPECT_TRUE(TQini::GetFlag(store.GetField(0, 4), 2));
    TKVar flags = store.GetField(0, 4);
    TQini::SetFlag(flags, 2, false);
    TQini::SetFlag(flags, 7, true);
    store.SetField(0, 4, flags);
    EXPECT_EQ(LineOf(store, 0), L"\\14100\\410000001\\5Go");
    TKVar none = store.GetField(0, 4);
    for (int i : {0, 7}) TQini::SetFlag(none, i, false);
    store.SetField(0, 4, none);
    EXPECT_EQ(LineOf(store, 0), L"\\14100\\5Go");  // all flags off: the field is gone
}
