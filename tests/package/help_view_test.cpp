// Opens the two help files that go out with the programs, dovrak.chm and
// pelnor.chm, in HTML Help as the programs do (table of contents), checks
// that the viewer lists their contents, and saves a screenshot of each
// viewer window into the build's screenshots folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <htmlhelp.h>

#include <algorithm>
#include <string>

#include "desktop.h"

namespace {

struct HelpFile {
    const char* name;
    std::string path;  // Linux path as CMake gives it
    int topics;        // entries of its contents
};

// The number of contents entries of a .hhc file (its <OBJECT type="text/sitemap"> entries).
int ContentsEntries(const std::string& hhc) {
    std::vector<uint8_t> bytes = testdesk::ReadBytes(testdesk::WinPath(hhc));
    std::string text(bytes.begin(), bytes.end());
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    int count = 0;
    for (size_t at = text.find("text/sitemap"); at != std::string::npos; at = text.find("text/sitemap", at + 1))
        ++count;
    return count;
}

class HelpView : public ::testing::TestWithParam<HelpFile> {
protected:
    void TearDown() override {
        ::HtmlHelpW(nullptr, nullptr, HH_CLOSE_ALL, 0);
        testdesk::WaitUntil([] { return !testdesk::FindTopWindow(L"HH Parent", nullptr, ::GetCurrentProcessId()); },
                            5000);
    }
};

TEST_P(HelpView, OpensWithItsContentsListed) {
    const HelpFile& help = GetParam();
    const std::wstring chm = testdesk::WinPath(help.path);
    ASSERT_TRUE(testdesk::FileExists(chm)) << help.path;
    HWND viewer = ::HtmlHelpW(nullptr, chm.c_str(), HH_DISPLAY_TOC, 0);
    ASSERT_TRUE(viewer) << "HTML Help did not open " << help.name;

    LRESULT items = 0;
    EXPECT_TRUE(testdesk::WaitUntil(
        [&] {
            for (HWND tree : testdesk::ChildWindows(viewer, L"SysTreeView32"))
                items = std::max<LRESULT>(items, ::SendMessageW(tree, TVM_GETCOUNT, 0, 0));
            return ::IsWindowVisible(viewer) && items >= help.topics;
        },
        10000))
        << help.name << ": " << items << " contents entries listed, " << help.topics << " expected";
    EXPECT_EQ(items, help.topics);
    EXPECT_EQ(testdesk::ClassOf(viewer), L"HH Parent");

    // The window on top and painted before the shot.
    ::SetWindowPos(viewer, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::RedrawWindow(viewer, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testdesk::PumpMessages();
    RECT area = testdesk::ScreenRect(viewer);
    const std::wstring folder = testdesk::WinPath(SCREENSHOT_DIR);
    testdesk::MakeDirs(folder);
    const std::wstring shot = folder + L"\\help_" + std::wstring(help.name, help.name + strlen(help.name)) + L".bmp";
    EXPECT_TRUE(testdesk::SaveScreenshot(shot, &area)) << testdesk::Narrow(shot);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, HelpView,
    ::testing::Values(HelpFile{"dovrak", DOVRAK_CHM, ContentsEntries(DOVRAK_HHC)},
                      HelpFile{"pelnor", PELNOR_CHM, ContentsEntries(PELNOR_HHC)}),
    [](const ::testing::TestParamInfo<HelpFile>& info) { return std::string(info.param.name); });

}  // namespace
