// The string list behind the settings store: lines, names and values, the
// line codec, reading every encoding, hostile files, and the atomic save.
#include <gtest/gtest.h>

#include "classes.h"
#include "desktop.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// The name of the temporary file a save writes before it replaces the target.
std::wstring TempOf(const std::wstring& path) { return path + L".~tmp"; }

std::vector<std::wstring> FolderEntries(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    return names;
}

Bytes Utf16Le(const std::wstring& text, bool bom = true) {
    Bytes out;
    if (bom) out = {0xFF, 0xFE};
    for (wchar_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

Bytes Utf16Be(const std::wstring& text) {
    Bytes out{0xFE, 0xFF};
    for (wchar_t c : text) {
        out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c & 0xFF));
    }
    return out;
}

Bytes Utf8(const std::wstring& text, bool bom) {
    Bytes out;
    if (bom) out = {0xEF, 0xBB, 0xBF};
    std::string s = UnicodeToUtf8(text);
    out.insert(out.end(), s.begin(), s.end());
    return out;
}

std::string Show(const std::vector<std::wstring>& lines) {
    std::string s;
    for (const auto& l : lines) s += "[" + UnicodeToUtf8(l) + "]";
    return s;
}

class StringListFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = testdesk::FreshTempDir(L"sl-" + Utf8ToUnicode(info->name()));
        ASSERT_TRUE(DirectoryExists(dir));
        path = dir + L"\\list.ini";
    }
    void TearDown() override { EXPECT_TRUE(testdesk::RemoveTree(dir)); }

    std::vector<std::wstring> LoadBytes(const Bytes& bytes) {
        EXPECT_TRUE(testdesk::WriteBytes(path, bytes));
        TStringList list;
        list.LoadFromFile(path);
        return list.Lines();
    }

    std::wstring dir;
    std::wstring path;
};

}  // namespace

// --- lines in memory ------------------------------------------------------------

