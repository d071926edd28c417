// Tests of unit S02: command-line splitting, file tests, icons, text
// measuring, window-name guessing, waiting for another program's window and
// the application-data folder.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "desktop.h"
#include "s02.h"
#include "winhelper.h"

namespace {

std::string N(const std::wstring& w) { return UnicodeToUtf8(w); }

bool CreateEmptyFile(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
}

// Replaces the first "C:\" of a sample command line by the test's own folder.
std::wstring MapOnto(const std::wstring& line, const std::wstring& root) {
    std::wstring r = line;
    const size_t at = r.find(L"C:\\");
    if (at != std::wstring::npos) r.replace(at, 3, root + L"\\");
    return r;
}

int CountPixelsNotOf(TBitmap& bitmap, TColor color) {
    int n = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (bitmap.Canvas()->Pixel(x, y) != color) ++n;
    return n;
}

}  // namespace

TEST(S02, CommandLinesSplitIntoFileDirectoryAndParameters) {
    struct Case {
        std::wstring line, strip, file, directory, params;
        bool exists;  // of the line mapped onto the test's folder
    } cases[] = {
        {L"C:\\Tools\\app.exe -x 5", L"C:\\Tools\\app.exe", L"app.exe", L"C:\\Tools", L"-x 5", true},
        {L"C:\\Tools\\app.exe", L"C:\\Tools\\app.exe", L"app.exe", L"C:\\Tools", L"", true},
        {L"C:\\app.exe /s", L"C:\\app.exe", L"app.exe", L"C:\\", L"/s", true},
        {L"C:\\Tools\\app.exe  -a", L"C:\\Tools\\app.exe", L"app.exe", L"C:\\Tools", L" -a", true},
        {L"C:\\Program Files\\app.exe", L"C:\\Program Files\\app.exe", L"app.exe", L"C:\\Program Files", L"", true},
        {L"C:\\My Tools\\my app.exe -a", L"C:\\My Tools\\my app.exe", L"my app.exe", L"C:\\My Tools", L"-a", true},
        {L"C:\\Tools\\app.exe note.txt", L"C:\\Tools\\app.exe note.txt", L"app.exe note.txt", L"C:\\Tools", L"",
         false},
        {L"C:\\Tools\\app.exe D:\\data", L"C:\\Tools\\app.exe D:\\data", L"data", L"C:\\Tools\\app.exe D:\\", L"",
         false},
        {L"C:\\Tools\\app.exe -p:1", L"C:\\Tools\\app.exe -p:1", L"1", L"C:\\Tools\\app.exe -p:", L"", false},
        {L"C:\\Users\\me\\Documents", L"C:\\Users\\me\\Documents", L"Documents", L"C:\\Users\\me", L"", false},
        {L"app.exe -a", L"app.exe", L"app.exe", L"", L"-a", true},
        {L"", L"", L"", L"", L"", false},
        {L"C:\\Tools\\missing.exe -a", L"C:\\Tools\\missing.exe", L"missing.exe", L"C:\\Tools", L"-a", false},
        {L"C:\\Tools\\app.exe", L"C:\\Tools\\app.exe", L"app.exe", L"C:\\Tools", L"", true},
        {L"\\\\server\\share", L"\\\\server\\share", L"share", L"\\\\server", L"", false},
        {L"\\\\share", L"\\\\share", L"share", L"\\\\", L"", false},
        {L"C:file.txt x", L"C:file.txt", L"file.txt", L"C:", L"x", false},
        // Quotation marks are plain characters: the closing one stays in the extension.
        {L"\"C:\\Tools\\app.exe\" -a", L"\"C:\\Tools\\app.exe\"", L"app.exe\"", L"\"C:\\Tools", L"-a", false},
        {L"\"C:\\Program Files\\app.exe\"", L"\"C:\\Program Files\\app.exe\"", L"app.exe\"", L"\"C:\\Program Files",
         L"", false},
    };

    // The sample paths as real files and folders below a folder of our own;
    // the relative "app.exe" is found in it as the current folder.
    const std::wstring root = testdesk::FreshTempDir(L"s02-cmdline");
    ASSERT_TRUE(testdesk::MakeDirs(root + L"\\Tools"));
    ASSERT_TRUE(testdesk::MakeDirs(root + L"\\Program Files"));
    ASSERT_TRUE(testdesk::MakeDirs(root + L"\\My Tools"));
    ASSERT_TRUE(testdesk::MakeDirs(root + L"\\Users\\me\\Documents"));
    for (const wchar_t* f : {L"\\Tools\\app.exe", L"\\app.exe", L"\\Program Files\\app.exe", L"\\My Tools\\my app.exe"})
        ASSERT_TRUE(CreateEmptyFile(root + f));
    wchar_t oldDir[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, oldDir);
    ASSERT_TRUE(::SetCurrentDirectoryW(root.c_str()));

    for (const auto& c : cases) {
        EXPECT_EQ(N(StripCmdArgs(c.line)), N(c.strip)) << N(c.line);
        UnicodeString file = L"old", directory = L"old", params = L"old";
        SplitCmdLine(c.line, file, directory, params);
        EXPECT_EQ(N(file), N(c.file)) << N(c.line);
        EXPECT_EQ(N(directory), N(c.directory)) << N(c.line);
        EXPECT_EQ(N(params), N(c.params)) << N(c.line);
        const std::wstring mapped = MapOnto(c.line, root);
        EXPECT_EQ(CmdFileExists(mapped), c.exists) << N(mapped);
    }
    EXPECT_FALSE(CmdFileExists(root + L"\\Tools")) << "a folder is not a file";

    ::SetCurrentDirectoryW(oldDir);
    testdesk::RemoveTree(root);
}

