// The application's help command opens the viewer on the help file's contents.
#include <gtest/gtest.h>

#include "desktop.h"
#include "forms.h"

#include <commctrl.h>

using testdesk::WaitUntil;

namespace {

std::wstring CurrentDir() {
    wchar_t buf[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buf);
    return buf;
}

// The number of entries in the viewer's contents tree.
int ContentsEntries(HWND viewer) {
    for (HWND tree : testdesk::ChildWindows(viewer, L"SysTreeView32")) {
        int n = static_cast<int>(SendMessageW(tree, TVM_GETCOUNT, 0, 0));
        if (n > 0) return n;
    }
    return 0;
}

}  // namespace

TEST(Help, ContentsOfTheHelpFileOpenInTheViewer) {
    if (!Application) Application = new TApplication();
    std::wstring file = CurrentDir() + L"\\help_test.chm";
    ASSERT_TRUE(testdesk::FileExists(file)) << "the test's help file is built beside the test";
    Application->HelpFile = file;
    ASSERT_TRUE(Application->HelpCommand(HELP_CONTENTS, 0));
    HWND viewer = testdesk::WaitWindow(L"HH Parent");
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ContentsEntries(viewer) >= 1; }, 5000));
    // Closing all help windows.
    EXPECT_TRUE(Application->HelpCommand(HELP_QUIT, 0));
    if (IsWindow(viewer)) PostMessageW(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return testdesk::FindTopWindow(L"HH Parent") == nullptr; }, 5000));
}

TEST(Help, NoFileOrAnUnknownCommandShowsNothing) {
    if (!Application) Application = new TApplication();
    Application->HelpFile.clear();
    EXPECT_FALSE(Application->HelpCommand(HELP_CONTENTS, 0));
    Application->HelpFile = CurrentDir() + L"\\help_test.chm";
    EXPECT_FALSE(Application->HelpCommand(HELP_SETWINPOS, 0));
    EXPECT_EQ(testdesk::FindTopWindow(L"HH Parent"), nullptr);
}
