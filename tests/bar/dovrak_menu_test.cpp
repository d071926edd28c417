// The real dovrak.exe driven from outside: its popup menu opened with real
// right clicks and chosen from with the keyboard (a native menu of another
// process cannot be read; what it offers is read from its pixels), its
// commands and the clipboard, its dialogs, the sibling-program menu, the
// help, and screenshots of the popup and the dialogs.
#include <gtest/gtest.h>

#include "bar_test_support.h"
#include "desktop.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

using namespace bartest;

namespace {

const std::wstring kDovrak = testdesk::WinPath(DOVRAK_EXE);
const std::wstring kShots = testdesk::WinPath(SCREENSHOT_DIR);

int Height(const RECT& r) { return r.bottom - r.top; }

// The controls of a dialog of the library by class, in creation order.
std::vector<HWND> Controls(HWND dialog, const wchar_t* cls) { return testdesk::ChildWindows(dialog, cls); }

void ClickWindow(HWND w) {
    const POINT p = CentreOf(w);
    testdesk::LeftClick(p.x, p.y);
}

// The text of an edit of another process (WM_GETTEXT is marshalled).
std::wstring EditText(HWND edit) {
    wchar_t buf[1024] = {};
    SendMessageW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
    return buf;
}

void SetEditText(HWND edit, const std::wstring& text) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The texts of a message box.
std::wstring BoxText(HWND box) {
    std::wstring all;
    for (HWND child : testdesk::ChildWindows(box, L"Static")) all += testdesk::TextOf(child) + L"\n";
    return all;
}

// Whether the pixels in the middle of a window have that colour.
bool FaceIs(HWND w, COLORREF colour) {
    const POINT p = CentreOf(w);
    return testdesk::ScreenPixel(p.x, p.y) == colour;
}

std::wstring ProgramFiles() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Has a dialog of another process painted with all its children (a menu
// window is left alone: it paints only from its own loop), then saves it,
// together with a second window when one is given.
void ShootWindow(HWND w, const std::wstring& name, HWND with = nullptr) {
    if (testdesk::ClassOf(w) != L"#32768")
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    RECT r = testdesk::ScreenRect(w);
    if (with) {
        const RECT b = testdesk::ScreenRect(with);
        UnionRect(&r, &r, &b);
    }
    InflateRect(&r, 6, 6);
    SaveShot(kShots, name, r);
}

class DovrakMenu : public ::testing::Test {
protected:
    void SetUp() override {
        KillBars();
        RemoveIniDir();
        ClearClipboard();
        pelnorDir = testdesk::KestovarDir(L"Pelnor");
        testdesk::RemoveTree(pelnorDir);
        testdesk::MoveMouse(900, 700);
    }
    void TearDown() override {
        if (bar.Running()) bar.Kill();
        bar.Close();
        KillBars();
        if (HWND help = testdesk::FindTopWindow(L"HH Parent")) PostMessageW(help, WM_CLOSE, 0, 0);
        ClearClipboard();
        RemoveIniDir();
        testdesk::RemoveTree(pelnorDir);
        if (!programs.empty()) testdesk::RemoveTree(programs);
    }
    HWND StartBar(const std::vector<std::wstring>& lines) {
        WriteIni(lines);
        bar = testdesk::Start(kDovrak);
        EXPECT_TRUE(bar.handle) << "dovrak.exe did not start: error " << GetLastError();
        hwnd = testdesk::WaitWindow(L"TFDovrak", L"Dovrak", bar.pid, 15000);
        EXPECT_TRUE(hwnd) << "no bar window";
        return hwnd;
    }
    // A bar of records with these targets.
    HWND StartBarWith(const std::vector<std::wstring>& targets, std::vector<std::wstring> extra = {}) {
        for (size_t k = 0; k < targets.size(); ++k)
            extra.push_back(L"B" + std::to_wstring(k + 1) + L"=" + RecordLine({targets[k]}));
        return StartBar(extra);
    }
    bool BarIdle() {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &result) != 0;
    }
    POINT ButtonPoint(int i) {
        const auto rects = VisibleButtons(hwnd);
        if (static_cast<size_t>(i) >= rects.size()) {
            ADD_FAILURE() << "no visible button " << i;
            return POINT{0, 0};
        }
        POINT p{rects[static_cast<size_t>(i)].left + 6, rects[static_cast<size_t>(i)].top + 8};
        ClientToScreen(hwnd, &p);
        return p;
    }
    POINT BackgroundPoint() {
        POINT p{4, 8};
        ClientToScreen(hwnd, &p);
        return p;
    }
    // Right-clicks the point and waits for the bar's popup menu. On the
    // bar's background the button is held a moment, moving a little, as a
    // hand does: the bar reads the button's state in its hit test, which
    // Wine answers from a cache that lives for 50 ms.
    HWND OpenMenu(POINT p, bool background = false) {
        testdesk::MoveMouse(p.x, p.y);
        BarIdle();
        testdesk::RightDown();
        if (background) {
            const ULONGLONG until = GetTickCount64() + 150;
            int dx = 1;
            testdesk::WaitUntil(
                [&] {
                    testdesk::MoveMouse(p.x + dx, p.y);
                    dx = -dx;
                    BarIdle();
                    return GetTickCount64() >= until;
                },
                2000, false);
        }
        testdesk::RightUp();
        HWND menu = testdesk::WaitWindow(L"#32768", nullptr, bar.pid, 5000);
        testdesk::MoveMouse(900, 700);  // off the menu: no item is highlighted
        return menu;
    }
    // Opens the menu on button i (-1: the background) and presses the keys.
    void Choose(int i, std::initializer_list<WORD> keys) {
        HWND menu = OpenMenu(i < 0 ? BackgroundPoint() : ButtonPoint(i), i < 0);
        ASSERT_TRUE(menu) << "no popup menu";
        for (WORD k : keys) testdesk::PressKey(k);
        ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(menu) || !IsWindow(menu); }, 5000))
            << "the menu stayed open";
        BarIdle();
    }
    // The records as the bar saves them now (it saves at WM_ENDSESSION too).
    std::vector<std::wstring> SavedRecords() {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(hwnd, WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 10000, &result);
        std::vector<std::wstring> records;
        const auto lines = ReadIni();
        for (int k = 1; k <= 50; ++k) {
            const std::wstring v = ValueOf(lines, L"B" + std::to_wstring(k));
            records.push_back(v == L"\x1" ? L"" : v);
        }
        while (!records.empty() && records.back().empty()) records.pop_back();
        return records;
    }
    std::vector<std::wstring> SavedTargets() {
        std::vector<std::wstring> targets;
        for (const auto& r : SavedRecords()) targets.push_back(FieldOf(r, 1));
        return targets;
    }
    void CloseBar() {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        DWORD code = 99;
        ASSERT_TRUE(bar.WaitExit(15000, &code)) << "the bar did not exit";
        EXPECT_EQ(code, 0u);
    }
    HWND WaitDialog(const wchar_t* cls) { return testdesk::WaitWindow(cls, nullptr, bar.pid, 10000); }
    std::wstring Install(const std::wstring& relative) {
        programs = ProgramFiles() + L"\\Kestovar";
        const std::wstring path = programs + L"\\" + relative;
        testdesk::MakeDirs(path.substr(0, path.find_last_of(L'\\')));
        testdesk::WriteBytes(path, {'M', 'Z'});
        return path;
    }

    testdesk::Process bar;
    HWND hwnd = nullptr;
    std::wstring pelnorDir, programs;
};

