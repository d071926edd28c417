// The popup menu and its button commands inside the test process: a real
// TFDovrak on the screen, right-clicked with real input; the commands on its
// records; the clipboard format "DOVRAK" and file lists from other programs.
#include <gtest/gtest.h>

#include "bar_form_close.h"
#include "bar_test_support.h"
#include "d01.h"
#include "desktop.h"
#include "fman.h"
#include "g01.h"
#include "qbtn.h"
#include "qini.h"
#include "s01.h"

#include <thread>

using namespace bartest;

namespace {

std::wstring Text(TKVar& v) { return v.c_str(); }

// Positions of the items in the native menu (separators count).
enum : int { kEdit = 0, kAdd = 2, kCut = 3, kCopy = 4, kPaste = 5, kDelete = 6, kHide = 8, kOption = 10, kHelp = 11, kExit = 13 };

struct MenuSeen {
    std::vector<std::wstring> captions;
    std::vector<bool> enabled;
};

MenuSeen ReadMenu(HMENU menu) {
    MenuSeen seen;
    const int n = GetMenuItemCount(menu);
    for (int k = 0; k < n; ++k) {
        wchar_t buf[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(k), buf, 256, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, static_cast<UINT>(k), MF_BYPOSITION);
        seen.captions.push_back((state & MF_SEPARATOR) ? L"-" : buf);
        seen.enabled.push_back(!(state & (MF_GRAYED | MF_DISABLED)));
    }
    return seen;
}

class BarCommands : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveIniDir();
        ClearClipboard();
        testdesk::MoveMouse(900, 700);
    }
    void TearDown() override {
        CloseBarForm(form);
        ClearClipboard();
        RemoveIniDir();
    }
    // A bar with records whose targets are the texts given (field 1 only).
    void StartBar(const std::vector<std::wstring>& targets, bool show = false) {
        std::vector<std::wstring> lines;
        for (size_t k = 0; k < targets.size(); ++k)
            lines.push_back(L"B" + std::to_wstring(k + 1) + L"=" + RecordLine({targets[k]}));
        WriteIni(lines);
        Application->CreateForm(&FDovrak);
        form = FDovrak;
        if (show) {
            form->Show();
            testdesk::Activate(form->Handle());
            testdesk::PumpMessages();
        }
    }
    std::vector<std::wstring> Records() {
        std::vector<std::wstring> r;
        for (int i = 0; i < ButtonStore->Count(); ++i) r.push_back(Text(ButtonStore->GetLine(i)));
        return r;
    }
    std::vector<std::wstring> Targets() {
        std::vector<std::wstring> r;
        for (int i = 0; i < ButtonStore->Count(); ++i) r.push_back(Text(ButtonStore->GetField(i, 1)));
        return r;
    }
    void At(int i) { ButtonArray->Current = i; }

    // Right-clicks the screen point; once the menu shows, reads it and runs
    // pick on it (null: closes it with Esc). Returns what the menu showed.
    MenuSeen RightClickMenu(POINT p, bool background, const std::function<void(HMENU)>& pick = nullptr) {
        MenuSeen seen;
        StepRunner steps;
        steps.Step("menu shown", [] { return DM && DM->PMenuButton->ShownHandle() && ShownMenuWindow(GetCurrentProcessId()); },
                   [&] {
                       HMENU m = DM->PMenuButton->ShownHandle();
                       seen = ReadMenu(m);
                       if (pick)
                           pick(m);
                       else
                           testdesk::PressKey(VK_ESCAPE);
                   });
        steps.Arm(10000, [] { EndMenu(); });
        testdesk::MoveMouse(p.x, p.y);
        testdesk::PumpMessages();
        testdesk::RightDown();
        if (background) {
            // The bar resets the place for a right button that is down over
            // its background, as it sees in its hit test; Wine answers that
            // test from a short-lived cache, so the mouse moves a little
            // while the button is held until the bar has seen it.
            int dx = 1;
            testdesk::WaitUntil(
                [&] {
                    testdesk::MoveMouse(p.x + dx, p.y);
                    dx = -dx;
                    return BarState->MenuOnButton == 0 && ButtonArray->Current == 0;
                },
                3000);
        }
        testdesk::RightUp();
        EXPECT_TRUE(testdesk::WaitUntil([&] { return steps.Pending().empty(); }, 12000)) << steps.Pending();
        steps.Disarm();
        testdesk::WaitUntil([] { return !ShownMenuWindow(GetCurrentProcessId()); }, 3000);
        testdesk::PumpMessages();
        return seen;
    }
    POINT ButtonPoint(int i) {
        return form->ClientToScreen(POINT{ButtonArray->Buttons[i]->Left() + 6, ButtonArray->Buttons[i]->Top() + 8});
    }

    TFDovrak* form = nullptr;
};

}  // namespace

