// The settings store's folder under the user's real application-data folder.
// Uses company and product names of its own and removes what it made.
#include <gtest/gtest.h>

#include "desktop.h"
#include "qini.h"

#include <string>

namespace {

class QiniFolder : public ::testing::Test {
protected:
    void SetUp() override {
        appData = testdesk::AppData();
        ASSERT_FALSE(appData.empty());
        company = L"KestovarFolderTest" + std::to_wstring(::GetCurrentProcessId());
        companyDir = appData + L"\\" + company;
        testdesk::RemoveTree(companyDir);
        ASSERT_FALSE(testdesk::FileExists(companyDir));
    }
    void TearDown() override { EXPECT_TRUE(testdesk::RemoveTree(companyDir)); }

    std::wstring appData;
    std::wstring company;
    std::wstring companyDir;
};

}  // namespace

TEST_F(QiniFolder, BothLevelsAreCreatedAndFilesGoThere) {
    TQini store;
    EXPECT_TRUE(store.SetFolder(company.c_str(), L"Product"));
    const std::wstring productDir = companyDir + L"\\Product";
    EXPECT_EQ(std::wstring(store.Folder().Text()), productDir);
    EXPECT_TRUE(DirectoryExists(companyDir));
    EXPECT_TRUE(DirectoryExists(productDir));

    EXPECT_FALSE(store.Load(L"settings.ini"));
    store.WriteValue(L"Top", 5);
    EXPECT_TRUE(store.Save(L"settings.ini"));
    EXPECT_EQ(testdesk::ReadUtf16Lines(productDir + L"\\settings.ini"), std::vector<std::wstring>{L"Top=5"});

    // With both levels present nothing is created, and the folder is set all the same.
    TQini again;
    EXPECT_TRUE(again.SetFolder(company.c_str(), L"Product"));
    EXPECT_EQ(std::wstring(again.Folder().Text()), productDir);
    EXPECT_TRUE(again.Load(L"settings.ini"));
    EXPECT_EQ(again.ReadValue(L"top").ToInt(), 5);

    // A second product under the same company adds only its own level.
    TQini other;
    EXPECT_TRUE(other.SetFolder(company.c_str(), L"Other"));
    EXPECT_TRUE(DirectoryExists(companyDir + L"\\Other"));
    EXPECT_TRUE(testdesk::FileExists(productDir + L"\\settings.ini"));
}

TEST_F(QiniFolder, AFolderThatCannotBeMadeShowsOnlyWhenTheFileIsUsed) {
    // A file where the company folder should be: creation fails quietly.
    ASSERT_TRUE(testdesk::WriteBytes(companyDir, {'x'}));
    TQini store;
    EXPECT_TRUE(store.SetFolder(company.c_str(), L"Product"));
    EXPECT_EQ(std::wstring(store.Folder().Text()), companyDir + L"\\Product");
    store.AddLine(L"a=1");
    EXPECT_FALSE(store.Load(L"settings.ini"));
    EXPECT_EQ(store.Count(), 1);
    EXPECT_THROW(store.Save(L"settings.ini"), EFCreateError);
}