const std::vector<bool> kBarOnly = {false, false, false, false, false, false, true, true, true, true};
const std::vector<bool> kNoPaste = {true, true, true, true, false, true, true, true, true, true};
const std::vector<bool> kAll = {true, true, true, true, true, true, true, true, true, true};

}  // namespace

TEST_F(DovrakMenu, RightClicksOfferWhatFitsThePlace) {
    ASSERT_TRUE(StartBarWith({L"C:\\", L"C:\\windows"}));
    struct Case {
        const char* name;
        std::function<bool()> fill;
        int on;  // button, or -1 for the background
        std::vector<bool> rows;
    } cases[] = {
        {"button, empty clipboard", [] { return ClearClipboard(); }, 1, kNoPaste},
        {"background", [] { return ClearClipboard(); }, -1, kBarOnly},
        {"button, a button record", [] { return PutDovrakBlock(DovrakBytes(RecordLine({L"C:\\"}))); }, 0, kAll},
        {"background, a button record", [] { return true; }, -1, kBarOnly},
        {"button, a file list", [] { return PutFileList({L"C:\\a.txt", L"C:\\b.txt"}); }, 1, kAll},
        {"button, a text", [] { return PutText(L"text"); }, 0, kNoPaste},
    };
    bool shot = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.fill());
        HWND menu = OpenMenu(c.on < 0 ? BackgroundPoint() : ButtonPoint(c.on), c.on < 0);
        ASSERT_TRUE(menu);
        std::vector<bool> rows;
        testdesk::WaitUntil([&] { return (rows = MenuRowsEnabled(menu)) == c.rows; }, 3000, false);
        EXPECT_EQ(rows, c.rows);
        if (!shot && c.rows == kAll) {
            ShootWindow(menu, L"dovrak_popup.bmp", hwnd);
            shot = true;
        }
        testdesk::PressKey(VK_ESCAPE);
        ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(menu) || !IsWindow(menu); }, 5000));
    }
    CloseBar();
}