TEST_F(BarCommands, PopupOffersTheButtonCommandsOnlyOverAButton) {
    StartBar({L"C:\\", L"C:\\windows"}, true);
    const std::vector<std::wstring> captions = {
        L"ボタンの編集(&E)...", L"-", L"追加(&A)", L"切り取り(&T)", L"コピー(&C)", L"挿入貼り付け(&P)", L"削除(&D)", L"-",
        L"隠す", L"-", L"オプション(&O)...", L"ヘルプ(&H)...", L"-", L"終了(&X)"};
    auto enabledSet = [](const MenuSeen& m) {
        std::vector<int> on;
        for (size_t k = 0; k < m.enabled.size(); ++k)
            if (m.enabled[k] && m.captions[k] != L"-") on.push_back(static_cast<int>(k));
        return on;
    };
    const std::vector<int> barOnly = {kHide, kOption, kHelp, kExit};
    const std::vector<int> withoutPaste = {kEdit, kAdd, kCut, kCopy, kDelete, kHide, kOption, kHelp, kExit};
    const std::vector<int> all = {kEdit, kAdd, kCut, kCopy, kPaste, kDelete, kHide, kOption, kHelp, kExit};

    struct Case {
        const char* name;
        std::function<bool()> fill;
        bool onButton;
        std::vector<int> enabled;
    } cases[] = {
        {"button, empty clipboard", [] { return ClearClipboard(); }, true, withoutPaste},
        {"button, a button record", [] { return PutDovrakBlock(DovrakBytes(L"\\1" L"4300")); }, true, all},
        {"button, a file list", [] { return PutFileList({L"C:\\a.txt"}); }, true, all},
        {"button, only text", [] { return PutText(L"just text"); }, true, withoutPaste},
        {"background, a button record", [] { return PutDovrakBlock(DovrakBytes(L"\\1" L"4300")); }, false, barOnly},
        {"background, empty clipboard", [] { return ClearClipboard(); }, false, barOnly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.fill());
        const POINT p = c.onButton ? ButtonPoint(1) : form->ClientToScreen(POINT{4, 10});
        const MenuSeen seen = RightClickMenu(p, !c.onButton);
        EXPECT_EQ(seen.captions, captions);
        EXPECT_EQ(enabledSet(seen), c.enabled);
        EXPECT_EQ(BarState->MenuOnButton, c.onButton ? 1 : 0);
        EXPECT_EQ(ButtonArray->Current, c.onButton ? 1 : 0);
    }
}

TEST_F(BarCommands, MenuChoicesRunTheirCommands) {
    StartBar({L"C:\\", L"C:\\windows"}, true);
    auto click = [](int position) {
        return [position](HMENU m) {
            RECT r{};
            GetMenuItemRect(nullptr, m, static_cast<UINT>(position), &r);
            testdesk::LeftClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        };
    };
    // Add: a third record, an empty button at the end.
    RightClickMenu(ButtonPoint(0), false, click(kAdd));
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{L"C:\\", L"C:\\windows", L""}));
    EXPECT_TRUE(ButtonArray->Buttons[2]->Visible());
    // Copy on the second button, insert-paste on the first.
    RightClickMenu(ButtonPoint(1), false, click(kCopy));
    RightClickMenu(ButtonPoint(0), false, click(kPaste));
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{L"C:\\windows", L"C:\\", L"C:\\windows", L""}));
    // Delete the last.
    RightClickMenu(ButtonPoint(3), false, click(kDelete));
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{L"C:\\windows", L"C:\\", L"C:\\windows"}));
    // Hide: collapsed at once.
    RightClickMenu(ButtonPoint(0), false, click(kHide));
    EXPECT_EQ(BarState->ViewMode, 3);
    EXPECT_EQ(form->Height(), 2);
    ApplyViewMode(1);
    LayoutButtons();
    // Exit: the bar closes one second later.
    RightClickMenu(ButtonPoint(0), false, click(kExit));
    ASSERT_TRUE(DM);
    EXPECT_EQ(DM->TimerMode, 2);
    EXPECT_TRUE(testdesk::WaitUntil([] { return BarState == nullptr; }, 5000)) << "the bar did not close";
    DrainQuit();
    EXPECT_EQ(FieldOf(ValueOf(ReadIni(), L"B3"), 1), L"C:\\windows");
}