TEST(StringList, AddInsertDeleteAndSetKeepTheOrder) {
    TStringList list;
    EXPECT_EQ(list.Add(L"b"), 0);
    EXPECT_EQ(list.Add(L"d"), 1);
    list.Insert(0, L"a");
    list.Insert(2, L"c");
    list.Insert(4, L"e");  // at Count: appends
    EXPECT_EQ(list.Lines(), (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e"}));
    list.Delete(1);
    list.SetStrings(0, L"A");
    EXPECT_EQ(list.Lines(), (std::vector<std::wstring>{L"A", L"c", L"d", L"e"}));
    EXPECT_EQ(list.Strings(3), L"e");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, IndexesOutsideTheListRaiseTheIndexError) {
    TStringList list;
    list.Add(L"x");
    list.Add(L"y");
    for (int bad : {-1, 2, 1000, INT_MIN, INT_MAX}) {
        EXPECT_THROW(list.Strings(bad), EStringListError) << bad;
        EXPECT_THROW(list.SetStrings(bad, L"z"), EStringListError) << bad;
        EXPECT_THROW(list.Delete(bad), EStringListError) << bad;
        EXPECT_THROW(list.Names(bad), EStringListError) << bad;
        EXPECT_THROW(list.ValueFromIndex(bad), EStringListError) << bad;
    }
    EXPECT_THROW(list.Insert(-1, L"z"), EStringListError);
    EXPECT_THROW(list.Insert(3, L"z"), EStringListError);
    EXPECT_EQ(list.Lines(), (std::vector<std::wstring>{L"x", L"y"}));
}

TEST(StringList, NamesAndValuesCompareWithoutRegardToCase) {
    TStringList list;
    for (const wchar_t* line : {L"Top", L"Top=5", L"top=9", L"A=b=c", L"Left=", L"=empty name", L"Bx=1"})
        list.Add(line);
    EXPECT_EQ(list.IndexOfName(L"TOP"), 1);  // the bare line 'Top' has no name
    EXPECT_EQ(list.Values(L"top"), L"5");
    EXPECT_EQ(list.Values(L"a"), L"b=c");
    EXPECT_EQ(list.IndexOfName(L"Left"), 4);
    EXPECT_EQ(list.Values(L"Left"), L"");
    EXPECT_EQ(list.IndexOfName(L""), 5);
    EXPECT_EQ(list.IndexOfName(L"B"), -1);
    EXPECT_EQ(list.IndexOfName(L"Missing"), -1);
    EXPECT_EQ(list.Names(0), L"");
    EXPECT_EQ(list.Names(3), L"A");
    EXPECT_EQ(list.ValueFromIndex(0), L"");
    EXPECT_EQ(list.ValueFromIndex(3), L"b=c");
    EXPECT_EQ(list.IndexOf(L"TOP=5"), 1);
    EXPECT_EQ(list.IndexOf(L"Top=6"), -1);

    list.SetValues(L"TOP", L"7");
    EXPECT_EQ(list.Strings(1), L"TOP=7");
    EXPECT_EQ(list.Strings(2), L"top=9");
    list.SetValues(L"top", L"");  // an empty value keeps the line
    EXPECT_EQ(list.Strings(1), L"top=");
    list.SetValues(L"New", L"1");
    EXPECT_EQ(list.Strings(list.Count() - 1), L"New=1");
    EXPECT_EQ(list.Count(), 8);
}

TEST(StringList, TextSplitsAtEachLineBreakAndJoinsWithCrLf) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> lines;
    } cases[] = {
        {L"", {}},
        {L"a", {L"a"}},
        {L"a\r\n", {L"a"}},
        {L"a\r\nb", {L"a", L"b"}},
        {L"a\rb\r", {L"a", L"b"}},
        {L"a\nb\n", {L"a", L"b"}},
        {L"\r\n", {L""}},
        {L"a\r\n\r\nb", {L"a", L"", L"b"}},
        {L"a\n\rb", {L"a", L"", L"b"}},  // LF then CR: two breaks
        {L"a\r\r\nb", {L"a", L"", L"b"}},
        {L"\n\n", {L"", L""}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add(L"old");
        list.SetText(c.text);
        EXPECT_EQ(list.Lines(), c.lines) << UnicodeToUtf8(c.text);
    }
    TStringList list;
    EXPECT_EQ(list.Text(), L"");
    list.Add(L"a");
    list.Add(L"");
    list.Add(L"b");
    EXPECT_EQ(list.Text(), L"a\r\n\r\nb\r\n");
}

// --- reading files ------------------------------------------------------------------

TEST_F(StringListFiles, EveryEncodingAndEveryLineEndingIsRead) {
    const std::wstring unicodeLines[] = {L"Top=5", L"h\u00E9llo \u65E5\u672C", L"\U0001F600 x=1"};
    const std::wstring asciiLines[] = {L"Top=5", L"hello there", L"x=1"};
    struct Encoding {
        const char* name;
        bool unicode;
        Bytes (*encode)(const std::wstring&);
    } encodings[] = {
        {"utf-16le", true, [](const std::wstring& t) { return Utf16Le(t); }},
        {"utf-16be", true, [](const std::wstring& t) { return Utf16Be(t); }},
        {"utf-8", true, [](const std::wstring& t) { return Utf8(t, true); }},
        {"ansi", false, [](const std::wstring& t) { return Utf8(t, false); }},  // ASCII is the same in ANSI
    };
    const wchar_t* endings[] = {L"\r\n", L"\r", L"\n"};
    for (const auto& e : encodings) {
        const auto& lines = e.unicode ? unicodeLines : asciiLines;
        std::vector<std::wstring> expected(std::begin(lines), std::end(lines));
        for (const wchar_t* end : endings) {
            for (bool lastEnded : {true, false}) {
                std::wstring text;
                for (size_t i = 0; i < expected.size(); ++i) {
                    text += expected[i];
                    if (i + 1 < expected.size() || lastEnded) text += end;
                }
                EXPECT_EQ(LoadBytes(e.encode(text)), expected)
                    << e.name << " ending " << static_cast<int>(end[0]) << "/" << lastEnded;
            }
        }
    }
}

TEST_F(StringListFiles, TheAnsiCodePageDecodesFilesWithoutMark) {
    // A byte above 0x7F, decoded as the system does.
    const Bytes bytes{'a', 0xE9, '\r', '\n', 'b'};
    wchar_t expected = 0;
    ASSERT_EQ(::MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(&bytes[1]), 1, &expected, 1), 1);
    EXPECT_EQ(LoadBytes(bytes), (std::vector<std::wstring>{std::wstring(L"a") + expected, L"b"}));
}

