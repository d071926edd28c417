// The item commands in this process, on a shown item menu: add, copy,
// insert-paste (the "PELNOR" format and file lists), delete, the limit of
// 50 items, the dispatch by command number, and a clipboard that cannot be
// opened or whose data cannot be read or handed over.
#include <gtest/gtest.h>

#include "clipdata.h"
#include "desktop.h"
#include "f01.h"
#include "fmenu.h"
#include "g01.h"
#include "menu_clip.h"
#include "qbtn.h"
#include "qini.h"
#include "item_lines.h"
#include "s01.h"

#include <string>
#include <vector>

using menuclip::Block;
using menuclip::Bytes;

namespace {

using Lines = std::vector<std::wstring>;

using itemlines::Hex;
using itemlines::Item;

Bytes Units(const std::wstring& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    return Bytes(p, p + text.size() * sizeof(wchar_t));
}

class MenuCommands : public ::testing::Test {
protected:
    void SetUp() override {
        MenuSettings = new TMenuSettings();
        MenuSettings->ItemHeight = MenuItemHeight(MenuSettings->FontName, MenuSettings->FontSize);
        rowHeight = MenuSettings->ItemHeight;
        FPelnor = new TFPelnor(nullptr);
        FPelnor->HandleNeeded();
        menu = new TKMenu(FPelnor);
        FPelnor->ItemMenu = menu;
        testdesk::MoveMouse(::GetSystemMetrics(SM_CXSCREEN) - 5, ::GetSystemMetrics(SM_CYSCREEN) - 5);
        ASSERT_TRUE(menuclip::Clear());
    }
    void TearDown() override {
        FPelnor->ItemMenu = nullptr;
        delete menu;
        delete FPelnor;
        FPelnor = nullptr;
        delete MenuSettings;
        MenuSettings = nullptr;
        menuclip::Clear();
        testdesk::PumpMessages();
    }
    // The menu with these item lines, shown (not modally) at (100, 100).
    void ShowWith(const Lines& lines) {
        for (const auto& line : lines) menu->Items->AddLine(line.c_str());
        menu->SetLeft(100);
        menu->SetTop(100);
        menu->ArrangeWindow();
        menu->DrawItems();
        menu->Show();
    }
    Lines ItemLines() { return menu->Items->List()->Lines(); }
    int WindowHeight() { return testdesk::ScreenRect(menu->Handle()).bottom - testdesk::ScreenRect(menu->Handle()).top; }
    static Lines Numbered(int n) {
        Lines lines;
        for (int i = 0; i < n; ++i) lines.push_back(Item(L"Item " + std::to_wstring(i), L""));
        return lines;
    }

    int rowHeight = 0;
    TKMenu* menu = nullptr;
};

const std::wstring kA = Item(L"Alpha", L"C:\\windows\\notepad.exe");
const std::wstring kB = Item(L"Beta", L"C:\\windows");
const std::wstring kC = Item(L"", L"C:\\c.txt");

}  // namespace

TEST_F(MenuCommands, AddAppendsABlankItemAndTheMenuGrows) {
    ShowWith({kA, kB});
    AddNewItem(menu);
    EXPECT_EQ(ItemLines(), (Lines{kA, kB, L""}));
    EXPECT_EQ(WindowHeight(), 3 * rowHeight + 2);
    EXPECT_EQ(menu->Buttons->ButtonAt(2)->Caption(), L"");
}

TEST_F(MenuCommands, CopyPutsTheRawLineInABlockOfItsExactSize) {
    ShowWith({kA, L"", kB});
    CopyItem(menu, 0);
    Bytes bytes;
    ASSERT_TRUE(menuclip::Read(menuclip::PelnorFormat(), bytes));
    EXPECT_EQ(bytes, menuclip::LineBytes(kA));  // (n + 1) x 2 bytes, the last two 0
    EXPECT_NE(MenuSettings->ClipboardHandle, nullptr);
    EXPECT_EQ(ItemLines(), (Lines{kA, L"", kB}));  // no cut

    // A blank item, or an index that names no item, leaves the clipboard alone.
    ASSERT_TRUE(menuclip::Put({{CF_UNICODETEXT, menuclip::LineBytes(L"kept")}}));
    for (int i : {1, 3, -1}) {
        CopyItem(menu, i);
        EXPECT_FALSE(menuclip::Has(menuclip::PelnorFormat())) << i;
        EXPECT_TRUE(menuclip::Has(CF_UNICODETEXT)) << i;
    }
}