TEST_F(BarCommands, CutAndInsertPasteMoveTheRecord) {
    struct Case {
        int cut, pasteAt;
        std::vector<int> order;
    } cases[] = {
        {2, 4, {0, 1, 3, 2, 4}}, {3, 1, {0, 3, 1, 2, 4}}, {2, 2, {0, 1, 2, 3, 4}},
        {2, 3, {0, 1, 2, 3, 4}}, {4, 0, {4, 0, 1, 2, 3}}, {0, 4, {1, 2, 3, 0, 4}},
    };
    StartBar({L"r0", L"r1", L"r2", L"r3", L"r4"});
    for (const auto& c : cases) {
        SCOPED_TRACE("cut " + std::to_string(c.cut) + ", paste on " + std::to_string(c.pasteAt));
        ButtonStore->List()->Clear();
        for (int k = 0; k < 5; ++k) ButtonStore->AddLine(RecordLine({L"r" + std::to_wstring(k)}).c_str());
        At(c.cut);
        DM->PMenuCut->Click();
        EXPECT_EQ(BarState->CutIndex, c.cut);
        EXPECT_EQ(ButtonStore->Count(), 5);  // a cut removes nothing yet
        At(c.pasteAt);
        DM->PMenuPaste->Click();
        std::vector<std::wstring> expected;
        for (int k : c.order) expected.push_back(L"r" + std::to_wstring(k));
        EXPECT_EQ(Targets(), expected);
        EXPECT_EQ(BarState->CutIndex, -1);
        int visible = 0;
        for (int k = 0; k < BarButtonCount; ++k) visible += ButtonArray->Buttons[k]->Visible() ? 1 : 0;
        EXPECT_EQ(visible, 5);
    }
}

TEST_F(BarCommands, CopyPutsTheStoredLineOnTheClipboard) {
    StartBar({L"C:\\a", L"C:\\b \u8d77\u52d5", L"C:\\c"});
    ButtonStore->SetField(1, 5, L"Caption");
    ButtonStore->SetField(1, 4, L"00001");
    const std::wstring line = Text(ButtonStore->GetLine(1));
    ASSERT_NE(line.find(L"\\1" L"43003a005c006200"), std::wstring::npos) << "field 1 is kept hex-coded";

    At(1);
    DM->PMenuCopy->Click();
    std::vector<unsigned char> block;
    ASSERT_TRUE(ReadDovrakBlock(block));
    EXPECT_EQ(block.size(), 2 * (line.size() + 1));
    EXPECT_EQ(block, DovrakBytes(line));
    EXPECT_EQ(BarState->CutIndex, -1);
    EXPECT_NE(BarState->ClipMemory, nullptr);

    // Insert-paste on the last: the record twice, the copy at the right-clicked place.
    At(2);
    DM->PMenuPaste->Click();
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{L"C:\\a", L"C:\\b \u8d77\u52d5", L"C:\\b \u8d77\u52d5", L"C:\\c"}));
    EXPECT_EQ(Text(ButtonStore->GetLine(2)), line);
    // The clipboard still holds it: paste again.
    At(0);
    DM->PMenuPaste->Click();
    EXPECT_EQ(Text(ButtonStore->GetLine(0)), line);
    EXPECT_EQ(ButtonStore->Count(), 5);

    // A second copy empties the clipboard, which frees the first block.
    HGLOBAL first = BarState->ClipMemory;
    At(4);
    DM->PMenuCopy->Click();
    HGLOBAL second = BarState->ClipMemory;
    EXPECT_NE(second, nullptr);
    EXPECT_NE(second, first);
    ASSERT_TRUE(ReadDovrakBlock(block));
    EXPECT_EQ(block, DovrakBytes(RecordLine({L"C:\\c"})));

    // Copying an empty record puts nothing there and ends a pending cut.
    ButtonStore->AddLine(L"");
    At(0);
    DM->PMenuCut->Click();
    EXPECT_EQ(BarState->CutIndex, 0);
    At(5);
    DM->PMenuCopy->Click();
    EXPECT_EQ(BarState->CutIndex, -1);
    ASSERT_TRUE(ReadDovrakBlock(block));
    EXPECT_EQ(block, DovrakBytes(line));  // still the cut record's copy
}

