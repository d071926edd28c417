// The bar's units inside the test process: a real TFDovrak made by the
// application's form creation, its settings file, layout, timer, close and
// the handlers that run after the close.
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
#include "s02.h"
#include "winhelper.h"

#include <functional>

using namespace bartest;

namespace {

const std::vector<std::wstring> kDefaultFile = {
    L"Dovrak=0.06",         L"Top=0",          L"Left=400",     L"FormColor=9981440",
    L"ButtonColor=14215660", L"TextColor=9981440", L"ButtonSize=16", L"AutoHide=0",
};

std::wstring Text(TKVar& v) { return v.c_str(); }

class BarForm : public ::testing::Test {
protected:
    void SetUp() override { RemoveIniDir(); }
    void TearDown() override {
        CloseBarForm(form);
        RemoveIniDir();
    }
    void StartBar() {
        Application->CreateForm(&FDovrak);
        form = FDovrak;
    }
    void CloseBar() {
        form->Close();
        DrainQuit();
    }
    std::vector<std::wstring> Records() {
        std::vector<std::wstring> r;
        for (int i = 0; i < ButtonStore->Count(); ++i) r.push_back(Text(ButtonStore->GetLine(i)));
        return r;
    }
    TFDovrak* form = nullptr;
};

}  // namespace

TEST_F(BarForm, StartsWithDefaultsAndSavesExactlyItsKeys) {
    StartBar();
    ASSERT_TRUE(BarState && DM && ButtonStore && ButtonArray);
    EXPECT_EQ(BarState->FormColor, 0x984E00);
    EXPECT_EQ(BarState->ButtonColor, 0xD8E9EC);
    EXPECT_EQ(BarState->TextColor, 0x984E00);
    EXPECT_EQ(BarState->ButtonSize, 16);
    EXPECT_EQ(BarState->AutoHide, 0);
    EXPECT_EQ(BarState->ViewMode, 1);
    EXPECT_EQ(BarState->CutIndex, -1);
    EXPECT_EQ(BarState->IniName, L"dovrak.ini");
    EXPECT_EQ(BarState->ExeDir + L"\\", ExtractFilePath(Application->ExeName()));
    EXPECT_EQ(Records(), std::vector<std::wstring>{L""});
    EXPECT_EQ(ButtonArray->Count, 50);
    EXPECT_EQ(ButtonArray->Current, 1);
    EXPECT_EQ(form->Left(), 400);
    EXPECT_EQ(form->Top(), 0);
    EXPECT_EQ(form->Width(), 33);
    EXPECT_EQ(form->Height(), 22);
    EXPECT_EQ(form->FormColor, 0x984E00);
    EXPECT_EQ(form->PopupMenu(), DM->PMenuButton);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(form->Handle(), GWL_STYLE)) & (WS_BORDER | WS_DLGFRAME), 0u);
    TStringList* custom = DM->ColorDialog->CustomColors();
    ASSERT_GE(custom->Count(), 2);
    EXPECT_EQ(custom->Strings(0), L"ColorA=984E00");
    EXPECT_EQ(custom->Strings(1), L"ColorB=D8E9EC");
    ASSERT_NE(DM->Timer, nullptr);
    EXPECT_FALSE(DM->Timer->Enabled());  // automatic hiding is off

    CloseBar();
    EXPECT_EQ(ReadIni(), kDefaultFile);
    EXPECT_FALSE(BarState || DM || ButtonStore || ButtonArray);
}