TEST_F(StringListFiles, EmptyFilesAndFilesWithOnlyAMarkGiveNoLines) {
    const Bytes cases[] = {{}, {0xFF, 0xFE}, {0xFE, 0xFF}, {0xEF, 0xBB, 0xBF}, {0xFF, 0xFE, 0x41}, {0xFE, 0xFF, 0x00}};
    for (const auto& bytes : cases) {
        EXPECT_EQ(LoadBytes(bytes), std::vector<std::wstring>{}) << bytes.size();
    }
}

TEST_F(StringListFiles, HostileContentIsReadSafely) {
    struct Case {
        const char* what;
        Bytes bytes;
        std::vector<std::wstring> lines;
    } cases[] = {
        // An odd number of bytes: the odd last byte is dropped.
        {"odd utf-16le", [] { auto b = Utf16Le(L"ab\r\ncd"); b.push_back(0x41); return b; }(), {L"ab", L"cd"}},
        {"odd utf-16be", [] { auto b = Utf16Be(L"ab\r\ncd"); b.push_back(0x41); return b; }(), {L"ab", L"cd"}},
        // Lone surrogates are kept as they are.
        {"lone high surrogate", Utf16Le(std::wstring(L"a") + wchar_t(0xD800) + L"b"),
         {std::wstring(L"a") + wchar_t(0xD800) + L"b"}},
        {"lone low surrogate at end", Utf16Le(std::wstring(L"x\r\n") + wchar_t(0xDC00)), {L"x", std::wstring(1, wchar_t(0xDC00))}},
        // A NUL inside a line stays inside the line.
        {"nul in utf-16", Utf16Le(std::wstring(L"a\0b\r\nc", 6)), {std::wstring(L"a\0b", 3), L"c"}},
        {"nul in ansi", Bytes{'a', 0, 'b', '\n', 'c'}, {std::wstring(L"a\0b", 3), L"c"}},
        // Broken UTF-8 becomes replacement characters.
        {"bad utf-8", Bytes{0xEF, 0xBB, 0xBF, 'a', 0xFF, 'b', '\n', 0xE6, 0x97}, {L"a\uFFFDb", L"\uFFFD"}},
        // Marks of another encoding after the first are text.
        {"two marks", Bytes{0xFF, 0xFE, 0xFF, 0xFE, 'a', 0}, {L"\uFEFFa"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Show(LoadBytes(c.bytes)), Show(c.lines)) << c.what;
    }
}

TEST_F(StringListFiles, ALargeFileIsReadWhole) {
    // Some megabytes in long lines (few allocations keep the heap-checked run quick).
    const int count = 600;
    const std::wstring body(4000, L'v');
    std::wstring text;
    text.reserve(count * (body.size() + 12));
    for (int i = 0; i < count; ++i) text += L"K" + std::to_wstring(i) + L"=" + body + L"\r\n";
    Bytes bytes = Utf16Le(text);
    ASSERT_GT(bytes.size(), 4u * 1024 * 1024);
    auto lines = LoadBytes(bytes);
    ASSERT_EQ(lines.size(), static_cast<size_t>(count));
    EXPECT_EQ(lines.back(), L"K599=" + body);
}

TEST_F(StringListFiles, FilesThatCannotBeOpenedRaiseTheOpenErrorAndKeepTheLines) {
    TStringList list;
    list.Add(L"kept");
    // A missing file, a folder where the file should be.
    EXPECT_THROW(list.LoadFromFile(dir + L"\\missing.ini"), EFOpenError);
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
    EXPECT_THROW(list.LoadFromFile(path), EFOpenError);
    ASSERT_TRUE(::RemoveDirectoryW(path.c_str()));
    // A file held open without sharing.
    ASSERT_TRUE(testdesk::WriteBytes(path, Utf16Le(L"a\r\n")));
    HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_THROW(list.LoadFromFile(path), EFOpenError);
    ::CloseHandle(lock);
    EXPECT_EQ(list.Lines(), std::vector<std::wstring>{L"kept"});
    list.LoadFromFile(path);
    EXPECT_EQ(list.Lines(), std::vector<std::wstring>{L"a"});
}

// --- writing files ------------------------------------------------------------------

TEST_F(StringListFiles, SavingWritesUtf16WithMarkAndCrLfAfterEveryLine) {
    TStringList list;
    list.SaveToFile(path);
    EXPECT_EQ(testdesk::ReadBytes(path), (Bytes{0xFF, 0xFE}));

    list.Add(L"a");
    list.Add(L"b");
    list.SaveToFile(path);
    EXPECT_EQ(testdesk::ReadBytes(path), (Bytes{0xFF, 0xFE, 'a', 0, 13, 0, 10, 0, 'b', 0, 13, 0, 10, 0}));

    // What is read back is what was saved, units the codec does not judge included.
    list.Clear();
    for (const auto& line : {std::wstring(L""), std::wstring(L"h\u00E9 \U0001F600"), std::wstring(L"x\0y", 3),
                             std::wstring(1, wchar_t(0xD800)) + L"z"})
        list.Add(line);
    list.SaveToFile(path);
    TStringList back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Lines(), list.Lines());
    EXPECT_EQ(FolderEntries(dir), std::vector<std::wstring>{L"list.ini"});
}

