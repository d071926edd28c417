// The sibling-program menu TKSetup as the menu program builds it: its own
// item and the menu program's item hidden and never offered, the others
// looked up under the program-files folder. The test supplies the click
// handler that each program defines for itself.
#include <gtest/gtest.h>

#include "desktop.h"
#include "dsetup.h"

#include <string>
#include <vector>

namespace {
std::vector<int> g_clicked;
}

void TKSetup::PMenuClick(TObject* Sender) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender)) g_clicked.push_back(item->Tag);
}

namespace {

class MenuBuildSetup : public ::testing::Test {
protected:
    void SetUp() override {
        programs = ProgramFilesFolder() + L"\\Kestovar";
        existed = GetFileAttributesW(programs.c_str()) != INVALID_FILE_ATTRIBUTES;
        g_clicked.clear();
    }
    void TearDown() override {
        for (const auto& f : made) DeleteFileW(f.c_str());
        if (!existed) testdesk::RemoveTree(programs);
    }
    void Install(const std::wstring& relative) {
        const std::wstring path = programs + L"\\" + relative;
        testdesk::MakeDirs(path.substr(0, path.find_last_of(L'\\')));
        testdesk::WriteBytes(path, {'M', 'Z'});
        made.push_back(path);
    }
    std::wstring programs;
    bool existed = false;
    std::vector<std::wstring> made;
};

}  // namespace

TEST_F(MenuBuildSetup, NeitherTheBarNorTheMenuProgramIsEverOffered) {
    TKSetup setup(nullptr);
    for (int tag = 1; tag <= 12; ++tag) {
        const bool offered = tag != 6 && tag != 8;
        EXPECT_EQ(setup.ItemOfTag(tag)->Visible(), offered) << tag;
        EXPECT_EQ(setup.Offered(tag), offered) << tag;
    }
    Install(L"Pelnor\\pelnor.exe");
    Install(L"Dovrak\\dovrak.exe");
    Install(L"Brenk\\brenk.exe");
    setup.PMenuSetupPopup(setup.PMenuSetup);
    std::vector<int> visible;
    for (int tag = 1; tag <= 12; ++tag)
        if (setup.ItemOfTag(tag)->Visible()) visible.push_back(tag);
    EXPECT_EQ(visible, std::vector<int>{1});
    // The menu program's handler is the one the items call.
    setup.PMBrenk->Click();
    setup.PMOskel->Click();
    EXPECT_EQ(g_clicked, (std::vector<int>{1, 12}));
}

TEST_F(MenuBuildSetup, TheGlobalIsClearedWithTheModule) {
    KSetup = new TKSetup(nullptr);
    delete KSetup;
    EXPECT_EQ(KSetup, nullptr);
}