TEST_F(MenuCommands, CopyThenPasteInsertsAnIdenticalItemBeforeTheOne) {
    ShowWith({kA, kB, kC});
    CopyItem(menu, 1);
    PasteItem(menu, 1);
    EXPECT_EQ(ItemLines(), (Lines{kA, kB, kB, kC}));
    EXPECT_EQ(WindowHeight(), 4 * rowHeight + 2);
    EXPECT_EQ(menu->Buttons->ButtonAt(3)->Caption(), L"C:\\c.txt");  // every button drawn again
    // At the place after the last item it is appended; beyond, too.
    PasteItem(menu, 4);
    PasteItem(menu, 99);
    EXPECT_EQ(ItemLines(), (Lines{kA, kB, kB, kC, kB, kB}));
}

TEST_F(MenuCommands, APastedLineIsReadWithinItsBlockAndCutAtALineBreak) {
    struct Case {
        const char* what;
        Bytes bytes;
        std::wstring line;
    } cases[] = {
        {"with its 0 unit", menuclip::LineBytes(kA), kA},
        {"no 0 unit: cut at the block's end", Units(kB), kB},
        {"an odd byte at the end is no unit", [] {
             Bytes b = Units(kB);
             b.push_back('x');
             return b;
         }(), kB},
        {"a carriage return ends it", Units(kA + L"\r" + kB), kA},
        {"a line feed ends it", Units(kB + L"\n" + kA), kB},
        {"text after the 0 unit is not read", menuclip::LineBytes(kA + std::wstring(1, L'\0') + kB), kA},
    };
    for (const Case& c : cases) {
        menu->Items->List()->Clear();
        menu->AddItem(L"old", L"");
        ASSERT_TRUE(menuclip::Put({{menuclip::PelnorFormat(), c.bytes}})) << c.what;
        PasteItem(menu, 0);
        EXPECT_EQ(ItemLines(), (Lines{c.line, Item(L"old", L"")})) << c.what;
    }
}

TEST_F(MenuCommands, AFileListGivesOneItemForItsLastFileReadWhole) {
    ShowWith({kA});
    const std::wstring longName = L"C:\\files\\" + std::wstring(290, L'n') + L".report.txt";
    ASSERT_TRUE(menuclip::Put({{CF_HDROP, menuclip::FileListBytes({L"C:\\first.doc", longName})}}));
    PasteItem(menu, 0);
    ASSERT_EQ(menu->Items->Count(), 2);
    EXPECT_EQ(std::wstring(menu->Items->GetField(0, 1).c_str()), std::wstring(290, L'n') + L".report");
    EXPECT_EQ(std::wstring(menu->Items->GetField(0, 2).c_str()), longName);
    EXPECT_EQ(menu->Items->GetLine(1).c_str(), kA);
    EXPECT_EQ(WindowHeight(), 2 * rowHeight + 2);
}

TEST_F(MenuCommands, BothFormatsAtOnceInsertBothTheFilesItemFirst) {
    ShowWith({kA, kB});
    ASSERT_TRUE(menuclip::Put({{menuclip::PelnorFormat(), menuclip::LineBytes(kC)},
                               {CF_HDROP, menuclip::FileListBytes({L"C:\\docs\\plan.xls"})}}));
    PasteItem(menu, 1);
    EXPECT_EQ(ItemLines(), (Lines{kA, Item(L"plan", L"C:\\docs\\plan.xls"), kC, kB}));
    EXPECT_EQ(WindowHeight(), 4 * rowHeight + 2);
}