TEST(S02, DrawFileIconFillsTheBackgroundAndDrawsTheShellIcon) {
    const TColor bg = 0x030201;
    const TColor other = 0x102030;
    TBitmap bitmap;

    // No command line: a plain fill of the size, its colour the transparent one.
    for (int kind : {kIconSmall, kIconLarge}) {
        DrawFileIcon(&bitmap, L"", kind, bg);
        const int size = kind == kIconSmall ? 16 : 32;
        EXPECT_EQ(bitmap.Width(), size);
        EXPECT_EQ(bitmap.Height(), size);
        EXPECT_EQ(CountPixelsNotOf(bitmap, bg), 0);
        EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
        EXPECT_EQ(bitmap.TransparentColor(), bg);
    }

    // A missing file: no icon either.
    DrawFileIcon(&bitmap, L"C:\\no such folder\\nothing.exe -a", kIconSmall, bg);
    EXPECT_EQ(CountPixelsNotOf(bitmap, bg), 0);

    // A real program, followed by a parameter: its icon is drawn.
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring notepad = std::wstring(system) + L"\\notepad.exe";
    ASSERT_TRUE(FileExists(notepad));
    for (int kind : {kIconSmall, kIconLarge}) {
        DrawFileIcon(&bitmap, notepad + L" readme", kind, bg);
        EXPECT_EQ(bitmap.Width(), kind == kIconSmall ? 16 : 32);
        EXPECT_GT(CountPixelsNotOf(bitmap, bg), 0) << "kind " << kind;
    }

    // A folder has a shell icon too.
    DrawFileIcon(&bitmap, system, kIconLarge, bg);
    EXPECT_GT(CountPixelsNotOf(bitmap, bg), 0);

    // Drawn again over another background: that one becomes the transparent colour.
    DrawFileIcon(&bitmap, notepad, kIconSmall, bg);
    DrawFileIcon(&bitmap, notepad, kIconSmall, other);
    EXPECT_EQ(bitmap.TransparentColor(), other);
    EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
    EXPECT_EQ(CountPixelsNotOf(bitmap, bg), 16 * 16) << "nothing of the first background is left";
    DrawFileIcon(&bitmap, L"", kIconSmall, other);
    EXPECT_EQ(CountPixelsNotOf(bitmap, other), 0);
}