TEST_F(BarForm, LoadsAndSavesHandWrittenFiles) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const std::wstring r0 = RecordLine({L"C:\\windows\\notepad.exe", L"Notepad", L"Untitled - Notepad", L"1"});
    const std::wstring r2 = RecordLine({L"C:\\", L"", L"", L"00001", L"a=b \u8d77\u52d5"});
    const std::wstring r3 = RecordLine({L"x", L"", L"", L"", L"", L"", L"255"});
    std::vector<std::wstring> sixty = {L"Dovrak=0.06"};
    for (int k = 1; k <= 60; ++k) sixty.push_back(L"B" + std::to_wstring(k) + L"=" + RecordLine({std::to_wstring(k)}));

    struct Case {
        const char* name;
        std::vector<std::wstring> file;
        std::vector<std::wstring> records;  // empty: not checked
        size_t recordCount;
        int top, left, size, autoHide;
        TColor formColor, buttonColor, textColor;
    } cases[] = {
        {"gaps close up", {L"B1=" + r0, L"Top=7", L"B3=" + r2, L"B4=" + r3, L"[Section]", L"Other=1"},
         {r0, r2, r3}, 3, 7, 400, 16, 0, 0x984E00, 0xD8E9EC, 0x984E00},
        {"only B51", {L"B51=" + r3}, {r3}, 1, 0, 400, 16, 0, 0x984E00, 0xD8E9EC, 0x984E00},
        {"sixty keys", sixty, {}, 50, 0, 400, 16, 0, 0x984E00, 0xD8E9EC, 0x984E00},
        {"far off screen", {L"Top=5000", L"Left=5000"}, {L""}, 1, 0, sw - 468, 16, 0, 0x984E00, 0xD8E9EC, 0x984E00},
        {"keys in any case", {L"top=12", L"LEFT=30", L"buttonsize=24", L"autohide=1", L"formcolor=255", L"buttonCOLOR=0",
                              L"textcolor=65280"},
         {L""}, 1, 12, 30, 24, 1, 0x0000FF, 0, 0x00FF00},
        {"empty values take defaults", {L"Top=", L"Left=", L"ButtonSize=", L"FormColor=", L"B1="}, {L""}, 1, 0, 400, 16,
         0, 0x984E00, 0xD8E9EC, 0x984E00},
        {"not numbers", {L"Top=abc", L"Left=x1", L"ButtonSize=big", L"AutoHide=yes", L"FormColor=blue",
                         L"ButtonColor=1x", L"TextColor=--"},
         {L""}, 1, 0, 0, 0, 0, 0, 1, 0},
        {"a size between the classes", {L"ButtonSize=20", L"AutoHide=2"}, {L""}, 1, 0, 400, 20, 2, 0x984E00, 0xD8E9EC,
         0x984E00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveIniDir();
        WriteIni(c.file);
        StartBar();
        ASSERT_TRUE(BarState);
        const auto recs = Records();
        EXPECT_EQ(recs.size(), c.recordCount);
        if (!c.records.empty()) {
            EXPECT_EQ(recs, c.records);
        }
        EXPECT_EQ(form->Top(), c.top);
        EXPECT_EQ(form->Left(), c.left);
        EXPECT_EQ(BarState->ButtonSize, c.size);
        EXPECT_EQ(BarState->AutoHide, c.autoHide);
        EXPECT_EQ(BarState->FormColor, c.formColor);
        EXPECT_EQ(BarState->ButtonColor, c.buttonColor);
        EXPECT_EQ(BarState->TextColor, c.textColor);
        EXPECT_EQ(form->Height(), c.size + 6);
        EXPECT_EQ(static_cast<int>(BarState->ViewMode), 1);
        if (c.recordCount == 50) {
            EXPECT_EQ(recs[49], RecordLine({L"50"}));
        }

        CloseBar();
        delete form;
        form = nullptr;
        const auto saved = ReadIni();
        std::vector<std::wstring> expectKeys = {L"Dovrak"};
        for (size_t i = 0; i < recs.size(); ++i)
            if (!recs[i].empty()) expectKeys.push_back(L"B" + std::to_wstring(i + 1));
        for (const wchar_t* k : {L"Top", L"Left", L"FormColor", L"ButtonColor", L"TextColor", L"ButtonSize", L"AutoHide"})
            expectKeys.push_back(k);
        EXPECT_EQ(KeysOf(saved), expectKeys);
        for (size_t i = 0; i < recs.size(); ++i) {
            if (!recs[i].empty()) {
                EXPECT_EQ(ValueOf(saved, L"B" + std::to_wstring(i + 1)), recs[i]);
            }
        }
        EXPECT_EQ(ValueOf(saved, L"Top"), std::to_wstring(c.top));
        EXPECT_EQ(ValueOf(saved, L"Left"), std::to_wstring(c.left));
        EXPECT_EQ(ValueOf(saved, L"ButtonSize"), std::to_wstring(c.size));
        EXPECT_EQ(ValueOf(saved, L"FormColor"), std::to_wstring(c.formColor));
    }
}