TEST_F(DovrakMenu, CutCopyAndInsertPasteThroughTheMenu) {
    ASSERT_TRUE(StartBarWith({L"C:\\r0", L"C:\\r1", L"C:\\r2", L"C:\\r3", L"C:\\r4"}));
    struct Move {
        int cut, pasteOn;
        std::vector<std::wstring> order;
    } moves[] = {
        {2, 4, {L"C:\\r0", L"C:\\r1", L"C:\\r3", L"C:\\r2", L"C:\\r4"}},
        {3, 1, {L"C:\\r0", L"C:\\r2", L"C:\\r1", L"C:\\r3", L"C:\\r4"}},
        {2, 2, {L"C:\\r0", L"C:\\r2", L"C:\\r1", L"C:\\r3", L"C:\\r4"}},
        {2, 3, {L"C:\\r0", L"C:\\r2", L"C:\\r1", L"C:\\r3", L"C:\\r4"}},
    };
    for (const auto& m : moves) {
        SCOPED_TRACE("cut " + std::to_string(m.cut) + ", paste on " + std::to_string(m.pasteOn));
        Choose(m.cut, {'T'});
        Choose(m.pasteOn, {'P'});
        EXPECT_EQ(SavedTargets(), m.order);
        EXPECT_EQ(VisibleButtons(hwnd).size(), 5u);
    }

    // Copy: the block holds the stored line (field 1 hex-coded), 2 x (n + 1) bytes.
    Choose(0, {'C'});
    const std::wstring line = SavedRecords()[0];
    ASSERT_EQ(line, RecordLine({L"C:\\r0"}));
    std::vector<unsigned char> block;
    ASSERT_TRUE(ReadDovrakBlock(block));
    EXPECT_EQ(block.size(), 2 * (line.size() + 1));
    EXPECT_EQ(block, DovrakBytes(line));
    Choose(4, {'P'});
    EXPECT_EQ(SavedTargets(),
              (std::vector<std::wstring>{L"C:\\r0", L"C:\\r2", L"C:\\r1", L"C:\\r3", L"C:\\r0", L"C:\\r4"}));
    EXPECT_EQ(VisibleButtons(hwnd).size(), 6u);
    CloseBar();
}

TEST_F(DovrakMenu, DeleteAddAndTheLimitOfFifty) {
    ASSERT_TRUE(StartBarWith({L"C:\\only"}));
    Choose(0, {'D'});
    EXPECT_EQ(SavedRecords(), std::vector<std::wstring>{});  // one empty record, which is not saved
    EXPECT_EQ(VisibleButtons(hwnd).size(), 1u);
    Choose(0, {'A'});
    EXPECT_EQ(VisibleButtons(hwnd).size(), 2u);
    CloseBar();
    bar.Close();

    std::vector<std::wstring> fifty;
    for (int k = 0; k < 50; ++k) fifty.push_back(L"C:\\r" + std::to_wstring(k));
    ASSERT_TRUE(StartBarWith(fifty));
    ASSERT_EQ(VisibleButtons(hwnd).size(), 50u);
    Choose(3, {'A'});
    ASSERT_TRUE(PutFileList({L"C:\\x\\qtool.exe"}));
    Choose(3, {'P'});
    ASSERT_TRUE(PutDovrakBlock(DovrakBytes(RecordLine({L"C:\\new"}))));
    Choose(3, {'P'});
    EXPECT_EQ(SavedTargets(), fifty);
    EXPECT_EQ(VisibleButtons(hwnd).size(), 50u);
    CloseBar();
}