TEST_F(StringListFiles, ASaveThatCannotReplaceTheFileLeavesItWhole) {
    const Bytes old = Utf16Le(L"old=1\r\nkeep=2\r\n");
    ASSERT_TRUE(testdesk::WriteBytes(path, old));
    TStringList list;
    list.Add(L"new=3");

    // The temporary file cannot be created: a folder of its name is in the way.
    ASSERT_TRUE(::CreateDirectoryW(TempOf(path).c_str(), nullptr));
    EXPECT_THROW(list.SaveToFile(path), EFCreateError);
    EXPECT_EQ(testdesk::ReadBytes(path), old);
    ASSERT_TRUE(::RemoveDirectoryW(TempOf(path).c_str()));

    // The old file is open elsewhere without delete sharing: it cannot be replaced.
    HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_THROW(list.SaveToFile(path), EWriteError);
    ::CloseHandle(holder);
    EXPECT_EQ(testdesk::ReadBytes(path), old);
    EXPECT_EQ(FolderEntries(dir), std::vector<std::wstring>{L"list.ini"});

    // A folder where the file should be cannot be replaced either.
    const std::wstring folderTarget = dir + L"\\folder.ini";
    ASSERT_TRUE(::CreateDirectoryW(folderTarget.c_str(), nullptr));
    EXPECT_THROW(list.SaveToFile(folderTarget), EWriteError);
    EXPECT_TRUE(DirectoryExists(folderTarget));
    EXPECT_FALSE(testdesk::FileExists(TempOf(folderTarget)));
    ASSERT_TRUE(::RemoveDirectoryW(folderTarget.c_str()));

    // A missing folder: nothing can be created.
    EXPECT_THROW(list.SaveToFile(dir + L"\\no such folder\\x.ini"), EFCreateError);

    // Afterwards a save goes through and leaves only the file.
    list.SaveToFile(path);
    EXPECT_EQ(testdesk::ReadBytes(path), Utf16Le(L"new=3\r\n"));
    EXPECT_EQ(FolderEntries(dir), std::vector<std::wstring>{L"list.ini"});
}

TEST_F(StringListFiles, ATemporaryFileLeftByAnInterruptedSaveIsTakenOverByTheNext) {
    const Bytes old = Utf16Le(L"old=1\r\n");
    ASSERT_TRUE(testdesk::WriteBytes(path, old));
    ASSERT_TRUE(testdesk::WriteBytes(TempOf(path), Bytes{0xFF, 0xFE, 'h', 0, 'a'}));  // cut off half-way
    TStringList list;
    list.LoadFromFile(path);  // the old file is still the one that is read
    EXPECT_EQ(list.Lines(), std::vector<std::wstring>{L"old=1"});
    list.Add(L"more=2");
    list.SaveToFile(path);
    EXPECT_EQ(testdesk::ReadBytes(path), Utf16Le(L"old=1\r\nmore=2\r\n"));
    EXPECT_EQ(FolderEntries(dir), std::vector<std::wstring>{L"list.ini"});
}

TEST_F(StringListFiles, RelativeNamesAreTakenFromTheCurrentFolder) {
    wchar_t saved[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryW(dir.c_str()));
    TStringList list;
    list.Add(L"r=1");
    list.SaveToFile(L"relative.ini");
    TStringList back;
    back.LoadFromFile(L"relative.ini");
    ::SetCurrentDirectoryW(saved);
    EXPECT_EQ(back.Lines(), std::vector<std::wstring>{L"r=1"});
    EXPECT_EQ(testdesk::ReadBytes(dir + L"\\relative.ini"), Utf16Le(L"r=1\r\n"));
}