TEST_F(BarForm, NumbersAreReadAsTheyStandAndOnlySizesWithoutABarAreMended) {
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    const std::wstring tallest = std::to_wstring(sh - 6);  // a bar exactly as high as the screen
    const std::wstring tooTall = std::to_wstring(sh - 5);
    struct Case {
        const wchar_t* key;
        std::wstring text;
        int number;  // what TKVar::ToInt makes of the text
        int used;    // what the bar runs with and saves back
    } cases[] = {
        {L"ButtonSize", L"0", 0, 0},
        {L"ButtonSize", L"-5", -5, -5},  // one pixel high
        {L"ButtonSize", L"8", 8, 8},
        {L"ButtonSize", L"15", 15, 15},
        {L"ButtonSize", L"129", 129, 129},
        {L"ButtonSize", L" 24px", 24, 24},
        {L"ButtonSize", tallest, sh - 6, sh - 6},
        {L"ButtonSize", tooTall, sh - 5, 16},
        {L"ButtonSize", L"-6", -6, 16},  // no height at all
        {L"ButtonSize", L"2000", 2000, 16},
        {L"ButtonSize", L"2147483647", 2147483647, 16},
        {L"ButtonSize", L"4294967290", -6, 16},  // the digits wrap around
        {L"ButtonSize", L"99999999999", 1215752191, 16},
        {L"FormColor", L"255x", 255, 255},
        {L"FormColor", L"blue", 0, 0},
        {L"FormColor", L"0x10", 0, 0},
        {L"FormColor", L" 12", 12, 12},
        {L"ButtonColor", L"+65280 green", 65280, 65280},
        {L"TextColor", L"16777215.9", 16777215, 16777215},
        {L"AutoHide", L"1 yes", 1, 1},
    };
    for (const auto& c : cases) {
        const std::wstring line = std::wstring(c.key) + L"=" + c.text;
        SCOPED_TRACE(testing::PrintToString(line));
        EXPECT_EQ(TKVar(c.text.c_str()).ToInt(), c.number);
        RemoveIniDir();
        WriteIni({line});
        StartBar();
        ASSERT_TRUE(BarState);
        const std::wstring key = c.key;
        const int size = key == L"ButtonSize" ? c.used : 16;
        EXPECT_EQ(BarState->ButtonSize, size);
        EXPECT_EQ(form->Height(), size + 6);
        EXPECT_EQ(BarState->FormColor, key == L"FormColor" ? c.used : 0x984E00);
        EXPECT_EQ(BarState->ButtonColor, key == L"ButtonColor" ? c.used : 0xD8E9EC);
        EXPECT_EQ(BarState->TextColor, key == L"TextColor" ? c.used : 0x984E00);
        EXPECT_EQ(BarState->AutoHide, key == L"AutoHide" ? c.used : 0);
        CloseBar();
        delete form;
        form = nullptr;
        EXPECT_EQ(ValueOf(ReadIni(), key), std::to_wstring(c.used));
    }
}

TEST_F(BarForm, PlacesFromTheFileStayWhereTheUserCanReachThem) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        std::vector<std::wstring> file;
        int left, top;
    } cases[] = {
        {{L"Top=2147483647"}, 400, 0},
        {{L"Top=-2147483648"}, 400, 0},
        {{L"Top=-100000"}, 400, 0},
        {{L"Top=" + std::to_wstring(sh - 22)}, 400, sh - 22},
        {{L"Left=2147483647"}, sw - 468, 0},
        {{L"Left=-2147483648"}, 0, 0},
        {{L"Left=-100000", L"Top=50"}, 0, 50},
        {{L"Left=-5"}, 0, 0},  // the drag edge off the screen
        {{L"Left=0", L"Top=300"}, 0, 300},
        {{L"Left=2147483647", L"Top=2147483647"}, sw - 468, 0},
        {{L"Left=-2147483648", L"Top=-2147483648"}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.file));
        RemoveIniDir();
        WriteIni(c.file);
        StartBar();
        ASSERT_TRUE(BarState);
        EXPECT_EQ(form->Left(), c.left);
        EXPECT_EQ(form->Top(), c.top);
        RECT r{};
        GetWindowRect(form->Handle(), &r);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        CloseBar();
        delete form;
        form = nullptr;
        const auto saved = ReadIni();
        EXPECT_EQ(ValueOf(saved, L"Left"), std::to_wstring(c.left));
        EXPECT_EQ(ValueOf(saved, L"Top"), std::to_wstring(c.top));
    }
}