TEST_F(DovrakMenu, AFileListGivesAButtonForItsLastFile) {
    ASSERT_TRUE(StartBarWith({L"C:\\r0", L"C:\\r1"}));
    ASSERT_TRUE(PutFileList({L"C:\\docs\\one.txt", L"C:\\docs\\two.txt", L"C:\\tools\\qtool.exe"}));
    Choose(1, {'P'});
    const auto records = SavedRecords();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(FieldOf(records[0], 1), L"C:\\r0");
    EXPECT_EQ(records[1], RecordLine({L"C:\\tools\\qtool.exe", L"TFQTool", L"QTool"}));
    EXPECT_EQ(FieldOf(records[2], 1), L"C:\\r1");
    EXPECT_EQ(VisibleButtons(hwnd).size(), 3u);
    CloseBar();
}

TEST_F(DovrakMenu, HideAndExitFromTheBackground) {
    ASSERT_TRUE(StartBarWith({L"C:\\"}));
    // 隠す has no accelerator: the fourth item from the bottom.
    Choose(-1, {VK_UP, VK_UP, VK_UP, VK_UP, VK_RETURN});
    EXPECT_TRUE(testdesk::WaitUntil([&] { return Height(testdesk::ScreenRect(hwnd)) == 2; }, 3000)) << "not collapsed";
    const RECT strip = testdesk::ScreenRect(hwnd);
    testdesk::MoveMouse(strip.left + 10, strip.top + 1);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Height(testdesk::ScreenRect(hwnd)) == 22; }, 5000)) << "not reopened";
    const ULONGLONG chosen = GetTickCount64();
    Choose(-1, {'X'});
    DWORD code = 99;
    ASSERT_TRUE(bar.WaitExit(10000, &code)) << "the bar did not exit";
    EXPECT_GE(GetTickCount64() - chosen, 900u) << "closed before its second";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ValueOf(ReadIni(), L"Dovrak"), L"0.06");
}

