// The settings store on real files: key lookup and write rules, loading,
// the exact bytes of saved files, and failures that must not lose the file.
#include <gtest/gtest.h>

#include "desktop.h"
#include "qini.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Utf16Le(const std::wstring& text) {
    Bytes out{0xFF, 0xFE};
    for (wchar_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

std::vector<std::wstring> LinesOf(TQini& store) { return store.List()->Lines(); }

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

class QiniFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = testdesk::FreshTempDir(L"qini-" + Utf8ToUnicode(info->name()));
        ASSERT_TRUE(DirectoryExists(dir));
    }
    void TearDown() override { EXPECT_TRUE(testdesk::RemoveTree(dir)); }

    // A full path given as the name: with the folder empty it is used unchanged.
    TKVar File(const wchar_t* name) const { return TKVar((dir + L"\\" + name).c_str()); }
    std::wstring PathOf(const wchar_t* name) const { return dir + L"\\" + name; }

    std::wstring dir;
};

}  // namespace

TEST(Qini, ANewStoreHasEmptyFolderNumberSlotsAndTheBuildsHexFields) {
    TQini store;
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.Folder().Kind(), kvText);
    EXPECT_EQ(std::wstring(store.Folder().Text()), L"");
    for (int k = 1; k <= 9; ++k) {
        EXPECT_EQ(store.Slot(k).Kind(), kvInt) << k;
        EXPECT_EQ(store.Slot(k).IntValue(), 0) << k;
    }
    EXPECT_EQ(store.HexFields(), TQini::DefaultHexFields);
    EXPECT_EQ(TQini(0x86u).HexFields(), 0x86u);
}

TEST(Qini, RawLinesByIndex) {
    TQini store;
    EXPECT_EQ(store.AddLine(L"\\1x"), 0);
    EXPECT_EQ(store.AddLine(TKVar(42)), 1);  // a number is added as its decimal text
    EXPECT_EQ(store.Count(), 2);
    TKVar& line = store.GetLine(1);
    EXPECT_EQ(&line, &store.Slot(1));
    EXPECT_EQ(line.Kind(), kvText);
    EXPECT_EQ(std::wstring(line.Text()), L"42");
    for (int bad : {-1, 2, 100}) EXPECT_THROW(store.GetLine(bad), EStringListError) << bad;
}

TEST_F(QiniFiles, KeysAreFoundByTheirFirstLineWithoutRegardToCase) {
    ASSERT_TRUE(testdesk::WriteBytes(PathOf(L"keys.ini"),
                                     Utf16Le(L"Top=5\r\ntop=9\r\nA=b=c\r\nLeft=\r\nBtn\\14100\r\n=anon\r\nN=  12x\r\n")));
    TQini store;
    ASSERT_TRUE(store.Load(File(L"keys.ini")));
    struct Case {
        const wchar_t* key;
        const wchar_t* value;
    } cases[] = {
        {L"TOP", L"5"},  {L"top", L"5"}, {L"A", L"b=c"}, {L"a", L"b=c"}, {L"Left", L""},
        {L"Btn", L""},   // a record line without '=' is never a key, even when it begins with one
        {L"Btn\\14100", L""},
        {L"Missing", L""}, {L"", L"anon"}, {L"N", L"  12x"},
    };
    for (const auto& c : cases) {
        TKVar& v = store.ReadValue(c.key);
        EXPECT_EQ(&v, &store.Slot(1));
        EXPECT_EQ(v.Kind(), kvText) << UnicodeToUtf8(c.key);
        EXPECT_EQ(std::wstring(v.Text()), c.value) << UnicodeToUtf8(c.key);
    }
    EXPECT_EQ(store.ReadValue(L"N").ToInt(), 12);

    // The default takes the place of an empty or missing value, with its kind.
    struct DefCase {
        const wchar_t* key;
        TKVar def;
        TKVarKind kind;
        const wchar_t* text;
    } defs[] = {
        {L"Left", TKVar(100), kvInt, L"100"},
        {L"Missing", TKVar(100), kvInt, L"100"},
        {L"Top", TKVar(100), kvText, L"5"},
        {L"Left", TKVar(L"Tahoma"), kvText, L"Tahoma"},
    };
    for (auto& c : defs) {
        TKVar& v = store.ReadValueDef(c.key, c.def);
        EXPECT_EQ(&v, &store.Slot(1));
        EXPECT_EQ(v.Kind(), c.kind) << UnicodeToUtf8(c.key);
        EXPECT_EQ(v.ToString(), c.text) << UnicodeToUtf8(c.key);
    }
    EXPECT_EQ(store.ReadValueDef(L"Left", 100).IntValue(), 100);
}