TEST_F(BarCommands, DeleteKeepsOneRecordAndAddAppends) {
    StartBar({L"only"});
    At(0);
    DM->PMenuDelete->Click();
    EXPECT_EQ(Records(), std::vector<std::wstring>{L""});
    EXPECT_TRUE(ButtonArray->Buttons[0]->Visible());
    DM->PMenuAdd->Click();
    DM->PMenuAdd->Click();
    EXPECT_EQ(Records(), (std::vector<std::wstring>{L"", L"", L""}));
    EXPECT_TRUE(ButtonArray->Buttons[2]->Visible());
    EXPECT_EQ(form->Width(), 10 + 3 * 23);

    // An add keeps a pending cut; a delete ends it.
    ButtonStore->SetField(1, 1, L"x");
    At(1);
    DM->PMenuCut->Click();
    DM->PMenuAdd->Click();
    EXPECT_EQ(BarState->CutIndex, 1);
    At(3);
    DM->PMenuDelete->Click();
    EXPECT_EQ(BarState->CutIndex, -1);
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{L"", L"x", L""}));
}

TEST_F(BarCommands, FiftyRecordsRefuseAddAndPaste) {
    std::vector<std::wstring> fifty;
    for (int k = 0; k < 50; ++k) fifty.push_back(L"r" + std::to_wstring(k));
    StartBar(fifty);
    ASSERT_EQ(ButtonStore->Count(), 50);
    const auto before = Records();
    DM->PMenuAdd->Click();
    EXPECT_EQ(Records(), before);

    ASSERT_TRUE(PutDovrakBlock(DovrakBytes(RecordLine({L"new"}))));
    At(3);
    DM->PMenuPaste->Click();
    EXPECT_EQ(Records(), before);
    ASSERT_TRUE(PutFileList({L"C:\\x\\qtool.exe"}));
    DM->PMenuPaste->Click();
    EXPECT_EQ(Records(), before);

    // A pending cut whose paste is refused deletes nothing and stays pending.
    At(7);
    DM->PMenuCut->Click();
    At(2);
    DM->PMenuPaste->Click();
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(BarState->CutIndex, 7);
}

TEST_F(BarCommands, FileListGivesOneButtonForItsLastFile) {
    const std::wstring longName = L"C:\\" + std::wstring(300, L'd') + L"\\qlongname.exe";
    struct Case {
        const char* name;
        std::vector<std::wstring> files;
        std::wstring target, cls, title;
    } cases[] = {
        {"guessed names", {L"C:\\one.txt", L"C:\\two\\pic.png", L"C:\\tools\\qtool.exe"}, L"C:\\tools\\qtool.exe",
         L"TFQTool", L"QTool"},
        {"no guess", {L"C:\\tools\\qtool.exe", L"C:\\docs\\notes.txt"}, L"C:\\docs\\notes.txt", L"", L""},
        {"a name longer than 254 characters", {L"C:\\a.txt", longName}, longName, L"TFQLongname", L"QLongname"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (form) {
            form->Close();
            DrainQuit();
            delete form;
            form = nullptr;
        }
        StartBar({L"r0", L"r1", L"r2"});
        ASSERT_TRUE(PutFileList(c.files));
        At(1);
        DM->PMenuPaste->Click();
        ASSERT_EQ(ButtonStore->Count(), 4);
        EXPECT_EQ(Text(ButtonStore->GetField(0, 1)), L"r0");
        EXPECT_EQ(Text(ButtonStore->GetField(1, 1)), c.target);
        EXPECT_EQ(Text(ButtonStore->GetField(1, 2)), c.cls);
        EXPECT_EQ(Text(ButtonStore->GetField(1, 3)), c.title);
        for (int f = 4; f <= 9; ++f) EXPECT_EQ(Text(ButtonStore->GetField(1, f)), L"") << f;
        EXPECT_EQ(Text(ButtonStore->GetField(2, 1)), L"r1");
        EXPECT_TRUE(ButtonArray->Buttons[3]->Visible());
    }
}

TEST_F(BarCommands, ForeignRecordDataIsReadWithinItsBlockAndOneLine) {
    StartBar({L"r0", L"r1"});
    const std::wstring rec = RecordLine({L"C:\\x"});
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        std::wstring inserted;
    } cases[] = {
        {"no terminating zero", {}, rec},
        {"line break and a second key", {}, rec},
        {"empty block", {}, L""},
    };
    {
        const auto* p = reinterpret_cast<const unsigned char*>(rec.c_str());
        cases[0].bytes.assign(p, p + rec.size() * 2);
        const std::wstring evil = rec + L"\r\nB9=" + RecordLine({L"C:\\evil"});
        const auto* q = reinterpret_cast<const unsigned char*>(evil.c_str());
        cases[1].bytes.assign(q, q + (evil.size() + 1) * 2);
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ButtonStore->List()->Clear();
        ButtonStore->AddLine(RecordLine({L"r0"}).c_str());
        ButtonStore->AddLine(RecordLine({L"r1"}).c_str());
        ASSERT_TRUE(PutDovrakBlock(c.bytes));
        At(1);
        DM->PMenuPaste->Click();
        EXPECT_EQ(Records(), (std::vector<std::wstring>{RecordLine({L"r0"}), c.inserted, RecordLine({L"r1"})}));
    }
    // Saved and read back: still three records, no line of the other key.
    form->Close();
    DrainQuit();
    const auto saved = ReadIni();
    EXPECT_EQ(ValueOf(saved, L"B9"), L"\x1");
    EXPECT_EQ(FieldOf(ValueOf(saved, L"B3"), 1), L"r1");
}

