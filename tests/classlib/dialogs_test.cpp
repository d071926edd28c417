// The common dialogs: custom colour lists, and the modal dialogs shown and
// answered by a helper thread that finds their windows.
#include <gtest/gtest.h>

#include "desktop.h"
#include "dialogs.h"
#include "forms.h"

#include <atomic>
#include <functional>
#include <new>
#include <stdexcept>
#include <commctrl.h>
#include <shlobj.h>
#include <thread>

using testdesk::WaitUntil;

namespace {

TStringList Lines(std::initializer_list<const wchar_t*> lines) {
    TStringList list;
    for (const wchar_t* l : lines) list.Add(l);
    return list;
}

// Answers the next dialog window of this process from a helper thread:
// waits for it, then runs answer(dialog) there.
class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(HWND)> answer)
        : FThread([this, answer] {
              HWND dialog = nullptr;
              WaitUntil([&] { return (dialog = testdesk::FindTopWindow(L"#32770", nullptr, GetCurrentProcessId())) != nullptr; },
                        10000, false);
              found = dialog != nullptr;
              if (dialog) answer(dialog);
          }) {}
    ~DialogAnswer() { FThread.join(); }
    std::atomic<bool> found{false};

private:
    std::thread FThread;
};

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Application) Application = new TApplication();
    }
};

}  // namespace

TEST(CustomColors, LinesBecomeSlotsAndBack) {
    TStringList list = Lines({L"ColorA=984E00", L"ColorB=D8E9EC", L"colorp=ff", L"ColorQ=123456", L"ColorC=xyz",
                              L"Other=1", L"ColorD=", L"ColorE = 00FF00 "});
    COLORREF slots[16];
    TColorDialog::ParseCustomColors(list, slots);
    EXPECT_EQ(slots[0], 0x984E00u);  // a TColor: blue 0x98, green 0x4E, red 0
    EXPECT_EQ(GetBValue(slots[0]), 0x98);
    EXPECT_EQ(slots[1], 0xD8E9ECu);
    EXPECT_EQ(slots[15], 0x0000FFu);  // names and digits in any case
    EXPECT_EQ(slots[2], 0xFFFFFFu);   // not a number: the slot stays white
    EXPECT_EQ(slots[3], 0xFFFFFFu);   // no value
    EXPECT_EQ(slots[4], 0x00FF00u);   // blanks around name and value
    for (int i = 5; i < 15; ++i) EXPECT_EQ(slots[i], 0xFFFFFFu) << i;

    TStringList back;
    back.Add(L"old line");
    TColorDialog::FormatCustomColors(slots, back);
    ASSERT_EQ(back.Count(), 16);
    EXPECT_EQ(back.Strings(0), L"ColorA=984E00");
    EXPECT_EQ(back.Strings(1), L"ColorB=D8E9EC");
    EXPECT_EQ(back.Strings(2), L"ColorC=FFFFFF");
    EXPECT_EQ(back.Strings(15), L"ColorP=0000FF");
    // What is written reads back the same.
    COLORREF again[16];
    TColorDialog::ParseCustomColors(back, again);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(again[i], slots[i]) << i;
}

TEST_F(DialogsTest, ColorDialogOkGivesTheChosenColour) {
    TColorDialog dialog(nullptr);
    dialog.CustomColors()->Add(L"ColorA=984E00");
    dialog.CustomColors()->Add(L"ColorB=D8E9EC");
    dialog.SetColor(clBtnFace);  // a system colour opens as its RGB value
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    int shownRed = -1, shownBlue = -1;
    bool ok;
    {
        DialogAnswer answer([&](HWND dlg) {
            // The dialog opens on the colour; the user types a new one and
            // adds it to the custom colours.
            WaitUntil([&] { return IsWindowVisible(dlg) != 0; }, 5000, false);
            shownRed = static_cast<int>(GetDlgItemInt(dlg, 706, nullptr, FALSE));
            shownBlue = static_cast<int>(GetDlgItemInt(dlg, 708, nullptr, FALSE));
            SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(719, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 719)));
            SetDlgItemInt(dlg, 706, 0x12, FALSE);
            SetDlgItemInt(dlg, 707, 0x34, FALSE);
            SetDlgItemInt(dlg, 708, 0x56, FALSE);
            SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(712, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 712)));
            PressButton(dlg, IDOK);
        });
        ok = dialog.Execute();
        EXPECT_TRUE(answer.found);
    }
    ASSERT_TRUE(ok);
    EXPECT_EQ(shownRed, GetRValue(face));
    EXPECT_EQ(shownBlue, GetBValue(face));
    EXPECT_EQ(dialog.Color(), static_cast<TColor>(RGB(0x12, 0x34, 0x56)));
    // The custom colours are read back: the one added took the first slot,
    // the second one given is still there.
    TStringList* custom = dialog.CustomColors();
    ASSERT_EQ(custom->Count(), 16);
    EXPECT_EQ(custom->Values(L"ColorA"), L"563412");
    EXPECT_EQ(custom->Values(L"ColorB"), L"D8E9EC");
    int added = 0;
    for (int i = 0; i < 16; ++i) added += custom->ValueFromIndex(i) == L"563412";
    EXPECT_EQ(added, 1);
}