TEST_F(QiniFiles, WritingReplacesTheFirstLineOfTheKeyOrAppendsAndSavesExactBytes) {
    TQini store;
    for (const wchar_t* line : {L"Top=5", L"top=9", L"Btn\\14100"}) store.AddLine(line);
    store.WriteValue(L"top", 7);            // the first line of the key
    store.WriteValue(L"Btn", L"x");         // the record line is not the key: appended
    store.WriteValue(L"Empty", L"");        // empty values are written, never removed
    store.WriteValue(TKVar(3), TKVar(-4));  // numbers in base 10
    store.WriteValue(L"BTN", L"y");
    EXPECT_EQ(LinesOf(store), (std::vector<std::wstring>{L"top=7", L"top=9", L"Btn\\14100", L"BTN=y", L"Empty=",
                                                         L"3=-4"}));
    EXPECT_TRUE(store.Save(File(L"w.ini")));
    EXPECT_EQ(testdesk::ReadBytes(PathOf(L"w.ini")),
              Utf16Le(L"top=7\r\ntop=9\r\nBtn\\14100\r\nBTN=y\r\nEmpty=\r\n3=-4\r\n"));
    EXPECT_EQ(LinesOf(store).size(), 6u);  // saving leaves the lines

    TQini back;
    ASSERT_TRUE(back.Load(File(L"w.ini")));
    EXPECT_EQ(LinesOf(back), LinesOf(store));
}

TEST_F(QiniFiles, SavedFilesHoldTheMarkAndEachLineWithCrLf) {
    TQini empty;
    EXPECT_TRUE(empty.Save(File(L"empty.ini")));
    EXPECT_EQ(testdesk::ReadBytes(PathOf(L"empty.ini")), (Bytes{0xFF, 0xFE}));

    TQini two;
    two.AddLine(L"a");
    two.AddLine(L"b");
    EXPECT_TRUE(two.Save(File(L"two.ini")));
    EXPECT_EQ(testdesk::ReadBytes(PathOf(L"two.ini")),
              (Bytes{0xFF, 0xFE, 'a', 0, 0x0D, 0, 0x0A, 0, 'b', 0, 0x0D, 0, 0x0A, 0}));

    TQini wide;
    wide.WriteValue(L"FontName", L"\u30E1\u30A4\u30EA\u30AA");
    EXPECT_TRUE(wide.Save(File(L"wide.ini")));
    EXPECT_EQ(testdesk::ReadBytes(PathOf(L"wide.ini")), Utf16Le(L"FontName=\u30E1\u30A4\u30EA\u30AA\r\n"));
    EXPECT_EQ(FolderEntries(dir).size(), 3u);  // no temporary file stays behind
}

TEST_F(QiniFiles, LoadingAMissingFileKeepsTheLinesAndAnExistingOneReplacesThem) {
    ASSERT_TRUE(testdesk::WriteBytes(PathOf(L"one.ini"), Utf16Le(L"x=1\r\ny=2")));
    ASSERT_TRUE(testdesk::WriteBytes(PathOf(L"empty.ini"), Bytes{0xFF, 0xFE}));
    ASSERT_TRUE(::CreateDirectoryW(PathOf(L"folder.ini").c_str(), nullptr));
    TQini store;
    store.AddLine(L"before=0");
    EXPECT_FALSE(store.Load(File(L"missing.ini")));
    EXPECT_FALSE(store.Load(File(L"folder.ini")));  // a folder is no file
    EXPECT_EQ(LinesOf(store), std::vector<std::wstring>{L"before=0"});
    EXPECT_TRUE(store.Load(File(L"one.ini")));
    EXPECT_EQ(LinesOf(store), (std::vector<std::wstring>{L"x=1", L"y=2"}));
    EXPECT_TRUE(store.Load(File(L"one.ini")));  // a second load replaces, it does not add
    EXPECT_EQ(LinesOf(store), (std::vector<std::wstring>{L"x=1", L"y=2"}));
    EXPECT_TRUE(store.Load(File(L"empty.ini")));  // a file with only the mark: no lines
    EXPECT_EQ(store.Count(), 0);

    // Files without the UTF-16LE mark are read by their own mark or as ANSI.
    const Bytes others[] = {
        {0xFE, 0xFF, 0, 'k', 0, '=', 0, '7', 0, '\n'},
        {0xEF, 0xBB, 0xBF, 'k', '=', '7', '\r'},
        {'k', '=', '7'},
    };
    for (const auto& bytes : others) {
        ASSERT_TRUE(testdesk::WriteBytes(PathOf(L"other.ini"), bytes));
        ASSERT_TRUE(store.Load(File(L"other.ini")));
        EXPECT_EQ(store.ReadValue(L"K").ToInt(), 7) << bytes.size();
        EXPECT_EQ(store.Count(), 1);
    }
}