TEST_F(BarCommands, APendingCutDeletesNothingWhenItsCopyDidNotGoIn) {
    StartBar({L"r0", L"r1", L"r2", L"r3", L"r4"});
    At(3);
    DM->PMenuCut->Click();
    // Another program has put a file list on the clipboard since.
    ASSERT_TRUE(PutFileList({L"C:\\x\\file.txt"}));
    At(1);
    DM->PMenuPaste->Click();
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{L"r0", L"C:\\x\\file.txt", L"r1", L"r2", L"r3", L"r4"}));
    EXPECT_EQ(BarState->CutIndex, 4);  // still the cut record, moved on by the insert
    // A paste with nothing on the clipboard changes nothing.
    ClearClipboard();
    At(0);
    DM->PMenuPaste->Click();
    EXPECT_EQ(ButtonStore->Count(), 6);
    EXPECT_EQ(BarState->CutIndex, 4);
    // An insert after it leaves it in place.
    ASSERT_TRUE(PutFileList({L"C:\\y.txt"}));
    At(5);
    DM->PMenuPaste->Click();
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{L"r0", L"C:\\x\\file.txt", L"r1", L"r2", L"r3", L"C:\\y.txt", L"r4"}));
    EXPECT_EQ(BarState->CutIndex, 4);
}

TEST_F(BarCommands, ABusyClipboardChangesNothing) {
    StartBar({L"r0", L"r1", L"r2"});
    ASSERT_TRUE(PutDovrakBlock(DovrakBytes(RecordLine({L"before"}))));
    At(2);
    DM->PMenuCut->Click();
    ASSERT_EQ(BarState->CutIndex, 2);
    std::vector<unsigned char> block;
    ASSERT_TRUE(ReadDovrakBlock(block));
    const HGLOBAL noted = BarState->ClipMemory;

    // Another thread (as another program would) holds the clipboard open.
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HWND w = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        const bool ok = OpenClipboard(w) != 0;
        SetEvent(opened);
        WaitForSingleObject(release, 20000);
        if (ok) CloseClipboard();
        DestroyWindow(w);
    });
    WaitForSingleObject(opened, 10000);

    const auto before = Records();
    At(0);
    DM->PMenuCopy->Click();
    EXPECT_EQ(BarState->CutIndex, 2) << "a failed copy ends no cut";
    EXPECT_EQ(BarState->ClipMemory, noted);
    DM->PMenuPaste->Click();
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(BarState->CutIndex, 2);

    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    std::vector<unsigned char> after;
    ASSERT_TRUE(ReadDovrakBlock(after));
    EXPECT_EQ(after, block) << "the clipboard keeps what it held";
    // And now the paste completes the move.
    At(0);
    DM->PMenuPaste->Click();
    EXPECT_EQ(Targets(), (std::vector<std::wstring>{L"r2", L"r0", L"r1"}));
}