TEST_F(DialogsTest, ColorDialogCancelKeepsTheColour) {
    TColorDialog dialog(nullptr);
    dialog.SetColor(clRed);
    bool ok;
    {
        DialogAnswer answer([&](HWND dlg) {
            SetDlgItemInt(dlg, 708, 200, FALSE);
            PressButton(dlg, IDCANCEL);
        });
        ok = dialog.Execute();
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(dialog.Color(), clRed);
}

TEST_F(DialogsTest, ShowMessageShowsTheTextUntilClosed) {
    std::wstring shown;
    {
        DialogAnswer answer([&](HWND dlg) {
            for (HWND child : testdesk::ChildWindows(dlg, L"Static")) {
                std::wstring t = testdesk::TextOf(child);
                if (!t.empty()) shown = t;
            }
            PressButton(dlg, IDOK);
        });
        ShowMessage(L"ファイルが見つかりません");
    }
    EXPECT_EQ(shown, L"ファイルが見つかりません");
}

TEST_F(DialogsTest, BrowserGivesTheChosenPathOrNothing) {
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop), S_OK);
    std::wstring caption = L"ファイルまたはフォルダーを指定して下さい。";

    // Cancel: false, the path stays.
    UnicodeString path = L"unchanged";
    {
        DialogAnswer answer([&](HWND dlg) { PressButton(dlg, IDCANCEL); });
        EXPECT_FALSE(BrowseForFileOrFolder(caption, path));
    }
    EXPECT_EQ(path, L"unchanged");

    // OK on the tree's root, the desktop: its folder.
    bool hasEdit = false, captionShown = false;
    bool ok;
    {
        DialogAnswer answer([&](HWND dlg) {
            WaitUntil([&] { return !testdesk::ChildWindows(dlg, L"SysTreeView32").empty(); }, 5000, false);
            hasEdit = !testdesk::ChildWindows(dlg, L"Edit").empty();
            for (HWND s : testdesk::ChildWindows(dlg, L"Static")) captionShown |= testdesk::TextOf(s) == caption;
            HWND tree = testdesk::ChildWindows(dlg, L"SysTreeView32").front();
            WaitUntil([&] { return SendMessageW(tree, TVM_GETCOUNT, 0, 0) > 0; }, 5000, false);
            auto root = reinterpret_cast<LPARAM>(
                reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, root);
            PressButton(dlg, IDOK);
        });
        ok = BrowseForFileOrFolder(caption, path);
    }
    EXPECT_TRUE(hasEdit);
    EXPECT_TRUE(captionShown);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(SameText(path, desktop)) << testdesk::Narrow(path);
}

// --- what escapes a program ------------------------------------------------------

TEST_F(DialogsTest, WhatEscapesAProgramShowsOnlyTheLibrarysOwnMessages) {
    Application->Title = L"Escaped";
    struct Case {
        const char* name;
        std::function<void()> raise;
        std::wstring shown;
    } cases[] = {
        {"the library's exception", [] { throw EFCreateError(L"Cannot create file \"x\"."); },
         L"Cannot create file \"x\"."},
        {"a runtime error", [] { throw std::runtime_error("boom"); }, L""},
        {"out of memory in the runtime", [] { throw std::bad_alloc(); }, L""},
        {"no exception at all", [] { throw 42; }, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring title, text = L"(no box)";
        {
            DialogAnswer answer([&](HWND box) {
                title = testdesk::TextOf(box);
                text.clear();
                for (HWND s : testdesk::ChildWindows(box, L"Static")) text += testdesk::TextOf(s);
                PressButton(box, IDOK);
            });
            try {
                c.raise();
            } catch (...) {
                Application->ShowEscapedException();
            }
        }
        EXPECT_EQ(title, L"Escaped");
        EXPECT_EQ(text, c.shown) << testdesk::Narrow(text);
    }
    Application->Title.clear();
}