TEST_F(DovrakMenu, OptionDialogSizeColourAndAutomaticHiding) {
    ASSERT_TRUE(StartBarWith({L"C:\\", L"C:\\windows"}, {L"ButtonSize=32"}));
    ASSERT_EQ(Height(testdesk::ScreenRect(hwnd)), 38);

    // Size 40 and OK: 46-pixel buttons.
    Choose(0, {'O'});
    HWND dialog = WaitDialog(L"TFormOption");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(testdesk::TextOf(dialog), L"オプション");
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 225);
    EXPECT_EQ(client.bottom, 331);
    const auto combos = Controls(dialog, L"TComboBox");
    ASSERT_EQ(combos.size(), 1u);
    EXPECT_EQ(SendMessageW(combos[0], CB_GETCURSEL, 0, 0), 2);
    ShootWindow(dialog, L"dovrak_options.bmp");
    ClickWindow(combos[0]);  // drops the list down
    testdesk::PressKey(VK_END);
    testdesk::PressKey(VK_RETURN);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return SendMessageW(combos[0], CB_GETCURSEL, 0, 0) == 3; }, 3000));
    const auto buttons = Controls(dialog, L"TButton");
    ASSERT_EQ(buttons.size(), 2u);
    ClickWindow(buttons[0]);  // OK
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(dialog) || !IsWindow(dialog); }, 5000));
    BarIdle();
    EXPECT_EQ(Height(testdesk::ScreenRect(hwnd)), 46);
    for (const RECT& b : VisibleButtons(hwnd)) EXPECT_EQ(Height(b), 46);

    // A new bar colour, then Cancel: the bar keeps its colour.
    const POINT margin = BackgroundPoint();
    ASSERT_TRUE(testdesk::WaitUntil([&] { return testdesk::ScreenPixel(margin.x, margin.y) == 0x984E00; }, 3000));
    Choose(0, {'O'});
    dialog = WaitDialog(L"TFormOption");
    ASSERT_TRUE(dialog);
    auto swatches = Controls(dialog, L"TKButton");
    ASSERT_EQ(swatches.size(), 2u);
    ClickWindow(swatches[0]);  // the bar colour
    HWND colours = WaitDialog(L"#32770");
    ASSERT_TRUE(colours) << "no colour dialog";
    for (int id : {706, 707, 708}) SetDlgItemInt(colours, id, id == 706 ? 255 : 0, FALSE);
    PostMessageW(colours, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindow(colours) || !IsWindowVisible(colours); }, 5000));
    EXPECT_TRUE(testdesk::WaitUntil([&] { return FaceIs(swatches[0], RGB(255, 0, 0)); }, 3000)) << "swatch not red";
    ClickWindow(Controls(dialog, L"TButton")[1]);  // Cancel
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(dialog) || !IsWindow(dialog); }, 5000));
    BarIdle();
    EXPECT_TRUE(testdesk::WaitUntil([&] { return testdesk::ScreenPixel(margin.x, margin.y) == 0x984E00; }, 3000));

    // Automatic hiding on: the bar collapses 10 s later.
    Choose(0, {'O'});
    dialog = WaitDialog(L"TFormOption");
    ASSERT_TRUE(dialog);
    const auto boxes = Controls(dialog, L"TCheckBox");
    ASSERT_EQ(boxes.size(), 1u);
    ClickWindow(boxes[0]);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Checked(boxes[0]); }, 3000));
    ClickWindow(Controls(dialog, L"TButton")[0]);
    const ULONGLONG ok = GetTickCount64();
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(dialog) || !IsWindow(dialog); }, 5000));
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Height(testdesk::ScreenRect(hwnd)) == 2; }, 16000)) << "no collapse";
    EXPECT_GE(GetTickCount64() - ok, 9500u) << "collapsed too early";
    CloseBar();
    const auto saved = ReadIni();
    EXPECT_EQ(ValueOf(saved, L"ButtonSize"), L"40");
    EXPECT_EQ(ValueOf(saved, L"AutoHide"), L"1");
    EXPECT_EQ(ValueOf(saved, L"FormColor"), L"9981440");
}