TEST_F(BarForm, ABarWiderThanTheScreenKeepsItsDragEdgeAndFirstButtons) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    std::vector<std::wstring> file = {L"Left=-300"};
    for (int k = 1; k <= 50; ++k)
        file.push_back(L"B" + std::to_wstring(k) + L"=" +
                       RecordLine({L"", L"", L"", L"00001", L"Button " + std::to_wstring(k)}));
    WriteIni(file);
    StartBar();
    ASSERT_TRUE(BarState);
    ASSERT_GT(form->Width(), sw);
    EXPECT_EQ(form->Left(), 0);

    struct Move {
        const char* name;
        int left, expect;
    } moves[] = {
        {"right of the screen", sw + 5, 0},  // the right edge at the screen's would put the start far left
        {"drag edge just off the left", -8, 0},
        {"on the screen", 100, 100},
        {"at the right edge", sw - 1, sw - 1},
    };
    for (const auto& m : moves) {
        SCOPED_TRACE(m.name);
        form->SetLeft(m.left);
        ApplyViewMode(1);
        LayoutButtons();
        EXPECT_EQ(form->Left(), m.expect);
        RECT r{};
        GetWindowRect(form->Handle(), &r);
        EXPECT_EQ(r.left, m.expect);
        EXPECT_EQ(ButtonArray->Buttons[0]->Left(), 10);
    }
    form->SetLeft(100);
    ApplyViewMode(1);
    LayoutButtons();
    CloseBar();
    EXPECT_EQ(ValueOf(ReadIni(), L"Left"), L"100");
}

TEST_F(BarForm, GarbageFileGivesTheDefaults) {
    std::vector<uint8_t> junk;
    for (int i = 0; i < 4000; ++i) junk.push_back(static_cast<uint8_t>((i * 7919) % 251 + 1));
    testdesk::MakeDirs(IniDir());
    testdesk::WriteBytes(IniPath(), junk);
    StartBar();
    ASSERT_TRUE(BarState);
    EXPECT_EQ(BarState->SettingsUnreadable, 0);
    EXPECT_EQ(form->Height(), 22);
    EXPECT_GE(form->Width(), 33);
    CloseBar();
    EXPECT_EQ(KeysOf(ReadIni()).front(), L"Dovrak");
}

TEST_F(BarForm, ColourFieldsAndCaptionsDressTheButtons) {
    WriteIni({
        L"B1=" + RecordLine({L"", L"", L"", L"00001", L"Plain"}),                      // default colours
        L"B2=" + RecordLine({L"", L"", L"", L"00001", L"Red", L"", L"255"}),           // red face
        L"B3=" + RecordLine({L"", L"", L"", L"00001", L"Bad", L"ink", L"not a colour"}),  // hand-edited junk
        L"B4=" + RecordLine({L"C:\\windows\\notepad.exe", L"", L"", L"", L"ignored caption"}),  // icon
        L"B5=" + RecordLine({L"", L"", L"", L"00001", L"A", L"clGreen"}),               // short caption
        L"TextColor=128",
    });
    StartBar();
    ASSERT_TRUE(ButtonArray);
    TKButton** b = ButtonArray->Buttons;
    EXPECT_EQ(b[0]->FaceColor(), 0xD8E9EC);
    EXPECT_EQ(b[0]->Font()->Color(), 128);
    EXPECT_EQ(b[0]->Caption(), L"Plain");
    EXPECT_EQ(b[0]->Font()->Name(), L"MS UI Gothic");
    EXPECT_EQ(b[0]->Font()->Size(), 10);
    EXPECT_EQ(b[1]->FaceColor(), 0x0000FF);
    EXPECT_EQ(b[2]->FaceColor(), 0xD8E9EC);
    EXPECT_EQ(b[2]->Font()->Color(), 128);
    EXPECT_EQ(b[3]->Caption(), L"");
    EXPECT_EQ(b[3]->Width(), 23);
    EXPECT_EQ(b[3]->Glyph()->Width(), 16);
    EXPECT_EQ(b[4]->Font()->Color(), 0x008000);
    EXPECT_EQ(b[4]->Width(), 23);  // never narrower than an icon button
    int x = 10;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(b[i]->Visible()) << i;
        EXPECT_EQ(b[i]->Left(), x) << i;
        EXPECT_EQ(b[i]->Top(), 0) << i;
        EXPECT_EQ(b[i]->Height(), 22) << i;
        x += b[i]->Width();
    }
    EXPECT_EQ(form->Width(), x);
    EXPECT_FALSE(b[5]->Visible());

    // A text record turned into an icon record: no caption, the default face.
    ButtonStore->SetField(1, 4, L"");
    LayoutButtons();
    EXPECT_EQ(b[1]->Caption(), L"");
    EXPECT_EQ(b[1]->FaceColor(), 0xD8E9EC);
    EXPECT_EQ(b[1]->Width(), 23);
    EXPECT_EQ(b[1]->Glyph()->Width(), 16);
    // An icon record turned into a text record: the glyph goes.
    ButtonStore->SetField(3, 4, L"00001");
    LayoutButtons();
    EXPECT_EQ(b[3]->Caption(), L"ignored caption");
    EXPECT_TRUE(b[3]->Glyph()->Empty());
}