// Within a TIconLookups scope the shell is asked once per file and icon size,
// and every drawing gives the pixels that a drawing without the scope gives.
TEST(S02, IconLookupsAskOncePerFileAndSizeAndDrawTheSamePixels) {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring notepad = std::wstring(system) + L"\\notepad.exe";
    const std::wstring missing = L"C:\\no such folder\\nothing.exe";
    struct Draw {
        std::wstring cmd;
        int kind;
        TColor bg;
    } const draws[] = {
        {notepad, kIconSmall, 0x030201}, {notepad + L" -a", kIconSmall, 0x102030}, {notepad, kIconLarge, 0x030201},
        {std::wstring(system), kIconSmall, 0x030201}, {notepad, kIconSmall, 0x030201}, {missing, kIconSmall, 0x030201},
        {missing + L" -x", kIconSmall, 0x102030}, {L"", kIconSmall, 0x102030},
    };
    // The pixels of each drawing made alone.
    std::vector<std::vector<TColor>> alone;
    for (const Draw& d : draws) {
        TBitmap b;
        DrawFileIcon(&b, d.cmd, d.kind, d.bg);
        std::vector<TColor> px;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) px.push_back(b.Canvas()->Pixel(x, y));
        alone.push_back(px);
    }
    TIconLookups lookups;
    {
        TIconLookups inner;  // nested: the innermost one serves, and ends first
        TBitmap b;
        DrawFileIcon(&b, notepad, kIconSmall, 0x030201);
        EXPECT_EQ(inner.Queries(), 1);
    }
    for (size_t i = 0; i < std::size(draws); ++i) {
        TBitmap b;
        DrawFileIcon(&b, draws[i].cmd, draws[i].kind, draws[i].bg);
        EXPECT_EQ(b.TransparentColor(), draws[i].bg);
        std::vector<TColor> px;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) px.push_back(b.Canvas()->Pixel(x, y));
        EXPECT_EQ(px, alone[i]) << "drawing " << i;
    }
    // notepad small and large, the folder, the missing file; the empty line asks nothing.
    EXPECT_EQ(lookups.Queries(), 4);
}

TEST(S02, GetTextWidthMeasuresInTheNamedFont) {
    SIZE a{}, b{}, big{}, none{-1, -1};
    const int wa = GetTextWidth(L"Dovrak", L"Tahoma", 8, a);
    const int wb = GetTextWidth(L"Dovrak and Pelnor", L"Tahoma", 8, b);
    GetTextWidth(L"Dovrak", L"Tahoma", 20, big);
    EXPECT_GT(wa, 0);
    EXPECT_EQ(wa, a.cx);
    EXPECT_EQ(wb, b.cx);
    EXPECT_GT(a.cy, 0);
    EXPECT_GT(wb, wa);
    EXPECT_GT(big.cx, a.cx);
    EXPECT_GT(big.cy, a.cy);
    EXPECT_EQ(GetTextWidth(L"", L"Tahoma", 8, none), 0);
    EXPECT_EQ(none.cx, 0);
}

TEST(S02, GuessWindowNamesFromTheBareFileName) {
    struct Case {
        const wchar_t* file;
        const wchar_t* cls;
        const wchar_t* title;
    } cases[] = {
        {L"qtool.exe", L"TFQTool", L"QTool"},
        {L"C:\\Program Files\\Kestovar\\qtool.exe", L"TFQTool", L"QTool"},
        {L"D:qtool", L"TFQTool", L"QTool"},
        {L"QTOOL.EXE", L"TFQTool", L"QTool"},
        {L"q.exe", L"TFQ", L"Q"},
        {L"q", L"TFQ", L"Q"},
        {L"qa.b.exe", L"TFQA.b", L"QA.b"},
        {L"tool.exe", L"", L""},
        {L"C:\\q\\tool.exe", L"", L""},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        TKVar cls(L"old class");
        TKVar title(7);
        GuessWindowNames(TKVar(c.file), cls, title);
        EXPECT_EQ(cls.Kind(), kvText);
        EXPECT_EQ(title.Kind(), kvText);
        EXPECT_STREQ(cls.Text(), c.cls) << N(c.file);
        EXPECT_STREQ(title.Text(), c.title) << N(c.file);
    }
}