TEST_F(DovrakMenu, EditDialogShowsGuessesAndWritesTheRecord) {
    ASSERT_TRUE(StartBar({
        L"B1=" + RecordLine({L"C:\\tools\\qtool.exe", L"KStored", L"Stored title", L"10011", L"Cap", L"255"}),
        L"B2=" + RecordLine({L"C:\\"}),
    }));
    Choose(0, {'E'});
    HWND dialog = WaitDialog(L"TFormEdit");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(testdesk::TextOf(dialog), L"ボタンデータの編集");
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 444);
    EXPECT_EQ(client.bottom, 319);
    const auto edits = Controls(dialog, L"TEdit");  // file, class, title, caption
    ASSERT_EQ(edits.size(), 4u);
    // control, top, auto, text: the hidden box (hide on automatic start) has no window
    const auto boxes = Controls(dialog, L"TCheckBox");
    ASSERT_EQ(boxes.size(), 4u);
    const auto swatches = Controls(dialog, L"TKButton");
    ASSERT_EQ(swatches.size(), 2u);
    EXPECT_EQ(EditText(edits[0]), L"C:\\tools\\qtool.exe");
    EXPECT_EQ(EditText(edits[1]), L"KStored");
    EXPECT_EQ(EditText(edits[2]), L"Stored title");
    EXPECT_EQ(EditText(edits[3]), L"Cap");
    for (HWND box : boxes) EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_TRUE(testdesk::WaitUntil([&] { return FaceIs(swatches[0], RGB(255, 0, 0)); }, 3000)) << "text swatch not red";
    ShootWindow(dialog, L"dovrak_edit.bmp");

    // Typing in the file field (it has the focus) replaces the class and
    // title with the guess.
    SendMessageW(edits[0], EM_SETSEL, 0, -1);
    testdesk::TypeText(L"C:\\x\\qfoo.exe");
    ASSERT_TRUE(testdesk::WaitUntil([&] { return EditText(edits[0]) == L"C:\\x\\qfoo.exe"; }, 5000))
        << testdesk::Narrow(EditText(edits[0]));
    EXPECT_EQ(EditText(edits[1]), L"TFQFoo");
    EXPECT_EQ(EditText(edits[2]), L"QFoo");

    // The swatches follow the caption box.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ClickWindow(boxes[3]);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !Checked(boxes[3]); }, 3000));
    EXPECT_TRUE(testdesk::WaitUntil([&] { return FaceIs(swatches[0], face) && FaceIs(swatches[1], face); }, 3000));
    EXPECT_FALSE(IsWindowEnabled(edits[3]));
    ClickWindow(boxes[3]);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Checked(boxes[3]); }, 3000));
    EXPECT_TRUE(testdesk::WaitUntil([&] { return FaceIs(swatches[0], RGB(255, 0, 0)); }, 3000));

    // A title that a record cannot hold is refused, and nothing is written.
    SetEditText(edits[2], L"C:\\1 Tools");
    const auto buttons = Controls(dialog, L"TButton");
    ASSERT_EQ(buttons.size(), 2u);
    ClickWindow(buttons[0]);
    HWND box = WaitDialog(L"#32770");
    ASSERT_TRUE(box) << "no message";
    EXPECT_NE(BoxText(box).find(L"タイトル名"), std::wstring::npos) << testdesk::Narrow(BoxText(box));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindow(box); }, 5000));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog closed";
    EXPECT_EQ(FieldOf(SavedRecords()[0], 3), L"Stored title");

    SetEditText(edits[2], L"C:\\Tools");
    ClickWindow(buttons[0]);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(dialog) || !IsWindow(dialog); }, 5000));
    BarIdle();
    const auto records = SavedRecords();
    ASSERT_GE(records.size(), 1u);
    // Flags 0, 3 and 4 in give 0 and 4 out; the colours as decimal text.
    EXPECT_EQ(records[0], RecordLine({L"C:\\x\\qfoo.exe", L"TFQFoo", L"C:\\Tools", L"10001", L"Cap", L"255",
                                      std::to_wstring(0xD8E9EC)}));
    CloseBar();
}

TEST_F(DovrakMenu, AMenuTargetCreatesItsMenuFileOnce) {
    ASSERT_TRUE(StartBarWith({L"C:\\"}));
    const std::wstring file = pelnorDir + L"\\pn000007.ini";
    auto editTarget = [&](const std::wstring& target) {
        Choose(0, {'E'});
        HWND dialog = WaitDialog(L"TFormEdit");
        ASSERT_TRUE(dialog);
        SetEditText(Controls(dialog, L"TEdit")[0], target);
        ClickWindow(Controls(dialog, L"TButton")[0]);
        ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(dialog) || !IsWindow(dialog); }, 5000));
        BarIdle();
    };
    const std::wstring folder = testdesk::FreshTempDir(L"menutarget");
    editTarget(folder + L"\\pelnor.exe pn000007");
    EXPECT_EQ(testdesk::ReadBytes(file), (std::vector<uint8_t>{0xFF, 0xFE}));
    const std::vector<uint8_t> menu = {0xFF, 0xFE, 'X', 0, '=', 0, '1', 0, '\r', 0, '\n', 0};
    testdesk::WriteBytes(file, menu);
    editTarget(folder + L"\\Pelnor.EXE pn000007");
    EXPECT_EQ(testdesk::ReadBytes(file), menu);
    EXPECT_EQ(FieldOf(SavedRecords()[0], 1), folder + L"\\Pelnor.EXE pn000007");
    CloseBar();
}