namespace {

// A popup command waiting in the message queue: the next message loop that
// dispatches messages (in a layout, the one inside a text button's refresh)
// carries it out, as the popup's handler does.
std::function<void()> queuedCommand;

LRESULT CALLBACK CommandWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP && queuedCommand) {
        auto command = std::move(queuedCommand);
        queuedCommand = nullptr;
        command();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

TEST_F(BarForm, PopupCommandRunInsideALayoutLeavesTheRowWhole) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CommandWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KBarQueuedCommand";
    RegisterClassW(&wc);
    HWND queue = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(queue);

    const std::wstring one = RecordLine({L"one"}), two = RecordLine({L"two"}), three = RecordLine({L"three"}),
                       four = RecordLine({L"four"});
    const std::wstring text = RecordLine({L"", L"", L"", L"00001", L"A caption wider than an icon"});
    struct Case {
        const char* name;
        std::vector<std::wstring> records;
        int current;  // the record the popup command acts on
        TMenuItem* TDM::*item;
        std::vector<std::wstring> after;  // the records after the command
    } cases[] = {
        {"delete before the refreshed button", {one, two, text, three, four}, 0, &TDM::PMenuDelete,
         {two, text, three, four}},
        {"delete the refreshed button's own record", {one, text, two}, 1, &TDM::PMenuDelete, {one, two}},
        {"add while the last button refreshes", {one, two, text}, 1, &TDM::PMenuAdd, {one, two, text, L""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveIniDir();
        std::vector<std::wstring> file;
        for (size_t k = 0; k < c.records.size(); ++k)
            file.push_back(L"B" + std::to_wstring(k + 1) + L"=" + c.records[k]);
        WriteIni(file);
        StartBar();
        ASSERT_TRUE(BarState && ButtonArray && DM);
        ButtonArray->Current = c.current;
        TMenuItem* item = DM->*c.item;
        queuedCommand = [item] { DM->PMenuButtonClick(item); };
        ASSERT_TRUE(PostMessageW(queue, WM_APP, 0, 0));
        EXPECT_NO_THROW(LayoutButtons());
        EXPECT_FALSE(queuedCommand);  // the command ran inside the layout
        EXPECT_EQ(Records(), c.after);

        // One button per record, side by side from x 10, dressed for the
        // record now at its place; the bar ends at the last one.
        TKButton** b = ButtonArray->Buttons;
        const int n = static_cast<int>(c.after.size());
        int x = 10;
        for (int i = 0; i < n; ++i) {
            const bool isText = c.after[static_cast<size_t>(i)] == text;
            EXPECT_TRUE(b[i]->Visible()) << i;
            EXPECT_EQ(b[i]->Left(), x) << i;
            EXPECT_EQ(b[i]->Caption(), isText ? L"A caption wider than an icon" : L"") << i;
            if (isText) {
                EXPECT_GT(b[i]->Width(), 23) << i;
            } else {
                EXPECT_EQ(b[i]->Width(), 23) << i;
            }
            x += b[i]->Width();
        }
        EXPECT_EQ(form->Width(), x);
        EXPECT_FALSE(b[n]->Visible());
        CloseBar();
        delete form;
        form = nullptr;
    }
    queuedCommand = nullptr;
    DestroyWindow(queue);
}

TEST_F(BarForm, TimerCollapsesUnlessADialogIsOpen) {
    WriteIni({L"B1=" + RecordLine({L"x"}), L"AutoHide=1"});
    StartBar();
    ASSERT_TRUE(DM && DM->Timer);
    EXPECT_EQ(DM->TimerMode, 3);
    EXPECT_TRUE(DM->Timer->Enabled());
    EXPECT_EQ(DM->Timer->Interval(), 10000u);

    // A dialog is open: no collapse, a fresh count.
    FormOption = reinterpret_cast<TFormOption*>(form);
    DM->TimerTick(DM->Timer);
    FormOption = nullptr;
    EXPECT_EQ(BarState->ViewMode, 1);
    EXPECT_TRUE(DM->Timer->Enabled());

    DM->TimerTick(DM->Timer);
    EXPECT_EQ(BarState->ViewMode, 3);
    EXPECT_EQ(form->Height(), 2);
    EXPECT_FALSE(ButtonArray->Buttons[0]->Visible());
    EXPECT_FALSE(DM->Timer->Enabled());

    // The mouse over the strip opens it and arms the timer again.
    SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(form->Left() + 5, 0));
    EXPECT_EQ(BarState->ViewMode, 1);
    EXPECT_EQ(form->Height(), 22);
    EXPECT_TRUE(ButtonArray->Buttons[0]->Visible());
    EXPECT_TRUE(DM->Timer->Enabled());

    // Automatic hiding switched off while the count runs: the tick does nothing.
    BarState->AutoHide = 0;
    DM->TimerTick(DM->Timer);
    EXPECT_EQ(BarState->ViewMode, 1);
    EXPECT_FALSE(DM->Timer->Enabled());

    // The exit: the tick closes the bar.
    SetTimerMode(2);
    EXPECT_EQ(DM->TimerMode, 2);
    EXPECT_EQ(DM->Timer->Interval(), 1000u);
    EXPECT_TRUE(DM->Timer->Enabled());
    DM->TimerTick(DM->Timer);
    DrainQuit();
    EXPECT_FALSE(BarState || DM || ButtonStore || ButtonArray);
    EXPECT_FALSE(ReadIni().empty());
}

TEST_F(BarForm, HandlersAfterTheCloseTouchNothing) {
    StartBar();
    HWND bar = form->Handle();
    CloseBar();
    ASSERT_FALSE(BarState || DM || ButtonStore || ButtonArray);
    DeleteFileW(IniPath().c_str());
    SendMessageW(bar, WM_NCHITTEST, 0, MAKELPARAM(405, 5));
    SendMessageW(bar, WM_ENDSESSION, FALSE, 0);
    SendMessageW(bar, WM_ENDSESSION, TRUE, 0);
    SendMessageW(bar, WM_DESTROYCLIPBOARD, 0, 0);
    COPYDATASTRUCT cds{1, 0, nullptr};
    EXPECT_EQ(SendMessageW(bar, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 0);
    InvalidateRect(bar, nullptr, TRUE);
    UpdateWindow(bar);
    form->Close();  // a second close
    DrainQuit();
    EXPECT_FALSE(testdesk::FileExists(IniPath()));
}

TEST_F(BarForm, EndSessionSavesAlsoWhenTheSessionGoesOn) {
    WriteIni({L"B2=" + RecordLine({L"C:\\"}), L"Unknown=1"});
    StartBar();
    EXPECT_EQ(SendMessageW(form->Handle(), WM_ENDSESSION, FALSE, 0), 0);
    const auto saved = ReadIni();
    EXPECT_EQ(KeysOf(saved), (std::vector<std::wstring>{L"Dovrak", L"B1", L"Top", L"Left", L"FormColor", L"ButtonColor",
                                                         L"TextColor", L"ButtonSize", L"AutoHide"}));
    EXPECT_TRUE(BarState);  // the bar runs on
}

TEST_F(BarForm, UnreadableFileIsNeverOverwritten) {
    WriteIni({L"B1=" + RecordLine({L"C:\\"}), L"Top=100", L"ButtonSize=32"});
    const auto original = testdesk::ReadBytes(IniPath());
    HANDLE lock = CreateFileW(IniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    StartBar();
    CloseHandle(lock);
    ASSERT_TRUE(BarState);
    EXPECT_EQ(BarState->SettingsUnreadable, 1);
    EXPECT_EQ(BarState->ButtonSize, 16);  // the defaults for this run
    EXPECT_EQ(form->Top(), 0);
    EXPECT_EQ(ButtonStore->Count(), 1);
    SendMessageW(form->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(testdesk::ReadBytes(IniPath()), original);
    CloseBar();
    EXPECT_FALSE(BarState);
    EXPECT_EQ(testdesk::ReadBytes(IniPath()), original);
}

TEST_F(BarForm, FailedSaveKeepsTheBarOpen) {
    testdesk::MakeDirs(IniPath());  // a folder where the file belongs: no file can replace it
    StartBar();
    ASSERT_TRUE(BarState);
    ButtonStore->SetField(0, 1, L"C:\\kept");
    EXPECT_ANY_THROW(form->Close());
    DrainQuit();
    ASSERT_TRUE(BarState && DM && DM->Timer && ButtonStore && ButtonArray);
    EXPECT_EQ(Text(ButtonStore->GetField(0, 1)), L"C:\\kept");
    EXPECT_TRUE(IsWindow(form->Handle()));

    RemoveDirectoryW(IniPath().c_str());
    CloseBar();
    EXPECT_FALSE(BarState);
    EXPECT_EQ(FieldOf(ValueOf(ReadIni(), L"B1"), 1), L"C:\\kept");
}

TEST_F(BarForm, LearnsOnlyNamesThatARecordCanHold) {
    const std::wstring dir = HelperCopy(L"learn", L"winhelper.exe");
    // A helper that shows no window while the bar learns, and ends soon.
    const std::wstring target = dir + L"\\winhelper.exe --delay 30000 --exit-after 2000";
    struct Case {
        std::wstring cls, title;
        bool learned;
    } cases[] = {
        {L"KLearnSafe", L"C:\\Projects", true},
        {L"KLearnTitle", L"C:\\1 Projects", false},
        {L"KLearnBreak", L"two\r\nlines", false},
        {L"KLearn\\2Class", L"fine", false},
    };
    WriteIni({L"B1=" + RecordLine({target, L"", L"OldTitle"})});
    StartBar();
    ASSERT_TRUE(BarState);
    for (const auto& c : cases) {
        SCOPED_TRACE(testdesk::Narrow(c.title));
        ButtonStore->SetField(0, 2, L"");
        ButtonStore->SetField(0, 3, L"OldTitle");
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = c.cls.c_str();
        RegisterClassW(&wc);
        HWND w = CreateWindowExW(0, c.cls.c_str(), c.title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 300, 200, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(w);
        testdesk::Activate(w);
        ASSERT_EQ(GetForegroundWindow(), w);
        EXPECT_EQ(LaunchButton(0), 1);
        if (c.learned) {
            EXPECT_EQ(Text(ButtonStore->GetField(0, 2)), c.cls);
            EXPECT_EQ(Text(ButtonStore->GetField(0, 3)), c.title);
        } else {
            EXPECT_EQ(Text(ButtonStore->GetField(0, 2)), L"");
            EXPECT_EQ(Text(ButtonStore->GetField(0, 3)), L"OldTitle");
        }
        DestroyWindow(w);
    }
    // Whatever was learned reads back the same from the saved file.
    ButtonStore->SetField(0, 2, L"KLearnSafe");
    ButtonStore->SetField(0, 3, L"C:\\Projects");
    CloseBar();
    const std::wstring line = ValueOf(ReadIni(), L"B1");
    EXPECT_EQ(FieldOf(line, 1), target);
    EXPECT_EQ(FieldOf(line, 3), L"C:\\Projects");
}