TEST_F(QiniFiles, AFileThatCannotBeReadRaisesTheOpenError) {
    const std::wstring path = PathOf(L"locked.ini");
    ASSERT_TRUE(testdesk::WriteBytes(path, Utf16Le(L"a=1\r\n")));
    HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    TQini store;
    store.AddLine(L"kept");
    EXPECT_THROW(store.Load(File(L"locked.ini")), EFOpenError);
    ::CloseHandle(lock);
    EXPECT_EQ(LinesOf(store), std::vector<std::wstring>{L"kept"});
}

TEST_F(QiniFiles, AFailedSaveRaisesTheFileErrorAndLeavesTheOldFileWhole) {
    const std::wstring path = PathOf(L"keep.ini");
    const Bytes old = Utf16Le(L"Top=5\r\nLeft=7\r\n");
    ASSERT_TRUE(testdesk::WriteBytes(path, old));
    TQini store;
    ASSERT_TRUE(store.Load(File(L"keep.ini")));
    store.WriteValue(L"Top", 99);

    // Another program holds the old file open without delete sharing.
    HANDLE holder = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_THROW(store.Save(File(L"keep.ini")), EWriteError);
    ::CloseHandle(holder);
    EXPECT_EQ(testdesk::ReadBytes(path), old);
    EXPECT_EQ(FolderEntries(dir), std::vector<std::wstring>{L"keep.ini"});

    // The folder is missing: the file cannot be created.
    EXPECT_THROW(store.Save(File(L"gone\\keep.ini")), EFCreateError);

    // Once nothing is in the way the save goes through, with no temporary file left.
    EXPECT_TRUE(store.Save(File(L"keep.ini")));
    EXPECT_EQ(testdesk::ReadBytes(path), Utf16Le(L"Top=99\r\nLeft=7\r\n"));
    EXPECT_EQ(FolderEntries(dir), std::vector<std::wstring>{L"keep.ini"});
}

TEST_F(QiniFiles, AReadOnlyFileIsNotReplaced) {
    const std::wstring path = PathOf(L"fixed.ini");
    const Bytes old = Utf16Le(L"Top=5\r\n");
    ASSERT_TRUE(testdesk::WriteBytes(path, old));
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    TQini store;
    ASSERT_TRUE(store.Load(File(L"fixed.ini")));
    store.WriteValue(L"Top", 99);

    EXPECT_THROW(store.Save(File(L"fixed.ini")), EFCreateError);
    EXPECT_EQ(testdesk::ReadBytes(path), old);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY) << "the mark stays";
    EXPECT_EQ(FolderEntries(dir), std::vector<std::wstring>{L"fixed.ini"});

    // Without the mark the same save goes through.
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(store.Save(File(L"fixed.ini")));
    EXPECT_EQ(testdesk::ReadBytes(path), Utf16Le(L"Top=99\r\n"));
}

TEST_F(QiniFiles, WithoutAFolderNamesAreTakenFromTheCurrentFolder) {
    wchar_t saved[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryW(dir.c_str()));
    TQini store;
    store.AddLine(L"r=1");
    bool savedText = store.Save(L"rel.ini");
    bool savedNumber = store.Save(TKVar(12));  // a number names the file by its decimal text
    TQini back;
    bool loaded = back.Load(L"rel.ini");
    ::SetCurrentDirectoryW(saved);
    EXPECT_TRUE(savedText);
    EXPECT_TRUE(savedNumber);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(LinesOf(back), std::vector<std::wstring>{L"r=1"});
    EXPECT_EQ(testdesk::ReadBytes(PathOf(L"12")), Utf16Le(L"r=1\r\n"));
}