TEST_F(DovrakMenu, TheSiblingProgramsMenuFillsTheDialog) {
    const std::wstring pelnor = Install(L"Pelnor\\pelnor.exe");
    const std::wstring oskel = Install(L"Dovrak\\oskel.exe");
    testdesk::MakeDirs(pelnorDir);
    testdesk::WriteBytes(pelnorDir + L"\\pn000001.ini", {0xFF, 0xFE});
    ASSERT_TRUE(StartBarWith({L"C:\\"}));
    Choose(0, {'E'});
    HWND dialog = WaitDialog(L"TFormEdit");
    ASSERT_TRUE(dialog);
    const auto edits = Controls(dialog, L"TEdit");
    const auto boxes = Controls(dialog, L"TCheckBox");
    const auto speed = Controls(dialog, L"TSpeedButton");  // folder, sibling programs
    ASSERT_EQ(speed.size(), 2u);
    // Picks the item that Down pressed that many times reaches. The menu
    // is read by the keys: the items wrap around after the last one.
    int side = -1;
    auto pick = [&](int downs) {
        // Each click a few pixels from the one before, as a hand clicks: two
        // at one point would make a double click, which is no second click.
        side = -side;
        const POINT c = CentreOf(speed[1]);
        testdesk::LeftClick(c.x + 5 * side, c.y);
        HWND menu = testdesk::WaitWindow(L"#32768", nullptr, bar.pid, 5000);
        ASSERT_TRUE(menu) << "no programs' menu";
        testdesk::MoveMouse(900, 700);
        for (int k = 0; k < downs; ++k) testdesk::PressKey(VK_DOWN);
        testdesk::PressKey(VK_RETURN);
        ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, 5000));
        BarIdle();
    };
    // Only the two installed programs are offered, Pelnor before Oskel.
    pick(1);
    EXPECT_EQ(EditText(edits[0]), pelnor + L" pn000002");  // the lowest free name
    EXPECT_EQ(EditText(edits[3]), L"Pelnor");
    pick(2);
    EXPECT_EQ(EditText(edits[0]), oskel);
    EXPECT_EQ(EditText(edits[3]), L"Oskel");
    pick(3);
    EXPECT_EQ(EditText(edits[0]), pelnor + L" pn000002");

    // With the caption box ticked the caption stays.
    ClickWindow(boxes[3]);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return Checked(boxes[3]); }, 3000));
    SetEditText(edits[3], L"Mine");
    SetEditText(edits[0], L"C:\\other.exe");
    pick(1);
    EXPECT_EQ(EditText(edits[0]), pelnor + L" pn000002");
    EXPECT_EQ(EditText(edits[3]), L"Mine");
    ClickWindow(Controls(dialog, L"TButton")[0]);
    ASSERT_TRUE(testdesk::WaitUntil([&] { return !IsWindowVisible(dialog) || !IsWindow(dialog); }, 5000));
    BarIdle();
    EXPECT_EQ(testdesk::ReadBytes(pelnorDir + L"\\pn000002.ini"), (std::vector<uint8_t>{0xFF, 0xFE}));
    const auto records = SavedRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(FieldOf(records[0], 1), pelnor + L" pn000002");
    EXPECT_EQ(FieldOf(records[0], 5), L"Mine");
    CloseBar();
}

TEST_F(DovrakMenu, F1AndTheHelpCommandOpenTheHelpContents) {
    ASSERT_TRUE(testdesk::FileExists(testdesk::WinPath(DOVRAK_CHM))) << "dovrak.chm is not beside dovrak.exe";
    ASSERT_TRUE(StartBarWith({L"C:\\"}));
    auto helpShown = [&] {
        HWND help = testdesk::WaitWindow(L"HH Parent", nullptr, bar.pid, 10000);
        EXPECT_TRUE(help) << "no help window";
        if (!help) return;
        LRESULT items = 0;
        testdesk::WaitUntil(
            [&] {
                for (HWND tree : testdesk::ChildWindows(help, L"SysTreeView32"))
                    items = std::max<LRESULT>(items, SendMessageW(tree, TVM_GETCOUNT, 0, 0));
                return items >= 6;
            },
            5000);
        EXPECT_EQ(items, 6) << "the contents are not listed";
        PostMessageW(help, WM_CLOSE, 0, 0);
        testdesk::WaitUntil([&] { return !IsWindow(help); }, 5000);
    };
    testdesk::Activate(hwnd);
    testdesk::PressKey(VK_F1);
    helpShown();
    Choose(0, {'H'});
    helpShown();
    EXPECT_TRUE(bar.Running());
    CloseBar();
}