TEST_F(MenuCommands, AddAndPasteAreRefusedAtFiftyItems) {
    ShowWith(Numbered(50));
    const int height = WindowHeight();
    AddNewItem(menu);
    EXPECT_EQ(ItemLines(), Numbered(50));
    ASSERT_TRUE(menuclip::Put({{menuclip::PelnorFormat(), menuclip::LineBytes(kC)},
                               {CF_HDROP, menuclip::FileListBytes({L"C:\\docs\\plan.xls"})}}));
    PasteItem(menu, 0);
    EXPECT_EQ(ItemLines(), Numbered(50));
    EXPECT_EQ(WindowHeight(), height);

    // At 49 the copied line goes in and the file is refused.
    menu->Items->List()->Delete(49);
    PasteItem(menu, 0);
    Lines expected = Numbered(49);
    expected.insert(expected.begin(), kC);
    EXPECT_EQ(ItemLines(), expected);
}

TEST_F(MenuCommands, DeletingTheOnlyItemLeavesOneBlankItemOneRowHigh) {
    ShowWith({kA, kB, kC});
    DeleteItem(menu, 1);
    EXPECT_EQ(ItemLines(), (Lines{kA, kC}));
    EXPECT_EQ(WindowHeight(), 2 * rowHeight + 2);
    DeleteItem(menu, 2);  // names no item
    DeleteItem(menu, -1);
    EXPECT_EQ(ItemLines(), (Lines{kA, kC}));
    DeleteItem(menu, 0);
    DeleteItem(menu, 0);
    EXPECT_EQ(ItemLines(), (Lines{L""}));
    EXPECT_EQ(WindowHeight(), rowHeight + 2);
}

TEST_F(MenuCommands, CommandsActOnTheSelectedItem) {
    ShowWith({kA, kB, kC});
    menu->Selected = 2;
    DoMenuCommand(menu, 2);  // copy
    menu->Selected = 0;
    DoMenuCommand(menu, 3);  // paste
    EXPECT_EQ(ItemLines(), (Lines{kC, kA, kB, kC}));
    menu->Selected = 2;
    DoMenuCommand(menu, 4);  // delete
    EXPECT_EQ(ItemLines(), (Lines{kC, kA, kC}));
    DoMenuCommand(menu, 1);  // add
    EXPECT_EQ(ItemLines(), (Lines{kC, kA, kC, L""}));
    for (int other : {7, 99, -1}) DoMenuCommand(menu, other);
    EXPECT_EQ(ItemLines(), (Lines{kC, kA, kC, L""}));
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(MenuCommands, AClipboardHeldByAnotherWindowChangesNothing) {
    ShowWith({kA, kB});
    ASSERT_TRUE(menuclip::Put({{menuclip::PelnorFormat(), menuclip::LineBytes(kC)},
                               {CF_HDROP, menuclip::FileListBytes({L"C:\\docs\\plan.xls"})}}));
    {
        menuclip::Holder holder;
        ASSERT_TRUE(holder.Holding());
        PasteItem(menu, 0);
        EXPECT_EQ(ItemLines(), (Lines{kA, kB}));
        CopyItem(menu, 0);
        EXPECT_EQ(MenuSettings->ClipboardHandle, nullptr);
    }
    // The clipboard still holds what it held.
    Bytes bytes;
    ASSERT_TRUE(menuclip::Read(menuclip::PelnorFormat(), bytes));
    EXPECT_EQ(bytes, menuclip::LineBytes(kC));
    EXPECT_TRUE(menuclip::Has(CF_HDROP));
}

TEST_F(MenuCommands, DataThatIsAnnouncedButNeverGivenInsertsNothing) {
    ShowWith({kA});
    // Delayed rendering: the formats are announced, and the owner (a window
    // of this test that does not answer WM_RENDERFORMAT) never gives them.
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::SetClipboardData(menuclip::PelnorFormat(), nullptr);
    ::SetClipboardData(CF_HDROP, nullptr);
    ::CloseClipboard();
    ASSERT_TRUE(menuclip::Has(menuclip::PelnorFormat()));
    PasteItem(menu, 0);
    EXPECT_EQ(ItemLines(), (Lines{kA}));
}

TEST(ClipboardLine, NothingIsHandedOverWithoutAFormat) {
    ASSERT_TRUE(menuclip::Put({{CF_UNICODETEXT, menuclip::LineBytes(L"kept")}}));
    EXPECT_EQ(PutClipboardLine(nullptr, 0, L"line"), nullptr);
    EXPECT_TRUE(menuclip::Has(CF_UNICODETEXT));
}