TEST(S02, WaitForWindowFindsAnotherProgramsWindow) {
    const std::wstring dir = testdesk::FreshTempDir(L"s02-wait");
    const std::wstring log = dir + L"\\helper.log";
    const std::wstring exe = winhelper::Path();
    ASSERT_TRUE(FileExists(exe)) << N(exe);

    // A window that exists already.
    const std::wstring cls = L"S02WaitNow" + std::to_wstring(::GetCurrentProcessId());
    testdesk::Process now = testdesk::Start(exe, L"--class " + cls + L" --title \"Wait now\" --exit-after 30000");
    ASSERT_NE(now.handle, nullptr);
    HWND existing = testdesk::WaitWindow(cls.c_str(), L"Wait now", now.pid, 10000);
    ASSERT_NE(existing, nullptr);
    EXPECT_EQ(WaitForWindow(cls, L"", 1000), nullptr) << "an empty title searches nothing";
    EXPECT_EQ(WaitForWindow(L"", L"Wait now", 1000), nullptr) << "an empty class searches nothing";
    EXPECT_EQ(WaitForWindow(cls, L"Wait now", 99), nullptr) << "below 100 ms nothing is searched";
    EXPECT_EQ(WaitForWindow(cls, L"Wait now", 100), existing);
    EXPECT_EQ(WaitForWindow(cls, L"Another title", 300), nullptr);

    // A window that another program creates only after a delay, well within the time-out.
    const std::wstring later = L"S02WaitLater" + std::to_wstring(::GetCurrentProcessId());
    testdesk::Process p = testdesk::Start(
        exe, L"--class " + later + L" --title Later --delay 1000 --log \"" + log + L"\" one \"two words\"", dir);
    ASSERT_NE(p.handle, nullptr);
    HWND found = WaitForWindow(later, L"Later", 20000);
    ASSERT_NE(found, nullptr);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(found, &pid);
    EXPECT_EQ(pid, p.pid);
    EXPECT_TRUE(::IsWindowVisible(found));

    // The helper's log, as the launcher tests read it. The window line is
    // written just after the window appears.
    std::vector<std::wstring> lines;
    EXPECT_TRUE(testdesk::WaitUntil([&] {
        lines = winhelper::ReadLog(log);
        return !winhelper::Values(lines, L"window").empty();
    }));
    EXPECT_EQ(winhelper::Values(lines, L"start"), std::vector<std::wstring>{std::to_wstring(p.pid)});
    ASSERT_EQ(winhelper::Values(lines, L"cmdline").size(), 1u);
    EXPECT_NE(winhelper::Values(lines, L"cmdline")[0].find(L"one \"two words\""), std::wstring::npos);
    const std::vector<std::wstring> args{L"--class", later, L"--title", L"Later", L"--delay", L"1000",
                                         L"--log",   log,   L"one",     L"two words"};
    EXPECT_EQ(winhelper::Values(lines, L"arg"), args);
    EXPECT_EQ(winhelper::Values(lines, L"extra"), (std::vector<std::wstring>{L"one", L"two words"}));
    EXPECT_EQ(winhelper::Values(lines, L"cwd"), std::vector<std::wstring>{dir});
    EXPECT_EQ(winhelper::Values(lines, L"window").size(), 1u);

    // Both close at once (hiding a window takes Wine a while without a window manager).
    ::PostMessageW(existing, WM_CLOSE, 0, 0);
    ::PostMessageW(found, WM_CLOSE, 0, 0);
    EXPECT_TRUE(now.WaitExit(10000));
    EXPECT_TRUE(p.WaitExit(10000));
    now.Close();
    p.Close();
    EXPECT_EQ(winhelper::Values(winhelper::ReadLog(log), L"close"), std::vector<std::wstring>{L"WM_CLOSE"});
    testdesk::RemoveTree(dir);
}

TEST(S02, GetAppDataFolderHasNoTrailingBackslashAndExists) {
    const UnicodeString folder = GetAppDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(DirectoryExists(folder)) << N(folder);
    wchar_t expected[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, expected)));
    EXPECT_EQ(N(folder), N(ExcludeTrailingPathDelimiter(expected)));
}
